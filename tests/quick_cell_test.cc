// A distance's cell straight from its value (kernels/quick_cell.h) against
// the cell cut from its text (convert/number_to_text.h, kernels/report_cells.h):
// wherever the quick route gives a cell it must be the text's, for the value
// itself and for every value within kQuickTolerance of it; and it must
// refuse the values whose text ends early or rounds up into the shown
// digits.
#include "kernels/quick_cell.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "convert/number_to_text.h"
#include "kernels/report_cells.h"

namespace kyori {
namespace {

// The cell of `value` the report makes from its text, packed.
uint32_t TextCell(double value) {
  char text[kNumberTextMax];
  const int length = NumberToChars(value, text);
  uint32_t packed = 0;
  EXPECT_TRUE(PackCell(CellFor(value, ZeroRule::kDistance, text, length), &packed));
  return packed;
}

std::string Unpacked(uint32_t packed) {
  char out[CellWidth];
  return std::string(out, static_cast<std::size_t>(UnpackCell(packed, out) - out));
}

// When the quick route gives a cell for `value`, it is the text's, and the
// text's for the values kQuickTolerance of `value` either side. Returns
// whether the quick route gave one.
bool ExpectQuickAgrees(double value) {
  uint32_t quick = 0;
  if (!QuickDistanceCell(value, &quick)) return false;
  EXPECT_EQ(Unpacked(TextCell(value)), Unpacked(quick)) << std::hexfloat << value;
  for (const double off : {value * (1 - kQuickTolerance), value * (1 + kQuickTolerance)}) {
    EXPECT_EQ(Unpacked(TextCell(off)), Unpacked(quick)) << std::hexfloat << value << " moved to " << off;
  }
  return true;
}

TEST(QuickCell, WorkedExamples) {
  struct Case {
    double value;
    const char* cell;  // nullptr: refused
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {2.2360679774997898, "2.236067"}, {1234567.891, "1234567."}, {12.3456789, "12.34567"},
      {0.000123456, "0.000123"},        {0.123456789, "0.123456"}, {9999999.5, "9999999."},
      {0.0001234, "0.000123"},          {1.0000005, "1.000000"},   {999.99949, "999.9994"},
      // Texts that end within the cell, or nearly: left to the text.
      {2.5, nullptr}, {1234567.0, nullptr}, {0.001, nullptr}, {1.0, nullptr}, {10.0, nullptr},
      {2.50000000000001, nullptr}, {3.99999999999999, nullptr}, {1.23456799999999, nullptr},
      // Outside the quick range, or not a distance.
      {0.00005, nullptr}, {0.0, nullptr}, {-2.2360679, nullptr}, {1e7, nullptr}, {3.5e9, nullptr},
      {nan, nullptr}, {inf, nullptr}};
  for (const Case& c : cases) {
    uint32_t packed = 0xDEADBEEF;
    const bool quick = QuickDistanceCell(c.value, &packed);
    if (c.cell == nullptr) {
      EXPECT_FALSE(quick) << c.value;
      EXPECT_EQ(0xDEADBEEFu, packed) << c.value;
    } else {
      ASSERT_TRUE(quick) << c.value;
      EXPECT_EQ(c.cell, Unpacked(packed)) << c.value;
      EXPECT_EQ(Unpacked(TextCell(c.value)), Unpacked(packed)) << c.value;
    }
  }
  uint32_t packed = 0;
  ASSERT_TRUE(QuickDistanceCell(2.2360679774997898, &packed));
  EXPECT_EQ(0x760632A2u, packed);
}

// Values across the whole quick range, drawn evenly in their logarithm, and
// random bit patterns within it: the quick cell, where given, is the text's,
// and nearly all are given.
TEST(QuickCell, AgreesWithTheTextAcrossTheRange) {
  std::mt19937_64 random(22);
  std::uniform_real_distribution<double> exponent(-4.2, 7.2);
  int given = 0;
  constexpr int kValues = 400000;
  for (int k = 0; k < kValues; ++k) given += ExpectQuickAgrees(std::pow(10.0, exponent(random))) ? 1 : 0;
  EXPECT_GT(given, kValues * 9 / 10);
  std::uniform_int_distribution<uint64_t> bits(0x3F1A36E2EB1C432Dull /* 1e-4 */, 0x416312D000000000ull /* 1e7 */);
  for (int k = 0; k < kValues; ++k) {
    const uint64_t b = bits(random);
    double value;
    std::memcpy(&value, &b, sizeof value);
    ExpectQuickAgrees(value);
  }
}

// The values where the text's digits turn: every short decimal of up to 8
// significant digits in each decade, and a few units in the last place either
// side of it, where the text ends early or a carry runs into the shown digits.
TEST(QuickCell, AgreesWithTheTextWhereDigitsTurn) {
  std::mt19937_64 random(7);
  for (int decade = -4; decade < 7; ++decade) {
    for (int k = 0; k < 20000; ++k) {
      const int digits = 1 + static_cast<int>(random() % 8);
      const double mantissa = static_cast<double>(random() % static_cast<uint64_t>(std::pow(10, digits)));
      double value = (1 + mantissa / std::pow(10.0, digits)) * std::pow(10.0, decade);
      for (int step = 0; step < 4; ++step) value = std::nextafter(value, 0.0);
      for (int step = 0; step < 9; ++step, value = std::nextafter(value, 1e300)) ExpectQuickAgrees(value);
    }
  }
}

}  // namespace
}  // namespace kyori
