#include "batch/gapped_distances.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "batch/collection_arithmetic.h"
#include "batch/gapped_squares.h"
#include "batch/missing_values.h"
#include "kernels/condensed_index.h"
#include "kernels/squared_distances.h"
#include "platform/parallel_for.h"

namespace kyori {
namespace {

constexpr double kNoDistance = std::numeric_limits<double>::quiet_NaN();

// The bits set in x, inline: without a popcount instruction in the target
// (SSE2 is all the build assumes) std::popcount is a call for every pair.
int CountBits(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0full;
  return static_cast<int>((x * 0x0101010101010101ull) >> 56);
}

std::size_t MaskWords(int traits) { return (static_cast<std::size_t>(std::max(traits, 0)) + 63) / 64; }

// Each variety's present traits as bits: trait j is bit j % 64 of word
// j / 64 of the variety's `words` words.
class PresentTraits {
 public:
  explicit PresentTraits(const Collection& c)
      : words_(MaskWords(c.traits)), bits_(static_cast<std::size_t>(c.varieties) * words_, 0) {
    for (int j = 0; j < c.traits; ++j) {
      const double* x = c.Trait(j);
      const std::uint64_t bit = std::uint64_t{1} << (j % 64);
      for (int i = 0; i < c.varieties; ++i) {
        if (!std::isnan(x[i])) bits_[static_cast<std::size_t>(i) * words_ + j / 64] |= bit;
      }
    }
  }

  // The traits varieties a and b both have.
  int Common(int a, int b) const {
    const std::uint64_t* x = bits_.data() + static_cast<std::size_t>(a) * words_;
    const std::uint64_t* y = bits_.data() + static_cast<std::size_t>(b) * words_;
    int common = 0;
    for (std::size_t w = 0; w < words_; ++w) common += CountBits(x[w] & y[w]);
    return common;
  }

 private:
  std::size_t words_;
  std::vector<std::uint64_t> bits_;
};

// Fills the triangle block by block, as the complete path does: block b
// holds the rows b * kRowsAtOnce .. + kRowsAtOnce - 1, each row's pairs with
// the varieties after it.
void FillGappedTriangle(const Collection& c, int need, int jobs, double* out) {
  const int n = c.varieties;
  const int m = c.traits;
  const PresentTraits present(c);
  std::vector<double> scale(static_cast<std::size_t>(m) + 1);  // m / common, for each common
  for (int common = 1; common <= m; ++common) scale[common] = static_cast<double>(m) / common;
  const long blocks = (n + kRowsAtOnce - 1) / kRowsAtOnce;
  if (jobs < 1) jobs = 1;
  std::vector<std::vector<double>> scratch(static_cast<std::size_t>(jobs),
                                           std::vector<double>(static_cast<std::size_t>(kRowsAtOnce) * (n + 1)));
  ParallelFor(blocks, jobs, [&](long block, int worker) {
    const int first = static_cast<int>(block) * kRowsAtOnce;
    const int rows = std::min(kRowsAtOnce, n - first);
    double* sums[kRowsAtOnce];
    for (int r = 0; r < kRowsAtOnce; ++r) sums[r] = scratch[worker].data() + static_cast<std::size_t>(r) * (n + 1);
    AccumulateGappedSquaredRows(c.values.data(), n, m, first, rows, sums);
    for (int r = 0; r < rows; ++r) {
      const int i = first + r;
      double* row = out + CondensedIndex(n, i, i + 1);
      for (int k = i + 1; k < n; ++k) {
        const int common = present.Common(i, k);
        row[k - i - 1] = common < need ? kNoDistance : std::sqrt(scale[common] * sums[r][k - first]);
      }
    }
  });
}

}  // namespace

DistanceTriangle ComputeGappedDistances(const Collection& c, int min_common, int jobs) {
  const int need = std::max(1, min_common);
  if (!CountMissing(c).Any() && c.traits >= need) return ComputeDistances(c, Arithmetic::kAccurate, jobs);
  DistanceTriangle d;
  d.rooted = true;
  d.roots.assign(CondensedSize(c.varieties), kNoDistance);
  if (c.traits >= need && c.varieties >= 2) FillGappedTriangle(c, need, jobs, d.roots.data());
  return d;
}

std::uint64_t GappedDistancesWorkingBytes(int varieties, int traits, int jobs) {
  const std::uint64_t n = varieties < 0 ? 0 : static_cast<std::uint64_t>(varieties);
  return DistanceSumsBytes(varieties, Arithmetic::kAccurate, jobs) + n * MaskWords(traits) * sizeof(std::uint64_t);
}

NoDistanceCount CountNoDistances(const DistanceTriangle& d, int varieties) {
  NoDistanceCount count;
  std::size_t at = 0;
  for (int i = 0; i < varieties; ++i) {
    for (int k = i + 1; k < varieties; ++k, ++at) {
      if (!std::isnan(d.roots[at])) continue;
      if (count.pairs++ == 0) {
        count.first = i;
        count.second = k;
      }
    }
  }
  return count;
}

}  // namespace kyori
