#include "batch/gapped_squares.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kernels/squared_distances.h"

namespace kyori {
namespace {

// For each of R rows r: sums[r][t] <- s + sums[r][t], t in [0, count), where
// d = values[t] - x[r] and s is d * d when d is a number, else +0. Each value
// is loaded once for the R rows; with SSE2 two sums are formed per
// instruction, the NaN differences masked off (an ordered compare of d with
// itself is all ones unless d is NaN), each lane rounding as the scalar
// steps do.
template <int R>
void AddPresentSquares(const double* values, const double* x, double* const* sums, int count) {
  int t = 0;
#if defined(__SSE2__)
  __m128d vx[R];
  for (int r = 0; r < R; ++r) vx[r] = _mm_set1_pd(x[r]);
  for (; t + 2 <= count; t += 2) {
    const __m128d v = _mm_loadu_pd(values + t);
    for (int r = 0; r < R; ++r) {
      const __m128d d = _mm_sub_pd(v, vx[r]);
      const __m128d square = _mm_and_pd(_mm_cmpord_pd(d, d), _mm_mul_pd(d, d));
      _mm_storeu_pd(sums[r] + t, _mm_add_pd(square, _mm_loadu_pd(sums[r] + t)));
    }
  }
#endif
  for (; t < count; ++t) {
    for (int r = 0; r < R; ++r) {
      const double d = values[t] - x[r];
      sums[r][t] = (std::isnan(d) ? 0.0 : d * d) + sums[r][t];
    }
  }
}

static_assert(kRowsAtOnce == 4, "AccumulateGappedSquaredRows takes up to four rows");

}  // namespace

void AccumulateGappedSquaredRows(const double* by_trait, int varieties, int traits, int first, int rows,
                                 double* const* sums) {
  const int count = varieties - first;
  for (int r = 0; r < rows; ++r) std::fill(sums[r], sums[r] + count, 0.0);
  for (int j = 0; j < traits; ++j) {
    const double* column = by_trait + static_cast<std::size_t>(j) * varieties + first;
    switch (rows) {
      case 4: AddPresentSquares<4>(column, column, sums, count); break;
      case 3: AddPresentSquares<3>(column, column, sums, count); break;
      case 2: AddPresentSquares<2>(column, column, sums, count); break;
      default: AddPresentSquares<1>(column, column, sums, count); break;
    }
  }
}

}  // namespace kyori
