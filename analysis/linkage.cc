#include "analysis/linkage.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace kyori::analysis {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The distance of the merged cluster {x, y} to cluster i, from d_xi, d_yi,
// d_xy and the sizes; each evaluated in the order written in linkage.h.
double UpdatedDistance(LinkageMethod method, double d_xi, double d_yi, double d_xy, int nx,
                       int ny, int ni) {
  switch (method) {
    case LinkageMethod::kSingle: return d_yi < d_xi ? d_yi : d_xi;
    case LinkageMethod::kComplete: return d_yi > d_xi ? d_yi : d_xi;
    case LinkageMethod::kAverage: return (nx * d_xi + ny * d_yi) / (nx + ny);
    case LinkageMethod::kWard: {
      const double t = 1.0 / (nx + ny + ni);
      const double radicand =
          (ni + nx) * t * d_xi * d_xi + (ni + ny) * t * d_yi * d_yi - ni * t * d_xy * d_xy;
      return radicand > 0 ? std::sqrt(radicand) : 0.0;
    }
  }
  return 0.0;
}

// Nearest-neighbour chain over slots; merges in the order found, with slot
// numbers (x < y) in first/second and no sizes yet.
std::vector<Merge> ChainMerges(const Distances& d, LinkageMethod method) {
  const int n = d.n;
  std::vector<double> dist = d.condensed;
  // at(i, j) for i < j is dist[start[i] + j]: no multiplication per look-up.
  std::vector<std::ptrdiff_t> start(n);
  for (int i = 0; i < n; ++i) start[i] = static_cast<std::ptrdiff_t>(CondensedIndex(n, i, i + 1)) - (i + 1);
  auto at = [&](int i, int j) -> double& { return i < j ? dist[start[i] + j] : dist[start[j] + i]; };
  std::vector<int> size(n, 1);
  std::vector<int> chain;
  chain.reserve(n);
  std::vector<Merge> merges;
  merges.reserve(n - 1);

  for (int k = 0; k < n - 1; ++k) {
    if (chain.empty()) {
      int first_live = 0;
      while (size[first_live] == 0) ++first_live;
      chain.push_back(first_live);
    }
    int x = 0;
    int y = 0;
    double current_min = 0;
    while (true) {
      x = chain.back();
      const bool has_previous = chain.size() > 1;
      if (has_previous) {
        y = chain[chain.size() - 2];
        current_min = at(x, y);
      } else {
        current_min = kInfinity;
      }
      // Slots below x sit in column x of the triangle, those above in row x.
      for (int i = 0; i < x; ++i) {
        if (size[i] == 0) continue;
        const double v = dist[start[i] + x];
        if (v < current_min) {
          current_min = v;
          y = i;
        }
      }
      if (x + 1 < n) {
        // Row x holds the pairs (x, i), i > x, side by side from here.
        const double* row = dist.data() + (start[x] + x + 1);
        for (int i = x + 1; i < n; ++i) {
          if (size[i] == 0) continue;
          const double v = row[i - x - 1];
          if (v < current_min) {
            current_min = v;
            y = i;
          }
        }
      }
      if (has_previous && y == chain[chain.size() - 2]) break;
      chain.push_back(y);
    }
    chain.resize(chain.size() - 2);
    if (x > y) std::swap(x, y);
    const int nx = size[x];
    const int ny = size[y];
    merges.push_back(Merge{x, y, current_min, 0});
    size[x] = 0;
    size[y] = nx + ny;
    for (int i = 0; i < n; ++i) {
      const int ni = size[i];
      if (ni == 0 || i == y) continue;
      double& d_yi = at(i, y);
      d_yi = UpdatedDistance(method, at(i, x), d_yi, current_min, nx, ny, ni);
    }
  }
  return merges;
}

// Prim's minimum spanning tree from variety 0: one merge per edge added,
// naming the variety added before and the variety added now.
std::vector<Merge> SpanningTreeMerges(const Distances& d) {
  const int n = d.n;
  std::vector<char> in_tree(n, 0);
  std::vector<double> best(n, kInfinity);
  std::vector<Merge> merges;
  merges.reserve(n - 1);
  int x = 0;
  int y = 0;
  for (int k = 0; k < n - 1; ++k) {
    double current_min = kInfinity;
    in_tree[x] = 1;
    for (int i = 0; i < n; ++i) {
      if (in_tree[i]) continue;
      const double v = d.condensed[CondensedIndex(n, x, i)];
      if (best[i] > v) best[i] = v;
      if (best[i] < current_min) {
        y = i;
        current_min = best[i];
      }
    }
    merges.push_back(Merge{x, y, current_min, 0});
    x = y;
  }
  return merges;
}

// Union-find over cluster ids 0 .. 2n-2 that names each merge's clusters.
class ClusterNames {
 public:
  explicit ClusterNames(int n) : parent_(2 * n - 1), size_(2 * n - 1, 1), next_(n) {
    std::iota(parent_.begin(), parent_.end(), 0);
  }
  int Find(int x) {
    int root = x;
    while (parent_[root] != root) root = parent_[root];
    while (parent_[x] != root) {
      const int up = parent_[x];
      parent_[x] = root;
      x = up;
    }
    return root;
  }
  int Join(int x, int y) {
    parent_[x] = next_;
    parent_[y] = next_;
    size_[next_] = size_[x] + size_[y];
    return size_[next_++];
  }

 private:
  std::vector<int> parent_;
  std::vector<int> size_;
  int next_;
};

// Sorts merges by height (stable) and renames their clusters.
void SortAndName(int n, std::vector<Merge>* merges) {
  std::stable_sort(merges->begin(), merges->end(),
                   [](const Merge& a, const Merge& b) { return a.height < b.height; });
  ClusterNames names(n);
  for (Merge& m : *merges) {
    const int a = names.Find(m.first);
    const int b = names.Find(m.second);
    m.first = std::min(a, b);
    m.second = std::max(a, b);
    m.size = names.Join(a, b);
  }
}

}  // namespace

const char* LinkageMethodName(LinkageMethod method) {
  switch (method) {
    case LinkageMethod::kAverage: return "average";
    case LinkageMethod::kSingle: return "single";
    case LinkageMethod::kComplete: return "complete";
    case LinkageMethod::kWard: return "ward";
  }
  return "";
}

bool LinkageMethodFromName(std::string_view name, LinkageMethod* method) {
  for (LinkageMethod m : {LinkageMethod::kAverage, LinkageMethod::kSingle,
                          LinkageMethod::kComplete, LinkageMethod::kWard}) {
    if (name == LinkageMethodName(m)) {
      *method = m;
      return true;
    }
  }
  return false;
}

DistancesProblem ComputeLinkage(const Distances& d, LinkageMethod method, Linkage* linkage) {
  linkage->n = 0;
  linkage->merges.clear();
  const DistancesProblem problem = CheckDistances(d);
  if (problem != DistancesProblem::kNone) return problem;
  linkage->n = d.n;
  if (d.n < 2) return DistancesProblem::kNone;
  linkage->merges = method == LinkageMethod::kSingle ? SpanningTreeMerges(d) : ChainMerges(d, method);
  SortAndName(d.n, &linkage->merges);
  return DistancesProblem::kNone;
}

}  // namespace kyori::analysis
