#include "batch/layout_number.h"

#include <cmath>
#include <cstddef>

#include "convert/text_to_number.h"

namespace kyori {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

// "-"? digits* ("." digits*)? with a digit somewhere.
bool FitsDecimal(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  bool any_digit = false;
  while (i < text.size() && IsDigit(text[i])) ++i, any_digit = true;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, any_digit = true;
  }
  return any_digit && i == text.size();
}

// How an &H / &O text fits: -1 not at all, else 1 when its value is the one
// written and 0 when its digits wrap. The digits are summed from the last one
// back with a 64-bit place value: in base 16 the 16th digit from the end is
// worth 2^60 and makes the sum negative from 8 on, further digits are worth
// 0; in base 8 the 22nd digit is worth 2^63 (odd digits subtract it).
// Leading zeros add nothing, so only the significant digits count.
int FitsPrefixed(std::string_view text) {
  if (text.size() < 3 || text[0] != '&') return -1;
  const char notation = text[1];
  const bool hex = notation == 'H' || notation == 'h';
  if (!hex && notation != 'O' && notation != 'o') return -1;
  std::size_t first = 2;
  for (std::size_t i = 2; i < text.size(); ++i) {
    if (!(hex ? IsHexDigit(text[i]) : IsOctalDigit(text[i]))) return -1;
  }
  while (first < text.size() && text[first] == '0') ++first;
  const std::size_t significant = text.size() - first;
  if (hex) {
    if (significant < 16) return 1;
    const char lead = text[first];
    return significant == 16 && lead >= '0' && lead <= '7' ? 1 : 0;
  }
  return significant <= 21 ? 1 : 0;
}

}  // namespace

bool FitsNumberGrammar(std::string_view text) {
  if (!text.empty() && text[0] == '&') return FitsPrefixed(text) == 1;
  return FitsDecimal(text);
}

LayoutNumber ReadLayoutNumber(const std::string& text) {
  const double value = TextToNumber(text.c_str());
  if (!text.empty() && text[0] == '&') {
    const int fits = FitsPrefixed(text);
    return {fits < 0 ? NumberText::kNotANumber : fits == 0 ? NumberText::kOutOfRange : NumberText::kNumber, value};
  }
  if (!FitsDecimal(text)) return {NumberText::kNotANumber, value};
  return {std::isfinite(value) ? NumberText::kNumber : NumberText::kOutOfRange, value};
}

bool IsWholeNumber(const LayoutNumber& number) {
  return number.kind == NumberText::kNumber && number.value == std::floor(number.value);
}

}  // namespace kyori
