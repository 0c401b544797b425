// Line ends of a table file, as every part of the table reader counts them:
// CR LF, LF, and a CR that no LF follows (files saved with CR alone) each end
// one line. Lines are numbered from 1, line breaks inside quoted cells
// included, so a line number is the one an editor shows.
//
// Examples: in "a\r\nb\nc\rd" the bytes a, b, c and d are on lines 1 to 4;
// LineEndLength is 2 at offset 1, 1 at offset 4, 1 at offset 6.
#ifndef KYORI_BATCH_TABLE_LINES_H_
#define KYORI_BATCH_TABLE_LINES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kyori {

// The bytes of the line end that starts at text[at]: 2 for CR LF, 1 for LF
// or a lone CR, 0 when no line end starts there (or `at` is past the end).
inline std::size_t LineEndLength(std::string_view text, std::size_t at) {
  if (at >= text.size()) return 0;
  if (text[at] == '\n') return 1;
  if (text[at] != '\r') return 0;
  return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

// The line on which the byte text[offset] stands (an offset at the end gives
// the line after the last line end).
inline std::int64_t LineAtOffset(std::string_view text, std::size_t offset) {
  std::int64_t line = 1;
  std::size_t at = 0;
  while (at < offset && at < text.size()) {
    const std::size_t end = LineEndLength(text, at);
    if (end == 0) {
      ++at;
    } else {
      // A CR LF straddling `offset` puts its LF on the CR's line.
      if (at + end > offset) break;
      ++line;
      at += end;
    }
  }
  return line;
}

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_LINES_H_
