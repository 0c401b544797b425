// The squared distances of both arithmetics, over plain data.
//
// Each ordered pair of varieties has its own accumulator, single precision
// (float: the report's arithmetic, the dialogue's and batch mode's
// compatible one) or double (batch mode's accurate arithmetic). For every
// trait in order 1 to m the squared difference of the two standardized
// values is formed in double (the difference, then the product d * d, which
// is exactly Power(d, 2)), added in double to the accumulator widened to
// double, and the sum rounded back to the accumulator's precision: a single
// accumulator is rounded after every trait, a double one is a plain double
// sum in trait order. The result of a pair depends only on its two rows of
// values, so any split of the work gives the same bits, and (i, k) equals
// (k, i) bit for bit.
//
// Examples: with one trait, standardized values 1 and -0.5 give the squared
// distance 2.25 in both; with two traits (1, 2) and (0, 0) give 1 + 4 = 5.
// With one trait, 0 and 0.1 give 0.01f (0.0099999998) in single and
// 0.010000000000000002 in double.
#ifndef KYORI_KERNELS_SQUARED_DISTANCES_H_
#define KYORI_KERNELS_SQUARED_DISTANCES_H_

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
// way). Each sums[r] holds at least varieties - first accumulators.
// `Sum` is float or double (the two built; any other does not link).
//
// Example: varieties 3, traits 1, by_trait {0, 1, 3}, first 0, rows 2:
//   sums[0] = {0, 1, 9}   sums[1] = {1, 0, 4}
template <typename Sum>
void AccumulateSquaredRows(const double* by_trait, int varieties, int traits, int first, int rows,
                           Sum* const* sums);

extern template void AccumulateSquaredRows<float>(const double*, int, int, int, int, float* const*);
extern template void AccumulateSquaredRows<double>(const double*, int, int, int, int, double* const*);

}  // namespace kyori

#endif  // KYORI_KERNELS_SQUARED_DISTANCES_H_
