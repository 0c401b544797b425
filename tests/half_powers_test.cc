// HalfPowers takes square roots of a row several at a time; each result must
// be Power(x, 0.5) bit for bit, whatever the argument's place in the row and
// whatever its neighbours (an argument outside the side-by-side path sends
// its whole group to Power).
#include "numeric/elementary.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
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

}  // namespace
}  // namespace kyori
