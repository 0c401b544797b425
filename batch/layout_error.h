// What batch mode finds wrong in a data file that the dialogue would read
// all the same: where it is, whose field it is, what the field holds, and
// the mistake that most likely led to it.
//
// Example: the file
//   2 2             line 1
//   穂長,穂数        line 2
//   コシヒカリ,abc 5  line 3
//   ...
// gives {kind kNotANumber, field kValue, line 3, variety 1 "コシヒカリ",
// trait 1 "穂長", found "abc"}, which LayoutErrorText (batch/layout_error_text.h)
// renders as `line 3: value of 穂長 for コシヒカリ is "abc", not a number`.
#ifndef KYORI_BATCH_LAYOUT_ERROR_H_
#define KYORI_BATCH_LAYOUT_ERROR_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace kyori {

enum class LayoutErrorKind {
  kNone,          // no error: the file was read
  kCountNotWhole, // a count is not a whole number of the number grammar
  kNoVariety,     // the number of varieties is a whole number below 1
  kNotANumber,    // a value is not a number of the grammar
  kOutOfRange,    // a value is a number of the grammar beyond what is read as written
  kEmptyValue,    // a value field is empty
  kEndsEarly,     // the file ends before the field `field` (found is empty)
  kFieldsLeft,    // a field follows the last value; `found` is its text
  kReadFailed,    // the file could not be read on
};

// Which field of the layout an error is about.
enum class LayoutField {
  kVarietyCount,
  kTraitCount,
  kTraitName,
  kVarietyName,
  kValue,
  kAfterLast,  // beyond the last field the counts announce
};

// The likely mistake behind an error, where it is a known one; cause_line is
// the line it is on.
enum class LayoutCause {
  kNone,
  kTrailingBlank,  // a blank after the last field of cause_line: its line end is one more, empty field
  kTrailingComma,  // a comma at the end of cause_line: the same
  kEmptyLine,      // cause_line is empty: one more, empty field
  kDoubleComma,    // two commas in a row on cause_line: an empty field between them
  kLeadingComma,   // a comma at the start of cause_line: an empty field before it
  kDecimalComma,   // cause_text ("1,5") on cause_line: a decimal comma, read as two values
  kNameTookLine,   // the variety name cause_text on cause_line is followed by a blank and
                   // its values: the name took the whole line
  kShortLine,      // cause_line ends before the variety's last value: the next line's
                   // first field was read as a value
  kLoneCarriageReturn,  // the field holds a CR that ends no line (lines end in LF or CR LF)
  kByteOrderMark,  // the file starts with the UTF-8 byte-order mark
  kUtf16,          // the file starts with a UTF-16 byte-order mark
};

// Texts taken from the file into an error keep at most this many bytes.
inline constexpr std::size_t kLayoutTextKeep = 80;

struct LayoutError {
  LayoutErrorKind kind = LayoutErrorKind::kNone;
  LayoutField field = LayoutField::kVarietyCount;
  std::int64_t line = 0;     // 1-based: the field's line, or the last line holding a field
  int variety = 0;           // 1-based; 0 when the field belongs to no variety
  std::string variety_name;  // its bytes as read (Shift-JIS or UTF-8)
  int trait = 0;             // 1-based; 0 when the field is no value
  std::string trait_name;
  std::string found;         // the field's bytes as found, cut to kLayoutTextKeep
  bool found_cut = false;    // true when `found` was cut
  LayoutCause cause = LayoutCause::kNone;
  std::int64_t cause_line = 0;
  std::string cause_text;    // cut to kLayoutTextKeep
  double varieties_announced = 0;  // the counts as read, for kFieldsLeft and kEndsEarly
  double traits_announced = 0;

  bool ok() const { return kind == LayoutErrorKind::kNone; }
};

}  // namespace kyori

#endif  // KYORI_BATCH_LAYOUT_ERROR_H_
