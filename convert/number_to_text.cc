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

void FillZeroDigits(char* ascii, int32_t count) {
  for (int32_t i = 0; i < count; ++i) ascii[i] = '0';
  ascii[count] = '\0';
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

// Infinities have no digits: "inf" and "-inf".
int WriteInfinity(double value, char* out) {
  char* const start = out;
  if (value < 0) *out++ = '-';
  *out++ = 'i';
  *out++ = 'n';
  *out++ = 'f';
  return static_cast<int>(out - start);
}

// The text of 15 digits with their exponent and sign; returns its length.
int WriteNumberText(const char* digits, int32_t exponent, int32_t negative, char* out) {
  char* const start = out;
  if (negative == 1) *out++ = '-';
  if (exponent > kPlainHighest || exponent < kPlainLowest) {
    out = WriteExponentNotation(out, digits, exponent);
  } else {
    out = WritePlainNotation(out, digits, exponent);
  }
  return static_cast<int>(out - start);
}

// Where the digit loop starts: the magnitude brought into the band by
// repeated multiplication or division by ten, with its exponent and sign.
// Zero, negative zero, NaN and the infinities have no digits to take.
struct DigitLoopStart {
  double value;
  int32_t exponent;
  int32_t negative;
  bool has_digits;
};

DigitLoopStart StartDigitLoop(double value) {
  DigitLoopStart start{0, 0, 0, false};
  if (!(value < 0 || value > 0)) return start;  // zero, negative zero or NaN
  if (value < 0) {
    start.negative = 1;
    value = value * -1;
  }
  if (value == kInfinity) return start;
  int32_t e = 1;
  while (value < kBandLow) {
    value = value * 10;
    e = e - 1;
  }
  while (value >= kBandHigh) {
    value = value / 10;
    e = e + 1;
  }
  start.value = value;
  start.exponent = e;
  start.has_digits = true;
  return start;
}

// After the loop: the last digit rounds up when the rest is 5 or more; the
// digits go out as ASCII with a NUL. Returns the exponent, raised by a carry
// out of the first digit.
int32_t FinishDigits(int digits[], int32_t count, double rest, int32_t exponent, char* ascii) {
  if (rest >= 5) RoundLastDigitUp(digits, count, &exponent);
  for (int32_t i = 0; i < count; ++i) ascii[i] = static_cast<char>('0' + digits[i]);
  ascii[count] = '\0';
  return exponent;
}

// How many numbers NumbersToChars takes at once. A number's digits are one
// chain of dependent steps (truncate, subtract, multiply); the chains of
// several numbers run side by side and overlap.
constexpr int kLanes = 4;

// kLanes numbers, each into its own kNumberTextMax bytes of `out`. A lane
// without digits (zero, NaN, infinity) runs the loop on 0 and then takes the
// single-number path for its text.
void FormatLanes(const double* values, char* out, int* lengths) {
  DigitLoopStart start[kLanes];
  double rest[kLanes];
  int digits[kLanes][kDigitCount];
  for (int p = 0; p < kLanes; ++p) {
    start[p] = StartDigitLoop(values[p]);
    rest[p] = start[p].value;
  }
  for (int32_t i = 0; i < kDigitCount; ++i) {
    for (int p = 0; p < kLanes; ++p) {
      const int32_t d = DigitOf(rest[p]);
      digits[p][i] = d;
      rest[p] = (rest[p] - static_cast<double>(d)) * 10;
    }
  }
  for (int p = 0; p < kLanes; ++p) {
    char* text = out + p * kNumberTextMax;
    if (!start[p].has_digits) {
      lengths[p] = NumberToChars(values[p], text);
      continue;
    }
    char ascii[kDigitCount + 1];
    const int32_t exponent = FinishDigits(digits[p], kDigitCount, rest[p], start[p].exponent, ascii);
    lengths[p] = WriteNumberText(ascii, exponent, start[p].negative, text);
  }
}

// DecimalDigits into `ascii` (count + 1 bytes) instead of DigitBuffer.
void DecimalDigitsInto(double value, int32_t count, int32_t* exponent, int32_t* negative, char* ascii) {
  const DigitLoopStart start = StartDigitLoop(value);
  *negative = start.negative;
  *exponent = 0;
  if (!start.has_digits) {
    FillZeroDigits(ascii, count);
    return;
  }
  int digits[kDigitBufferDigits];
  double rest = start.value;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t d = DigitOf(rest);
    digits[i] = d;
    rest = (rest - static_cast<double>(d)) * 10;
  }
  *exponent = FinishDigits(digits, count, rest, start.exponent, ascii);
}

}  // namespace

const char* DecimalDigits(double value, int32_t count, int32_t* exponent, int32_t* negative) {
  if (count < 1) count = 1;
  if (count > kDigitBufferDigits) count = kDigitBufferDigits;
  DecimalDigitsInto(value, count, exponent, negative, DigitBuffer);
  return DigitBuffer;
}

int NumberToChars(double value, char* out) {
  if (value == kInfinity || value == -kInfinity) return WriteInfinity(value, out);
  int32_t exponent = 0;
  int32_t negative = 0;
  // The digits stay on this call's stack: the report's rows are formatted on
  // several threads at once, and a shared DigitBuffer would mix their digits.
  char digits[kDigitCount + 1];
  DecimalDigitsInto(value, kDigitCount, &exponent, &negative, digits);
  return WriteNumberText(digits, exponent, negative, out);
}

void NumbersToChars(const double* values, int count, char* out, int* lengths) {
  int k = 0;
  for (; k + kLanes <= count; k += kLanes) {
    FormatLanes(values + k, out + k * kNumberTextMax, lengths + k);
  }
  for (; k < count; ++k) lengths[k] = NumberToChars(values[k], out + k * kNumberTextMax);
}

ByteString NumberToText(double value) {
  char text[kNumberTextMax];
  const int length = NumberToChars(value, text);
  return TextFromBytes(std::string_view(text, static_cast<std::size_t>(length)));
}

}  // namespace kyori
