// Which reader a data file is read by: the kyori layout (counts first, read
// strictly: batch/strict_layout_reader.h) or a table (a header row, then a
// row per variety: batch/table_reader.h), as the user chose (--input) or as
// the file's first field tells.
//
// kAuto takes the kyori layout when the file's first field is a number
// (FirstFieldIsNumber, or a number of the layout's own grammar such as
// &H1F: batch/layout_number.h), else a table whose delimiter is found from its
// header row (the tab, else the semicolon when the header has no comma, else
// the comma); kCsv is a table of commas, or of semicolons with the decimal
// comma, by the same rule; kTsv a table of tabs; kLayout the kyori layout.
//
// Examples (kAuto):
//   "12 5\r\n稈長,..."         -> the kyori layout
//   "品種名,稈長,穂長\r\n..."   -> a table, TableDelimiter::kAuto
//   "\xEF\xBB\xBF" "3 2\n..."  -> the kyori layout (which refuses the mark)
//   "&H3 2\r\n..."            -> the kyori layout (3 varieties)
//   "  \r\n"                   -> a table (which finds it empty)
#ifndef KYORI_BATCH_INPUT_CHOICE_H_
#define KYORI_BATCH_INPUT_CHOICE_H_

#include <cstddef>
#include <string_view>

#include "batch/table_delimiter.h"

namespace kyori {

enum class InputChoice { kAuto, kLayout, kCsv, kTsv };

struct InputReader {
  bool table = false;                                // else the kyori layout
  TableDelimiter delimiter = TableDelimiter::kAuto;  // a table's
};

// The reader for `choice`; for kAuto, by `first_bytes`, the start of the
// file up to the end of its first field (or the whole file when shorter):
// what FirstFieldBytes finds.
InputReader ChooseInputReader(InputChoice choice, std::string_view first_bytes);

// The most bytes that kAuto looks at: a first field that has not ended
// within them (after a byte-order mark, blanks and line ends) is judged by
// what they hold.
inline constexpr std::size_t kFirstFieldLookMost = std::size_t{1} << 20;

// The length of the start of `bytes` that holds its first field and the byte
// that ends it (a blank, a comma or a line end), or npos when `bytes` ends
// before that byte.
//   "3 2\nA" -> 2;   "\n\n 12,x" -> 6;   "  3" -> npos;   "\r\n" -> npos
std::size_t FirstFieldEnd(std::string_view bytes);

}  // namespace kyori

#endif  // KYORI_BATCH_INPUT_CHOICE_H_
