#include "analysis/silhouette.h"

#include <algorithm>
#include <utility>

namespace kyori::analysis {
namespace {

// The size of each group (index 0 unused), or empty when a group number is
// outside 1 .. k or a group is empty.
std::vector<int> GroupSizes(const std::vector<int>& groups, int k) {
  std::vector<int> sizes(k + 1, 0);
  for (int g : groups) {
    if (g < 1 || g > k) return {};
    ++sizes[g];
  }
  for (int g = 1; g <= k; ++g) {
    if (sizes[g] == 0) return {};
  }
  return sizes;
}

// s(i) and i's nearest other group, from `sums` (the sums of the distances
// from i to each group's members, index 0 unused).
void Width(int own, const std::vector<int>& sizes, const std::vector<double>& sums, double* width, int* nearest) {
  const int k = static_cast<int>(sizes.size()) - 1;
  const bool alone = sizes[own] == 1;
  const double a = alone ? 0.0 : sums[own] / (sizes[own] - 1);
  double b = 0;
  *nearest = 0;
  for (int g = 1; g <= k; ++g) {
    if (g == own) continue;
    const double mean = sums[g] / sizes[g];
    if (*nearest == 0 || mean < b) {
      b = mean;
      *nearest = g;
    }
  }
  *width = (alone || a == b) ? 0.0 : (b - a) / std::max(a, b);
}

// The sums of the distances from i to each group's members, the other
// varieties in index order.
void SumsFrom(const Distances& d, const std::vector<int>& groups, int i, std::vector<double>* sums) {
  std::fill(sums->begin(), sums->end(), 0.0);
  const std::size_t n = d.n;
  for (int j = 0; j < i; ++j) (*sums)[groups[j]] += d.condensed[CondensedIndex(n, j, i)];
  if (i + 1 == d.n) return;
  const double* row = d.condensed.data() + CondensedIndex(n, i, i + 1);
  for (int j = i + 1; j < d.n; ++j) (*sums)[groups[j]] += row[j - i - 1];
}

}  // namespace

bool ComputeSilhouette(const Distances& d, const std::vector<int>& groups, int k, Silhouette* silhouette) {
  *silhouette = Silhouette();
  const int n = d.n;
  if (CheckDistances(d) != DistancesProblem::kNone || static_cast<int>(groups.size()) != n || k < 2 || k > n - 1) {
    return false;
  }
  const std::vector<int> sizes = GroupSizes(groups, k);
  if (sizes.empty()) return false;
  Silhouette result;
  result.width.resize(n);
  result.nearest.resize(n);
  std::vector<double> sums(k + 1);
  double total = 0;
  for (int i = 0; i < n; ++i) {
    SumsFrom(d, groups, i, &sums);
    Width(groups[i], sizes, sums, &result.width[i], &result.nearest[i]);
    total += result.width[i];
  }
  result.average = total / n;
  *silhouette = std::move(result);
  return true;
}

}  // namespace kyori::analysis
