#include "analysis/neighbor_joining.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "analysis/newick.h"

#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

std::vector<int> Children(const Tree& tree, int id) { return tree.nodes[id].children; }
double Length(const Tree& tree, int id) { return tree.nodes[id].branch_length; }

TEST(NeighborJoiningTest, FourVarietiesWorkedByHand) {
  // The example of neighbor_joining.h: 0 and 1 join first (the first of two
  // equal least Q), then the base holds the new node, 2 and 3.
  Tree tree;
  ASSERT_EQ(NeighborJoining(Distances{4, {3, 4, 5, 5, 6, 5}}, &tree), DistancesProblem::kNone);
  ASSERT_EQ(tree.nodes.size(), 6u);
  EXPECT_FALSE(tree.ultrametric);
  EXPECT_EQ(tree.root, 5);
  EXPECT_EQ(Children(tree, 4), (std::vector<int>{0, 1}));
  EXPECT_EQ(Children(tree, 5), (std::vector<int>{4, 2, 3}));
  EXPECT_EQ(Length(tree, 0), 1);
  EXPECT_EQ(Length(tree, 1), 2);
  EXPECT_EQ(Length(tree, 4), 1);
  EXPECT_EQ(Length(tree, 2), 2);
  EXPECT_EQ(Length(tree, 3), 3);
}

TEST(NeighborJoiningTest, RecoversATreeFromItsPathLengths) {
  // Unrooted tree: 0-u 1, 1-u 2, u-v 3, 2-v 1.5, v-w 2, 3-w 4, 4-w 0.5.
  const Distances d{5, {3, 5.5, 10, 6.5, 6.5, 11, 7.5, 7.5, 4, 4.5}};
  Tree tree;
  ASSERT_EQ(NeighborJoining(d, &tree), DistancesProblem::kNone);
  const std::vector<double> paths = CopheneticDistances(tree);
  ASSERT_EQ(paths.size(), d.condensed.size());
  for (std::size_t k = 0; k < paths.size(); ++k) EXPECT_NEAR(paths[k], d.condensed[k], 1e-12) << k;
  // The cherries {0, 1} and {3, 4} hang from one inner node each.
  EXPECT_EQ(tree.nodes[0].parent, tree.nodes[1].parent);
  EXPECT_EQ(tree.nodes[3].parent, tree.nodes[4].parent);
  EXPECT_EQ(tree.nodes[tree.root].children.size(), 3u);
}

TEST(NeighborJoiningTest, NegativeBranchLengthsAreKept) {
  // 0 is far from 1 but near 2 and 3: not a tree metric, and 0's join
  // gives one branch below zero.
  const Distances d{4, {10, 1, 1, 1, 1, 1}};
  Tree tree;
  ASSERT_EQ(NeighborJoining(d, &tree), DistancesProblem::kNone);
  bool negative = false;
  for (const TreeNode& node : tree.nodes) negative = negative || node.branch_length < 0;
  EXPECT_TRUE(negative);
}

TEST(NeighborJoiningTest, SmallCounts) {
  Tree tree;
  ASSERT_EQ(NeighborJoining(Distances{3, {2, 1, 3}}, &tree), DistancesProblem::kNone);
  EXPECT_EQ(tree.root, 3);
  EXPECT_EQ(Children(tree, 3), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Length(tree, 0), 0);  // (2 + 1 - 3) / 2
  EXPECT_EQ(Length(tree, 1), 2);
  EXPECT_EQ(Length(tree, 2), 1);

  ASSERT_EQ(NeighborJoining(Distances{2, {3}}, &tree), DistancesProblem::kNone);
  EXPECT_EQ(tree.root, 2);
  EXPECT_EQ(Children(tree, 2), (std::vector<int>{0, 1}));
  EXPECT_EQ(Length(tree, 0), 1.5);
  EXPECT_EQ(Length(tree, 1), 1.5);

  ASSERT_EQ(NeighborJoining(Distances{1, {}}, &tree), DistancesProblem::kNone);
  EXPECT_EQ(tree.root, 0);
  EXPECT_EQ(tree.nodes.size(), 1u);
  EXPECT_EQ(tree.nodes[0].leaf, 0);
}

TEST(NeighborJoiningTest, OddDistancesAreRefused) {
  Tree tree;
  EXPECT_EQ(NeighborJoining(Distances{4, {1, 2, testing::kInf, 1, 2, 3}}, &tree),
            DistancesProblem::kNotFinite);
  EXPECT_EQ(tree.root, -1);
  EXPECT_TRUE(tree.nodes.empty());
  EXPECT_EQ(NeighborJoining(Distances{3, {1, -2, 3}}, &tree), DistancesProblem::kNegative);
}

// The rounds' row sums and Q scans run on several threads; ties between
// pairs (small whole distances make many) must still go to the first pair
// in row order, so the tree is the same for every number of jobs.
TEST(NeighborJoiningTest, SameTreeForEveryNumberOfJobs) {
  constexpr int n = 70;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> small(1, 4);
  Distances d{n, std::vector<double>(CondensedSize(n))};
  for (double& v : d.condensed) v = small(random);
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back("v" + std::to_string(i));
  std::string first;
  for (int jobs : {1, 2, 3, 5}) {
    Tree tree;
    ASSERT_EQ(NeighborJoining(d, &tree, jobs), DistancesProblem::kNone);
    std::ostringstream newick;
    WriteNewick(tree, names, newick);
    if (jobs == 1) {
      first = newick.str();
    } else {
      EXPECT_EQ(first, newick.str()) << "jobs " << jobs;
    }
  }
  // All distances equal: every Q ties, across rows that different threads
  // scan, and the first pair, 0 and 1, is joined first.
  const Distances equal{40, std::vector<double>(CondensedSize(40), 1.0)};
  for (int jobs : {1, 3}) {
    Tree tree;
    ASSERT_EQ(NeighborJoining(equal, &tree, jobs), DistancesProblem::kNone);
    EXPECT_EQ(Children(tree, 40), (std::vector<int>{0, 1})) << "jobs " << jobs;
  }
}

}  // namespace
}  // namespace kyori::analysis
