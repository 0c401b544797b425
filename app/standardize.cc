#include "app/standardize.h"

#include <cmath>

#include "app/calculator_data.h"
#include "numeric/elementary.h"

namespace kyori {
namespace {

// The exponent of every square root, formed as 1 divided by 2.
constexpr double kHalf = 1.0 / 2.0;

void SumTrait(int j) {
  for (CounterI = 1; CounterI <= VarietyCount; CounterI = CounterI + 1) {
    const double x = TraitValues[SlotOf(CounterI)][j];
    TraitMean = TraitMean + x;
    TraitSpread = static_cast<float>(Power(x, 2) + static_cast<double>(TraitSpread));
  }
}

void ScaleTrait(int j) {
  for (CounterI = 1; CounterI <= VarietyCount; CounterI = CounterI + 1) {
    double& value = TraitValues[SlotOf(CounterI)][j];
    value = (value - TraitMean) / static_cast<double>(TraitSpread);
  }
}

bool IsPositiveFinite(float x) { return x > 0 && !std::isinf(x); }

}  // namespace

StandardizeOutcome StandardizeTraits() {
  for (CounterJ = 1; CounterJ <= TraitCount; CounterJ = CounterJ + 1) {
    const int j = SlotOf(CounterJ);
    SumTrait(j);
    TraitMean = TraitMean / VarietyCount;
    // Sum of squared deviations: the single-precision sum of squares less n
    // times the squared mean.
    TraitSpread = static_cast<float>(static_cast<double>(TraitSpread) -
                                     Power(TraitMean, 2) * VarietyCount);
    if (TraitSpread == 0 || std::isnan(TraitSpread)) return StandardizeOutcome::kIdenticalData;
    TraitSpread = static_cast<float>(static_cast<double>(TraitSpread) / (VarietyCount - 1));
    // A variance that is not a positive finite number cannot be divided by:
    // a single variety, or equal values whose squares are not exact in single
    // precision and leave a negative sum. Such a trait is identical data.
    if (!IsPositiveFinite(TraitSpread)) return StandardizeOutcome::kIdenticalData;
    TraitSpread = static_cast<float>(Power(static_cast<double>(TraitSpread), kHalf));
    ScaleTrait(j);
    TraitMean = 0;
    TraitSpread = 0;
  }
  return StandardizeOutcome::kDone;
}

void AccumulateDistances() {
  const int n = VarietyCount >= 1 ? SlotOf(std::floor(VarietyCount)) : 0;
  const int m = TraitCount >= 1 ? SlotOf(std::floor(TraitCount)) : 0;
  for (int k = 1; k <= n; ++k) {
    for (int i = 1; i <= n; ++i) DistanceMatrix[k][i] = 0;
  }
  // Every ordered pair gets its own accumulator and its terms in trait order
  // 1 to m. A squared difference does not depend on the order of its
  // operands, so the matrix is symmetric bit for bit: one triangle and the
  // diagonal are computed and the other triangle is mirrored. The square is
  // the product d * d rounded to double, exactly what Power(d, 2) gives.
  for (CounterK = 1; ToDouble(CounterK) <= VarietyCount; CounterK = static_cast<int16_t>(CounterK + 1)) {
    const int k = CounterK;
    const double* row_k = TraitValues[k];
    for (int i = k; i <= n; ++i) {
      const double* row_i = TraitValues[i];
      float sum = 0;
      for (int j = 1; j <= m; ++j) {
        const double d = row_i[j] - row_k[j];
        sum = static_cast<float>(d * d + static_cast<double>(sum));
      }
      DistanceMatrix[k][i] = sum;
      DistanceMatrix[i][k] = sum;
    }
  }
  CounterI = n + 1;
  CounterJ = m + 1;
}

}  // namespace kyori
