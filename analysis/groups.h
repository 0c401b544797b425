// Groups of varieties from a tree built by a linkage: the tree cut into k
// groups (cut.h) with the silhouette of that grouping (silhouette.h), and
// the number of groups that fits the distances best.
//
// The choice of k: every k from 2 to min(10, n - 1) is cut and the one whose
// average silhouette width is largest is taken, the smallest k among equal
// averages. The average width is the usual yardstick for the number of
// clusters: it rewards groups that are tight and far apart, and it can be
// compared across k, which the merge heights cannot (they only grow as k
// falls). Ten is the most groups a picture can tell apart by colour.
//
// Example, points 0, 1, 3, 7 (average linkage, groups in leaf order,
// cut.h): only k = 2 and 3 can be chosen;
//   k = 2  groups {2, 2, 2, 1} (the point at 7 alone): widths 5/7, 0.75,
//          0.375 and 0 (alone), average 0.4598
//   k = 3  groups {3, 3, 2, 1}: widths 2/3, 0.5, 0, 0, average 0.2917
//   -> k = 2
#ifndef KYORI_ANALYSIS_GROUPS_H_
#define KYORI_ANALYSIS_GROUPS_H_

#include <vector>

#include "analysis/condensed.h"
#include "analysis/cut.h"
#include "analysis/silhouette.h"
#include "analysis/tree.h"

namespace kyori::analysis {

// The largest number of groups ChooseGroupCount tries.
inline constexpr int kMostChosenGroups = 10;

struct Grouping {
  int k = 0;
  std::vector<int> group;  // each variety's group, 1 .. k in leaf order (cut.h)
  Silhouette silhouette;   // empty when k is 1 or n (no widths exist there)
};

// `tree` (built from `d`) cut into k groups (1 <= k <= n), with the
// silhouette when 2 <= k <= n - 1. Returns kNone and fills *grouping, or the
// problem and leaves *grouping empty.
GroupsProblem GroupVarieties(const Tree& tree, const Distances& d, int k, Grouping* grouping);

struct GroupCountChoice {
  int k = 0;                     // the chosen number of groups
  std::vector<double> averages;  // the average width for k = 2, 3, ... in turn
};

// The best number of groups for `tree` (built from `d`), as above. Returns
// kNone and fills *choice, or the problem (kBadCount for fewer than three
// varieties, where no k can be chosen) and leaves *choice empty.
GroupsProblem ChooseGroupCount(const Tree& tree, const Distances& d, GroupCountChoice* choice);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_GROUPS_H_
