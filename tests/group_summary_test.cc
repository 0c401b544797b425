// What each group is like (analysis/group_summary.h): the worked example,
// missing values left out of a trait's mean and spread, and sizes that do
// not agree.
#include "analysis/group_summary.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/linkage.h"
#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

// Four varieties on a line at 0, 1, 3 and 7.
const Distances kLine{4, {1, 3, 7, 2, 6, 4}};

Grouping GroupsOfTheLine(int k) {
  Linkage linkage;
  EXPECT_EQ(ComputeLinkage(kLine, LinkageMethod::kAverage, &linkage), DistancesProblem::kNone);
  Grouping grouping;
  EXPECT_EQ(GroupVarieties(TreeFromLinkage(linkage), kLine, k, &grouping), GroupsProblem::kNone);
  return grouping;
}

TEST(GroupSummaryTest, TheWorkedExample) {
  std::vector<GroupSummary> s;
  ASSERT_TRUE(SummarizeGroups(GroupsOfTheLine(2), kLine, 1, {0, 1, 3, 7}, &s));
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].size, 1);
  EXPECT_EQ(s[0].silhouette, 0.0);
  EXPECT_TRUE(std::isnan(s[0].within));
  EXPECT_EQ(s[0].mean, std::vector<double>{7});
  EXPECT_TRUE(std::isnan(s[0].sd[0]));
  EXPECT_EQ(s[1].size, 3);
  EXPECT_DOUBLE_EQ(s[1].silhouette, (5.0 / 7 + 0.75 + 0.375) / 3);
  EXPECT_DOUBLE_EQ(s[1].within, 2.0);
  EXPECT_DOUBLE_EQ(s[1].mean[0], 4.0 / 3);
  EXPECT_DOUBLE_EQ(s[1].sd[0], 1.5275252316519468);
}

TEST(GroupSummaryTest, MissingValuesAreLeftOutOfTheirTrait) {
  const double nan = testing::kNaN;
  // Three traits in the line's groups {0, 1, 3} and {7}: the second has a
  // gap in the large group, the third a value in one of its members only.
  const std::vector<double> values = {10, 20, 40, 5, nan, 2, 4, 8, 1, nan, nan, 6};
  std::vector<GroupSummary> s;
  ASSERT_TRUE(SummarizeGroups(GroupsOfTheLine(2), kLine, 3, values, &s));
  EXPECT_DOUBLE_EQ(s[1].mean[0], 70.0 / 3);
  EXPECT_DOUBLE_EQ(s[1].mean[1], 3.0);
  EXPECT_DOUBLE_EQ(s[1].sd[1], std::sqrt(2.0));
  EXPECT_EQ(s[1].mean[2], 1.0);
  EXPECT_TRUE(std::isnan(s[1].sd[2]));
  EXPECT_EQ(s[0].mean[2], 6.0);
  // Without widths (one group) the silhouette is NaN.
  ASSERT_TRUE(SummarizeGroups(GroupsOfTheLine(1), kLine, 3, values, &s));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_TRUE(std::isnan(s[0].silhouette));
  EXPECT_DOUBLE_EQ(s[0].within, 23.0 / 6);
}

TEST(GroupSummaryTest, RefusesSizesThatDoNotAgree) {
  std::vector<GroupSummary> s(1);
  EXPECT_FALSE(SummarizeGroups(GroupsOfTheLine(2), kLine, 2, {0, 1, 3, 7}, &s));
  EXPECT_TRUE(s.empty());
  Grouping wrong = GroupsOfTheLine(2);
  wrong.group[1] = 3;
  EXPECT_FALSE(SummarizeGroups(wrong, kLine, 1, {0, 1, 3, 7}, &s));
  EXPECT_FALSE(SummarizeGroups(GroupsOfTheLine(2), Distances{3, {1, 2, 3}}, 1, {0, 1, 3}, &s));
}

}  // namespace
}  // namespace kyori::analysis
