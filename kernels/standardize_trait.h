// Standardizing one trait in the report's arithmetic, over plain data: the
// kernel that the dialogue and batch mode's compatible arithmetic share.
//
// Where each result is held decides the printed digits: a trait's sum of
// squares and its standard deviation are held in single precision; everything
// else is double. A result stored into a single is formed in double and then
// rounded to single.
#ifndef KYORI_KERNELS_STANDARDIZE_TRAIT_H_
#define KYORI_KERNELS_STANDARDIZE_TRAIT_H_

#include <cstddef>

namespace kyori {

// The loops' count for a count read from the data file: a loop that starts at
// 1 and runs while its counter is at most `count` makes floor(count) passes
// for a count of 1 or more, and none otherwise (NaN included).
// Examples: 3 -> 3, 2.5 -> 2, 0.5 -> 0, -4 -> 0.
int LoopCount(double count);

// The steps of StandardizeTraitValues before the values are scaled: `mean`
// and `spread` end as the mean and the single-precision standard deviation.
// Returns false when the trait is identical data.
bool TraitMeanAndSpread(const double* first, std::ptrdiff_t stride, int varieties, double variety_count,
                        double& mean, float& spread);

// Standardizes one trait's values in place: `varieties` values, the first at
// `first`, each `stride` doubles after the one before. The arithmetic of the
// report: the mean is the double sum over the values divided by
// `variety_count` (the count as read, which may exceed the values taken); the
// sum of squares is kept in single precision in `spread`; the spread is the
// sum of squares less variety_count times the squared mean, divided by
// variety_count - 1, its root (Power(x, 0.5)) rounded to single. `mean` and
// `spread` start from the values they hold (0 for a fresh trait) and are left
// as the steps leave them. Returns false, leaving the values unchanged, when
// the trait is identical data: a sum of squared deviations of 0 or NaN, or a
// variance that is not a positive finite number.
// Example: values 1, 2, 3 with variety_count 3 become -1, 0, 1 (spread 1f).
bool StandardizeTraitValues(double* first, std::ptrdiff_t stride, int varieties, double variety_count,
                            double& mean, float& spread);

}  // namespace kyori

#endif  // KYORI_KERNELS_STANDARDIZE_TRAIT_H_
