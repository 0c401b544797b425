// The sums of squared differences with gaps (batch/gapped_squares.h): every
// row count and every first variety against the sums formed one trait at a
// time, bit for bit; on values without a gap, the complete kernel's bits.
// An odd number of varieties leaves a last pair of every row for the scalar
// tail after the two-at-a-time loop, so both the masked SSE2 lanes and the
// scalar branch meet missing values.
#include "batch/gapped_squares.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "kernels/squared_distances.h"
#include "tests/double_bits.h"

namespace kyori {
namespace {

using testing::BitsOf;
using testing::kNaN;

constexpr int kVarieties = 11;
constexpr int kTraits = 7;

// Values laid out by trait, like standardized ones: within a few units of 0,
// every bit of the mantissa in use; with `gaps`, about one in four is NaN,
// and variety 3 has a single trait (trait 2).
std::vector<double> ValuesByTrait(bool gaps) {
  std::vector<double> values(static_cast<std::size_t>(kVarieties) * kTraits);
  uint64_t state = 0x2545F4914F6CDD1Dull;
  for (double& v : values) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    v = static_cast<double>(state >> 11) * 0x1p-53 * 6 - 3;
    if (gaps && (state >> 7) % 4 == 0) v = kNaN;
  }
  if (gaps) {
    for (int j = 0; j < kTraits; ++j) values[j * kVarieties + 3] = j == 2 ? 0.5 : kNaN;
  }
  return values;
}

// Varieties a and b over the traits both have, one trait at a time.
double OneAtATime(const std::vector<double>& by_trait, int a, int b) {
  double sum = 0;
  for (int j = 0; j < kTraits; ++j) {
    const double x = by_trait[j * kVarieties + a];
    const double y = by_trait[j * kVarieties + b];
    if (std::isnan(x) || std::isnan(y)) continue;
    const double d = y - x;
    sum = d * d + sum;
  }
  return sum;
}

// The rows of one block, formed by `kernel` (AccumulateGappedSquaredRows or
// AccumulateSquaredRows<double>) into accumulators that are handed over
// holding leftovers (they must start at 0), with room after the last one that
// must stay as it was.
template <typename Kernel>
std::vector<std::vector<double>> Block(Kernel kernel, const std::vector<double>& by_trait, int first, int rows) {
  constexpr double kLeftover = 7;
  const int count = kVarieties - first;
  std::vector<std::vector<double>> held(rows, std::vector<double>(count + 2, kLeftover));
  double* sums[kRowsAtOnce];
  for (int r = 0; r < rows; ++r) sums[r] = held[r].data();
  kernel(by_trait.data(), kVarieties, kTraits, first, rows, sums);
  for (int r = 0; r < rows; ++r) {
    EXPECT_EQ(held[r][count], kLeftover) << "r " << r;
    EXPECT_EQ(held[r][count + 1], kLeftover) << "r " << r;
    held[r].resize(count);
  }
  return held;
}

// Calls check(first, rows) for every block a caller can ask for: each first
// variety, each row count up to kRowsAtOnce.
template <typename Check>
void ForEveryBlock(Check check) {
  for (int first = 0; first < kVarieties; ++first) {
    for (int rows = 1; rows <= kRowsAtOnce && rows <= kVarieties - first; ++rows) {
      SCOPED_TRACE(::testing::Message() << "first " << first << " rows " << rows);
      check(first, rows);
    }
  }
}

TEST(GappedSquaresTest, EachSumIsOverTheTraitsBothHaveInTraitOrder) {
  const std::vector<double> by_trait = ValuesByTrait(true);
  ForEveryBlock([&](int first, int rows) {
    const std::vector<std::vector<double>> sums = Block(AccumulateGappedSquaredRows, by_trait, first, rows);
    for (int r = 0; r < rows; ++r) {
      for (int t = 0; t < kVarieties - first; ++t) {
        ASSERT_EQ(BitsOf(sums[r][t]), BitsOf(OneAtATime(by_trait, first + r, first + t))) << "r " << r << " t " << t;
      }
    }
  });
}

TEST(GappedSquaresTest, WithoutGapsTheSumsAreTheCompleteKernels) {
  const std::vector<double> by_trait = ValuesByTrait(false);
  ForEveryBlock([&](int first, int rows) {
    const std::vector<std::vector<double>> gapped = Block(AccumulateGappedSquaredRows, by_trait, first, rows);
    const std::vector<std::vector<double>> complete = Block(AccumulateSquaredRows<double>, by_trait, first, rows);
    for (int r = 0; r < rows; ++r) {
      for (int t = 0; t < kVarieties - first; ++t) {
        ASSERT_EQ(BitsOf(gapped[r][t]), BitsOf(complete[r][t])) << "r " << r << " t " << t;
      }
    }
  });
}

// The header's example: varieties (0, 2), (1, NaN), (NaN, 5).
TEST(GappedSquaresTest, TheWorkedExample) {
  const std::vector<double> by_trait = {0, 1, kNaN, 2, kNaN, 5};
  double first_row[3], second_row[3];
  double* sums[] = {first_row, second_row};
  AccumulateGappedSquaredRows(by_trait.data(), 3, 2, 0, 2, sums);
  EXPECT_EQ(std::vector<double>(first_row, first_row + 3), (std::vector<double>{0, 1, 9}));
  EXPECT_EQ(std::vector<double>(second_row, second_row + 3), (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(BitsOf(second_row[2]), BitsOf(0.0));  // +0: nothing in common adds nothing
}

}  // namespace
}  // namespace kyori
