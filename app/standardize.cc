#include "app/standardize.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "app/calculator_data.h"
#include "app/squared_distances.h"
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

StandardizeOutcome StandardizeTraits() {
  const int n = LoopCount(VarietyCount);
  for (CounterJ = 1; CounterJ <= TraitCount; CounterJ = CounterJ + 1) {
    if (!StandardizeTraitValues(&TraitValues[1][SlotOf(CounterJ)], kSlots, n, VarietyCount,
                                TraitMean, TraitSpread)) {
      CounterI = n + 1;
      return StandardizeOutcome::kIdenticalData;
    }
    CounterI = n + 1;
    TraitMean = 0;
    TraitSpread = 0;
  }
  return StandardizeOutcome::kDone;
}

void AccumulateDistances() {
  const int n = LoopCount(VarietyCount);
  const int m = LoopCount(TraitCount);
  for (int k = 1; k <= n; ++k) {
    for (int i = 1; i <= n; ++i) DistanceMatrix[k][i] = 0;
  }
  // One triangle and the diagonal are computed and the other triangle is
  // mirrored: the squared distances are symmetric bit for bit. The values are
  // laid out by trait, so that for variety k and trait j the terms of all
  // pairs (k, i >= k) come from one run of neighbouring values.
  std::vector<double> by_trait(static_cast<std::size_t>(n) * static_cast<std::size_t>(m));
  for (int j = 1; j <= m; ++j) {
    for (int i = 1; i <= n; ++i) by_trait[static_cast<std::size_t>(j - 1) * n + (i - 1)] = TraitValues[i][j];
  }
  std::vector<float> accumulators(static_cast<std::size_t>(kRowsAtOnce) * (static_cast<std::size_t>(n) + 1));
  float* sums[kRowsAtOnce];
  for (int r = 0; r < kRowsAtOnce; ++r) sums[r] = accumulators.data() + static_cast<std::size_t>(r) * (n + 1);
  for (int k = 1; k <= n; k += kRowsAtOnce) {
    const int rows = std::min(kRowsAtOnce, n - k + 1);
    AccumulateSquaredRows(by_trait.data(), n, m, k - 1, rows, sums);
    for (int r = 0; r < rows; ++r) {
      for (int i = k + r; i <= n; ++i) {
        DistanceMatrix[k + r][i] = sums[r][i - k];
        DistanceMatrix[i][k + r] = sums[r][i - k];
      }
    }
  }
  CounterK = static_cast<int16_t>(n + 1);
  CounterI = n + 1;
  CounterJ = m + 1;
}

}  // namespace kyori
