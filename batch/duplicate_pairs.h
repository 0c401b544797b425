// The pairs of a standardized collection at a distance of at most D, found
// without the triangle of distances (batch/pair_search.h): the near
// duplicates of a large collection. D = 0 gives the pairs whose standardized
// values are all the same.
//
// A pair (i, j), i < j, is listed when its exact distance (the accurate
// arithmetic's, as ExactDistance computes it) is at most D; a pair without
// a distance never is. Without missing values a pair is computed exactly
// only when its approximate squared distance's lower bound is at most D^2
// (rounded up): a pair within D has D_ij^2 <= D^2, and its lower bound is at
// most D_ij^2.
//
// The pairs come a block of first varieties (kScanBlock) at a time, in the
// order (i, j), the blocks shared among threads.
//
// Example: one trait, standardized values a -1, b 0, c 0, d 1, D = 1:
//   (a, b) 1, (a, c) 1, (b, c) 0, (b, d) 1, (c, d) 1; with D = 0: (b, c) 0.
#ifndef KYORI_BATCH_DUPLICATE_PAIRS_H_
#define KYORI_BATCH_DUPLICATE_PAIRS_H_

#include <cstdint>
#include <vector>

#include "batch/pair_search.h"

namespace kyori {

struct ClosePair {
  std::int32_t first = 0;
  std::int32_t second = 0;
  double distance = 0;
};

// The pairs within `most` (a finite number, 0 or more) whose first variety is
// in [first, first + count), in the order (i, j).
std::vector<ClosePair> ClosePairsOfBlock(const PairSearchData& data, double most, int first, int count);

}  // namespace kyori

#endif  // KYORI_BATCH_DUPLICATE_PAIRS_H_
