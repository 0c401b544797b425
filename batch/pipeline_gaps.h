// The stages of a batch run whose collection has missing values (NaN among
// its values, the texts of request.missing as ReadDataFile read them:
// batch/missing_texts.h), in place of StandardizeTraits and
// ComputeRunDistances (batch/pipeline.h). Missing values are defined in the
// accurate arithmetic alone (batch/missing_values.h,
// batch/gapped_distances.h); the compatible one has no definition for them.
//
// A run, after its read stage, stopping at the first outcome that is not
// its stage's success:
//
//   FindGaps(c, request)                     kNone: the stages of every run
//                                            from StandardizeTraits on;
//                                            kGaps | kCompatibleNamed |
//                                            kOverMemory, with the count of
//                                            missing values and the plan
//   StandardizeWithGaps(c)                   the trait it stopped at, if any
//   ComputeGappedRunDistances(c, request, gaps.plan)
//                                            kMade | kNoDistance: the cells,
//                                            the distances for the products,
//                                            the pairs without a distance
//   WriteCollectionReport(c, made.distances.cells, request.headings,
//                         gaps.plan.jobs, out)
//                                            NA for each missing value and
//                                            each pair without a distance
//
// Example: the table "v,A,B\nx,1,10\ny,NA,30\nz,3,NA\nw,5,20\n" read with
// MissingTexts::Usual(), the arithmetic auto, no products: kGaps, accurate,
// 2 of 8 values missing in 2 traits; standardized x -1 -1, y NA 1, z 0 NA,
// w 1 0; kMade, the cells "2.828427" "1.414213" "2.236067" "NA" "1.414213"
// "1.414213", one pair without a distance, y-z (1, 2). With a tree asked
// for: kNoDistance, the same cells and pairs.
#ifndef KYORI_BATCH_PIPELINE_GAPS_H_
#define KYORI_BATCH_PIPELINE_GAPS_H_

#include "batch/collection.h"
#include "batch/gapped_distances.h"
#include "batch/missing_values.h"
#include "batch/pipeline.h"

namespace kyori {

// What FindGaps found.
struct GapsFound {
  enum Kind {
    kNone,             // no value is missing: the stages of every run
    kGaps,             // values are missing: the stages above, by `plan`
    kCompatibleNamed,  // values are missing, and the compatible arithmetic,
                       // which has no definition for them, was asked for by
                       // name (ArithmeticChoice::kCompatible)
    kOverMemory,       // values are missing, and the stages above do not
                       // fit in the machine's memory even with one thread
  } kind = kNone;
  MissingCount missing;  // how many values are missing, and in how many traits
  RunPlan plan;          // kGaps, kOverMemory: the plan of the stages above
};

// Counts the missing values of `c` as read. When there are some, and the
// request does not name the compatible arithmetic (kAuto gives way to the
// accurate one, whatever it chose for the counts), plans the stages above
// for c's counts afresh: the accurate arithmetic with the gapped distances'
// working room (RunShape::gaps), the request's products and machine, the
// most threads up to request.jobs that fit; the reading's memory is gone by
// then.
//   37 of 1200 values missing, in 4 traits, auto        -> kGaps, accurate
//   the same, ArithmeticChoice::kCompatible             -> kCompatibleNamed
//   none missing                                        -> kNone
GapsFound FindGaps(const Collection& c, const RunRequest& request);

// What the gapped distances' stage made.
struct GappedRunDistances {
  enum Kind {
    kMade,        // the cells, and the distances the products need
    kNoDistance,  // as kMade, but the products need every pair's distance
                  // (a tree, a matrix, a picture: NeedEveryDistance) and a
                  // pair has none; the distance table alone writes it NA
  } kind = kMade;
  RunDistances distances;        // cells made with NanCell::kMissing; NaN among
                                 // the distances for the pairs without one
  NoDistanceCount no_distance;   // those pairs, and the first of them
};

// The distances of `c`, standardized by StandardizeWithGaps, with
// request.min_common the least number of traits a pair must have in common
// (ComputeGappedDistances), with the plan's threads, turned into the
// report's cells (NA for a pair without a distance), and kept beside them
// when request.products need them; without a report, only the distances
// (as ComputeRunDistances has them). Holds what GappedDistancesMemory plans.
// The same bytes for every number of threads.
GappedRunDistances ComputeGappedRunDistances(const Collection& c, const RunRequest& request, const RunPlan& plan);

}  // namespace kyori

#endif  // KYORI_BATCH_PIPELINE_GAPS_H_
