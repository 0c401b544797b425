// The texts that stand for a missing value in a data file, as the readers of
// batch mode take them (batch/table_reader.h, batch/strict_layout_reader.h).
//
// A value whose text, without quotes and the blanks around it, equals one of
// the list's texts byte for byte is missing: the reader stores a quiet NaN
// in its place (the arithmetic of missing values: batch/missing_values.h).
// The list is looked at before the number grammar, so a number listed
// ("999", "-99") is missing too. The empty text stands for an empty table
// cell (nothing but blanks). The kyori layout never takes an empty field
// for a missing value, whatever the list: there an empty field is a mistake
// of the layout (a blank before a line end, two commas in a row) that shifts
// every field after it.
//
// The readers' default is no list: no value is missing, and every text that
// is no number is the error it always was. Usual() is the list batch mode
// reads with unless the user gives another, which replaces it:
//   ""  "NA"  "N/A"  "#N/A"  "NaN"  "."  "-"  "?"
//
// Examples, Usual():
//   "NA", " NA " (a table cell), "#N/A", "-"  -> missing
//   "na", "NULL", "nan", "--"                 -> not missing: no number either
//   ""                                        -> missing in a table; an
//                                                error in the kyori layout
// Examples, {"999"}: "999" -> missing; "NA" -> not; "" -> not (an empty
// table cell is an error again).
#ifndef KYORI_BATCH_MISSING_TEXTS_H_
#define KYORI_BATCH_MISSING_TEXTS_H_

#include <string>
#include <string_view>
#include <vector>

namespace kyori {

struct MissingTexts {
  std::vector<std::string> texts;  // none: no value is missing

  // The usual list above.
  static MissingTexts Usual();

  // Whether `text` (already without quotes and blanks) is one of the texts.
  bool Holds(std::string_view text) const;
};

}  // namespace kyori

#endif  // KYORI_BATCH_MISSING_TEXTS_H_
