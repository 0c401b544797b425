#include "analysis/linkage.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

using testing::BitsOf;

// Four varieties on a line at 0, 1, 3 and 7.
const Distances kLine{4, {1, 3, 7, 2, 6, 4}};

struct Expected {
  LinkageMethod method;
  std::vector<Merge> merges;
};

void ExpectMerges(const Linkage& linkage, const std::vector<Merge>& merges) {
  ASSERT_EQ(linkage.merges.size(), merges.size());
  for (std::size_t k = 0; k < merges.size(); ++k) {
    const Merge& got = linkage.merges[k];
    EXPECT_EQ(got.first, merges[k].first) << "merge " << k;
    EXPECT_EQ(got.second, merges[k].second) << "merge " << k;
    EXPECT_EQ(BitsOf(got.height), BitsOf(merges[k].height)) << "merge " << k << ": " << got.height;
    EXPECT_EQ(got.size, merges[k].size) << "merge " << k;
  }
}

TEST(LinkageTest, EachMethodOnFourPointsOnALine) {
  // Worked by hand from the update rules in linkage.h.
  const Expected cases[] = {
      {LinkageMethod::kAverage, {{0, 1, 1, 2}, {2, 4, 2.5, 3}, {3, 5, 17.0 / 3, 4}}},
      {LinkageMethod::kSingle, {{0, 1, 1, 2}, {2, 4, 2, 3}, {3, 5, 4, 4}}},
      {LinkageMethod::kComplete, {{0, 1, 1, 2}, {2, 4, 3, 3}, {3, 5, 7, 4}}},
      // Ward: {0,1} to 2: sqrt((2*9 + 2*4 - 1)/3) = sqrt(25/3); then 3 joins
      // {0,1,2} (centroid 4/3, 3 points): sqrt(2 * 3/4 * (7 - 4/3)^2).
      {LinkageMethod::kWard,
       {{0, 1, 1, 2}, {2, 4, std::sqrt(25.0 / 3), 3}, {3, 5, std::sqrt(1.5 * (17.0 / 3) * (17.0 / 3)), 4}}},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(LinkageMethodName(c.method));
    Linkage linkage;
    ASSERT_EQ(ComputeLinkage(kLine, c.method, &linkage), DistancesProblem::kNone);
    EXPECT_EQ(linkage.n, 4);
    if (c.method == LinkageMethod::kWard) {
      ASSERT_EQ(linkage.merges.size(), 3u);
      // Ward's arithmetic rounds differently from the closed forms above.
      EXPECT_NEAR(linkage.merges[1].height, c.merges[1].height, 1e-14);
      EXPECT_NEAR(linkage.merges[2].height, c.merges[2].height, 1e-14);
      EXPECT_EQ(linkage.merges[2].second, 5);
      continue;
    }
    ExpectMerges(linkage, c.merges);
  }
}

TEST(LinkageTest, OneAndTwoVarieties) {
  for (LinkageMethod method : {LinkageMethod::kAverage, LinkageMethod::kSingle,
                               LinkageMethod::kComplete, LinkageMethod::kWard}) {
    Linkage linkage;
    ASSERT_EQ(ComputeLinkage(Distances{1, {}}, method, &linkage), DistancesProblem::kNone);
    EXPECT_EQ(linkage.n, 1);
    EXPECT_TRUE(linkage.merges.empty());
    ASSERT_EQ(ComputeLinkage(Distances{2, {0.75}}, method, &linkage), DistancesProblem::kNone);
    ExpectMerges(linkage, {{0, 1, 0.75, 2}});
  }
}

