#include "batch/nearest_neighbours.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

#include "batch/pair_scan.h"
#include "platform/parallel_for.h"

namespace kyori {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The varieties whose exact distances are computed at once, with missing values.
constexpr int kExactRun = 64;

// Nearer: by distance, then by index.
bool Before(const Neighbour& a, const Neighbour& b) {
  return a.distance < b.distance || (a.distance == b.distance && a.index < b.index);
}

// What one variety's search holds: the K smallest upper bounds (a max-heap),
// their largest as the limit on the lower bounds, and the candidates whose
// lower bound was within the limit when they were taken.
struct Search {
  std::vector<double> uppers;
  double limit = kInfinity;
  std::vector<std::pair<std::int32_t, double>> candidates;  // (j, lower bound)
  std::size_t prune_at = 0;
};

class BlockSearch {
 public:
  BlockSearch(const PairSearchData& data, int k, int first, int count)
      : data_(data), bound_(BoundOf(data)), k_(static_cast<std::size_t>(k)), first_(first),
        searches_(static_cast<std::size_t>(count)), limits_(static_cast<std::size_t>(count), std::numeric_limits<float>::infinity()) {
    for (Search& s : searches_) s.prune_at = 2 * k_ + 64;
  }

  void Run() {
    ScanBlock(data_, first_, static_cast<int>(searches_.size()), 0, limits_,
              [this](int i, int j, float approx) { Take(i, j, approx); });
  }

  // The K neighbours of each variety of the block into out[(i - first) * K ..].
  void Finish(Neighbour* out) {
    std::vector<Neighbour> exact;
    for (std::size_t s = 0; s < searches_.size(); ++s) {
      const int i = first_ + static_cast<int>(s);
      exact.clear();
      for (const auto& [j, lower] : searches_[s].candidates) {
        if (lower > searches_[s].limit) continue;
        const double d = ExactDistance(data_, i, j);
        if (!std::isnan(d)) exact.push_back({d, j});
      }
      KeepNearest(exact, out + s * k_);
    }
  }

  // The first K of `found` by Before, into out[0 .. K) (index -1 beyond them).
  void KeepNearest(std::vector<Neighbour>& found, Neighbour* out) const {
    const std::size_t kept = std::min(k_, found.size());
    std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(kept), found.end(), Before);
    for (std::size_t r = 0; r < k_; ++r) out[r] = r < kept ? found[r] : Neighbour{};
  }

 private:
  void Take(int i, int j, float approx) {
    if (i == j) return;
    Search& s = searches_[static_cast<std::size_t>(i - first_)];
    const double b = bound_.Of(data_, i, j);
    const double lower = approx - b;
    if (lower > s.limit) return;
    s.candidates.push_back({j, lower});
    const double upper = approx + b;
    if (s.uppers.size() < k_) {
      s.uppers.push_back(upper);
      std::push_heap(s.uppers.begin(), s.uppers.end());
    } else if (upper < s.uppers.front()) {
      std::pop_heap(s.uppers.begin(), s.uppers.end());
      s.uppers.back() = upper;
      std::push_heap(s.uppers.begin(), s.uppers.end());
    } else {
      return;
    }
    if (s.uppers.size() < k_) return;
    s.limit = s.uppers.front();
    limits_[static_cast<std::size_t>(i - first_)] = FloatLimit(data_, bound_, i, s.limit);
    if (s.candidates.size() >= s.prune_at) {
      std::erase_if(s.candidates, [&](const auto& c) { return c.second > s.limit; });
      s.prune_at = std::max(2 * k_ + 64, 2 * s.candidates.size());
    }
  }

  const PairSearchData& data_;
  const SearchBound bound_;
  const std::size_t k_;
  const int first_;
  std::vector<Search> searches_;
  std::vector<float> limits_;
};

// With missing values: every pair of the block computed exactly.
void ExactNeighbours(const PairSearchData& data, int k, int first, int count, Neighbour* out) {
  const std::size_t kk = static_cast<std::size_t>(k);
  std::vector<Neighbour> heap;  // the nearest so far, the farthest of them on top
  double distances[kExactRun];
  for (int i = first; i < first + count; ++i) {
    heap.clear();
    for (int run = 0; run < data.varieties; run += kExactRun) {
      const int length = std::min(kExactRun, data.varieties - run);
      ExactDistancesFrom(data, i, run, length, distances);
      for (int t = 0; t < length; ++t) {
        const Neighbour n{distances[t], run + t};
        if (n.index == i || std::isnan(n.distance)) continue;
        if (heap.size() < kk) {
          heap.push_back(n);
          std::push_heap(heap.begin(), heap.end(), Before);
        } else if (Before(n, heap.front())) {
          std::pop_heap(heap.begin(), heap.end(), Before);
          heap.back() = n;
          std::push_heap(heap.begin(), heap.end(), Before);
        }
      }
    }
    std::sort_heap(heap.begin(), heap.end(), Before);
    Neighbour* row = out + static_cast<std::size_t>(i - first) * kk;
    for (std::size_t r = 0; r < kk; ++r) row[r] = r < heap.size() ? heap[r] : Neighbour{};
  }
}

}  // namespace

std::vector<Neighbour> FindNeighbours(const PairSearchData& data, int k, int jobs) {
  const std::size_t n = static_cast<std::size_t>(data.varieties);
  std::vector<Neighbour> result(n * static_cast<std::size_t>(k));
  const long blocks = (data.varieties + kScanBlock - 1) / kScanBlock;
  ParallelFor(blocks, jobs, [&](long block, int) {
    const int first = static_cast<int>(block) * kScanBlock;
    const int count = std::min(kScanBlock, data.varieties - first);
    Neighbour* out = result.data() + static_cast<std::size_t>(first) * static_cast<std::size_t>(k);
    if (data.gaps) return ExactNeighbours(data, k, first, count, out);
    BlockSearch search(data, k, first, count);
    search.Run();
    search.Finish(out);
  });
  return result;
}

std::uint64_t NeighbourBytes(int varieties, int k, int jobs) {
  const std::uint64_t n = static_cast<std::uint64_t>(std::max(varieties, 0));
  const std::uint64_t kk = static_cast<std::uint64_t>(std::max(k, 1));
  // A block's tile of approximations, and each of its varieties' bounds and
  // candidates (at most twice the pruning size, 16 bytes each).
  const std::uint64_t working = kQueriesAtOnce * kScanTile * sizeof(float) +
                                kScanBlock * (kk * sizeof(double) + 2 * (2 * kk + 64) * 16 + sizeof(Search));
  return n * kk * sizeof(Neighbour) + static_cast<std::uint64_t>(std::max(jobs, 1)) * working;
}

}  // namespace kyori
