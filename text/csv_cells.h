// The cells of the CSV (and TSV) files kyori writes for spreadsheets, R and
// pandas: batch mode's tables (batch/written_cells.h, which first makes each
// name UTF-8 by its encoding) and the analyses' tables share them.
//
// Such a file starts with the UTF-8 byte-order mark (kUtf8ByteOrderMark), so
// that a spreadsheet opened by a double click on a Japanese Windows reads it
// as UTF-8 rather than as code page 932, and every row, the last one
// included, ends in CR LF (kCsvRowEnd).
//
// Name cells. The name is taken as UTF-8: each byte that starts no
// well-formed sequence becomes U+FFFD (text/display_utf8.h
// Utf8WithReplacements), so that the file is UTF-8 whatever the name held.
// The cell is then quoted (between double quotes, each quote inside doubled,
// as RFC 4180 has it) when it holds the delimiter, a quote, CR or LF, or
// when it starts or ends with a blank or a tab, which readers that trim
// unquoted cells would drop:
//   ','   "a,b"        -> "\"a,b\""          '\t'  "a,b"   -> "a,b"
//   both  "5\" pot"    -> "\"5\"\" pot\""    both  " a"    -> "\" a\""
//   both  "line\r\nx"  -> "\"line\r\nx\""    both  ""      -> ""
//   both  "\xE5\x93\x81\xFF" -> "\xE5\x93\x81\xEF\xBF\xBD"   (品 kept, a stray byte replaced)
//
// Number cells: std::to_chars' shortest form, which reads back as the same
// double and is the same in every locale; a NaN (a value that does not
// exist, such as the spread of a single value) is "NA", the infinities
// "Inf" and "-Inf", as R and pandas read them:
//   0.1 -> "0.1"   1.0 / 3 -> "0.3333333333333333"   -0.0 -> "-0"
//   1e-300 -> "1e-300"   100 -> "100"   2.5e15 -> "2.5e+15"   NaN -> "NA"
#ifndef KYORI_TEXT_CSV_CELLS_H_
#define KYORI_TEXT_CSV_CELLS_H_

#include <string>
#include <string_view>

namespace kyori {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::string_view kCsvRowEnd = "\r\n";

// `utf8` (well-formed UTF-8) quoted as a table of `delimiter` (',' or '\t')
// needs it, as above.
std::string CsvQuoted(std::string_view utf8, char delimiter);

// The cell of `name` in a table of `delimiter`: stray bytes replaced, then
// quoted where needed.
std::string CsvNameCell(std::string_view name, char delimiter = ',');

// The most bytes a number cell takes ("-2.2250738585072014e-308").
inline constexpr int kMaxCsvNumber = 24;

// Writes the cell of `value` at `out` (room for kMaxCsvNumber bytes);
// returns the end.
char* WriteCsvNumber(double value, char* out);

// Appends the cell of `value` to *row.
void AppendCsvNumber(double value, std::string* row);

}  // namespace kyori

#endif  // KYORI_TEXT_CSV_CELLS_H_
