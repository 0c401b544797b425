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

// How many pairs share one pass over the traits. Each pair's sum is a chain
// of dependent additions and roundings to single; running several chains side
// by side lets them overlap instead of waiting on one another.
constexpr int kPairsAtOnce = 8;

// The squared distances of variety k to varieties i .. i + P - 1, each with
// its own single-precision accumulator and its terms in trait order 1 to m,
// stored in both triangles.
template <int P>
void AccumulatePairs(int k, int i, int m) {
  const double* row_k = TraitValues[k];
  const double* rows[P];
  float sums[P];
  for (int p = 0; p < P; ++p) {
    rows[p] = TraitValues[i + p];
    sums[p] = 0;
  }
  for (int j = 1; j <= m; ++j) {
    const double x = row_k[j];
    for (int p = 0; p < P; ++p) {
      const double d = rows[p][j] - x;
      sums[p] = static_cast<float>(d * d + static_cast<double>(sums[p]));
    }
  }
  for (int p = 0; p < P; ++p) {
    DistanceMatrix[k][i + p] = sums[p];
    DistanceMatrix[i + p][k] = sums[p];
  }
}

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
    int i = k;
    for (; i + kPairsAtOnce - 1 <= n; i += kPairsAtOnce) AccumulatePairs<kPairsAtOnce>(k, i, m);
    for (; i <= n; ++i) AccumulatePairs<1>(k, i, m);
  }
  CounterI = n + 1;
  CounterJ = m + 1;
}

}  // namespace kyori
