#include "batch/table_value_cell.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

namespace kyori {
namespace {

bool IsBlank(char byte) { return byte == ' ' || byte == '\t'; }
bool IsDigit(char byte) { return byte >= '0' && byte <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The parts of a number's text; all views into it.
struct NumberParts {
  bool negative = false;
  std::string_view integer;   // the digits before the mark
  std::string_view fraction;  // the digits after it
  bool exponent_negative = false;
  std::string_view exponent;  // the exponent's digits
};

std::string_view TakeDigits(std::string_view& text) {
  std::size_t n = 0;
  while (n < text.size() && IsDigit(text[n])) ++n;
  const std::string_view digits = text.substr(0, n);
  text.remove_prefix(n);
  return digits;
}

bool TakeSign(std::string_view& text, bool* negative) {
  if (text.empty() || (text.front() != '+' && text.front() != '-')) return false;
  *negative = text.front() == '-';
  text.remove_prefix(1);
  return true;
}

// Splits `text` (without blanks) into its parts; false when it is no number.
bool SplitNumber(std::string_view text, char mark, NumberParts* parts) {
  TakeSign(text, &parts->negative);
  parts->integer = TakeDigits(text);
  if (!text.empty() && text.front() == mark) {
    text.remove_prefix(1);
    parts->fraction = TakeDigits(text);
  }
  if (parts->integer.empty() && parts->fraction.empty()) return false;
  if (!text.empty() && (text.front() == 'e' || text.front() == 'E')) {
    text.remove_prefix(1);
    TakeSign(text, &parts->exponent_negative);
    parts->exponent = TakeDigits(text);
    if (parts->exponent.empty()) return false;
  }
  return text.empty();
}

// Whether a number whose conversion is out of range is large (rather than
// too small): the decimal exponent of its first nonzero digit is 0 or more.
// Such numbers lie beyond 1e308 or below 1e-323, so the sign decides.
bool IsLarge(const NumberParts& parts) {
  constexpr std::int64_t kCap = std::int64_t{1} << 40;  // far beyond any double's exponent
  std::int64_t exponent = 0;
  for (const char digit : parts.exponent) {
    exponent = exponent * 10 + (digit - '0');
    if (exponent > kCap) {
      exponent = kCap;
      break;
    }
  }
  if (parts.exponent_negative) exponent = -exponent;
  const std::size_t integer_zeros = parts.integer.find_first_not_of('0');
  if (integer_zeros != std::string_view::npos) {
    return exponent + static_cast<std::int64_t>(parts.integer.size() - integer_zeros) - 1 >= 0;
  }
  const std::size_t fraction_zeros = parts.fraction.find_first_not_of('0');
  // Out of range with every digit zero cannot happen; count it as small.
  if (fraction_zeros == std::string_view::npos) return false;
  return exponent - static_cast<std::int64_t>(fraction_zeros) - 1 >= 0;
}

// Converts the checked text of a number: from_chars takes no '+' and only
// '.' as the mark, so a copy is made where the text has either.
std::errc Convert(std::string_view text, char mark, double* value) {
  if (text.front() == '+') text.remove_prefix(1);
  std::string copy;
  if (mark != '.') {
    copy.assign(text);
    for (char& byte : copy) {
      if (byte == mark) byte = '.';
    }
    text = copy;
  }
  const std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), *value);
  if (result.ec == std::errc() && result.ptr != text.data() + text.size()) return std::errc::invalid_argument;
  return result.ec;
}

}  // namespace

ValueCellKind ClassifyValueCell(std::string_view cell, char decimal_mark, double* value) {
  const std::string_view text = TrimBlanks(cell);
  if (text.empty()) return ValueCellKind::kEmpty;
  NumberParts parts;
  if (!SplitNumber(text, decimal_mark, &parts)) return ValueCellKind::kOther;
  double converted = 0;
  const std::errc status = Convert(text, decimal_mark, &converted);
  if (status == std::errc::result_out_of_range) {
    if (IsLarge(parts)) return ValueCellKind::kTooLarge;
    converted = parts.negative ? -0.0 : 0.0;
  } else if (status != std::errc()) {
    return ValueCellKind::kOther;  // not reached for a checked text
  }
  *value = converted;
  return ValueCellKind::kNumber;
}

ValueCellKind ClassifyValueCell(std::string_view cell, char decimal_mark, const MissingTexts& missing,
                                double* value) {
  if (missing.Holds(TrimBlanks(cell))) return ValueCellKind::kMissing;
  return ClassifyValueCell(cell, decimal_mark, value);
}

bool IsNumberNotation(std::string_view text) {
  double ignored;
  const ValueCellKind kind = ClassifyValueCell(text, '.', &ignored);
  return kind == ValueCellKind::kNumber || kind == ValueCellKind::kTooLarge;
}

}  // namespace kyori
