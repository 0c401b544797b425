#include "analysis/groups.h"

#include <algorithm>
#include <utility>

namespace kyori::analysis {
namespace {

bool DistancesFit(const Tree& tree, const Distances& d) {
  return d.n == tree.leaves && CheckDistances(d) == DistancesProblem::kNone;
}

}  // namespace

GroupsProblem GroupVarieties(const Tree& tree, const Distances& d, int k, Grouping* grouping) {
  *grouping = Grouping();
  Grouping result;
  const GroupsProblem problem = CutTree(tree, k, &result.group);
  if (problem != GroupsProblem::kNone) return problem;
  if (!DistancesFit(tree, d)) return GroupsProblem::kBadDistances;
  result.k = k;
  if (k >= 2 && k <= d.n - 1) ComputeSilhouette(d, result.group, k, &result.silhouette);
  *grouping = std::move(result);
  return GroupsProblem::kNone;
}

GroupsProblem ChooseGroupCount(const Tree& tree, const Distances& d, GroupCountChoice* choice) {
  *choice = GroupCountChoice();
  std::vector<int> whole;
  const GroupsProblem rooted = CutTree(tree, 1, &whole);
  if (rooted != GroupsProblem::kNone) return rooted;
  if (!DistancesFit(tree, d)) return GroupsProblem::kBadDistances;
  const int last = std::min(kMostChosenGroups, tree.leaves - 1);
  if (last < 2) return GroupsProblem::kBadCount;
  GroupCountChoice result;
  for (int k = 2; k <= last; ++k) {
    Grouping grouping;
    const GroupsProblem problem = GroupVarieties(tree, d, k, &grouping);
    if (problem != GroupsProblem::kNone) return problem;
    result.averages.push_back(grouping.silhouette.average);
    if (result.k == 0 || grouping.silhouette.average > result.averages[result.k - 2]) result.k = k;
  }
  *choice = std::move(result);
  return GroupsProblem::kNone;
}

}  // namespace kyori::analysis
