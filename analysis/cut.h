// Groups of varieties cut from a tree built by a linkage: the k clusters left
// when its last k - 1 merges are undone, as R's cutree(hclust(...), k) cuts
// them (it applies the first n - k merges, in merge order).
//
// The groups are numbered 1 .. k in leaf order: group 1 holds the first leaf
// of the drawing (tree.h LeafOrder), group 2 the first leaf after group 1's,
// and so on, so that the numbers run down the picture of the tree. Each
// group is a subtree, so its leaves stand together in that order. cutree
// makes the same groups but numbers them by the varieties' order (the first
// variety's group is 1): the numbers may differ, the groups do not.
//
// Only a rooted tree from a linkage can be cut. A neighbour-joining tree is
// refused: it is unrooted (its base node and the three subtrees hanging from
// it are where the algorithm stopped, not a top merge) and has no merge
// heights or order to cut by; R's cutree likewise takes hclust trees only.
//
// Example, the linkage of linkage.h (points 0, 1, 3, 7, average linkage):
// the tree (3, (2, (0, 1))), leaf order 3, 2, 0, 1.
//   k = 1  {1, 1, 1, 1}
//   k = 2  {2, 2, 2, 1}    the root undone: {3} first, then {2, 0, 1}
//   k = 3  {3, 3, 2, 1}    cutree numbers these {1, 1, 2, 3}
//   k = 4  {3, 4, 2, 1}
#ifndef KYORI_ANALYSIS_CUT_H_
#define KYORI_ANALYSIS_CUT_H_

#include <vector>

#include "analysis/tree.h"

namespace kyori::analysis {

// Why varieties could not be put in groups, here and in groups.h.
enum class GroupsProblem {
  kNone,
  kUnrooted,      // not a tree from a linkage (neighbour-joining, or empty)
  kBadCount,      // k outside 1 .. n (groups.h: outside what the call allows)
  kBadDistances,  // groups.h: the distances are not of the tree's varieties,
                  // or have a problem (condensed.h)
};

// The group (1 .. k, as above) of each variety of `tree` in (*groups)[i].
// Returns kNone, or the problem and leaves *groups empty.
GroupsProblem CutTree(const Tree& tree, int k, std::vector<int>* groups);

// A short English phrase for a problem, e.g. "only a tree from a linkage can be cut".
const char* DescribeGroupsProblem(GroupsProblem problem);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_CUT_H_
