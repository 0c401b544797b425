// Batch mode's pipeline, stage by stage, over plain data. The caller turns
// its options into a RunRequest, runs the stages in order, and turns each
// stage's outcome into its message; the files a run writes, and what is made
// of the distances beside the report (trees, matrices, pictures), are the
// caller's.
//
// A run, stopping at the first outcome that is not its stage's success:
//
//   RunRequest request                    arithmetic, threads, products,
//                                         headings, the machine's limits
//   DataFile data; data.Open(name)        kOpen | kCannotOpen | kEmpty
//   ReadDataFile(data, request, c)        kRead | kOverCapacity | kOverMemory
//                                         | kNoVarieties, and the plan
//   StandardizeTraits(c, arithmetic)      the traits whose spread is off;
//                                         the trait it stopped at, if any
//   ComputeRunDistances(c, request, jobs) the report's cells, and the
//                                         distances when the products need them
//   WriteCollectionReport(c, distances.cells, request.headings, jobs, out)
//
// where `jobs` is the plan's. Data read by other rules (a table file,
// batch/table_reader.h; a data file read strictly,
// batch/strict_layout_reader.h) is read by another read stage of
// ReadDataFile's shape: it finds the counts by its own rules, lets PlanRun
// judge them before the values are stored, then fills the Collection; the
// stages after it stay the same.
//
// Example: the data file "3 2\nA,B\nx,1 10\ny,2 30\nz,3 20\n", compatible,
// no products, 4 threads asked on a large machine: kRead with a plan of 4
// threads; no spread off and no stop (x -1 -1, y 0 1, z 1 0); the cells
// "2.236067" "2.236067" "1.414213" and no distances.
#ifndef KYORI_BATCH_PIPELINE_H_
#define KYORI_BATCH_PIPELINE_H_

#include <cstdint>
#include <vector>

#include "batch/collection.h"
#include "batch/collection_arithmetic.h"
#include "batch/collection_memory.h"
#include "batch/collection_report.h"
#include "batch/data_file.h"

namespace kyori {

// The most varieties, and the most traits, a run takes.
inline constexpr int kBatchCapacity = 32767;

// What the machine gives a run.
struct MachineLimits {
  std::uint64_t memory_bytes = 0;        // platform::MemoryLimitBytes()
  std::uint64_t thread_stack_bytes = 0;  // platform::ThreadStackBytes()
};

// This machine's limits, as the platform tells them.
MachineLimits ThisMachine();

// What a run makes of the distances beside the report, by the working
// memory the plan counts for it; the report itself is always written.
struct RunProducts {
  bool matrix = false;              // the distances as a matrix
  TreeWork tree = TreeWork::kNone;  // a tree, built by the method of this work
  bool picture = false;             // a picture of the tree (`tree` is set) and the distances

  // The distances are handed out for a matrix or a tree.
  bool NeedDistances() const { return matrix || tree != TreeWork::kNone; }
};

// What a run asks of the pipeline.
struct RunRequest {
  Arithmetic arithmetic = Arithmetic::kCompatible;
  int jobs = 1;  // the threads asked for, the calling one included
  RunProducts products;
  ReportHeadings headings;
  MachineLimits machine;
};

// What PlanRun found of a run's counts.
struct RunPlan {
  enum Verdict { kFits, kOverCapacity, kOverMemory } verdict = kFits;
  int jobs = 1;              // the most threads, up to those asked, whose run fits; 1 when none does
  std::uint64_t needed = 0;  // the bytes the run holds at its peak with `jobs` threads
  std::uint64_t limit = 0;   // the machine's memory
};

// Judges the counts of `counts` (its contents are not read): more than
// kBatchCapacity varieties or traits by the counts as read (32767.5 is
// taken, as 32767) is kOverCapacity, with nothing planned; a run whose peak
// (PeakBytes) exceeds the machine's memory even with one thread is
// kOverMemory.
//   8000 x 1, accurate, no products, 4 threads asked, a machine whose memory
//   is PeakBytes with 2 threads -> kFits, 2 threads, needed = that memory
RunPlan PlanRun(const Collection& counts, const RunRequest& request);

// What the read stage found.
struct ReadOutcome {
  enum Kind { kRead, kOverCapacity, kOverMemory, kNoVarieties } kind = kRead;
  RunPlan plan;  // the plan of the counts read
};

// Reads the counts from `data`, lets PlanRun judge them, and only when the
// run fits reads the names and values into `c`; closes `data` either way.
// A body read whose count of varieties is below 1 (as bytes that are no
// data file at all read) is kNoVarieties: no report can be made of it.
// Traits are not required.
ReadOutcome ReadDataFile(DataFile& data, const RunRequest& request, Collection& c);

// What standardization found.
struct Standardized {
  std::vector<SpreadDifference> spreads_off;  // compatible runs only, in trait order
  TraitStop stop;                             // kNone when every trait was standardized
};

// In the compatible arithmetic, first lists the traits whose spread differs
// from the accurate one by more than 1e-6 relative (about what a cell of 8
// characters hides; CompareSpreads, on the values as read); then
// standardizes the traits in place, up to the first that cannot be
// (StandardizeCollection).
Standardized StandardizeTraits(Collection& c, Arithmetic arithmetic);

// A collection with missing values (NaN among its values) takes the stages
// of batch/pipeline_gaps.h in place of StandardizeTraits and
// ComputeRunDistances, in the accurate arithmetic.

// What the distances' stage made.
struct RunDistances {
  ReportCells cells;              // every pair's report cell
  std::vector<double> distances;  // when the products need them: every pair's
                                  // distance as the report prints it before the
                                  // cut, in the triangle's order; else empty
};

// The distances of the standardized collection in the request's arithmetic,
// with `jobs` threads, turned into the report's cells (and kept beside them
// for the products that need them). Holds what DistancesMemory plans.
RunDistances ComputeRunDistances(const Collection& c, const RunRequest& request, int jobs);

}  // namespace kyori

#endif  // KYORI_BATCH_PIPELINE_H_
