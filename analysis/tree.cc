#include "analysis/tree.h"

#include <cmath>
#include <limits>

namespace kyori::analysis {

Tree TreeFromLinkage(const Linkage& linkage) {
  const int n = linkage.n;
  Tree tree;
  tree.leaves = n;
  tree.ultrametric = true;
  if (n < 1) return tree;
  tree.nodes.resize(2 * static_cast<std::size_t>(n) - 1);
  for (int i = 0; i < n; ++i) tree.nodes[i].leaf = i;
  for (std::size_t k = 0; k < linkage.merges.size(); ++k) {
    const Merge& m = linkage.merges[k];
    const int id = n + static_cast<int>(k);
    TreeNode& node = tree.nodes[id];
    node.height = m.height;
    node.children = {m.first, m.second};
    for (int child : node.children) {
      tree.nodes[child].parent = id;
      tree.nodes[child].branch_length = m.height - tree.nodes[child].height;
    }
  }
  tree.root = 2 * n - 2;
  return tree;
}

std::vector<int> LeafOrder(const Tree& tree) {
  std::vector<int> order;
  if (tree.root < 0) return order;
  order.reserve(tree.leaves);
  std::vector<int> stack{tree.root};
  while (!stack.empty()) {
    const TreeNode& node = tree.nodes[stack.back()];
    stack.pop_back();
    if (node.leaf >= 0) order.push_back(node.leaf);
    for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) stack.push_back(*it);
  }
  return order;
}

namespace {

// Merge heights: for each inner node in id order (children before parents),
// every pair with one leaf under each child gets the node's height.
std::vector<double> MergeHeightDistances(const Tree& tree) {
  const int n = tree.leaves;
  std::vector<double> out(CondensedSize(n), 0.0);
  std::vector<std::vector<int>> members(tree.nodes.size());
  for (int i = 0; i < n; ++i) members[i] = {i};
  for (std::size_t id = n; id < tree.nodes.size(); ++id) {
    const TreeNode& node = tree.nodes[id];
    std::vector<int>& merged = members[id];
    for (int child : node.children) {
      for (int a : merged) {
        for (int b : members[child]) out[CondensedIndex(n, a, b)] = node.height;
      }
      merged.insert(merged.end(), members[child].begin(), members[child].end());
      std::vector<int>().swap(members[child]);
    }
  }
  return out;
}

// Path lengths: from each leaf, one walk over the whole tree.
std::vector<double> PathDistances(const Tree& tree) {
  const int n = tree.leaves;
  std::vector<double> out(CondensedSize(n), 0.0);
  std::vector<double> reach(tree.nodes.size());
  std::vector<int> from(tree.nodes.size());
  std::vector<int> stack;
  for (int start = 0; start < n; ++start) {
    reach[start] = 0.0;
    from[start] = -1;
    stack.assign(1, start);
    while (!stack.empty()) {
      const int id = stack.back();
      stack.pop_back();
      const TreeNode& node = tree.nodes[id];
      if (node.leaf > start) out[CondensedIndex(n, start, node.leaf)] = reach[id];
      if (node.parent >= 0 && node.parent != from[id]) {
        reach[node.parent] = reach[id] + node.branch_length;
        from[node.parent] = id;
        stack.push_back(node.parent);
      }
      for (int child : node.children) {
        if (child == from[id]) continue;
        reach[child] = reach[id] + tree.nodes[child].branch_length;
        from[child] = id;
        stack.push_back(child);
      }
    }
  }
  return out;
}

}  // namespace

std::vector<double> CopheneticDistances(const Tree& tree) {
  return tree.ultrametric ? MergeHeightDistances(tree) : PathDistances(tree);
}

double CopheneticCorrelation(const std::vector<double>& distances,
                             const std::vector<double>& cophenetic) {
  const std::size_t count = distances.size();
  if (count < 2 || cophenetic.size() != count) return std::numeric_limits<double>::quiet_NaN();
  double mean_x = 0;
  double mean_y = 0;
  for (std::size_t i = 0; i < count; ++i) {
    mean_x += distances[i];
    mean_y += cophenetic[i];
  }
  mean_x /= static_cast<double>(count);
  mean_y /= static_cast<double>(count);
  double sxy = 0;
  double sxx = 0;
  double syy = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const double dx = distances[i] - mean_x;
    const double dy = cophenetic[i] - mean_y;
    sxy += dx * dy;
    sxx += dx * dx;
    syy += dy * dy;
  }
  if (!(sxx > 0) || !(syy > 0)) return std::numeric_limits<double>::quiet_NaN();
  return sxy / std::sqrt(sxx * syy);
}

}  // namespace kyori::analysis

