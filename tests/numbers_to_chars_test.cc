// NumbersToChars formats a row of numbers with several digit loops side by
// side; each text must be the one NumberToChars makes alone, whatever the
// number's place in the row and whatever its neighbours are.
#include "convert/number_to_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kyori {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string AloneText(double value) {
  char out[kNumberTextMax];
  const int length = NumberToChars(value, out);
  return std::string(out, static_cast<std::size_t>(length));
}

// Formats `values` as one row and checks every text against NumberToChars,
// and that no byte lands outside the row's blocks.
void ExpectSameAsAlone(const std::vector<double>& values) {
  const int count = static_cast<int>(values.size());
  std::vector<char> out(static_cast<std::size_t>(count + 1) * kNumberTextMax, '?');
  std::vector<int> lengths(static_cast<std::size_t>(count) + 1, -7);
  NumbersToChars(values.data(), count, out.data(), lengths.data());
  for (int k = 0; k < count; ++k) {
    const std::string got(out.data() + k * kNumberTextMax,
                          static_cast<std::size_t>(lengths[static_cast<std::size_t>(k)]));
    EXPECT_EQ(AloneText(values[static_cast<std::size_t>(k)]), got)
        << "place " << k << " of " << count << ", value " << std::hexfloat
        << values[static_cast<std::size_t>(k)];
  }
  EXPECT_EQ(-7, lengths[static_cast<std::size_t>(count)]);
  for (std::size_t b = static_cast<std::size_t>(count) * kNumberTextMax; b < out.size(); ++b) {
    EXPECT_EQ('?', out[b]) << "byte " << b << " past the last text";
  }
}

// Values that take each path: no digits (zero, NaN, infinities), plain and
// exponent notation, a carry out of the first digit, the band's edges, the
// longest texts, and a subnormal.
const std::vector<double> kAwkward = {
    0,       -0.0,     kNaN,     kInf,       -kInf,    1,        -1,
    0.5,     12.5,     -0.86365029065860883,   0.1,      1.0 / 3.0,
    2.0 / 3.0,         9.99999999999999,       0.999999999999999,
    0.99999999999999994,         999999999999999.0,    1e15,     -1e16,
    0.00009999,        -0.000123,              1.7976931348623157e308,
    4.9406564584124654e-324,     2.000032,   1.0000000000000002,
};

TEST(NumbersToChars, EveryAwkwardValueInEveryPlaceOfTheRow) {
  // Each value at each place of a row longer than one pass, with awkward
  // neighbours, and rows of every length from 0 to 9 (whole passes and
  // leftovers).
  for (std::size_t shift = 0; shift < kAwkward.size(); ++shift) {
    std::vector<double> row;
    for (std::size_t k = 0; k < kAwkward.size(); ++k) {
      row.push_back(kAwkward[(k + shift) % kAwkward.size()]);
    }
    ExpectSameAsAlone(row);
  }
  for (std::size_t length = 0; length <= 9; ++length) {
    ExpectSameAsAlone(std::vector<double>(kAwkward.begin(),
                                          kAwkward.begin() + static_cast<std::ptrdiff_t>(length)));
  }
}

TEST(NumbersToChars, RandomRowsOfReportValues) {
  // Standardized values and distances as the report meets them, and raw bit
  // patterns of every magnitude.
  std::mt19937_64 random(20240611);
  std::normal_distribution<double> standardized(0.0, 1.0);
  std::uniform_real_distribution<double> distance(0.0, 40.0);
  for (int round = 0; round < 300; ++round) {
    std::vector<double> row;
    for (int k = 0; k < 37; ++k) {
      switch (k % 3) {
        case 0: row.push_back(standardized(random)); break;
        case 1: row.push_back(distance(random)); break;
        default: {
          const uint64_t bits = random();
          double value;
          std::memcpy(&value, &bits, sizeof value);
          row.push_back(value);
        }
      }
    }
    ExpectSameAsAlone(row);
  }
}

}  // namespace
}  // namespace kyori
