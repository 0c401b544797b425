#include "analysis/condensed.h"

#include <gtest/gtest.h>

#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

using testing::kInf;
using testing::kNaN;

TEST(CondensedTest, IndexWalksTheUpperTriangleRowByRow) {
  // n = 5: (0,1) (0,2) (0,3) (0,4) (1,2) (1,3) (1,4) (2,3) (2,4) (3,4)
  std::size_t expected = 0;
  for (int i = 0; i < 5; ++i) {
    for (int j = i + 1; j < 5; ++j, ++expected) {
      EXPECT_EQ(CondensedIndex(5, i, j), expected) << i << "," << j;
      EXPECT_EQ(CondensedIndex(5, j, i), expected) << j << "," << i;
    }
  }
  EXPECT_EQ(CondensedSize(5), 10u);
  EXPECT_EQ(CondensedSize(1), 0u);
  EXPECT_EQ(CondensedSize(0), 0u);
}

TEST(CondensedTest, FromSquareReadsOnlyTheUpperTriangle) {
  const std::vector<double> square = {0, 1, 2,   //
                                      9, 0, 3,   // lower triangle and diagonal ignored
                                      9, 9, 0};
  const Distances d = DistancesFromSquare(3, square);
  EXPECT_EQ(d.n, 3);
  EXPECT_EQ(d.condensed, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(DistanceAt(d, 2, 1), 3);
  EXPECT_EQ(DistanceAt(d, 1, 1), 0);
}

TEST(CondensedTest, CheckNamesTheFirstProblem) {
  struct Case {
    Distances d;
    DistancesProblem expected;
  };
  const Case cases[] = {
      {{1, {}}, DistancesProblem::kNone},
      {{3, {0, 0, 0}}, DistancesProblem::kNone},
      {{0, {}}, DistancesProblem::kNoVarieties},
      {{3, {1, 2}}, DistancesProblem::kWrongSize},
      {{2, {kNaN}}, DistancesProblem::kNotFinite},
      {{3, {-1, kInf, 1}}, DistancesProblem::kNotFinite},  // not finite is found first
      {{3, {1, -0.5, 1}}, DistancesProblem::kNegative},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckDistances(c.d), c.expected) << DescribeProblem(c.expected);
  }
}

// For a picture, a NaN is a pair without a distance; nothing else changes.
TEST(CondensedTest, CheckWithGapsTakesNaNAndNothingElse) {
  struct Case {
    Distances d;
    DistancesProblem expected;
  };
  const Case cases[] = {
      {{2, {kNaN}}, DistancesProblem::kNone},
      {{3, {1, kNaN, 2}}, DistancesProblem::kNone},
      {{3, {kNaN, kInf, 1}}, DistancesProblem::kNotFinite},
      {{3, {kNaN, -1, 1}}, DistancesProblem::kNegative},
      {{3, {kNaN, 1}}, DistancesProblem::kWrongSize},
      {{0, {}}, DistancesProblem::kNoVarieties},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckDistancesWithGaps(c.d), c.expected) << DescribeProblem(c.expected);
  }
}

}  // namespace
}  // namespace kyori::analysis
