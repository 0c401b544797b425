// The sums of squared differences of standardized values with gaps, rows of
// accumulators at a time: the accurate arithmetic's kernel
// (kernels/squared_distances.h, double accumulators) for values among which
// some are missing (NaN).
//
// For every trait in order the difference of the two values is formed in
// double; when it is a number its square is added in double to the pair's
// accumulator, and when it is NaN (one of the two values is missing) the
// accumulator takes +0, which leaves it as it was. Each sum is thus the
// plain double sum, in trait order, over the traits both varieties have:
// for two varieties without a gap, the bits of AccumulateSquaredRows<double>.
// The values must be finite or NaN (an infinite one could make a NaN
// difference of two present values). The result of a pair depends only on
// its two rows of values, so any split of the work gives the same bits.
//
// Example: varieties 3, traits 2, by_trait {0, 1, NaN,  2, NaN, 5},
// first 0, rows 2 (variety 0 is (0, 2), 1 is (1, NaN), 2 is (NaN, 5)):
//   sums[0] = {0, 1, 9}   sums[1] = {1, 0, 0}
#ifndef KYORI_BATCH_GAPPED_SQUARES_H_
#define KYORI_BATCH_GAPPED_SQUARES_H_

namespace kyori {

// Values laid out by trait: the value of variety i (0-based) for trait j is
// by_trait[j * varieties + i].
//
// For each r in [0, rows), sums[r][t] receives the sum over the traits that
// varieties first + r and first + t both have of their squared difference,
// for t in [0, varieties - first); entries with t < r are filled too. Each
// sums[r] holds at least varieties - first accumulators; rows is 1 to
// kRowsAtOnce (kernels/squared_distances.h).
void AccumulateGappedSquaredRows(const double* by_trait, int varieties, int traits, int first, int rows,
                                 double* const* sums);

}  // namespace kyori

#endif  // KYORI_BATCH_GAPPED_SQUARES_H_
