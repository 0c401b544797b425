#include "batch/duplicate_pairs.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "batch/pair_scan.h"

namespace kyori {

std::vector<ClosePair> ClosePairsOfBlock(const PairSearchData& data, double most, int first, int count) {
  std::vector<std::vector<ClosePair>> found(static_cast<std::size_t>(count));
  if (data.gaps) {
    constexpr int kRun = 64;
    double distances[kRun];
    for (int i = first; i < first + count; ++i) {
      for (int run = i + 1; run < data.varieties; run += kRun) {
        const int length = std::min(kRun, data.varieties - run);
        ExactDistancesFrom(data, i, run, length, distances);
        for (int t = 0; t < length; ++t) {
          if (distances[t] <= most) found[static_cast<std::size_t>(i - first)].push_back({i, run + t, distances[t]});
        }
      }
    }
  } else {
    const SearchBound bound = BoundOf(data);
    double squared = most * most;
    if (squared < std::numeric_limits<double>::infinity()) squared = std::nextafter(squared, std::numeric_limits<double>::infinity());
    std::vector<float> limits(static_cast<std::size_t>(count));
    for (int q = 0; q < count; ++q) limits[static_cast<std::size_t>(q)] = FloatLimit(data, bound, first + q, squared);
    ScanBlock(data, first, count, first + 1, limits, [&](int i, int j, float approx) {
      if (j <= i || approx - bound.Of(data, i, j) > squared) return;
      const double d = ExactDistance(data, i, j);
      if (d <= most) found[static_cast<std::size_t>(i - first)].push_back({i, j, d});
    });
  }
  std::vector<ClosePair> pairs;
  for (auto& row : found) pairs.insert(pairs.end(), row.begin(), row.end());
  return pairs;
}

}  // namespace kyori
