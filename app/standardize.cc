#include "app/standardize.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// For each of R rows r: sums[r][t] <- (values[t] - x[r])^2 + sums[r][t], t in
// [0, count): the difference and the square in double, the sum in double
// with the single widened, the result rounded to single. Each value is
// loaded once for the R rows. The sums are independent of one another, so
// with SSE2 two of them are formed per instruction, each lane rounding
// exactly as the scalar operations do.
template <int R>
void AddSquaredDifferences(const double* values, const double* x, float* const* sums, int count) {
  int t = 0;
#if defined(__SSE2__)
  __m128d vx[R];
  for (int r = 0; r < R; ++r) vx[r] = _mm_set1_pd(x[r]);
  for (; t + 2 <= count; t += 2) {
    const __m128d v = _mm_loadu_pd(values + t);
    for (int r = 0; r < R; ++r) {
      const __m128d d = _mm_sub_pd(v, vx[r]);
      const __m128i held = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(sums[r] + t));
      const __m128d sum = _mm_add_pd(_mm_mul_pd(d, d), _mm_cvtps_pd(_mm_castsi128_ps(held)));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(sums[r] + t), _mm_castps_si128(_mm_cvtpd_ps(sum)));
    }
  }
#endif
  for (; t < count; ++t) {
    for (int r = 0; r < R; ++r) {
      const double d = values[t] - x[r];
      sums[r][t] = static_cast<float>(d * d + static_cast<double>(sums[r][t]));
    }
  }
}

// How many varieties' rows of accumulators share one pass over the values:
// each value is read from memory once for all of them.
constexpr int kRowsAtOnce = 4;

// The rows of accumulators of varieties k .. k + rows - 1 against varieties
// k .. n, over all traits in order. by_trait holds the values by trait.
void AccumulateRows(const std::vector<double>& by_trait, int n, int m, int k, int rows,
                    float* const* sums) {
  const int count = n - k + 1;
  for (int j = 1; j <= m; ++j) {
    const double* column = by_trait.data() + static_cast<std::size_t>(j - 1) * n + (k - 1);
    switch (rows) {
      case 4: AddSquaredDifferences<4>(column, column, sums, count); break;
      case 3: AddSquaredDifferences<3>(column, column, sums, count); break;
      case 2: AddSquaredDifferences<2>(column, column, sums, count); break;
      default: AddSquaredDifferences<1>(column, column, sums, count); break;
    }
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
  // The values are laid out by trait, so that for variety k and trait j the
  // terms of all pairs (k, i >= k) come from one run of neighbouring values
  // and are added, trait after trait, into one row of accumulators; a few
  // varieties' rows are filled in the same pass. A row of variety k + r also
  // gets the pairs (k + r, k .. k + r - 1), which are not kept: those come
  // from the rows before, mirrored.
  std::vector<double> by_trait(static_cast<std::size_t>(n) * static_cast<std::size_t>(m));
  for (int j = 1; j <= m; ++j) {
    for (int i = 1; i <= n; ++i) by_trait[static_cast<std::size_t>(j - 1) * n + (i - 1)] = TraitValues[i][j];
  }
  std::vector<float> accumulators(static_cast<std::size_t>(kRowsAtOnce) * (static_cast<std::size_t>(n) + 1));
  float* sums[kRowsAtOnce];
  for (int r = 0; r < kRowsAtOnce; ++r) sums[r] = accumulators.data() + static_cast<std::size_t>(r) * (n + 1);
  for (int k = 1; k <= n; k += kRowsAtOnce) {
    const int rows = std::min(kRowsAtOnce, n - k + 1);
    std::fill(accumulators.begin(), accumulators.end(), 0.0f);
    AccumulateRows(by_trait, n, m, k, rows, sums);
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