namespace kyori::analysis {
namespace {

// The nodes next to each node: its children in order, then its parent.
std::vector<std::vector<int>> Neighbours(const Tree& tree) {
  std::vector<std::vector<int>> next(tree.nodes.size());
  for (std::size_t id = 0; id < tree.nodes.size(); ++id) {
    next[id] = tree.nodes[id].children;
    if (tree.nodes[id].parent >= 0) next[id].push_back(tree.nodes[id].parent);
  }
  return next;
}

// The length of the edge between two neighbouring nodes.
double EdgeLength(const Tree& tree, int a, int b) {
  return tree.nodes[a].parent == b ? tree.nodes[a].branch_length : tree.nodes[b].branch_length;
}

// Rebuilds parent, children and branch lengths of `tree` hanging from
// `root`, over the undirected edges `next` with lengths `length(a, b)`.
template <typename Length>
void HangFrom(int root, const std::vector<std::vector<int>>& next, Length length, Tree* tree) {
  for (TreeNode& node : tree->nodes) {
    node.children.clear();
    node.parent = -1;
    node.branch_length = 0;
    node.height = 0;
  }
  tree->root = root;
  std::vector<int> stack{root};
  std::vector<char> seen(tree->nodes.size(), 0);
  seen[root] = 1;
  while (!stack.empty()) {
    const int id = stack.back();
    stack.pop_back();
    for (int other : next[id]) {
      if (seen[other]) continue;
      seen[other] = 1;
      tree->nodes[id].children.push_back(other);
      tree->nodes[other].parent = id;
      tree->nodes[other].branch_length = length(id, other);
      stack.push_back(other);
    }
  }
}

}  // namespace

Tree RootedAtMidpoint(const Tree& tree) {
  if (tree.leaves < 3 || tree.root < 0) return tree;
  const int n = tree.leaves;
  const std::vector<double> paths = PathDistances(tree);
  int a = 0;
  int b = 1;
  double longest = paths[0];
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      if (paths[CondensedIndex(n, i, j)] > longest) {
        longest = paths[CondensedIndex(n, i, j)];
        a = i;
        b = j;
      }
    }
  }
  std::vector<std::vector<int>> next = Neighbours(tree);
  // The path from a to b, found by walking back from b.
  std::vector<int> came_from(tree.nodes.size(), -1);
  std::vector<int> stack{a};
  came_from[a] = a;
  while (!stack.empty()) {
    const int id = stack.back();
    stack.pop_back();
    for (int other : next[id]) {
      if (came_from[other] < 0) {
        came_from[other] = id;
        stack.push_back(other);
      }
    }
  }
  std::vector<int> path{b};
  while (path.back() != a) path.push_back(came_from[path.back()]);
  std::vector<int> forward(path.rbegin(), path.rend());

  Tree rooted = tree;
  rooted.ultrametric = false;
  const double half = longest / 2;
  double walked = 0;
  for (std::size_t k = 0; k + 1 < forward.size(); ++k) {
    const int u = forward[k];
    const int v = forward[k + 1];
    const double edge = EdgeLength(tree, u, v);
    if (walked + edge < half && k + 2 < forward.size()) {
      walked += edge;
      continue;
    }
    const double to_u = half - walked;
    auto length = [&](int x, int y) { return EdgeLength(tree, x, y); };
    if (to_u == edge && tree.nodes[v].leaf < 0) {
      HangFrom(v, next, length, &rooted);
      return rooted;
    }
    if (to_u == 0 && tree.nodes[u].leaf < 0) {
      HangFrom(u, next, length, &rooted);
      return rooted;
    }
    // A new root on the edge u-v.
    const int root = static_cast<int>(rooted.nodes.size());
    rooted.nodes.emplace_back();
    next.emplace_back(std::vector<int>{u, v});
    for (int& other : next[u]) {
      if (other == v) other = root;
    }
    for (int& other : next[v]) {
      if (other == u) other = root;
    }
    HangFrom(root, next,
             [&](int x, int y) {
               if (x == root) return y == u ? to_u : edge - to_u;
               return EdgeLength(tree, x, y);
             },
             &rooted);
    return rooted;
  }
  return rooted;
}

}  // namespace kyori::analysis
