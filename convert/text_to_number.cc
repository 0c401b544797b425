#include "convert/text_to_number.h"

#include <cstdint>

namespace kyori {
namespace {

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Folds the letters that a prefixed number may hold ("&h", "&o", a to f) to
// upper case; other bytes pass unchanged.
char FoldToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The value of `c` as a digit of `base` (8 or 16), or -1 when it is none.
int PrefixedDigitValue(char c, int base) {
  const char upper = FoldToUpper(c);
  if (base == 8) return (upper >= '0' && upper <= '7') ? upper - '0' : -1;
  if (upper >= '0' && upper <= '9') return upper - '0';
  if (upper >= 'A' && upper <= 'F') return upper - 'A' + 10;
  return -1;
}

// "&H..." or "&O...": the digits are summed from the last one back, each
// digit times its place value as a wrapping 64-bit integer, that product taken
// as signed and added to a double sum. Digits far enough left get a place
// value of 0 (or a product of -2^63) and so add nothing (or a negative amount).
double PrefixedToNumber(const char* text) {
  const char notation = FoldToUpper(text[1]);
  int base;
  if (notation == 'O') {
    base = 8;
  } else if (notation == 'H') {
    base = 16;
  } else {
    return 0.0;
  }
  const char* digits = text + 2;
  const char* end = digits;
  while (PrefixedDigitValue(*end, base) >= 0) ++end;

  double sum = 0.0;
  uint64_t place = 1;
  for (const char* p = end; p != digits;) {
    --p;
    const uint64_t product = place * static_cast<uint64_t>(PrefixedDigitValue(*p, base));
    sum = sum + static_cast<double>(static_cast<int64_t>(product));
    place = place * static_cast<uint64_t>(base);
  }
  return sum;
}

// Optional "-", digits, optional "." and digits. The integer digits are added
// from the last one back, each times a place value that grows by a factor of
// ten per digit; the fraction digits from the first on, each divided by a
// place value that starts at ten. Every product, quotient and sum is rounded
// to a double before the next step uses it.
double DecimalToNumber(const char* text) {
  bool negative = false;
  const char* p = text;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  const char* digits_end = p;
  while (IsDecimalDigit(*digits_end)) ++digits_end;

  double sum = 0.0;
  double place = 1.0;
  for (const char* q = digits_end; q != p;) {
    --q;
    const double term = static_cast<double>(*q - '0') * place;
    sum = sum + term;
    place = place * 10.0;
  }

  if (*digits_end == '.') {
    place = 10.0;
    for (const char* q = digits_end + 1; IsDecimalDigit(*q); ++q) {
      const double term = static_cast<double>(*q - '0') / place;
      sum = sum + term;
      place = place * 10.0;
    }
  }

  if (negative) sum = sum * -1.0;
  return sum;
}

}  // namespace

double TextToNumber(const char* text) {
  if (text[0] == '&') return PrefixedToNumber(text);
  return DecimalToNumber(text);
}

}  // namespace kyori
