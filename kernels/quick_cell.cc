#include "kernels/quick_cell.h"

namespace kyori {
namespace {

constexpr int kLowestExponent = -3;  // values from 10^-4: "0.000DDD"
constexpr int kHighestExponent = 7;  // values below 10^7: "DDDDDDD."
constexpr uint32_t kPointCode = 10;  // the packed code of '.'

// 10^k for k = 0..7, each exact as a double.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
constexpr int64_t kIntegerPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
// 10^(E - 1) for E = kLowestExponent .. kHighestExponent + 1, the lower
// bound of the values whose decimal exponent is E (value = 0.D... x 10^E).
// The negative powers are not exact; a value that lands on the wrong side
// of one is caught by the digits' range below.
constexpr double kExponentBounds[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};

}  // namespace

bool QuickDistanceCell(double value, uint32_t* packed) {
  if (!(value >= kExponentBounds[0] && value < kExponentBounds[kHighestExponent - kLowestExponent + 1])) {
    return false;
  }
  int exponent = kLowestExponent;
  while (value >= kExponentBounds[exponent - kLowestExponent + 1]) ++exponent;
  // S shown digits: 7 from 1 on ("D.DDDDDD"), 6 + E below ("0.00DDDD").
  const int shown = exponent >= 1 ? 7 : 6 + exponent;
  const int scale = shown - exponent;  // 0 .. 6: the product below is exact but for one rounding
  const double scaled = value * kPowersOfTen[scale];
  const int64_t digits = static_cast<int64_t>(scaled);
  const double rest = scaled - static_cast<double>(digits);
  if (digits < kIntegerPowersOfTen[shown - 1] || digits >= kIntegerPowersOfTen[shown]) return false;
  if (rest < kQuickMargin || rest > 1 - kQuickMargin) return false;

  // The 8 characters, last to first, into the word from its top nibble down.
  uint32_t word = 0;
  int64_t left = digits;
  auto push = [&word](uint32_t code) { word = (word << 4) | code; };
  if (exponent >= 1) {
    for (int k = shown; k > exponent; --k, left /= 10) push(static_cast<uint32_t>(left % 10));
    push(kPointCode);
    for (int k = exponent; k > 0; --k, left /= 10) push(static_cast<uint32_t>(left % 10));
  } else {
    for (int k = shown; k > 0; --k, left /= 10) push(static_cast<uint32_t>(left % 10));
    for (int k = exponent; k < 0; ++k) push(0);
    push(kPointCode);
    push(0);
  }
  *packed = word;
  return true;
}

}  // namespace kyori
