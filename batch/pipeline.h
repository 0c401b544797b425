// Batch mode's pipeline, stage by stage, over plain data. The caller turns
// its options into a RunRequest, runs the stages in order, and turns each
// stage's outcome into its message; the files a run writes, and what is made
// of the distances beside the report (trees, matrices, pictures), are the
// caller's.
//
// A run, stopping at the first outcome that is not its stage's success:
//
//   RunRequest request                    input, arithmetic, threads,
//                                         products, headings, the machine,
//                                         missing values
//   DataFile data; data.Open(name)        kOpen | kCannotOpen | kEmpty
//   ReadDataFile(data, request, c)        kRead | kOverCapacity | kOverMemory
//                                         | kNoVarieties | kEmptyTable
//                                         | kOneVariety | kLayoutFault
//                                         | kTableFault | kCannotRead,
//                                         and the plan (its arithmetic, its
//                                         threads)
//   StandardizeTraits(c, plan.arithmetic) the traits whose spread is off;
//                                         the trait it stopped at, if any
//   ComputeRunDistances(c, request, plan) the report's cells, and the
//                                         distances when the products need them
//                                         (an accurate report alone: its cells
//                                         made as the sums are, no roots held)
//   WriteCollectionReport(c, distances.cells, request.headings, plan.jobs, out)
//
// ReadDataFile picks the reader (batch/input_choice.h): the kyori layout,
// read strictly as it streams from the channel (batch/strict_layout_reader.h),
// or a table file, read whole into memory and then read by
// batch/table_reader.h. Either finds the counts first, lets PlanRun judge
// them (in the arithmetic they choose, batch/arithmetic_choice.h) before
// the values are stored, then fills the Collection; the stages after it are
// the same for both.
//
// Example: the data file "3 2\nA,B\nx,1 10\ny,2 30\nz,3 20\n", auto (the
// kyori layout, so compatible), no products, 4 threads asked on a large
// machine: kRead with a plan of 4 threads; no spread off and no stop (x -1
// -1, y 0 1, z 1 0); the cells "2.236067" "2.236067" "1.414213" and no
// distances. The same data as the table "v,A,B\nx,1,10\ny,2,30\nz,3,20\n" is
// read in the accurate arithmetic, with the same cells.
#ifndef KYORI_BATCH_PIPELINE_H_
#define KYORI_BATCH_PIPELINE_H_

#include <cstdint>
#include <vector>

#include "batch/arithmetic_choice.h"
#include "batch/collection.h"
#include "batch/collection_arithmetic.h"
#include "batch/collection_memory.h"
#include "batch/collection_report.h"
#include "batch/data_file.h"
#include "batch/input_choice.h"
#include "batch/layout_error.h"
#include "batch/missing_texts.h"
#include "batch/nearest_neighbours.h"
#include "batch/table_reader.h"

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

// What a run writes and makes of the distances, by the working memory the
// plan counts for it.
struct RunProducts {
  bool report = true;               // the report (its distances packed as cells)
  bool distance_table = false;      // the distances as a CSV or TSV table
  bool values_table = false;        // the standardized values as a CSV or TSV table
  bool matrix = false;              // the distances as a matrix
  TreeWork tree = TreeWork::kNone;  // a tree, built by the method of this work
  bool picture = false;             // a picture of the tree (`tree` is set) and the distances
  bool pca = false;                 // the principal components of the values as read
  bool groups = false;              // the varieties in groups cut from the tree (`tree` is a linkage's)
  bool group_means = false;         // each group's summary in the values' own units
  int group_count = 0;              // the groups asked for; 0: chosen by their silhouette

  // In place of all the above, which need the triangle of distances: every
  // variety's `neighbours` nearest (batch/nearest_neighbours.h), or the pairs
  // within a distance (`duplicates`, batch/duplicate_pairs.h); both take up
  // to kPairSearchCapacity varieties.
  int neighbours = 0;
  bool duplicates = false;

  bool PairSearch() const { return neighbours > 0 || duplicates; }

  // The distances are handed out for a table, a matrix or a tree.
  bool NeedDistances() const { return distance_table || matrix || tree != TreeWork::kNone; }
  // Every pair needs a distance: a matrix, a tree (and its picture) have no
  // place for a pair without one; the distance table writes it NA.
  bool NeedEveryDistance() const { return matrix || tree != TreeWork::kNone || picture; }
};

// What a run asks of the pipeline.
struct RunRequest {
  InputChoice input = InputChoice::kAuto;
  ArithmeticChoice arithmetic = ArithmeticChoice::kAuto;
  int jobs = 1;  // the threads asked for, the calling one included
  RunProducts products;
  ReportHeadings headings;
  MachineLimits machine;
  MissingTexts missing;  // the texts read as missing values: none by default
  int min_common = 1;    // with missing values, the least number of traits
                         // two varieties share for a distance (pipeline_gaps.h)
};

// The memory plan's shape of a run of `request` in `arithmetic`: its
// products, threads and stacks (the bytes a reader holds are the read
// stage's to add).
RunShape ShapeOfRequest(const RunRequest& request, Arithmetic arithmetic);

