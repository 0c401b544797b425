// One trait's mean and standard deviation in the accurate arithmetic
// (batch/collection_arithmetic.h): two passes in double over the values
// scaled by a power of two.
//
// Example: values 2, 4, 6 have the largest magnitude 6, so exponent 3 (6 is
// 0.75 * 2^3) and the scaled values 0.25, 0.5, 0.75: mean 0.5, deviation
// 0.25; Deviation() is 2 and Standardized(6) is 1.
#ifndef KYORI_BATCH_ACCURATE_MOMENTS_H_
#define KYORI_BATCH_ACCURATE_MOMENTS_H_

#include <cmath>

namespace kyori {

// The values are scaled by 2^-exponent, which brings the largest magnitude
// into [0.5, 1). The squares then neither overflow nor underflow, however
// large or small the values (1e160 or 1e-170); and as scaling by a power of
// two is exact, the results are bit for bit those of the unscaled steps
// wherever these stay in range, as they do for any measured trait.
struct AccurateMoments {
  int exponent;
  double mean;       // of the scaled values
  double deviation;  // of the scaled values: sample standard deviation, divisor n - 1

  double Standardized(double x) const { return (std::ldexp(x, -exponent) - mean) / deviation; }
  double Deviation() const { return std::ldexp(deviation, exponent); }
};

// The moments of x[0 .. n): the mean of the scaled values (their sum in
// order, divided by n), then the root of their sum of squared deviations (in
// order) divided by n - 1. The values must be finite and n at least 2.
AccurateMoments MomentsOf(const double* x, int n);

}  // namespace kyori

#endif  // KYORI_BATCH_ACCURATE_MOMENTS_H_
