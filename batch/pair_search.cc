#include "batch/pair_search.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kyori {
namespace {

// Below this magnitude a value is taken as 0 in single precision (see the
// header): no product of two kept floats is then subnormal.
constexpr double kFlushBelow = 0x1p-60;

float ToFloat(double value) { return std::fabs(value) < kFlushBelow ? 0.0f : static_cast<float>(value); }

bool AnyMissing(const Collection& c) {
  const std::size_t count = static_cast<std::size_t>(c.varieties) * static_cast<std::size_t>(c.traits);
  for (std::size_t k = 0; k < count; ++k) {
    if (std::isnan(c.values[k])) return true;
  }
  return false;
}

void PrepareSinglePass(PairSearchData& d) {
  const std::size_t n = static_cast<std::size_t>(d.varieties);
  const std::size_t m = static_cast<std::size_t>(d.traits);
  d.padded = (d.varieties + 7) / 8 * 8;
  const std::size_t padded = static_cast<std::size_t>(d.padded);
  d.columns.assign(m * padded, 0.0f);
  d.float_norms.assign(padded, std::numeric_limits<float>::infinity());
  d.norms.assign(n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    double exact = 0;
    double rounded = 0;
    for (std::size_t k = 0; k < m; ++k) {
      const double x = d.rows[i * m + k];
      const float f = ToFloat(x);
      d.columns[k * padded + i] = f;
      exact += x * x;
      rounded += static_cast<double>(f) * f;
    }
    d.norms[i] = exact;
    d.float_norms[i] = static_cast<float>(rounded);
    d.largest_norm = std::max(d.largest_norm, exact);
  }
}

}  // namespace

PairSearchData PreparePairSearch(const Collection& c, int min_common) {
  PairSearchData d;
  d.varieties = c.varieties;
  d.traits = c.traits;
  d.need = std::max(1, min_common);
  d.gaps = AnyMissing(c);
  const std::size_t n = static_cast<std::size_t>(c.varieties);
  const std::size_t m = static_cast<std::size_t>(c.traits);
  d.rows.resize(n * m);
  for (std::size_t k = 0; k < m; ++k) {
    const double* trait = c.Trait(static_cast<int>(k));
    for (std::size_t i = 0; i < n; ++i) d.rows[i * m + k] = trait[i];
  }
  if (!d.gaps) PrepareSinglePass(d);
  return d;
}

std::uint64_t PairSearchBytes(int varieties, int traits) {
  const std::uint64_t n = static_cast<std::uint64_t>(std::max(varieties, 0));
  const std::uint64_t padded = (n + 7) / 8 * 8;
  const std::uint64_t m = static_cast<std::uint64_t>(std::max(traits, 0));
  return n * m * sizeof(double) + padded * m * sizeof(float) + padded * sizeof(float) + n * sizeof(double);
}

namespace {

// The distance of a pair from its sum of squared differences over the
// `common` traits both varieties have: its root, or with missing values the
// sum scaled to all traits (NaN below `need` traits in common).
double FinishDistance(const PairSearchData& d, double sum, int common) {
  if (!d.gaps) return std::sqrt(sum);
  if (common < d.need) return std::numeric_limits<double>::quiet_NaN();
  return std::sqrt(static_cast<double>(d.traits) / common * sum);
}

}  // namespace

double ExactDistance(const PairSearchData& d, int i, int j) {
  const std::size_t m = static_cast<std::size_t>(d.traits);
  const double* x = d.rows.data() + static_cast<std::size_t>(i) * m;
  const double* y = d.rows.data() + static_cast<std::size_t>(j) * m;
  double sum = 0;
  if (!d.gaps) {
    for (std::size_t k = 0; k < m; ++k) {
      const double diff = y[k] - x[k];
      sum = diff * diff + sum;
    }
    return FinishDistance(d, sum, 0);
  }
  int common = 0;
  for (std::size_t k = 0; k < m; ++k) {
    const double diff = y[k] - x[k];
    if (std::isnan(diff)) continue;
    sum = diff * diff + sum;
    ++common;
  }
  return FinishDistance(d, sum, common);
}

void ExactDistancesFrom(const PairSearchData& d, int i, int first, int count, double* out) {
  const std::size_t m = static_cast<std::size_t>(d.traits);
  const double* x = d.rows.data() + static_cast<std::size_t>(i) * m;
  int t = 0;
#if defined(__SSE2__)
  // Two pairs a register, two registers: (j, j + 1) and (j + 2, j + 3). A
  // lane's mask is all ones where the difference is a number; the term is
  // the difference under the mask, and the mask (-1 as a whole number)
  // taken from the lane's count counts the trait.
  for (; t + 4 <= count; t += 4) {
    const double* y0 = d.rows.data() + static_cast<std::size_t>(first + t) * m;
    const double* y1 = y0 + m;
    const double* y2 = y1 + m;
    const double* y3 = y2 + m;
    __m128d low_sum = _mm_setzero_pd(), high_sum = _mm_setzero_pd();
    __m128i low_count = _mm_setzero_si128(), high_count = _mm_setzero_si128();
    for (std::size_t k = 0; k < m; ++k) {
      const __m128d xk = _mm_set1_pd(x[k]);
      const __m128d low = _mm_sub_pd(_mm_loadh_pd(_mm_load_sd(y0 + k), y1 + k), xk);
      const __m128d high = _mm_sub_pd(_mm_loadh_pd(_mm_load_sd(y2 + k), y3 + k), xk);
      const __m128d low_mask = _mm_cmpeq_pd(low, low);
      const __m128d high_mask = _mm_cmpeq_pd(high, high);
      const __m128d low_term = _mm_and_pd(low, low_mask);
      const __m128d high_term = _mm_and_pd(high, high_mask);
      low_sum = _mm_add_pd(_mm_mul_pd(low_term, low_term), low_sum);
      high_sum = _mm_add_pd(_mm_mul_pd(high_term, high_term), high_sum);
      low_count = _mm_sub_epi64(low_count, _mm_castpd_si128(low_mask));
      high_count = _mm_sub_epi64(high_count, _mm_castpd_si128(high_mask));
    }
    double sums[4];
    std::int64_t commons[4];
    _mm_storeu_pd(sums, low_sum);
    _mm_storeu_pd(sums + 2, high_sum);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(commons), low_count);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(commons + 2), high_count);
    for (int q = 0; q < 4; ++q) out[t + q] = FinishDistance(d, sums[q], static_cast<int>(commons[q]));
  }
