// One input of the number-to-text fuzz target: any 64-bit pattern (the
// input's first 8 bytes, zero-filled when shorter) as a double, through
// NumberToText and NumberToChars.
//
// Checks: the text has 1 to 22 bytes ("inf" and "-inf" aside, which are
// shorter anyway); NumberToChars writes those same bytes into a block of
// exactly 22 bytes; the bytes are digits, ".", "e", "+" and "-", or the
// infinity texts; and a "-" leads exactly for values below 0 that print more
// than "0" (negative zero and NaN print "0").
#ifndef KYORI_FUZZ_FUZZ_NUMBER_TO_TEXT_H_
#define KYORI_FUZZ_FUZZ_NUMBER_TO_TEXT_H_

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "convert/number_to_text.h"
#include "text/byte_string.h"

namespace kyori::fuzz {

inline double DoubleFromBytes(std::string_view bytes) {
  unsigned char pattern[8] = {};
  std::memcpy(pattern, bytes.data(), bytes.size() < 8 ? bytes.size() : 8);
  double value;
  std::memcpy(&value, pattern, sizeof value);
  return value;
}

inline bool IsNumberTextByte(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == '+' || c == '-';
}

// Returns nullptr when every check held, else what went wrong.
inline const char* ConvertNumberToText(std::string_view bytes) {
  const double value = DoubleFromBytes(bytes);
  const ByteString text = NumberToText(value);
  const std::string_view shown = text.View();
  if (shown.empty() || shown.size() > static_cast<std::size_t>(kNumberTextMax)) {
    return "the text is empty or longer than 22 bytes";
  }
  const auto exact_block = std::make_unique<char[]>(kNumberTextMax);
  const int length = NumberToChars(value, exact_block.get());
  if (std::string_view(exact_block.get(), static_cast<std::size_t>(length)) != shown) {
    return "NumberToChars and NumberToText differ";
  }
  if (std::isinf(value)) return shown == (value > 0 ? "inf" : "-inf") ? nullptr : "a wrong infinity";
  for (char c : shown) {
    if (!IsNumberTextByte(c)) return "a byte that no number text holds";
  }
  const bool shows_minus = shown[0] == '-';
  if (shows_minus != (value < 0)) return "the sign shown does not match the value";
  return nullptr;
}

}  // namespace kyori::fuzz

#endif  // KYORI_FUZZ_FUZZ_NUMBER_TO_TEXT_H_
