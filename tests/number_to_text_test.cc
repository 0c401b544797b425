#include "convert/number_to_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "tests/double_bits.h"

namespace kyori {
namespace {

using testing::kInf;
using testing::kLargest;
using testing::kNaN;
using testing::kSmallestSubnormal;

std::string TextOf(double value) { return std::string(NumberToText(value).View()); }

// The bytes NumberToChars writes, checking that nothing lands past the 22
// bytes a text may take.
std::string CharsOf(double value) {
  char out[64];
  std::memset(out, '?', sizeof out);
  const int length = NumberToChars(value, out);
  EXPECT_GE(length, 1);
  EXPECT_LE(length, kNumberTextMax);
  for (int i = kNumberTextMax; i < 64; ++i) EXPECT_EQ('?', out[i]) << "byte " << i;
  return std::string(out, static_cast<std::size_t>(length));
}

struct TextCase {
  double value;
  const char* text;
};

TEST(NumberToText, TableOfValues) {
  const TextCase cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {1, "1"},
      {-1, "-1"},
      {0.5, "0.5"},
      {-0.5, "-0.5"},
      {100, "100"},
      {12.5, "12.5"},
      {1234.5678, "1234.5678"},
      {0.1, "0.1"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {-1.23456789012345, "-1.23456789012345"},
      {0x1.6a09e667f3bcdp+0, "1.4142135623731"},  // the nearest root of 2
      {3.141592653589793, "3.14159265358979"},
      {1.000000000000005, "1.00000000000001"},
      {0.001, "0.001"},
      {0.0001, "0.0001"},
      {-0.000123, "-0.000123"},
      {0.00009999, "9.99900000000000e-05"},
      {0.00001, "1.00000000000000e-05"},
      {0.00001234, "1.23400000000000e-05"},
      {1e-100, "1.00000000000000e-100"},
      {123456789012345.0, "123456789012345"},
      {99999999999999.91, "100000000000000"},
      {999999999999999.0, "1.00000000000000e+015"},
      {1e15, "1.00000000000000e+015"},
      {12345678901234567.0, "1.23456789012346e+016"},
      {1e100, "1.00000000000000e+100"},
      {kLargest, "1.79769313486232e+308"},
      {9.99999999999999, "10"},
      {kNaN, "0"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(c.text, TextOf(c.value)) << std::hexfloat << c.value;
    EXPECT_EQ(c.text, CharsOf(c.value)) << std::hexfloat << c.value;
  }
}

TEST(NumberToText, InfinitiesAndTheEndsOfTheRange) {
  EXPECT_EQ("inf", TextOf(kInf));
  EXPECT_EQ("-inf", TextOf(-kInf));
  EXPECT_EQ("inf", CharsOf(kInf));
  EXPECT_EQ("-inf", CharsOf(-kInf));
  EXPECT_EQ("-1.79769313486232e+308", TextOf(-kLargest));  // the longest text, 22 bytes

  // The smallest subnormal comes out of about 324 multiplications by ten; its
  // last digits are whatever they yield, but the form is fixed.
  const std::string tiny = TextOf(-kSmallestSubnormal);
  EXPECT_EQ("-4.940656458", tiny.substr(0, 12));
  EXPECT_EQ("e-324", tiny.substr(tiny.size() - 5));
  EXPECT_EQ(22u, tiny.size());
}

TEST(NumberToText, ExponentWidths) {
  const TextCase cases[] = {
      {1e16, "1.00000000000000e+016"},
      {-1e99, "-1.00000000000000e+099"},
      {2e-5, "2.00000000000000e-05"},
      {1e-10, "1.00000000000000e-10"},
      {1e-99, "1.00000000000000e-99"},
      {1e-101, "1.00000000000000e-101"},
      {0x1p-1022, "2.22507385850720e-308"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(c.text, CharsOf(c.value)) << std::hexfloat << c.value;
}

// Every text that NumberToChars makes is the one NumberToText makes, and none
// is longer than 22 bytes, across the whole range.
TEST(NumberToText, CharsAndTextAgreeAcrossTheRange) {
  for (double x = kSmallestSubnormal; x < kLargest / 1.9; x *= 1.9) {
    for (double v : {x, -x, 1 / x}) EXPECT_EQ(TextOf(v), CharsOf(v));
  }
}

TEST(NumberToText, ReleasesNothingAndLeavesOneText) {
  const int32_t before = LiveByteStringCount();
  {
    ByteString text = NumberToText(12.5);
    EXPECT_EQ(before + 1, LiveByteStringCount());
  }
  EXPECT_EQ(before, LiveByteStringCount());
}

struct DigitsCase {
  double value;
  const char* digits;
  int32_t exponent;
  int32_t negative;
};

TEST(DecimalDigits, RecordsOfValues) {
  const DigitsCase cases[] = {
      {1, "100000000000000", 1, 0},
      {100, "100000000000000", 3, 0},
      {0.5, "500000000000000", 0, 0},
      {0.001, "100000000000000", -2, 0},
      {-2, "200000000000000", 1, 1},
      {0, "000000000000000", 0, 0},
      {-0.0, "000000000000000", 0, 0},
      {kNaN, "000000000000000", 0, 0},
      {9.99999999999999, "100000000000000", 2, 0},  // brought below 1 by the band
      // The band's low end is not scaled, so it too keeps 14 digits after its
      // leading 0 and rounds up to 1.
      {0.999999999999999, "100000000000000", 1, 0},
      {1.0 / 3.0, "333333333333333", 0, 0},
      {-kInf, "000000000000000", 0, 1},
  };
  for (const DigitsCase& c : cases) {
    int32_t exponent = 99;
    int32_t negative = 99;
    const char* digits = DecimalDigits(c.value, 15, &exponent, &negative);
    EXPECT_EQ(DigitBuffer, digits);
    EXPECT_STREQ(c.digits, digits) << std::hexfloat << c.value;
    EXPECT_EQ(c.exponent, exponent) << std::hexfloat << c.value;
    EXPECT_EQ(c.negative, negative) << std::hexfloat << c.value;
  }
}

TEST(DecimalDigits, FewerDigitsRoundAndCarry) {
  int32_t exponent = 0;
  int32_t negative = 0;
  EXPECT_STREQ("13", DecimalDigits(1.25, 2, &exponent, &negative));
  EXPECT_EQ(1, exponent);
  EXPECT_STREQ("10", DecimalDigits(9.96, 2, &exponent, &negative));  // carry out of the first digit
  EXPECT_EQ(2, exponent);
  EXPECT_STREQ("333333333333333", DecimalDigits(1.0 / 3.0, 40, &exponent, &negative));
  EXPECT_STREQ("3", DecimalDigits(1.0 / 3.0, 0, &exponent, &negative));
}

}  // namespace
}  // namespace kyori