#endif
  for (; t < count; ++t) out[t] = ExactDistance(d, i, first + t);
}

SearchBound BoundOf(const PairSearchData& d) {
  SearchBound bound;
  bound.scale = (4.0 * d.traits + 32.0) * 0x1p-24;
  bound.floor = d.traits * 0x1p-46;
  return bound;
}

float FloatLimit(const PairSearchData& d, const SearchBound& bound, int i, double limit) {
  if (!(limit < std::numeric_limits<double>::infinity())) return std::numeric_limits<float>::infinity();
  const double reach = bound.scale * (d.norms[static_cast<std::size_t>(i)] + d.largest_norm) + bound.floor;
  const double wide = limit + reach * (1 + 0x1p-20);
  if (wide >= static_cast<double>(std::numeric_limits<float>::max())) return std::numeric_limits<float>::infinity();
  float f = static_cast<float>(wide);
  if (static_cast<double>(f) < wide) f = std::nextafter(f, std::numeric_limits<float>::infinity());
  return f;
}

void LoadQueries(const PairSearchData& d, int first, QueryGroup* group) {
  const std::size_t m = static_cast<std::size_t>(d.traits);
  const std::size_t padded = static_cast<std::size_t>(d.padded);
  group->first = first;
  group->values.assign(m * kQueriesAtOnce * 4, 0.0f);
  for (int q = 0; q < kQueriesAtOnce; ++q) {
    const int i = first + q;
    group->norm[q] = 0;
    if (i >= d.varieties) continue;
    for (std::size_t k = 0; k < m; ++k) {
      float* four = group->values.data() + (k * kQueriesAtOnce + static_cast<std::size_t>(q)) * 4;
      std::fill(four, four + 4, d.columns[k * padded + i]);
    }
    group->norm[q] = d.float_norms[static_cast<std::size_t>(i)];
  }
}

void ApproximateSquares(const PairSearchData& d, const QueryGroup& group, int begin, int count,
                        float* const* approx) {
  const std::size_t m = static_cast<std::size_t>(d.traits);
  const std::size_t padded = static_cast<std::size_t>(d.padded);
  const std::vector<float>& values = group.values;
  const float* norm = group.norm;
  const float* columns = d.columns.data();
  const float* norms = d.float_norms.data();
#if defined(__SSE2__)
  const __m128 two = _mm_set1_ps(2.0f);
  __m128 query_norm[kQueriesAtOnce];
  for (int q = 0; q < kQueriesAtOnce; ++q) query_norm[q] = _mm_set1_ps(norm[q]);
  for (int t = 0; t < count; t += 8) {
    const std::size_t j = static_cast<std::size_t>(begin + t);
    __m128 acc[kQueriesAtOnce][2];
    for (int q = 0; q < kQueriesAtOnce; ++q) acc[q][0] = acc[q][1] = _mm_setzero_ps();
    for (std::size_t k = 0; k < m; ++k) {
      const float* column = columns + k * padded + j;
      const __m128 b0 = _mm_loadu_ps(column);
      const __m128 b1 = _mm_loadu_ps(column + 4);
      const float* a = values.data() + k * kQueriesAtOnce * 4;
      for (int q = 0; q < kQueriesAtOnce; ++q) {
        const __m128 aq = _mm_loadu_ps(a + 4 * q);
        acc[q][0] = _mm_add_ps(acc[q][0], _mm_mul_ps(aq, b0));
        acc[q][1] = _mm_add_ps(acc[q][1], _mm_mul_ps(aq, b1));
      }
    }
    const __m128 n0 = _mm_loadu_ps(norms + j);
    const __m128 n1 = _mm_loadu_ps(norms + j + 4);
    for (int q = 0; q < kQueriesAtOnce; ++q) {
      _mm_storeu_ps(approx[q] + t, _mm_sub_ps(_mm_add_ps(query_norm[q], n0), _mm_mul_ps(two, acc[q][0])));
      _mm_storeu_ps(approx[q] + t + 4, _mm_sub_ps(_mm_add_ps(query_norm[q], n1), _mm_mul_ps(two, acc[q][1])));
    }
  }
#else
  for (int t = 0; t < count; ++t) {
    const std::size_t j = static_cast<std::size_t>(begin + t);
    for (int q = 0; q < kQueriesAtOnce; ++q) {
      float dot = 0;
      for (std::size_t k = 0; k < m; ++k) dot += values[(k * kQueriesAtOnce + q) * 4] * columns[k * padded + j];
      approx[q][t] = (norm[q] + norms[j]) - 2.0f * dot;
    }
  }
#endif
}

}  // namespace kyori
