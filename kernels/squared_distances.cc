#include "kernels/squared_distances.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kyori {
namespace {

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

}  // namespace

void AccumulateSquaredRows(const double* by_trait, int varieties, int traits, int first, int rows,
                           float* const* sums) {
  const int count = varieties - first;
  for (int r = 0; r < rows; ++r) std::fill(sums[r], sums[r] + count, 0.0f);
  for (int j = 0; j < traits; ++j) {
    const double* column = by_trait + static_cast<std::size_t>(j) * varieties + first;
    switch (rows) {
      case 4: AddSquaredDifferences<4>(column, column, sums, count); break;
      case 3: AddSquaredDifferences<3>(column, column, sums, count); break;
      case 2: AddSquaredDifferences<2>(column, column, sums, count); break;
      default: AddSquaredDifferences<1>(column, column, sums, count); break;
    }
  }
}

}  // namespace kyori
