#include "kernels/squared_distances.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kyori {
namespace {

#if defined(__SSE2__)
// Two neighbouring accumulators, widened to double.
__m128d LoadTwo(const float* sums) {
  return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(sums))));
}
__m128d LoadTwo(const double* sums) { return _mm_loadu_pd(sums); }

// Two doubles stored into neighbouring accumulators, rounded to their precision.
void StoreTwo(float* sums, __m128d values) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(sums), _mm_castps_si128(_mm_cvtpd_ps(values)));
}
void StoreTwo(double* sums, __m128d values) { _mm_storeu_pd(sums, values); }
#endif

// For each of R rows r: sums[r][t] <- (values[t] - x[r])^2 + sums[r][t], t in
// [0, count): the difference and the square in double, the sum in double
// with the accumulator widened, the result rounded to the accumulator's
// precision. Each value is loaded once for the R rows. The sums are
// independent of one another, so with SSE2 two of them are formed per
// instruction, each lane rounding exactly as the scalar operations do.
template <typename Sum, int R>
void AddSquaredDifferences(const double* values, const double* x, Sum* const* sums, int count) {
  int t = 0;
#if defined(__SSE2__)
  __m128d vx[R];
  for (int r = 0; r < R; ++r) vx[r] = _mm_set1_pd(x[r]);
  for (; t + 2 <= count; t += 2) {
    const __m128d v = _mm_loadu_pd(values + t);
    for (int r = 0; r < R; ++r) {
      const __m128d d = _mm_sub_pd(v, vx[r]);
      StoreTwo(sums[r] + t, _mm_add_pd(_mm_mul_pd(d, d), LoadTwo(sums[r] + t)));
    }
  }
#endif
  for (; t < count; ++t) {
    for (int r = 0; r < R; ++r) {
      const double d = values[t] - x[r];
      sums[r][t] = static_cast<Sum>(d * d + static_cast<double>(sums[r][t]));
    }
  }
}

}  // namespace

template <typename Sum>
void AccumulateSquaredRows(const double* by_trait, int varieties, int traits, int first, int rows,
                           Sum* const* sums) {
  const int count = varieties - first;
  for (int r = 0; r < rows; ++r) std::fill(sums[r], sums[r] + count, Sum(0));
  for (int j = 0; j < traits; ++j) {
    const double* column = by_trait + static_cast<std::size_t>(j) * varieties + first;
    switch (rows) {
      case 4: AddSquaredDifferences<Sum, 4>(column, column, sums, count); break;
      case 3: AddSquaredDifferences<Sum, 3>(column, column, sums, count); break;
      case 2: AddSquaredDifferences<Sum, 2>(column, column, sums, count); break;
      default: AddSquaredDifferences<Sum, 1>(column, column, sums, count); break;
    }
  }
}

template void AccumulateSquaredRows<float>(const double*, int, int, int, int, float* const*);
template void AccumulateSquaredRows<double>(const double*, int, int, int, int, double* const*);

}  // namespace kyori