TEST(LinkageTest, TiesFollowTheChainAndTheLowestIndex) {
  // All six distances equal: the chain starts at 0, whose nearest (lowest
  // index among equals) is 1, and 1 goes back to 0: merge {0,1} in slot 1.
  // Next chain from slot 1 finds 2 (lowest), 2 finds 1 back: {1,2} ...
  // SciPy's linkage gives the same: [[0,1,1,2],[2,4,1,3],[3,5,1,4]].
  const Distances equal{4, {1, 1, 1, 1, 1, 1}};
  for (LinkageMethod method : {LinkageMethod::kAverage, LinkageMethod::kSingle,
                               LinkageMethod::kComplete, LinkageMethod::kWard}) {
    SCOPED_TRACE(LinkageMethodName(method));
    Linkage linkage;
    ASSERT_EQ(ComputeLinkage(equal, method, &linkage), DistancesProblem::kNone);
    ASSERT_EQ(linkage.merges.size(), 3u);
    EXPECT_EQ(linkage.merges[0].first, 0);
    EXPECT_EQ(linkage.merges[0].second, 1);
    EXPECT_EQ(linkage.merges[1].first, 2);
    EXPECT_EQ(linkage.merges[1].second, 4);
    EXPECT_EQ(linkage.merges[2].first, 3);
    EXPECT_EQ(linkage.merges[2].second, 5);
  }
}

TEST(LinkageTest, MergesFoundOutOfOrderAreSortedAndRenamed) {
  // Two pairs, {2,3} closer than {0,1}: the chain from 0 merges {0,1}
  // first, at 2; sorting puts {2,3} (at 1) first, so {0,1} becomes id 5.
  //   d01 = 2, d23 = 1, all else 10.
  const Distances d{4, {2, 10, 10, 10, 10, 1}};
  Linkage linkage;
  ASSERT_EQ(ComputeLinkage(d, LinkageMethod::kComplete, &linkage), DistancesProblem::kNone);
  ExpectMerges(linkage, {{2, 3, 1, 2}, {0, 1, 2, 2}, {4, 5, 10, 4}});
}

TEST(LinkageTest, ZerosMergeFirstAtHeightZero) {
  // Varieties 1 and 3 are the same (distance 0).
  const Distances d{4, {5, 6, 5, 3, 0, 3}};
  Linkage linkage;
  ASSERT_EQ(ComputeLinkage(d, LinkageMethod::kAverage, &linkage), DistancesProblem::kNone);
  ExpectMerges(linkage, {{1, 3, 0, 2}, {2, 4, 3, 3}, {0, 5, 16.0 / 3, 4}});
}

TEST(LinkageTest, OddDistancesAreRefusedAndLeaveNoResult) {
  Linkage linkage;
  linkage.n = 9;
  linkage.merges.resize(3);
  EXPECT_EQ(ComputeLinkage(Distances{3, {1, testing::kNaN, 2}}, LinkageMethod::kWard, &linkage),
            DistancesProblem::kNotFinite);
  EXPECT_EQ(linkage.n, 0);
  EXPECT_TRUE(linkage.merges.empty());
  EXPECT_EQ(ComputeLinkage(Distances{3, {1, 2}}, LinkageMethod::kSingle, &linkage),
            DistancesProblem::kWrongSize);
  EXPECT_EQ(ComputeLinkage(Distances{0, {}}, LinkageMethod::kSingle, &linkage),
            DistancesProblem::kNoVarieties);
}

TEST(LinkageTest, MethodNames) {
  for (LinkageMethod method : {LinkageMethod::kAverage, LinkageMethod::kSingle,
                               LinkageMethod::kComplete, LinkageMethod::kWard}) {
    LinkageMethod read = LinkageMethod::kAverage;
    ASSERT_TRUE(LinkageMethodFromName(LinkageMethodName(method), &read));
    EXPECT_EQ(read, method);
  }
  LinkageMethod untouched = LinkageMethod::kWard;
  EXPECT_FALSE(LinkageMethodFromName("nj", &untouched));
  EXPECT_FALSE(LinkageMethodFromName("Average", &untouched));
  EXPECT_EQ(untouched, LinkageMethod::kWard);
}

}  // namespace
}  // namespace kyori::analysis
