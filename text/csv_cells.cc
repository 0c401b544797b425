#include "text/csv_cells.h"

#include <charconv>
#include <cmath>

#include "text/display_utf8.h"

namespace kyori {
namespace {

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

std::string CsvQuoted(std::string_view utf8, char delimiter) {
  if (!NeedsQuotes(utf8, delimiter)) return std::string(utf8);
  std::string quoted = "\"";
  for (const char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string CsvNameCell(std::string_view name, char delimiter) {
  return CsvQuoted(Utf8WithReplacements(name), delimiter);
}

char* WriteCsvNumber(double value, char* out) {
  std::string_view special;
  if (std::isnan(value)) {
    special = "NA";
  } else if (std::isinf(value)) {
    special = value > 0 ? "Inf" : "-Inf";
  } else {
    return std::to_chars(out, out + kMaxCsvNumber, value).ptr;
  }
  for (const char c : special) *out++ = c;
  return out;
}

void AppendCsvNumber(double value, std::string* row) {
  char buffer[kMaxCsvNumber];
  row->append(buffer, WriteCsvNumber(value, buffer));
}

}  // namespace kyori
