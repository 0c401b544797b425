// The distances of a standardized collection with missing values (NaN): each
// pair over the traits both varieties have, scaled up to all traits.
//
// With m traits, of which c are present in both varieties of a pair, and S
// the double sum in trait order of their squared differences over those c
// (batch/gapped_squares.h), the pair's distance is
//   sqrt(m / c * S)        (m / c rounded to double, then times S)
// and the pair has no distance (NaN) when c is below the least number of
// common traits asked for (1 at the least: no trait in common, no distance).
// Where c = m the factor is exactly 1: the distance is sqrt(S), the accurate
// arithmetic's distance of a complete pair, bit for bit.
//
// Example: three varieties, two traits, standardized
//   x: 0 2    y: 1 NaN    z: NaN 5
// x-y has trait 1 in common: sqrt(2 / 1 * 1) = 1.414213...; x-z trait 2:
// sqrt(2 / 1 * 9) = 4.242640...; y-z none: NaN. With min_common 2 all three
// are NaN.
#ifndef KYORI_BATCH_GAPPED_DISTANCES_H_
#define KYORI_BATCH_GAPPED_DISTANCES_H_

#include <cstdint>

#include "batch/collection.h"
#include "batch/distance_triangle.h"

namespace kyori {

// The triangle of the distances of a collection standardized by
// StandardizeWithGaps (batch/missing_values.h): rooted, each pair's distance
// as above, NaN where the pair has fewer than max(1, min_common) traits in
// common. The rows are split across `jobs` threads, with the same bits for
// every number of jobs.
//
// A collection without a NaN takes the complete collection's path,
// ComputeDistances(c, Arithmetic::kAccurate, jobs), whose bits are those of
// the formula with c = m; when it has fewer traits than min_common (or
// none), every pair is NaN.
DistanceTriangle ComputeGappedDistances(const Collection& c, int min_common, int jobs);

// The most bytes ComputeGappedDistances holds beside the triangle it fills:
// the rows of sums of the complete path (DistanceSumsBytes, accurate) and
// each variety's mask of present traits (8 bytes for every 64 traits).
//   5000 varieties, 50 traits, two threads:
//   2 * 4 * 5001 * 8 + 5000 * 8 = 360,064 bytes.
std::uint64_t GappedDistancesWorkingBytes(int varieties, int traits, int jobs);

// The pairs of a rooted triangle that have no distance (NaN), and the first
// of them in the triangle's order, (first, second) with first < second;
// -1 and -1 when there is none.
//   the example above -> pairs 1, first 1, second 2
struct NoDistanceCount {
  std::uint64_t pairs = 0;
  int first = -1;
  int second = -1;
};

// Counts the NaN roots of `d`, a triangle of `varieties` varieties.
NoDistanceCount CountNoDistances(const DistanceTriangle& d, int varieties);

}  // namespace kyori

#endif  // KYORI_BATCH_GAPPED_DISTANCES_H_
