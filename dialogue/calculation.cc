#include "dialogue/calculation.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "dialogue/calculator_data.h"
#include "kernels/squared_distances.h"
#include "kernels/standardize_trait.h"

namespace kyori {

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
