#include "batch/table_delimiter.h"

#include <cstddef>

#include "batch/table_lines.h"

namespace kyori {
namespace {

struct HeaderDelimiters {
  bool tab = false;
  bool comma = false;
  bool semicolon = false;
};

// The offset just past the quoted cell whose opening quote is at `opening`
// (the end of the text when it has no closing quote).
std::size_t SkipQuoted(std::string_view body, std::size_t opening) {
  std::size_t at = opening + 1;
  while (at < body.size()) {
    if (body[at] != '"') {
      ++at;
    } else if (at + 1 < body.size() && body[at + 1] == '"') {
      at += 2;
    } else {
      return at + 1;
    }
  }
  return at;
}

HeaderDelimiters ScanHeaderRow(std::string_view body) {
  HeaderDelimiters found;
  std::size_t at = 0;
  for (std::size_t end = LineEndLength(body, at); end != 0; end = LineEndLength(body, at)) at += end;
  bool cell_start = true;
  while (at < body.size() && LineEndLength(body, at) == 0) {
    const char byte = body[at];
    if (byte == '"' && cell_start) {
      at = SkipQuoted(body, at);
      cell_start = false;
      continue;
    }
    if (byte == '\t' || byte == ',' || byte == ';') {
      found.tab |= byte == '\t';
      found.comma |= byte == ',';
      found.semicolon |= byte == ';';
      cell_start = true;
    } else if (byte != ' ') {
      cell_start = false;
    }
    ++at;
  }
  return found;
}

}  // namespace

char ChooseDelimiter(std::string_view body, TableDelimiter choice) {
  if (choice == TableDelimiter::kTsv) return '\t';
  const HeaderDelimiters found = ScanHeaderRow(body);
  if (choice == TableDelimiter::kAuto && found.tab) return '\t';
  return found.semicolon && !found.comma ? ';' : ',';
}

}  // namespace kyori
