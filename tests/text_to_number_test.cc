#include "convert/text_to_number.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace kyori {
namespace {

uint64_t Bits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

struct Case {
  std::string text;
  double expected;
};

// Every result is compared by bit pattern: the last bit (and the sign of a
// zero) is the behaviour.
TEST(TextToNumberTest, ConvertsEachNotationWithItsOwnSummationOrder) {
  const Case cases[] = {
      // Decimal notation.
      {"123.45", 0x1.edccccccccccdp+6},  // the nearest double
      {"-2.5", -2.5},
      {"0.12", 0x1.eb851eb851eb9p-4},  // one unit above the nearest double
      {"4.125", 0x1.07fffffffffffp+2},  // not the exact 4.125
      {"2.99", 0x1.7eb851eb851ebp+1},  // one unit below the nearest double
      {".5", 0.5},
      {"-.5", -0.5},
      {"5.", 5.0},
      {"12.3.4", 0x1.899999999999ap+3},
      {"1e3", 1.0},
      {"1,000", 1.0},
      {"5abc", 5.0},
      {"12 34", 12.0},
      {"12\r34", 12.0},
      {"+5", 0.0},
      {" 5", 0.0},
      {"", 0.0},
      {"abc", 0.0},
      {"-", -0.0},
      {"-0", -0.0},
      {"-&H1F", -0.0},  // a sign before the prefix leaves a decimal without digits
      {"9007199254740993", 0x1p+53},  // 2^53 + 1
      {"\x82\x50", 0.0},  // a double-byte digit is no digit
      // Prefixed notations; letters in either case.
      {"&H1F", 31.0},
      {"&hff", 255.0},
      {"&HaBc", 2748.0},
      {"&O17", 15.0},
      {"&o7", 7.0},
      {"&O78", 7.0},  // 8 is no octal digit
      {"&H1G", 1.0},
      {"&X1", 0.0},
      {"&H", 0.0},
      {"&", 0.0},
      {"&H-1", 0.0},
      // The 64-bit place value wraps: the 16th hexadecimal digit from the last
      // has place 2^60 and turns negative from 8 on; further digits add nothing.
      {"&H8000000000000000", -0x1p+63},
      {"&H7000000000000000", 0x1.cp+62},
      {"&HF000000000000000", -0x1p+60},
      {"&H10000000000000000", 0.0},
      {"&H10000000000000001", 1.0},
      // The 22nd octal digit from the last adds -2^63 when odd, nothing when
      // even; digits further left add nothing.
      {"&O1000000000000000000000", -0x1p+63},
      {"&O3000000000000000000000", -0x1p+63},
      {"&O2000000000000000000000", 0.0},
      {"&O10000000000000000000000", 0.0},
      {"&O77777777777777777", 0x1.ffffffffffffcp+50},  // 17 digits: 2^51 - 1, exact
  };
  for (const Case& c : cases) {
    const double got = TextToNumber(c.text.c_str());
    EXPECT_EQ(Bits(got), Bits(c.expected))
        << "text \"" << c.text << "\": got " << std::hexfloat << got << ", want " << c.expected;
  }
}

TEST(TextToNumberTest, ThirteenHexDigitsAreExact) {
  EXPECT_EQ(Bits(TextToNumber("&HFFFFFFFFFFFFF")), Bits(0x1.ffffffffffffep+51));
  EXPECT_EQ(Bits(TextToNumber("&hfffffffffffff")), Bits(0x1.ffffffffffffep+51));
}

TEST(TextToNumberTest, TwelvePointThreeEqualsItsOwnTextBeforeASecondPoint) {
  EXPECT_EQ(Bits(TextToNumber("12.3.4")), Bits(TextToNumber("12.3")));
}

// Numbers far past the double range must neither fault nor hang. The place
// value of the integer part overflows to infinity; the fraction's place value
// does too, after which its digits add nothing.
TEST(TextToNumberTest, VeryLongDigitStringsStaySafe) {
  const std::string nines(400, '9');
  EXPECT_EQ(Bits(TextToNumber(nines.c_str())), Bits(INFINITY));
  EXPECT_EQ(Bits(TextToNumber(("-" + nines).c_str())), Bits(-INFINITY));

  // A zero digit meets an infinite place value: 0 times infinity.
  const std::string one_and_zeros = "1" + std::string(400, '0');
  EXPECT_TRUE(std::isnan(TextToNumber(one_and_zeros.c_str())));

  const std::string long_fraction = "0." + std::string(400, '3');
  const std::string short_fraction = "0." + std::string(40, '3');
  EXPECT_EQ(Bits(TextToNumber(long_fraction.c_str())), Bits(TextToNumber(short_fraction.c_str())));

  const std::string long_hex = "&H" + std::string(400, 'F');
  const double hex = TextToNumber(long_hex.c_str());
  EXPECT_FALSE(std::isnan(hex));
}

}  // namespace
}  // namespace kyori
