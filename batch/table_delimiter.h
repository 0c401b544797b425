// The delimiter of a table: chosen by the user, or found from the header row.
//
// kTsv is the tab. kCsv is the comma, or the semicolon when the header row
// has a semicolon and no comma (spreadsheets in locales whose decimal mark is
// the comma save such files). kAuto is the tab when the header row has one,
// else as kCsv. The header row is the first line that is not empty, with
// what its quoted cells hold left out (a quote opens a quoted cell where it
// is the first byte other than spaces after the line start, a tab, a comma
// or a semicolon, as it would be under any of the three); so is a line break
// inside them.
//
// Examples (kAuto):
//   "variety\theight,cm\n"     -> '\t'
//   "variety;height;weight\n"  -> ';'
//   "\"a;b\",c\n"              -> ','
//   "\"a,b\";c\n"              -> ';'
//   "variety\n"                -> ','  (one cell under any delimiter)
#ifndef KYORI_BATCH_TABLE_DELIMITER_H_
#define KYORI_BATCH_TABLE_DELIMITER_H_

#include <string_view>

namespace kyori {

enum class TableDelimiter { kAuto, kCsv, kTsv };

// The delimiter byte for `choice` and the table text `body` (after any
// byte-order mark): '\t', ';' or ','.
char ChooseDelimiter(std::string_view body, TableDelimiter choice);

// The decimal mark of a table with `delimiter`: ',' for ';', else '.'.
inline char DecimalMarkFor(char delimiter) { return delimiter == ';' ? ',' : '.'; }

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_DELIMITER_H_