// What PlanRun found of a run's counts.
struct RunPlan {
  enum Verdict { kFits, kOverCapacity, kOverMemory } verdict = kFits;
  Arithmetic arithmetic = Arithmetic::kCompatible;  // the run's (ChooseArithmetic)
  int jobs = 1;              // the most threads, up to those asked, whose run fits; 1 when none does
  std::uint64_t needed = 0;  // the bytes the run holds at its peak with `jobs` threads
  std::uint64_t limit = 0;   // the machine's memory
};

// How the counts were read, as far as the plan needs it.
struct ReadForm {
  bool table = false;              // from a table file, not the kyori layout
  std::uint64_t reading_bytes = 0;  // what reading holds (TableReadingBytes)
};

// Judges the counts of `counts` (its contents are not read) for a run in
// the arithmetic that request.arithmetic and `form` choose: more than
// kBatchCapacity varieties (kPairSearchCapacity for the neighbours and the
// duplicates) or kBatchCapacity traits by the counts as read (32767.5 is
// taken, as 32767) is kOverCapacity, with nothing planned; a run whose peak
// (PeakBytes, reading included) exceeds the machine's memory even with one
// thread is kOverMemory.
//   8000 x 1, accurate, no products, 4 threads asked, a machine whose memory
//   is PeakBytes with 2 threads -> kFits, 2 threads, needed = that memory
RunPlan PlanRun(const Collection& counts, const RunRequest& request, const ReadForm& form = {});

// What the read stage found.
struct ReadOutcome {
  enum Kind {
    kRead,
    kOverCapacity,
    kOverMemory,
    kNoVarieties,  // the kyori layout's count of varieties is below 1
    kEmptyTable,   // a table of nothing but blank lines (or a byte-order mark)
    kOneVariety,   // a table of one variety: standardizing needs two
    kLayoutFault,  // `layout` says what is wrong
    kTableFault,   // table.error says what is wrong
    kCannotRead,   // a table file's bytes could not be read
  } kind = kRead;
  RunPlan plan;       // the plan of the counts read
  bool table = false; // read as a table (else the kyori layout)
  TableRead table_read;  // a table's format, shape and fault
  LayoutError layout;    // kLayoutFault
  std::int64_t line = 0;  // kOneVariety: the variety's line
};

// Reads `data` by the reader request.input chooses: the counts, which
// PlanRun judges, and only when the run fits the names and values into `c`;
// closes `data` either way. A value that is one of request.missing's texts
// is a missing value, a quiet NaN (batch/missing_texts.h). The kyori layout
// is read strictly: a fault is kLayoutFault, except a count of varieties
// below 1 (as in "0 3"), which is kNoVarieties. Traits are not required in
// the kyori layout; a table has at least one.
//   "3 2\nA,B\nx,1 10\ny,2 30\nz,3 20\n"  -> kRead, compatible (auto)
//   "3 2\nA,B\nx,1 10\ny,abc 30\n..."     -> kLayoutFault, line 4
//   "v,A\nx,1\ny,2\n"                      -> kRead, accurate (auto), a table
//   "v,A\nx,1\n"                           -> kOneVariety, line 2
ReadOutcome ReadDataFile(DataFile& data, const RunRequest& request, Collection& c);

// How far the compatible arithmetic's standard deviation of a trait may be
// from the accurate one, relative, before the run warns: 0.1 %, where the
// report's digits are materially wrong. Ordinary measurements stay far
// below (examples/kyori_in.txt: at most 0.005 %); day counts and the like,
// whose mean is large against their spread, go beyond (kyori_dates.txt:
// 372 %).
inline constexpr double kSpreadWarnRelative = 1e-3;

// What standardization found.
struct Standardized {
  std::vector<SpreadDifference> spreads_off;  // compatible runs only, in trait order
  TraitStop stop;                             // kNone when every trait was standardized
};

// In the compatible arithmetic, first lists the traits whose spread differs
// from the accurate one by more than kSpreadWarnRelative (CompareSpreads, on
// the values as read), or that it takes for identical though they differ;
// then standardizes the traits in place, up to the first that cannot be
// (StandardizeCollection).
Standardized StandardizeTraits(Collection& c, Arithmetic arithmetic);

// A collection with missing values (NaN among its values) takes the stages
// of batch/pipeline_gaps.h in place of StandardizeTraits and
// ComputeRunDistances, in the accurate arithmetic.

// What the distances' stage made.
struct RunDistances {
  ReportCells cells;              // every pair's report cell, when a report is written
  std::vector<double> distances;  // when the products need them: every pair's
                                  // distance as the report prints it before the
                                  // cut, in the triangle's order; else empty
};

// The distances of the standardized collection in the plan's arithmetic,
// with its threads, turned into the report's cells when the report is
// written (and kept beside them for the products the request needs); with
// no report, only the distances. Holds what DistancesMemory plans.
RunDistances ComputeRunDistances(const Collection& c, const RunRequest& request, const RunPlan& plan);

}  // namespace kyori

#endif  // KYORI_BATCH_PIPELINE_H_
