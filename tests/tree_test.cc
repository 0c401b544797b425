#include "analysis/tree.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/neighbor_joining.h"

namespace kyori::analysis {
namespace {

Linkage LineLinkage() {
  // Points 0, 1, 3, 7, average linkage (see linkage.h).
  Linkage linkage;
  ComputeLinkage(Distances{4, {1, 3, 7, 2, 6, 4}}, LinkageMethod::kAverage, &linkage);
  return linkage;
}

TEST(TreeTest, FromLinkageKeepsTheIdsAndHeights) {
  const Tree tree = TreeFromLinkage(LineLinkage());
  EXPECT_TRUE(tree.ultrametric);
  ASSERT_EQ(tree.nodes.size(), 7u);
  EXPECT_EQ(tree.root, 6);
  EXPECT_EQ(tree.nodes[4].children, (std::vector<int>{0, 1}));
  EXPECT_EQ(tree.nodes[5].children, (std::vector<int>{2, 4}));
  EXPECT_EQ(tree.nodes[6].children, (std::vector<int>{3, 5}));
  EXPECT_EQ(tree.nodes[5].height, 2.5);
  EXPECT_EQ(tree.nodes[4].branch_length, 1.5);
  EXPECT_EQ(tree.nodes[3].branch_length, 17.0 / 3);
  EXPECT_EQ(tree.nodes[6].parent, -1);
  EXPECT_EQ(LeafOrder(tree), (std::vector<int>{3, 2, 0, 1}));
}

TEST(TreeTest, CopheneticOfALinkageIsTheMergeHeight) {
  const std::vector<double> c = CopheneticDistances(TreeFromLinkage(LineLinkage()));
  // pairs 01 02 03 12 13 23
  EXPECT_EQ(c, (std::vector<double>{1, 2.5, 17.0 / 3, 2.5, 17.0 / 3, 17.0 / 3}));
}

TEST(TreeTest, OneVariety) {
  Linkage linkage;
  ComputeLinkage(Distances{1, {}}, LinkageMethod::kWard, &linkage);
  const Tree tree = TreeFromLinkage(linkage);
  EXPECT_EQ(tree.root, 0);
  EXPECT_EQ(LeafOrder(tree), (std::vector<int>{0}));
  EXPECT_TRUE(CopheneticDistances(tree).empty());
}

TEST(TreeTest, CopheneticCorrelation) {
  // Perfect agreement, perfect disagreement, and the cases without a value.
  EXPECT_NEAR(CopheneticCorrelation({1, 2, 3}, {2, 4, 6}), 1.0, 1e-15);
  EXPECT_NEAR(CopheneticCorrelation({1, 2, 3}, {3, 2, 1}), -1.0, 1e-15);
  // By hand: x = {1, 2, 4}, y = {1, 3, 3}, both with mean 7/3:
  // sxy = 8/3, sxx = 14/3, syy = 8/3.
  EXPECT_NEAR(CopheneticCorrelation({1, 2, 4}, {1, 3, 3}), (8.0 / 3) / std::sqrt(14.0 / 3 * 8.0 / 3),
              1e-15);
  EXPECT_TRUE(std::isnan(CopheneticCorrelation({1}, {1})));
  EXPECT_TRUE(std::isnan(CopheneticCorrelation({2, 2, 2}, {1, 2, 3})));
  EXPECT_TRUE(std::isnan(CopheneticCorrelation({1, 2}, {1, 2, 3})));
}

TEST(TreeTest, MidpointRootSplitsTheLongestPath) {
  // ((A:1,B:5):1,C:2,D:3) as neighbour-joining gives it; the longest path
  // is B-D (9), its middle 4.5 from B on the edge B-u.
  //   d(A,B)=6 d(A,C)=4 d(A,D)=5 d(B,C)=8 d(B,D)=9 d(C,D)=5
  Tree unrooted;
  ASSERT_EQ(NeighborJoining(Distances{4, {6, 4, 5, 8, 9, 5}}, &unrooted), DistancesProblem::kNone);
  const Tree rooted = RootedAtMidpoint(unrooted);
  const TreeNode& root = rooted.nodes[rooted.root];
  ASSERT_EQ(root.children.size(), 2u);
  EXPECT_EQ(root.children[0], 1);  // B's side first
  EXPECT_NEAR(rooted.nodes[1].branch_length, 4.5, 1e-12);
  EXPECT_NEAR(rooted.nodes[root.children[1]].branch_length, 0.5, 1e-12);
  // Rerooting leaves every path length as it was.
  const std::vector<double> before = CopheneticDistances(unrooted);
  const std::vector<double> after = CopheneticDistances(rooted);
  for (std::size_t k = 0; k < before.size(); ++k) EXPECT_NEAR(after[k], before[k], 1e-12);
  EXPECT_EQ(LeafOrder(rooted).size(), 4u);
}

TEST(TreeTest, MidpointOnAnInnerNodeMakesItTheRoot) {
  // 0-u 2, 3-u 2, u-v 0.5, 1-v 1, 2-v 1: the longest path 0-3 (4) has its
  // middle on u.
  const Distances d{4, {3.5, 3.5, 4, 2, 3.5, 3.5}};
  Tree unrooted;
  ASSERT_EQ(NeighborJoining(d, &unrooted), DistancesProblem::kNone);
  const Tree rooted = RootedAtMidpoint(unrooted);
  EXPECT_EQ(rooted.nodes.size(), unrooted.nodes.size());  // no new node
  EXPECT_EQ(rooted.nodes[rooted.root].leaf, -1);
  EXPECT_EQ(rooted.nodes[0].parent, rooted.root);
  EXPECT_EQ(rooted.nodes[3].parent, rooted.root);
}

}  // namespace
}  // namespace kyori::analysis
