// A tree over the varieties, built from a linkage (rooted, every leaf at
// height 0, each inner node at its merge height) or from neighbour-joining
// (unrooted: the root is the base node with three children, or fewer for
// n < 3), and what is read off it: the order of the leaves, cophenetic
// distances and the cophenetic correlation.
//
// Nodes 0 .. n-1 are the leaves, node i holding variety i. For a tree from a
// linkage, node n + k is the cluster made by merge k, so ids match the
// linkage matrix and the root is node 2n - 2. Example, the linkage of
// linkage.h (points 0, 1, 3, 7):
//   node 4: children {0, 1}, height 1      node 5: children {2, 4}, height 2.5
//   node 6: children {3, 5}, height 17/3   root 6
//   branch lengths: node 0 -> 1, node 4 -> 1.5, node 3 -> 17/3, ...
//   leaf order 3, 2, 0, 1; cophenetic d(0,2) = 2.5, d(0,3) = 17/3.
#ifndef KYORI_ANALYSIS_TREE_H_
#define KYORI_ANALYSIS_TREE_H_

#include <vector>

#include "analysis/linkage.h"

namespace kyori::analysis {

struct TreeNode {
  std::vector<int> children;  // node ids, in drawing order
  int parent = -1;            // -1 at the root
  int leaf = -1;              // the variety of a leaf; -1 for an inner node
  double branch_length = 0;   // length of the edge to the parent (0 at the root)
  double height = 0;          // rooted trees: merge height (leaves 0); else 0
};

struct Tree {
  int leaves = 0;                // n
  std::vector<TreeNode> nodes;   // leaves first
  int root = -1;
  bool ultrametric = false;      // from a linkage: heights are merge heights
};

// The rooted tree of a linkage. Each inner node's children are the merge's
// first and second cluster; a branch length is the parent's height minus the
// child's (as computed, not clamped). n = 1 gives a lone leaf as the root.
Tree TreeFromLinkage(const Linkage& linkage);

// The tree rooted at the middle of its longest leaf-to-leaf path (by the
// sum of branch lengths; the first such pair of leaves in index order): the
// edge holding the middle is split by a new root node, or, when the middle
// falls on an inner node, that node becomes the root. For drawing an
// unrooted tree; the result is not ultrametric. Trees with fewer than three
// leaves come back as they are.
// The new root's children are the side of the first leaf of the pair, then
// the other side; every other node keeps its children in order, followed by
// its former parent where the path turned it round.
//   ((A:1,B:5):1,C:2,D:3); longest path B-D = 9, middle 4.5 from B
//   -> (B:4.5,(A:1,(C:2,D:3):1):0.5);
Tree RootedAtMidpoint(const Tree& tree);

// The varieties in the order a left-to-right walk of the tree meets them
// (children in their order), e.g. {3, 2, 0, 1} above.
std::vector<int> LeafOrder(const Tree& tree);

// Condensed cophenetic distances between the varieties (same layout as the
// input distances). For a tree from a linkage: the height of the merge that
// first joins the two, exactly as recorded. Otherwise: the sum of the branch
// lengths on the path between the two leaves (patristic distance, summed
// from the first leaf outwards). O(n^2) time.
std::vector<double> CopheneticDistances(const Tree& tree);

// Pearson's correlation of two equally long series (the input distances and
// the cophenetic distances): NaN when they hold fewer than 2 values or one
// of them does not vary (e.g. n = 2, or all distances equal).
double CopheneticCorrelation(const std::vector<double>& distances,
                             const std::vector<double>& cophenetic);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_TREE_H_
