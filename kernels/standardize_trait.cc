#include "kernels/standardize_trait.h"

#include <cmath>
#include <cstddef>

#include "numeric/elementary.h"

namespace kyori {
namespace {

// The exponent of every square root, formed as 1 divided by 2.
constexpr double kHalf = 1.0 / 2.0;

bool IsPositiveFinite(float x) { return x > 0 && !std::isinf(x); }

}  // namespace

bool TraitMeanAndSpread(const double* first, std::ptrdiff_t stride, int varieties, double variety_count,
                        double& mean, float& spread) {
  for (int i = 0; i < varieties; ++i) {
    const double x = first[i * stride];
    mean = mean + x;
    spread = static_cast<float>(Power(x, 2) + static_cast<double>(spread));
  }
  mean = mean / variety_count;
  // Sum of squared deviations: the single-precision sum of squares less n
  // times the squared mean.
  spread = static_cast<float>(static_cast<double>(spread) - Power(mean, 2) * variety_count);
  if (spread == 0 || std::isnan(spread)) return false;
  spread = static_cast<float>(static_cast<double>(spread) / (variety_count - 1));
  // A variance that is not a positive finite number cannot be divided by:
  // a single variety, or equal values whose squares are not exact in single
  // precision and leave a negative sum. Such a trait is identical data.
  if (!IsPositiveFinite(spread)) return false;
  spread = static_cast<float>(Power(static_cast<double>(spread), kHalf));
  return true;
}

bool StandardizeTraitValues(double* first, std::ptrdiff_t stride, int varieties, double variety_count,
                            double& mean, float& spread) {
  if (!TraitMeanAndSpread(first, stride, varieties, variety_count, mean, spread)) return false;
  for (int i = 0; i < varieties; ++i) {
    double& value = first[i * stride];
    value = (value - mean) / static_cast<double>(spread);
  }
  return true;
}

int LoopCount(double count) {
  if (!(count >= 1)) return 0;
  return count >= 2147483647.0 ? 2147483647 : static_cast<int>(std::floor(count));
}

}  // namespace kyori
