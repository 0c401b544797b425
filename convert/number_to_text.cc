#include "convert/number_to_text.h"

#include <cstdint>
#include <limits>
#include <string_view>

#include "numeric/elementary.h"

namespace kyori {

char DigitBuffer[16];

namespace {

constexpr int32_t kDigitCount = 15;
constexpr int32_t kDigitBufferDigits = 15;

// The normalisation band: 15-digit decimals, not 1 and 10.
constexpr double kBandLow = 0.999999999999999;   // 3FEFFFFFFFFFFFF7
constexpr double kBandHigh = 9.99999999999999;   // 4023FFFFFFFFFFFA

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Plain notation holds the decimal exponents -3..15.
constexpr int32_t kPlainLowest = -3;
constexpr int32_t kPlainHighest = 15;

void FillZeroDigits(int32_t count) {
  for (int32_t i = 0; i < count; ++i) DigitBuffer[i] = '0';
  DigitBuffer[count] = '\0';
}

// The floor of a value in [0, 10], which every step of the digit loop holds:
// for a value that is not negative, truncation is the floor, and it is the
// same integer that FloorToInt gives, without a call per digit.
inline int32_t DigitOf(double value) { return static_cast<int32_t>(value); }

// Adds one to the last of `count` digit values, carrying to the left. A carry
// out of the first digit (fewer than 15 digits of a value near the band's top)
// makes the digits 1000... and raises the exponent.
void RoundLastDigitUp(int digits[], int32_t count, int32_t* exponent) {
  int32_t i = count - 1;
  for (; i >= 0; --i) {
    if (digits[i] != 9) {
      ++digits[i];
      return;
    }
    digits[i] = 0;
  }
  digits[0] = 1;
  ++*exponent;
}

// Writes the decimal text of n (0 <= n < 1000) with at least `width` digits.
char* WriteZeroFilled(char* out, int32_t n, int width) {
  char reversed[4];
  int length = 0;
  do {
    reversed[length++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (length < width) reversed[length++] = '0';
  while (length > 0) *out++ = reversed[--length];
  return out;
}

// "e" and the exponent: "+%03d" for a positive one, "%03d" for a negative
// one, whose minus sign counts in the width of three.
char* WriteExponent(char* out, int32_t exponent) {
  *out++ = 'e';
  if (exponent >= 0) {
    *out++ = '+';
    return WriteZeroFilled(out, exponent, 3);
  }
  *out++ = '-';
  return WriteZeroFilled(out, -exponent, 2);
}

char* WriteExponentNotation(char* out, const char* digits, int32_t exponent) {
  *out++ = digits[0];
  *out++ = '.';
  for (int32_t i = 1; i < kDigitCount; ++i) *out++ = digits[i];
  return WriteExponent(out, exponent - 1);
}

// Plain notation; trailing zeros after the point go, then a bare point.
char* WritePlainNotation(char* out, const char* digits, int32_t exponent) {
  if (exponent > 0) {
    for (int32_t i = 0; i < exponent; ++i) *out++ = digits[i];
    *out++ = '.';
    for (int32_t i = exponent; i < kDigitCount; ++i) *out++ = digits[i];
  } else {
    *out++ = '0';
    *out++ = '.';
    for (int32_t i = 0; i < -exponent; ++i) *out++ = '0';
    for (int32_t i = 0; i < kDigitCount; ++i) *out++ = digits[i];
  }
  while (out[-1] == '0') --out;
  if (out[-1] == '.') --out;
  return out;
}

}  // namespace

const char* DecimalDigits(double value, int32_t count, int32_t* exponent, int32_t* negative) {
  if (count < 1) count = 1;
  if (count > kDigitBufferDigits) count = kDigitBufferDigits;
  *negative = 0;
  *exponent = 0;
  if (!(value < 0 || value > 0)) {  // zero, negative zero or NaN
    FillZeroDigits(count);
    return DigitBuffer;
  }
  if (value < 0) {
    *negative = 1;
    value = value * -1;
  }
  if (value == kInfinity) {  // no digits: the caller shows "inf" itself
    FillZeroDigits(count);
    return DigitBuffer;
  }
  int32_t e = 1;
  while (value < kBandLow) {
    value = value * 10;
    e = e - 1;
  }
  while (value >= kBandHigh) {
    value = value / 10;
    e = e + 1;
  }
  int digits[kDigitBufferDigits];
  for (int32_t i = 0; i < count; ++i) {
    const int32_t d = DigitOf(value);
    digits[i] = d;
    value = (value - ToDouble(d)) * 10;
  }
  if (value >= 5) RoundLastDigitUp(digits, count, &e);
  for (int32_t i = 0; i < count; ++i) DigitBuffer[i] = static_cast<char>('0' + digits[i]);
  DigitBuffer[count] = '\0';
  *exponent = e;
  return DigitBuffer;
}

int NumberToChars(double value, char* out) {
  char* const start = out;
  if (value == kInfinity || value == -kInfinity) {
    if (value < 0) *out++ = '-';
    *out++ = 'i';
    *out++ = 'n';
    *out++ = 'f';
    return static_cast<int>(out - start);
  }
  int32_t exponent = 0;
  int32_t negative = 0;
  const char* digits = DecimalDigits(value, kDigitCount, &exponent, &negative);
  if (negative == 1) *out++ = '-';
  if (exponent > kPlainHighest || exponent < kPlainLowest) {
    out = WriteExponentNotation(out, digits, exponent);
  } else {
    out = WritePlainNotation(out, digits, exponent);
  }
  return static_cast<int>(out - start);
}

ByteString NumberToText(double value) {
  char text[kNumberTextMax];
  const int length = NumberToChars(value, text);
  return TextFromBytes(std::string_view(text, static_cast<std::size_t>(length)));
}

}  // namespace kyori
