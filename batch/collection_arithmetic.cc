#include "batch/collection_arithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "batch/accurate_moments.h"
#include "platform/parallel_for.h"
#include "kernels/condensed_index.h"
#include "kernels/quick_cell.h"
#include "kernels/squared_distances.h"
#include "kernels/standardize_trait.h"

namespace kyori {
namespace {

bool AllFinite(const double* x, int n) {
  for (int i = 0; i < n; ++i) {
    if (!std::isfinite(x[i])) return false;
  }
  return true;
}

bool AllEqual(const double* x, int n) {
  for (int i = 1; i < n; ++i) {
    if (x[i] != x[0]) return false;
  }
  return true;
}

TraitStop StandardizeCompatible(Collection& c) {
  for (int j = 0; j < c.traits; ++j) {
    double mean = 0;
    float spread = 0;
    if (!StandardizeTraitValues(c.Trait(j), 1, c.varieties, c.variety_count, mean, spread)) {
      return {TraitStop::kIdentical, j};
    }
  }
  return {};
}

TraitStop StandardizeAccurate(Collection& c) {
  const int n = c.varieties;
  for (int j = 0; j < c.traits; ++j) {
    double* x = c.Trait(j);
    if (!AllFinite(x, n)) return {TraitStop::kNotFinite, j};
    if (AllEqual(x, n)) return {TraitStop::kIdentical, j};
    const AccurateMoments m = MomentsOf(x, n);
    for (int i = 0; i < n; ++i) x[i] = m.Standardized(x[i]);
  }
  return {};
}

// Fills the triangle block by block: block b holds the rows
// b * kRowsAtOnce .. + kRowsAtOnce - 1, each row's pairs with the varieties
// after it. Blocks are handed out to the workers as they come free.
template <typename Sum, typename Accumulate, typename Store>
void FillTriangle(const Collection& c, int jobs, Accumulate accumulate, Store store) {
  const int n = c.varieties;
  const long blocks = (n + kRowsAtOnce - 1) / kRowsAtOnce;
  if (jobs < 1) jobs = 1;
  std::vector<std::vector<Sum>> scratch(static_cast<std::size_t>(jobs),
                                        std::vector<Sum>(static_cast<std::size_t>(kRowsAtOnce) * (n + 1)));
  ParallelFor(blocks, jobs, [&](long block, int worker) {
    const int first = static_cast<int>(block) * kRowsAtOnce;
    const int rows = std::min(kRowsAtOnce, n - first);
    Sum* sums[kRowsAtOnce];
    for (int r = 0; r < kRowsAtOnce; ++r) sums[r] = scratch[worker].data() + static_cast<std::size_t>(r) * (n + 1);
    accumulate(c.values.data(), n, c.traits, first, rows, sums);
    for (int r = 0; r < rows; ++r) {
      const int i = first + r;
      for (int k = i + 1; k < n; ++k) store(CondensedIndex(n, i, k), sums[r][k - first]);
    }
  });
}

}  // namespace

TraitStop StandardizeCollection(Collection& c, Arithmetic arithmetic) {
  return arithmetic == Arithmetic::kAccurate ? StandardizeAccurate(c) : StandardizeCompatible(c);
}

std::vector<SpreadDifference> CompareSpreads(const Collection& c, double tolerance) {
  std::vector<SpreadDifference> found;
  const int n = c.varieties;
  for (int j = 0; j < c.traits; ++j) {
    const double* x = c.Trait(j);
    if (!AllFinite(x, n) || AllEqual(x, n)) continue;
    const double accurate = MomentsOf(x, n).Deviation();
    double mean = 0;
    float spread = 0;
    SpreadDifference d;
    d.trait = j;
    d.accurate = accurate;
    if (!TraitMeanAndSpread(x, 1, n, c.variety_count, mean, spread)) {
      d.compatible_identical = true;
      d.relative = 1;
      found.push_back(d);
      continue;
    }
    d.compatible = static_cast<double>(spread);
    d.relative = std::fabs(d.compatible - accurate) / accurate;
    if (d.relative > tolerance) found.push_back(d);
  }
  return found;
}

DistanceTriangle ComputeDistances(const Collection& c, Arithmetic arithmetic, int jobs) {
  DistanceTriangle d;
  const std::size_t n = static_cast<std::size_t>(c.varieties);
  const std::size_t pairs = n < 2 ? 0 : n * (n - 1) / 2;
  if (arithmetic == Arithmetic::kCompatible) {
    SizeTriangleVector(d.square_bits, pairs);
    uint32_t* out = d.square_bits.data();
    FillTriangle<float>(c, jobs, AccumulateSquaredRows<float>,
                        [out](std::size_t at, float v) { std::memcpy(out + at, &v, sizeof v); });
  } else {
    SizeTriangleVector(d.roots, pairs);
    d.rooted = true;
    double* out = d.roots.data();
    FillTriangle<double>(c, jobs, AccumulateSquaredRows<double>,
                         [out](std::size_t at, double v) { out[at] = std::sqrt(v); });
  }
  return d;
}

std::vector<uint32_t> ComputeAccurateCells(const Collection& c, int jobs) {
  const std::size_t n = static_cast<std::size_t>(c.varieties);
  std::vector<uint32_t> cells;
  SizeTriangleVector(cells, n < 2 ? 0 : n * (n - 1) / 2);
  uint32_t* out = cells.data();
  FillTriangle<double>(c, jobs, AccumulateSquaredRows<double>,
                       [out](std::size_t at, double v) { out[at] = PackedDistanceCell(std::sqrt(v)); });
  return cells;
}

std::uint64_t DistanceSumsBytes(int varieties, Arithmetic arithmetic, int jobs) {
  const std::uint64_t n = varieties < 0 ? 0 : static_cast<std::uint64_t>(varieties);
  const std::uint64_t threads = jobs < 1 ? 1 : static_cast<std::uint64_t>(jobs);
  const std::uint64_t sum_bytes = arithmetic == Arithmetic::kAccurate ? sizeof(double) : sizeof(float);
  return threads * kRowsAtOnce * (n + 1) * sum_bytes;  // FillTriangle's scratch
}

}  // namespace kyori
