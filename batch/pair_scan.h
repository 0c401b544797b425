// The single-precision pass of pair_search.h over blocks of varieties: each
// block of up to kScanBlock varieties against the varieties [begin, n), a
// tile of kScanTile at a time (so that a tile's values stay in the cache
// while every group of four in the block is taken against it), calling
// `take(i, j, approx)` for each pair whose approximate squared distance is
// at most the float limit of variety i (limits[i - first], which `take`
// may lower as it goes). Pairs beyond the collection are never taken; the
// pair (i, i) is taken like any other and left to `take`.
#ifndef KYORI_BATCH_PAIR_SCAN_H_
#define KYORI_BATCH_PAIR_SCAN_H_

#include <algorithm>
#include <bit>
#include <vector>

#include "batch/pair_search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kyori {

inline constexpr int kScanBlock = 128;
inline constexpr int kScanTile = 2048;

template <typename Take>
void ScanBlock(const PairSearchData& data, int first, int count, int begin, std::vector<float>& limits, Take take) {
  const int groups = (count + kQueriesAtOnce - 1) / kQueriesAtOnce;
  std::vector<QueryGroup> queries(static_cast<std::size_t>(groups));
  for (int g = 0; g < groups; ++g) LoadQueries(data, first + g * kQueriesAtOnce, &queries[static_cast<std::size_t>(g)]);
  std::vector<float> buffer(static_cast<std::size_t>(kQueriesAtOnce) * kScanTile);
  float* approx[kQueriesAtOnce];
  for (int q = 0; q < kQueriesAtOnce; ++q) approx[q] = buffer.data() + static_cast<std::size_t>(q) * kScanTile;
  begin = begin / 8 * 8;
  for (int tile = begin; tile < data.padded; tile += kScanTile) {
    const int width = std::min(kScanTile, data.padded - tile);
    for (int g = 0; g < groups; ++g) {
      ApproximateSquares(data, queries[static_cast<std::size_t>(g)], tile, width, approx);
      for (int q = 0; q < kQueriesAtOnce; ++q) {
        const int i = first + g * kQueriesAtOnce + q;
        if (i >= first + count) break;
        float& limit = limits[static_cast<std::size_t>(i - first)];
        const float* a = approx[q];
        int t = 0;
#if defined(__SSE2__)
        for (; t + 4 <= width; t += 4) {
          int mask = _mm_movemask_ps(_mm_cmple_ps(_mm_loadu_ps(a + t), _mm_set1_ps(limit)));
          while (mask != 0) {
            const int lane = std::countr_zero(static_cast<unsigned>(mask));
            mask &= mask - 1;
            const int j = tile + t + lane;
            if (j < data.varieties && a[t + lane] <= limit) take(i, j, a[t + lane]);
          }
        }
#endif
        for (; t < width; ++t) {
          const int j = tile + t;
          if (j < data.varieties && a[t] <= limit) take(i, j, a[t]);
        }
      }
    }
  }
}

}  // namespace kyori

#endif  // KYORI_BATCH_PAIR_SCAN_H_
