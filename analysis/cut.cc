#include "analysis/cut.h"

#include <utility>

namespace kyori::analysis {

GroupsProblem CutTree(const Tree& tree, int k, std::vector<int>* groups) {
  groups->clear();
  const int n = tree.leaves;
  if (!tree.ultrametric || n < 1 || tree.root < 0 || tree.nodes.size() != 2 * static_cast<std::size_t>(n) - 1) {
    return GroupsProblem::kUnrooted;
  }
  if (k < 1 || k > n) return GroupsProblem::kBadCount;
  // Node n + j is merge j: the nodes from 2n - k on are the undone merges.
  const int first_undone = 2 * n - k;
  groups->assign(n, 0);
  int made = 0;
  std::vector<std::pair<int, int>> stack{{tree.root, 0}};  // node, its group (0: above the cut)
  while (!stack.empty()) {
    auto [id, group] = stack.back();
    stack.pop_back();
    if (group == 0 && id < first_undone) group = ++made;
    const TreeNode& node = tree.nodes[id];
    if (node.leaf >= 0) (*groups)[node.leaf] = group;
    for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) stack.push_back({*it, group});
  }
  return GroupsProblem::kNone;
}

const char* DescribeGroupsProblem(GroupsProblem problem) {
  switch (problem) {
    case GroupsProblem::kNone: return "no problem";
    case GroupsProblem::kUnrooted: return "only a tree from a linkage can be cut";
    case GroupsProblem::kBadCount: return "no such number of groups for these varieties";
    case GroupsProblem::kBadDistances: return "the distances do not fit the tree";
  }
  return "unknown problem";
}

}  // namespace kyori::analysis
