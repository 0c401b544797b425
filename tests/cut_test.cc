// Cutting a tree into groups (analysis/cut.h): the worked example, every k
// of random trees against the definition (the first n - k merges applied,
// groups numbered by their first leaf in leaf order), and the refusals.
#include "analysis/cut.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "analysis/linkage.h"
#include "analysis/neighbor_joining.h"

namespace kyori::analysis {
namespace {

// Four varieties on a line at 0, 1, 3 and 7.
const Distances kLine{4, {1, 3, 7, 2, 6, 4}};

Tree TreeOf(const Distances& d, LinkageMethod method) {
  Linkage linkage;
  EXPECT_EQ(ComputeLinkage(d, method, &linkage), DistancesProblem::kNone);
  return TreeFromLinkage(linkage);
}

TEST(CutTest, TheWorkedExample) {
  const Tree tree = TreeOf(kLine, LinkageMethod::kAverage);
  const std::vector<std::vector<int>> expected = {{1, 1, 1, 1}, {2, 2, 2, 1}, {3, 3, 2, 1}, {3, 4, 2, 1}};
  for (int k = 1; k <= 4; ++k) {
    std::vector<int> groups;
    EXPECT_EQ(CutTree(tree, k, &groups), GroupsProblem::kNone);
    EXPECT_EQ(groups, expected[k - 1]) << "k = " << k;
  }
}

// The partition by the definition: union-find over the first n - k merges.
std::vector<int> Roots(const Linkage& linkage, int k) {
  const int n = linkage.n;
  std::vector<int> root(2 * n - 1);
  std::iota(root.begin(), root.end(), 0);
  auto find = [&](int x) {
    while (root[x] != x) x = root[x];
    return x;
  };
  for (int m = 0; m < n - k; ++m) {
    root[find(linkage.merges[m].first)] = n + m;
    root[find(linkage.merges[m].second)] = n + m;
  }
  std::vector<int> roots(n);
  for (int i = 0; i < n; ++i) roots[i] = find(i);
  return roots;
}

TEST(CutTest, EveryCutOfRandomTreesIsTheFirstMergesNumberedInLeafOrder) {
  std::mt19937 random(17);
  std::uniform_int_distribution<int> tie(1, 4);  // many equal distances too
  std::uniform_real_distribution<double> value(0, 10);
  for (int trial = 0; trial < 8; ++trial) {
    const int n = 5 + 9 * trial;
    Distances d{n, std::vector<double>(CondensedSize(n))};
    for (double& v : d.condensed) v = trial % 2 ? tie(random) : value(random);
    for (LinkageMethod method : {LinkageMethod::kAverage, LinkageMethod::kSingle, LinkageMethod::kComplete,
                                 LinkageMethod::kWard}) {
      Linkage linkage;
      ASSERT_EQ(ComputeLinkage(d, method, &linkage), DistancesProblem::kNone);
      const Tree tree = TreeFromLinkage(linkage);
      const std::vector<int> order = LeafOrder(tree);
      for (int k = 1; k <= n; ++k) {
        SCOPED_TRACE("n = " + std::to_string(n) + ", " + LinkageMethodName(method) + ", k = " + std::to_string(k));
        std::vector<int> groups;
        ASSERT_EQ(CutTree(tree, k, &groups), GroupsProblem::kNone);
        const std::vector<int> roots = Roots(linkage, k);
        for (int i = 0; i < n; ++i) {
          for (int j = 0; j < n; ++j) EXPECT_EQ(groups[i] == groups[j], roots[i] == roots[j]);
        }
        // Along the leaf order the numbers start at 1, never go back, and
        // step by at most one: groups stand together, numbered as met.
        EXPECT_EQ(groups[order.front()], 1);
        for (int r = 1; r < n; ++r) {
          const int step = groups[order[r]] - groups[order[r - 1]];
          EXPECT_TRUE(step == 0 || step == 1) << "row " << r;
        }
        EXPECT_EQ(groups[order.back()], k);
      }
    }
  }
}

TEST(CutTest, OnlyTreesFromALinkageAndCountsUpToN) {
  std::vector<int> groups{9};
  Tree joined;
  ASSERT_EQ(NeighborJoining(kLine, &joined), DistancesProblem::kNone);
  EXPECT_EQ(CutTree(joined, 2, &groups), GroupsProblem::kUnrooted);
  EXPECT_TRUE(groups.empty());
  EXPECT_EQ(CutTree(Tree(), 1, &groups), GroupsProblem::kUnrooted);
  const Tree tree = TreeOf(kLine, LinkageMethod::kSingle);
  for (int k : {0, -1, 5}) {
    groups = {9};
    EXPECT_EQ(CutTree(tree, k, &groups), GroupsProblem::kBadCount) << k;
    EXPECT_TRUE(groups.empty());
  }
  // One variety: one group.
  EXPECT_EQ(CutTree(TreeOf(Distances{1, {}}, LinkageMethod::kWard), 1, &groups), GroupsProblem::kNone);
  EXPECT_EQ(groups, std::vector<int>{1});
}

}  // namespace
}  // namespace kyori::analysis
