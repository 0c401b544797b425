// HalfPowers takes square roots of a row several at a time; each result must
// be Power(x, 0.5) bit for bit, whatever the argument's place in the row and
// whatever its neighbours (an argument outside the side-by-side path sends
// its whole group to Power).
#include "numeric/elementary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/double_bits.h"

namespace kyori {
namespace {

using testing::kInf;
using testing::kNaN;

using testing::BitsOf;

void ExpectSameAsPower(const std::vector<double>& x) {
  const int count = static_cast<int>(x.size());
  std::vector<double> result(x.size() + 1, 12345.0);
  HalfPowers(x.data(), result.data(), count);
  for (std::size_t k = 0; k < x.size(); ++k) {
    EXPECT_EQ(BitsOf(Power(x[k], 1.0 / 2.0)), BitsOf(result[k]))
        << "place " << k << " of " << count << ", x " << std::hexfloat << x[k];
  }
  EXPECT_EQ(12345.0, result[x.size()]) << "written past the last result";
}

// The edges of the side-by-side path and every kind of argument Power
// treats on its own.
const std::vector<double> kEdges = {
    0x1p-1021, 0x1.0000000000001p-1021, 0x1.fffffffffffffp-1022, 0x1p+1023,
    0x1.fffffffffffffp+1022, std::numeric_limits<double>::max(), 0x1p-1074, 0x1p-1022,
    0.0, -0.0, -1.0, kInf, -kInf, kNaN, 1.0, 2.0, 4.000129222869873, 0.00001, 1e-10, 1e300,
};

TEST(HalfPowers, EdgesInEveryPlaceOfTheRow) {
  for (std::size_t shift = 0; shift < kEdges.size(); ++shift) {
    std::vector<double> row;
    for (std::size_t k = 0; k < kEdges.size(); ++k) row.push_back(kEdges[(k + shift) % kEdges.size()]);
    ExpectSameAsPower(row);
  }
  // Rows of 0 to 6 arguments that all take the side-by-side path: whole
  // groups and leftovers.
  const auto plain = kEdges.begin() + 14;  // 1.0 onwards
  for (std::ptrdiff_t length = 0; length <= 6; ++length) {
    ExpectSameAsPower(std::vector<double>(plain, plain + length));
  }
}

TEST(HalfPowers, RandomSquaredDistancesAndBitPatterns) {
  std::mt19937_64 random(77);
  std::uniform_real_distribution<float> squared(0.0f, 1600.0f);
  for (int round = 0; round < 400; ++round) {
    std::vector<double> row;
    for (int k = 0; k < 41; ++k) {
      if (k % 4 != 3) {
        row.push_back(static_cast<double>(squared(random)));  // single, as the matrix holds
      } else {
        const uint64_t bits = random() & ~(uint64_t{1} << 63);  // positive, every magnitude
        double x;
        std::memcpy(&x, &bits, sizeof x);
        row.push_back(x);
      }
    }
    ExpectSameAsPower(row);
  }
}


// The bound that lets a report take a square's cell from the correctly
// rounded root: every single from kHalfPowerSinglesLowest below
// kHalfPowerSinglesBeyond, whose program's root is within
// kHalfPowerSingleError of sqrt. By default every 61st single and the 4096
// singles just below and from each power of two (where the root's error is
// largest); with KYORI_EVERY_SINGLE=1 every one of them.
TEST(HalfPowers, SinglesWithinTheirBoundOfTheCorrectRoot) {
  const char* every = std::getenv("KYORI_EVERY_SINGLE");
  const uint32_t stride = every != nullptr && std::string(every) == "1" ? 1 : 61;
  const uint32_t lowest = std::bit_cast<uint32_t>(static_cast<float>(kHalfPowerSinglesLowest));
  const uint32_t beyond = std::bit_cast<uint32_t>(static_cast<float>(kHalfPowerSinglesBeyond));
  std::vector<uint32_t> singles;
  for (uint32_t b = lowest; b < beyond; b += stride) singles.push_back(b);
  for (uint32_t power = lowest; power < beyond; power += uint32_t{1} << 23) {
    for (uint32_t b = power > lowest + 4096 ? power - 4096 : lowest; b < power + 4096 && b < beyond; ++b) singles.push_back(b);
  }
  constexpr std::size_t kRow = 4096;
  std::vector<double> x(kRow), root(kRow);
  double worst = 0;
  for (std::size_t start = 0; start < singles.size(); start += kRow) {
    const std::size_t count = std::min(kRow, singles.size() - start);
    for (std::size_t k = 0; k < count; ++k) x[k] = static_cast<double>(std::bit_cast<float>(singles[start + k]));
    HalfPowers(x.data(), root.data(), static_cast<int>(count));
    for (std::size_t k = 0; k < count; ++k) {
      const double exact = std::sqrt(x[k]);
      const double off = std::fabs(root[k] - exact) / exact;
      worst = std::max(worst, off);
      if (off > kHalfPowerSingleError) ADD_FAILURE() << std::hexfloat << x[k] << " off by " << off;
    }
  }
  EXPECT_GT(worst, 0.0);  // the program's root is not the correct one everywhere: the bound is needed
}

}  // namespace
}  // namespace kyori
