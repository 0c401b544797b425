#include "kernels/quick_cell.h"

#include <cstdlib>

#include "convert/number_to_text.h"

namespace kyori {
namespace {

constexpr int kLowestExponent = -3;  // values from 10^-4: "0.000DDD"
constexpr int kHighestExponent = 7;  // values below 10^7: "DDDDDDD."
constexpr uint64_t kPointCode = 10;  // the packed code of '.'

// 10^k for k = 0..7, each exact as a double.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
constexpr uint32_t kIntegerPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
// 10^(E - 1) for E = kLowestExponent .. kHighestExponent + 1, the lower
// bound of the values whose decimal exponent is E (value = 0.D... x 10^E).
// The negative powers are not exact; a value that lands on the wrong side
// of one is caught by the digits' range below.
constexpr double kExponentBounds[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};

// The four decimal digits of every number below 10000 as packed codes, the
// first (most significant) digit in the lowest 4 bits: 1234 -> 0x4321.
struct FourDigitCodes {
  uint16_t codes[10000];
  constexpr FourDigitCodes() : codes() {
    for (int k = 0; k < 10000; ++k) {
      codes[k] = static_cast<uint16_t>((k / 1000) | (k / 100 % 10) << 4 | (k / 10 % 10) << 8 | (k % 10) << 12);
    }
  }
};
constexpr FourDigitCodes kFourDigits;

// The seven digits of `n` (below 10^7, with leading zeros) as codes, the
// first in the lowest 4 bits: 1234567 -> 0x7654321, 12345 -> 0x5432100.
uint64_t SevenDigitCodes(uint32_t n) {
  return (uint64_t{kFourDigits.codes[n / 10000]} >> 4) | (uint64_t{kFourDigits.codes[n % 10000]} << 12);
}

}  // namespace

bool QuickDistanceCell(double value, uint32_t* packed) {
  if (!(value >= kExponentBounds[0] && value < kExponentBounds[kHighestExponent - kLowestExponent + 1])) {
    return false;
  }
  // Counted rather than searched: neighbouring distances often straddle a
  // power of ten, where a search's branch would guess wrong.
  int exponent = kLowestExponent;
  for (int k = 1; k <= kHighestExponent - kLowestExponent; ++k) exponent += value >= kExponentBounds[k] ? 1 : 0;
  // S shown digits: 7 from 1 on ("D.DDDDDD"), 6 + E below ("0.00DDDD").
  const int shown = exponent >= 1 ? 7 : 6 + exponent;
  const int scale = shown - exponent;  // 0 .. 6: the product below is exact but for one rounding
  const double scaled = value * kPowersOfTen[scale];
  const uint32_t digits = static_cast<uint32_t>(scaled);
  const double rest = scaled - static_cast<double>(digits);
  if (digits < kIntegerPowersOfTen[shown - 1] || digits >= kIntegerPowersOfTen[shown]) return false;
  if (rest < kQuickMargin || rest > 1 - kQuickMargin) return false;

  const uint64_t codes = SevenDigitCodes(digits);
  uint64_t word;
  if (exponent >= 1) {
    // The first E digits, the point, the other 7 - E digits.
    const int split = 4 * exponent;
    const uint64_t first = codes & ((uint64_t{1} << split) - 1);
    word = first | kPointCode << split | (codes >> split) << (split + 4);
  } else {
    // "0." and the seven digits with their leading zeros less the first:
    // 0.000123 is "0" "." "000123", and 123 as seven digits is "0000123".
    word = kPointCode << 4 | (codes >> 4) << 8;
  }
  *packed = static_cast<uint32_t>(word);
  return true;
}

uint32_t PackedDistanceCell(double value, NanCell nan) {
  uint32_t packed = 0;
  if (QuickDistanceCell(value, &packed)) return packed;
  char text[kNumberTextMax];
  const int length = NumberToChars(value, text);
  // A distance is a finite number of at least 0, or NaN: its cell always packs.
  if (!PackCell(CellFor(value, ZeroRule::kDistance, text, length, nan), &packed)) std::abort();
  return packed;
}

}  // namespace kyori
