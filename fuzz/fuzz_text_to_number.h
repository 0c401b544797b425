// One input of the text-to-number fuzz target: the bytes, as a NUL-terminated
// text, converted by TextToNumber.
//
// Checks, by bit pattern (a NaN against a NaN passes):
// - a decimal text (one that does not start with "-" or "&") and the same text
//   behind a "-" convert to a value and its negation;
// - a prefixed text ("&...") converts to the same value with its letters
//   folded to upper case, since "&h", "&o" and a to f are taken in either case.
#ifndef KYORI_FUZZ_FUZZ_TEXT_TO_NUMBER_H_
#define KYORI_FUZZ_FUZZ_TEXT_TO_NUMBER_H_

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "convert/text_to_number.h"

namespace kyori::fuzz {

inline uint64_t BitsOf(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline bool SameValue(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || BitsOf(a) == BitsOf(b);
}

inline std::string UpperCased(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Returns nullptr when every check held, else what went wrong.
inline const char* ConvertTextToNumber(std::string_view bytes) {
  const std::string text(bytes);  // std::string keeps a NUL after the bytes
  const double value = TextToNumber(text.c_str());
  if (text.empty()) return value == 0 ? nullptr : "the empty text is not 0";
  if (text[0] == '&') {
    if (!SameValue(TextToNumber(UpperCased(text).c_str()), value)) {
      return "a prefixed number depends on the case of its letters";
    }
  } else if (text[0] != '-') {
    if (!SameValue(TextToNumber(("-" + text).c_str()), -value)) {
      return "a minus sign does not negate the value";
    }
  }
  return nullptr;
}

}  // namespace kyori::fuzz

#endif  // KYORI_FUZZ_FUZZ_TEXT_TO_NUMBER_H_
