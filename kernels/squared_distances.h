// The squared distances of the report's arithmetic, over plain data.
//
// Each ordered pair of varieties has its own single-precision accumulator;
// for every trait in order 1 to m the squared difference of the two
// standardized values is formed in double (the difference, then the product
// d * d, which is exactly Power(d, 2)), added in double to the accumulator
// widened to double, and the sum rounded back to single. The result of a pair
// depends only on its two rows of values, so any split of the work gives the
// same bits, and (i, k) equals (k, i) bit for bit.
//
// Example: with one trait, standardized values 1 and -0.5 give the squared
// distance 2.25f; with two traits (1, 2) and (0, 0) give 1 + 4 = 5.0f.
#ifndef KYORI_KERNELS_SQUARED_DISTANCES_H_
#define KYORI_KERNELS_SQUARED_DISTANCES_H_

#include <cstddef>
#include <vector>

namespace kyori {

// How many varieties' rows of accumulators share one pass over the values.
inline constexpr int kRowsAtOnce = 4;

// Values laid out by trait: the value of variety i (0-based) for trait j is
// by_trait[j * varieties + i].
//
// For each r in [0, rows), sums[r][t] receives the squared distance of
// variety first + r to variety first + t, for t in [0, varieties - first):
// the accumulators start at 0 and take the traits in order. Entries with
// t < r are filled too (they are pairs of the rows before, formed the same
// way). Each sums[r] holds at least varieties - first floats.
void AccumulateSquaredRows(const double* by_trait, int varieties, int traits, int first, int rows,
                           float* const* sums);

}  // namespace kyori

#endif  // KYORI_KERNELS_SQUARED_DISTANCES_H_
