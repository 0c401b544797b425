// The cells of the tables kyori writes for other programs to read (CSV or
// TSV, see table_writer.h): names in UTF-8, quoted where the delimiter
// needs it, and numbers as the shortest text that reads back as the same
// double.
//
// Name cells. A name is first made UTF-8 by its NamesEncoding, then quoted
// (between double quotes, each quote inside doubled, as RFC 4180 has it)
// when it holds a byte that would end the cell or the row (the delimiter, a
// quote, CR or LF), or when it starts or ends with a blank or a tab, which
// readers that trim unquoted cells would drop:
//   ','   "a,b"        -> "\"a,b\""          '\t'  "a,b"   -> "a,b"
//   ','   "a\tb"       -> "a\tb"             '\t'  "a\tb"  -> "\"a\tb\""
//   both  "5\" pot"    -> "\"5\"\" pot\""    both  " a"    -> "\" a\""
//   both  "line\r\nx"  -> "\"line\r\nx\""    both  ""      -> ""
//   both  "\x95\x69\x8E\xED" (code page 932) -> "品種"
//
// The quoting and the number cells are text/csv_cells.h's, which the
// analyses' tables share.
//
// Number cells: std::to_chars' shortest form, the same in every locale;
// a NaN (a missing value, or a pair without a distance) is "NA", the
// infinities "Inf" and "-Inf", as R and pandas read them:
//   0.1 -> "0.1"   1.0 / 3 -> "0.3333333333333333"   -0.0 -> "-0"
//   1e-300 -> "1e-300"   5e-324 -> "5e-324"   100 -> "100"   2.5e15 -> "2.5e+15"
#ifndef KYORI_BATCH_WRITTEN_CELLS_H_
#define KYORI_BATCH_WRITTEN_CELLS_H_

#include <string>
#include <string_view>

#include "text/csv_cells.h"

namespace kyori {

// How the names' bytes are to be read.
enum class NamesEncoding {
  kCp932,   // code page 932 (Shift-JIS), converted
  kUtf8,    // UTF-8, kept; each byte that is not well-formed UTF-8 becomes U+FFFD
  kDetect,  // each name UTF-8 when it is well-formed, else code page 932
            // (the rule of the console and of the tree and picture files)
};

// `name` in UTF-8, quoted when a table of `delimiter` (',' or '\t') needs
// it (see above).
std::string NameCell(std::string_view name, char delimiter, NamesEncoding encoding);

// The most bytes NumberCell writes ("-2.2250738585072014e-308").
inline constexpr int kMaxNumberCell = kMaxCsvNumber;

// Writes the cell of `value` at `out` (room for kMaxNumberCell bytes);
// returns the end.
char* NumberCell(double value, char* out);

}  // namespace kyori

#endif  // KYORI_BATCH_WRITTEN_CELLS_H_
