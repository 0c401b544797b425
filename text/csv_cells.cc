#include "text/csv_cells.h"

#include <charconv>
#include <cmath>

#include "text/utf8_sequence.h"

namespace kyori {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

std::string WellFormed(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) {
      out += kReplacement;
      ++at;
    } else {
      out.append(bytes.substr(at, length));
      at += length;
    }
  }
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool NeedsQuotes(std::string_view text, char delimiter) {
  if (text.empty()) return false;
  if (IsBlank(text.front()) || IsBlank(text.back())) return true;
  for (const char c : text) {
    if (c == delimiter || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

}  // namespace

std::string CsvNameCell(std::string_view name, char delimiter) {
  std::string text = WellFormed(name);
  if (!NeedsQuotes(text, delimiter)) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

void AppendCsvNumber(double value, std::string* row) {
  if (std::isnan(value)) {
    *row += "NA";
  } else if (std::isinf(value)) {
    *row += value > 0 ? "Inf" : "-Inf";
  } else {
    char buffer[32];
    *row += std::string_view(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr - buffer);
  }
}

}  // namespace kyori
