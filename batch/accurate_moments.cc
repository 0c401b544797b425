#include "batch/accurate_moments.h"

#include <algorithm>

namespace kyori {

AccurateMoments MomentsOf(const double* x, int n) {
  double largest = 0;
  for (int i = 0; i < n; ++i) largest = std::max(largest, std::fabs(x[i]));
  int exponent = 0;
  std::frexp(largest, &exponent);
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += std::ldexp(x[i], -exponent);
  const double mean = sum / n;
  double squares = 0;
  for (int i = 0; i < n; ++i) {
    const double d = std::ldexp(x[i], -exponent) - mean;
    squares += d * d;
  }
  return {exponent, mean, std::sqrt(squares / (n - 1))};
}

}  // namespace kyori
