// Silhouette widths (analysis/silhouette.h): the worked example, a variety
// alone in its group, the nearest group among equally near ones, and what
// has no widths. The comparison with cluster::silhouette on real data is
// tests/analysis/multivariate_reference.R.
#include "analysis/silhouette.h"

#include <gtest/gtest.h>

#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

// Four varieties on a line at 0, 1, 3 and 7.
const Distances kLine{4, {1, 3, 7, 2, 6, 4}};

TEST(SilhouetteTest, TheWorkedExample) {
  Silhouette s;
  ASSERT_TRUE(ComputeSilhouette(kLine, {1, 1, 2, 2}, 2, &s));
  const std::vector<double> widths = {0.8, 0.75, -0.375, 2.5 / 6.5};
  for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(s.width[i], widths[i]) << i;
  EXPECT_EQ(s.nearest, (std::vector<int>{2, 2, 1, 1}));
  EXPECT_DOUBLE_EQ(s.average, 0.38990384615384616);
}

TEST(SilhouetteTest, AVarietyAloneHasWidthZeroAndStillItsNearestGroup) {
  Silhouette s;
  // {7} alone: a(3) does not exist; its nearest group is the one at mean 13/3.
  ASSERT_TRUE(ComputeSilhouette(kLine, {2, 2, 2, 1}, 2, &s));
  EXPECT_EQ(s.width[3], 0.0);
  EXPECT_EQ(s.nearest[3], 2);
  EXPECT_DOUBLE_EQ(s.width[0], 5.0 / 7);  // a = (1 + 3) / 2, b = 7
  // Three groups, two of them alone: the nearest of {3} is {0, 1} (mean 2.5)
  // before {7} (4).
  ASSERT_TRUE(ComputeSilhouette(kLine, {1, 1, 2, 3}, 3, &s));
  EXPECT_EQ(s.width[2], 0.0);
  EXPECT_EQ(s.width[3], 0.0);
  EXPECT_EQ(s.nearest[2], 1);
  EXPECT_EQ(s.nearest[3], 2);
  EXPECT_DOUBLE_EQ(s.average, (2.0 / 3 + 0.5) / 4);
}

TEST(SilhouetteTest, EquallyNearGroupsGiveTheLowestNumberAndEqualMeansWidthZero) {
  // Five varieties all at distance 1 of one another.
  const Distances even{5, std::vector<double>(10, 1.0)};
  Silhouette s;
  ASSERT_TRUE(ComputeSilhouette(even, {3, 1, 2, 3, 2}, 3, &s));
  EXPECT_EQ(s.width, std::vector<double>(5, 0.0));  // a == b throughout
  EXPECT_EQ(s.nearest, (std::vector<int>{1, 2, 1, 1, 1}));
}

TEST(SilhouetteTest, NoWidthsWithoutTwoToNMinusOneNonEmptyGroups) {
  struct Case {
    Distances d;
    std::vector<int> groups;
    int k;
  };
  Distances odd = kLine;
  odd.condensed[1] = testing::kNaN;
  const Case cases[] = {
      {kLine, {1, 1, 1, 1}, 1},     // one group
      {kLine, {1, 2, 3, 4}, 4},     // every variety alone
      {kLine, {1, 1, 3, 3}, 3},     // group 2 empty
      {kLine, {1, 1, 2, 5}, 3},     // a number beyond k
      {kLine, {0, 1, 2, 2}, 2},     // a number below 1
      {kLine, {1, 1, 2}, 2},        // too few
      {odd, {1, 1, 2, 2}, 2},       // a distance that is no number
  };
  for (const Case& c : cases) {
    Silhouette s;
    s.average = 3;
    EXPECT_FALSE(ComputeSilhouette(c.d, c.groups, c.k, &s)) << ::testing::PrintToString(c.groups);
    EXPECT_TRUE(s.width.empty());
    EXPECT_EQ(s.average, 0);
  }
}

}  // namespace
}  // namespace kyori::analysis
