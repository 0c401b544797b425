#include "analysis/neighbor_joining_reference.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "analysis/nj_arithmetic.h"
#include "platform/parallel_for.h"

namespace kyori::analysis {
namespace {

// Row sums in the order described in the header (0-based positions).
// Rows are handed to the threads in blocks of this many.
constexpr int kRowsPerTask = 16;

long RowBlocks(int rows) { return (rows + kRowsPerTask - 1) / kRowsPerTask; }

void RowSums(int m, const std::vector<double>& dist, std::vector<double>* sums, int jobs) {
  ParallelFor(RowBlocks(m), jobs, [&](long block, int) {
    const int end = static_cast<int>(std::min<long>(m, (block + 1) * kRowsPerTask));
    for (int i = static_cast<int>(block) * kRowsPerTask; i < end; ++i) {
      double sum = 0;
      if (i + 1 < m) {
        const std::size_t start = CondensedIndex(m, i, i + 1);
        for (std::size_t k = start; k < start + (m - 1 - i); ++k) sum += dist[k];
      }
      for (int j = 0; j < i; ++j) sum += dist[CondensedIndex(m, j, i)];
      (*sums)[i] = sum;
    }
  });
}

struct Candidate {
  double q = 0;
  int i = -1;
  int j = -1;
};

// The first pair with the least Q in rows [first, end), row by row.
Candidate BestInRows(int m, const std::vector<double>& dist, const std::vector<double>& sums, int first,
                     int end) {
  const double scale = m - 2;
  Candidate best;
  for (int i = first; i < end && i < m - 1; ++i) {
    std::size_t k = CondensedIndex(m, i, i + 1);
    for (int j = i + 1; j < m; ++j, ++k) {
      const double q = JoinCriterion(scale, dist[k], sums[i], sums[j]);
      if (best.i < 0 || q < best.q) best = {q, i, j};
    }
  }
  return best;
}

// Each block of rows finds its own first least Q; the blocks are then taken
// in row order and a later one wins only with a smaller Q, so the pair is
// the one a single scan row by row finds, whatever the number of threads.
std::pair<int, int> PairToJoin(int m, const std::vector<double>& dist, const std::vector<double>& sums,
                               int jobs) {
  std::vector<Candidate> found(static_cast<std::size_t>(RowBlocks(m - 1)));
  ParallelFor(static_cast<long>(found.size()), jobs, [&](long block, int) {
    const int first = static_cast<int>(block) * kRowsPerTask;
    found[static_cast<std::size_t>(block)] = BestInRows(m, dist, sums, first, first + kRowsPerTask);
  });
  Candidate best;
  for (const Candidate& c : found) {
    if (c.i >= 0 && (best.i < 0 || c.q < best.q)) best = c;
  }
  return {best.i, best.j};
}

void Attach(Tree* tree, int parent, int child, double length) {
  tree->nodes[parent].children.push_back(child);
  tree->nodes[child].parent = parent;
  tree->nodes[child].branch_length = length;
}

}  // namespace

DistancesProblem ReferenceNeighborJoining(const Distances& d, Tree* tree, int jobs) {
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
    RowSums(m, dist, &sums, jobs);
    const auto [a, b] = PairToJoin(m, dist, sums, jobs);
    const double d_ab = dist[CondensedIndex(m, a, b)];
    const auto [branch_a, branch_b] = JoinBranches(d_ab, sums[a], sums[b], m);
    Attach(tree, new_node, node_at[a], branch_a);
    Attach(tree, new_node, node_at[b], branch_b);

    std::size_t k = 0;
    for (int i = 0; i < m; ++i) {
      if (i == a || i == b) continue;
      next[k++] = JoinedDistance(dist[CondensedIndex(m, i, a)], dist[CondensedIndex(m, i, b)], d_ab);
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
