// The squared distances (kernels/squared_distances.h) with both accumulators:
// every row count and every first variety, against the sums formed one
// operation at a time as the contract says, compared bit for bit. An odd
// number of varieties leaves a last pair of every row for the scalar tail
// after the two-at-a-time loop.
#include "kernels/squared_distances.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/double_bits.h"

namespace kyori {
namespace {

using testing::BitsOf;

uint32_t BitsOf(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

constexpr int kVarieties = 11;
constexpr int kTraits = 7;

// Values laid out by trait, like standardized ones: within a few units of 0,
// every bit of the mantissa in use.
std::vector<double> ValuesByTrait() {
  std::vector<double> values(static_cast<std::size_t>(kVarieties) * kTraits);
  uint64_t state = 0x2545F4914F6CDD1Dull;
  for (double& v : values) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    v = static_cast<double>(state >> 11) * 0x1p-53 * 6 - 3;
  }
  return values;
}

// The squared distance of varieties a and b, one trait at a time: the
// difference and its square in double, added in double to the accumulator
// widened, the sum rounded to Sum.
template <typename Sum>
Sum OneAtATime(const std::vector<double>& by_trait, int a, int b) {
  Sum sum = 0;
  for (int j = 0; j < kTraits; ++j) {
    const double d = by_trait[j * kVarieties + b] - by_trait[j * kVarieties + a];
    sum = static_cast<Sum>(d * d + static_cast<double>(sum));
  }
  return sum;
}

// Every block of rows that a caller can ask for: each first variety, each
// row count up to kRowsAtOnce. The accumulators are handed over holding
// leftovers (they must start at 0), with room after the last one that must
// stay as it was.
template <typename Sum>
void ExpectEveryBlockFormedOneAtATime() {
  const std::vector<double> by_trait = ValuesByTrait();
  constexpr Sum kLeftover = 7;
  for (int first = 0; first < kVarieties; ++first) {
    const int count = kVarieties - first;
    for (int rows = 1; rows <= kRowsAtOnce && rows <= count; ++rows) {
      std::vector<std::vector<Sum>> held(rows, std::vector<Sum>(count + 2, kLeftover));
      Sum* sums[kRowsAtOnce];
      for (int r = 0; r < rows; ++r) sums[r] = held[r].data();
      AccumulateSquaredRows<Sum>(by_trait.data(), kVarieties, kTraits, first, rows, sums);
      for (int r = 0; r < rows; ++r) {
        for (int t = 0; t < count; ++t) {
          ASSERT_EQ(BitsOf(held[r][t]), BitsOf(OneAtATime<Sum>(by_trait, first + r, first + t)))
              << "first " << first << " rows " << rows << " r " << r << " t " << t;
        }
        EXPECT_EQ(held[r][count], kLeftover) << "first " << first << " rows " << rows << " r " << r;
        EXPECT_EQ(held[r][count + 1], kLeftover) << "first " << first << " rows " << rows << " r " << r;
      }
    }
  }
}

TEST(SquaredDistancesTest, SingleAccumulatorsRoundAfterEveryTrait) {
  // The values must tell rounding after every trait from one rounding of the
  // double sum, or this test could not catch a single sum kept in double.
  const std::vector<double> by_trait = ValuesByTrait();
  bool differs = false;
  for (int a = 0; a < kVarieties; ++a) {
    for (int b = 0; b < kVarieties; ++b) {
      differs = differs || BitsOf(OneAtATime<float>(by_trait, a, b)) !=
                               BitsOf(static_cast<float>(OneAtATime<double>(by_trait, a, b)));
    }
  }
  ASSERT_TRUE(differs);
  ExpectEveryBlockFormedOneAtATime<float>();
}

TEST(SquaredDistancesTest, DoubleAccumulatorsSumInTraitOrder) {
  ExpectEveryBlockFormedOneAtATime<double>();
}

// Small cases worked by hand; the two traits of the second case are the
// varieties (1, 2) and (0, 0).
TEST(SquaredDistancesTest, SmallCasesWorkedByHand) {
  struct Case {
    std::vector<double> by_trait;
    int traits;
    float single;
    double twice;
  };
  const Case cases[] = {
      {{1, -0.5}, 1, 2.25f, 2.25},
      {{1, 0, 2, 0}, 2, 5.0f, 5.0},
      {{0, 0.1}, 1, 0.01f, 0.010000000000000002},
  };
  for (const Case& c : cases) {
    float single[2];
    double twice[2];
    float* single_rows[] = {single};
    double* twice_rows[] = {twice};
    AccumulateSquaredRows<float>(c.by_trait.data(), 2, c.traits, 0, 1, single_rows);
    AccumulateSquaredRows<double>(c.by_trait.data(), 2, c.traits, 0, 1, twice_rows);
    EXPECT_EQ(BitsOf(single[0]), BitsOf(0.0f));
    EXPECT_EQ(BitsOf(single[1]), BitsOf(c.single)) << c.single;
    EXPECT_EQ(BitsOf(twice[0]), BitsOf(0.0));
    EXPECT_EQ(BitsOf(twice[1]), BitsOf(c.twice)) << c.twice;
  }
}

}  // namespace
}  // namespace kyori
