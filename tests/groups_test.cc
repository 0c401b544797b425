// Groups of varieties (analysis/groups.h): a grouping holds the cut and its
// silhouette, and the number of groups chosen is the one with the largest
// average width, the smallest among equals.
#include "analysis/groups.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/linkage.h"
#include "analysis/neighbor_joining.h"

namespace kyori::analysis {
namespace {

// Four varieties on a line at 0, 1, 3 and 7.
const Distances kLine{4, {1, 3, 7, 2, 6, 4}};

Tree TreeOf(const Distances& d, LinkageMethod method = LinkageMethod::kAverage) {
  Linkage linkage;
  EXPECT_EQ(ComputeLinkage(d, method, &linkage), DistancesProblem::kNone);
  return TreeFromLinkage(linkage);
}

// The distances between points on a line.
Distances OnALine(const std::vector<double>& points) {
  const int n = static_cast<int>(points.size());
  Distances d{n, {}};
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) d.condensed.push_back(std::fabs(points[i] - points[j]));
  }
  return d;
}

TEST(GroupsTest, TheWorkedExample) {
  const Tree tree = TreeOf(kLine);
  Grouping grouping;
  ASSERT_EQ(GroupVarieties(tree, kLine, 2, &grouping), GroupsProblem::kNone);
  EXPECT_EQ(grouping.k, 2);
  EXPECT_EQ(grouping.group, (std::vector<int>{2, 2, 2, 1}));
  EXPECT_DOUBLE_EQ(grouping.silhouette.width[0], 5.0 / 7);
  EXPECT_EQ(grouping.silhouette.width[3], 0.0);

  GroupCountChoice choice;
  ASSERT_EQ(ChooseGroupCount(tree, kLine, &choice), GroupsProblem::kNone);
  EXPECT_EQ(choice.k, 2);
  ASSERT_EQ(choice.averages.size(), 2u);
  EXPECT_DOUBLE_EQ(choice.averages[0], (5.0 / 7 + 0.75 + 0.375) / 4);
  EXPECT_DOUBLE_EQ(choice.averages[1], (2.0 / 3 + 0.5) / 4);
}

TEST(GroupsTest, OneOrEveryVarietyInAGroupHasNoWidths) {
  const Tree tree = TreeOf(kLine);
  for (int k : {1, 4}) {
    Grouping grouping;
    ASSERT_EQ(GroupVarieties(tree, kLine, k, &grouping), GroupsProblem::kNone);
    EXPECT_EQ(grouping.k, k);
    EXPECT_EQ(grouping.group.size(), 4u);
    EXPECT_TRUE(grouping.silhouette.width.empty());
  }
}

TEST(GroupsTest, TheChoiceFindsClearGroupsAndTakesTheSmallestOfEqualOnes) {
  struct Case {
    const char* what;
    Distances d;
    int k;
    std::size_t tried;  // min(10, n - 1) - 1 values of k
  };
  const Case cases[] = {
      {"three tight clumps far apart", OnALine({0, 0.1, 0.2, 10, 10.1, 10.3, 20, 20.2, 20.3}), 3, 7},
      {"five clumps of two", OnALine({0, 1, 30, 31, 60, 61, 90, 91, 120, 121}), 5, 8},
      {"twelve clumps of two: no more than ten tried",
       OnALine({0, 1, 20, 21, 40, 41, 60, 61, 80, 81, 100, 101, 120, 121, 140, 141, 160, 161, 180, 181, 200, 201,
                220, 221}),
       10, 9},
      // All distances equal: every width is 0, so every average ties.
      {"all distances equal", Distances{7, std::vector<double>(21, 2.0)}, 2, 5},
      {"three varieties", OnALine({0, 1, 5}), 2, 1},
  };
  for (const Case& c : cases) {
    GroupCountChoice choice;
    ASSERT_EQ(ChooseGroupCount(TreeOf(c.d), c.d, &choice), GroupsProblem::kNone) << c.what;
    EXPECT_EQ(choice.k, c.k) << c.what;
    EXPECT_EQ(choice.averages.size(), c.tried) << c.what;
  }
}

TEST(GroupsTest, Refusals) {
  GroupCountChoice choice;
  Grouping grouping;
  Tree joined;
  ASSERT_EQ(NeighborJoining(kLine, &joined), DistancesProblem::kNone);
  EXPECT_EQ(ChooseGroupCount(joined, kLine, &choice), GroupsProblem::kUnrooted);
  EXPECT_EQ(GroupVarieties(joined, kLine, 2, &grouping), GroupsProblem::kUnrooted);
  const Distances two{2, {1.5}};
  EXPECT_EQ(ChooseGroupCount(TreeOf(two), two, &choice), GroupsProblem::kBadCount);
  EXPECT_EQ(GroupVarieties(TreeOf(kLine), kLine, 5, &grouping), GroupsProblem::kBadCount);
  // Distances of other varieties than the tree's.
  const Distances five = OnALine({0, 1, 2, 3, 4});
  EXPECT_EQ(ChooseGroupCount(TreeOf(kLine), five, &choice), GroupsProblem::kBadDistances);
  EXPECT_EQ(GroupVarieties(TreeOf(kLine), five, 2, &grouping), GroupsProblem::kBadDistances);
  EXPECT_EQ(choice.k, 0);
  EXPECT_TRUE(choice.averages.empty());
  EXPECT_TRUE(grouping.group.empty());
}

}  // namespace
}  // namespace kyori::analysis
