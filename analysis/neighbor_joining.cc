#include "analysis/neighbor_joining.h"

#include <utility>
#include <vector>

namespace kyori::analysis {
namespace {

// Row sums in the order described in the header (0-based positions).
void RowSums(int m, const std::vector<double>& dist, std::vector<double>* sums) {
  for (int i = 0; i < m; ++i) {
    double sum = 0;
    if (i + 1 < m) {
      const std::size_t start = CondensedIndex(m, i, i + 1);
      for (std::size_t k = start; k < start + (m - 1 - i); ++k) sum += dist[k];
    }
    for (int j = 0; j < i; ++j) sum += dist[CondensedIndex(m, j, i)];
    (*sums)[i] = sum;
  }
}

// The first pair (i < j) with the smallest Q, scanned row by row.
std::pair<int, int> PairToJoin(int m, const std::vector<double>& dist,
                               const std::vector<double>& sums) {
  const double scale = m - 2;
  double best = 0;
  std::pair<int, int> pair{0, 1};
  std::size_t k = 0;
  for (int i = 0; i < m - 1; ++i) {
    for (int j = i + 1; j < m; ++j, ++k) {
      const double q = scale * dist[k] - sums[i] - sums[j];
      if (k == 0 || q < best) {
        best = q;
        pair = {i, j};
      }
    }
  }
  return pair;
}

void Attach(Tree* tree, int parent, int child, double length) {
  tree->nodes[parent].children.push_back(child);
  tree->nodes[child].parent = parent;
  tree->nodes[child].branch_length = length;
}

}  // namespace

DistancesProblem NeighborJoining(const Distances& d, Tree* tree) {
  *tree = Tree();
  const DistancesProblem problem = CheckDistances(d);
  if (problem != DistancesProblem::kNone) return problem;
  const int n = d.n;
  tree->leaves = n;
  tree->ultrametric = false;
  tree->nodes.resize(n < 3 ? n + (n == 2) : 2 * static_cast<std::size_t>(n) - 2);
  for (int i = 0; i < n; ++i) tree->nodes[i].leaf = i;
  if (n == 1) {
    tree->root = 0;
    return problem;
  }
  if (n == 2) {
    tree->root = 2;
    Attach(tree, 2, 0, d.condensed[0] / 2);
    Attach(tree, 2, 1, d.condensed[0] / 2);
    return problem;
  }

  std::vector<double> dist = d.condensed;
  std::vector<double> next(dist.size());
  std::vector<double> sums(n);
  std::vector<int> node_at(n);  // the tree node at each position
  for (int i = 0; i < n; ++i) node_at[i] = i;
  int new_node = n;
  for (int m = n; m > 3; --m, ++new_node) {
    RowSums(m, dist, &sums);
    const auto [a, b] = PairToJoin(m, dist, sums);
    const double d_ab = dist[CondensedIndex(m, a, b)];
    const double shift = (sums[a] - sums[b]) / (m - 2);
    Attach(tree, new_node, node_at[a], (d_ab + shift) / 2);
    Attach(tree, new_node, node_at[b], (d_ab - shift) / 2);

    std::size_t k = 0;
    for (int i = 0; i < m; ++i) {
      if (i == a || i == b) continue;
      next[k++] = (dist[CondensedIndex(m, i, a)] + dist[CondensedIndex(m, i, b)] - d_ab) / 2;
    }
    for (int i = 0; i < m; ++i) {
      if (i == a || i == b) continue;
      for (int j = i + 1; j < m; ++j) {
        if (j == a || j == b) continue;
        next[k++] = dist[CondensedIndex(m, i, j)];
      }
    }
    std::vector<int> kept{new_node};
    for (int i = 0; i < m; ++i) {
      if (i != a && i != b) kept.push_back(node_at[i]);
    }
    node_at = std::move(kept);
    dist.swap(next);
  }

  const double d12 = dist[0];
  const double d13 = dist[1];
  const double d23 = dist[2];
  tree->root = new_node;
  Attach(tree, new_node, node_at[0], (d12 + d13 - d23) / 2);
  Attach(tree, new_node, node_at[1], (d12 + d23 - d13) / 2);
  Attach(tree, new_node, node_at[2], (d23 + d13 - d12) / 2);
  return problem;
}

}  // namespace kyori::analysis
