// What a value cell of a table holds, and its number.
//
// A number is, with blanks (spaces, tabs) around it allowed:
//   [+|-] digits [mark [digits]] [(e|E) [+|-] digits]
//   [+|-] mark digits [(e|E) [+|-] digits]
// where the mark is the table's decimal mark ('.', or ',' in a table
// separated by semicolons). Its value is the double nearest to it (ties to
// even), whatever the C locale; one too small for the smallest subnormal is
// a zero of its sign. Nothing else is a number: no hexadecimal, no "inf" or
// "nan", no thousands separators, not the other decimal mark.
//
// Examples with the mark '.':
//   "1.5e3" -> kNumber 1500     " -0.25 " -> kNumber -0.25    "+3" -> kNumber 3
//   ".5"    -> kNumber 0.5      "5."      -> kNumber 5        "1e-400" -> kNumber 0
//   ""      -> kEmpty           "  "      -> kEmpty           "1e309" -> kTooLarge
//   "1,5"   -> kOther           "0x10"    -> kOther           "NA" -> kOther
// With the mark ',': "1,5" -> kNumber 1.5, "1.5" -> kOther.
//
// Given a list of missing texts (batch/missing_texts.h), a cell whose text
// without its blanks is one of them is kMissing, before the grammar is
// looked at. With MissingTexts::Usual(): "NA" -> kMissing, "" -> kMissing,
// " - " -> kMissing, "1.5" -> kNumber 1.5, "n/a" -> kOther; with {"999"}:
// "999" -> kMissing, "" -> kEmpty.
#ifndef KYORI_BATCH_TABLE_VALUE_CELL_H_
#define KYORI_BATCH_TABLE_VALUE_CELL_H_

#include <string_view>

#include "batch/missing_texts.h"

namespace kyori {

enum class ValueCellKind {
  kNumber,    // a number; its value is stored
  kEmpty,     // nothing but blanks
  kTooLarge,  // a number beyond the largest double (its sign either way)
  kOther,     // any other text
  kMissing,   // one of the missing texts the caller listed
};

// Classifies one value cell (its text without quotes) and, for kNumber,
// stores its value in *value (left alone otherwise). Every decision about
// what a value cell holds is made here.
ValueCellKind ClassifyValueCell(std::string_view cell, char decimal_mark, double* value);

// The same, with the texts of `missing` taken for missing values: kMissing,
// with *value left alone.
ValueCellKind ClassifyValueCell(std::string_view cell, char decimal_mark, const MissingTexts& missing,
                                double* value);

// Whether `text` is a number in the notation above with the mark '.'
// (kNumber or kTooLarge).
bool IsNumberNotation(std::string_view text);

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_VALUE_CELL_H_
