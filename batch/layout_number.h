// A number field of the data file, checked against the grammar that reading
// it converts by (convert/text_to_number.h), so that batch mode can refuse
// what the dialogue silently reads as something else.
//
// The grammar, the whole field: an optional "-", decimal digits, an optional
// "." and more digits, with at least one digit in all; or "&H" and
// hexadecimal digits, or "&O" and octal digits (letters in either case).
// Nothing else: no "+", no exponent, no blank, no second point, no quotes.
//
//   "12" "-2.5" "5." ".5" "-.5" "007" "&H1F" (31) "&o17" (15)  -> kNumber
//   "" "-" "." "+3" "1e3" "1d3" "12.3.4" "5abc" "1 " "&H" "&X1"   -> kNotANumber
//   "&H" and 17 F's (wraps), "1" and 400 zeros (infinite)       -> kOutOfRange
//
// The value is always TextToNumber's, bit for bit, so that a field that is a
// number gives exactly what the dialogue stores.
//
// "-" and "." alone are no numbers here, though the dialogue reads them as
// -0 and 0. Read with the usual list of missing texts (batch/missing_texts.h,
// which holds both), the strict reader takes them for missing values before
// it asks this grammar.
#ifndef KYORI_BATCH_LAYOUT_NUMBER_H_
#define KYORI_BATCH_LAYOUT_NUMBER_H_

#include <string>
#include <string_view>

namespace kyori {

enum class NumberText {
  kNumber,      // the whole text is a number of the grammar
  kNotANumber,  // it is not, or only a first part of it is
  kOutOfRange,  // a number of the grammar whose value is not the one written:
                // infinite or not a number (a decimal beyond the doubles), or
                // an &H / &O number whose digits wrap past 63 bits
};

struct LayoutNumber {
  NumberText kind;
  double value;  // TextToNumber(text), whatever the kind
};

// Checks and converts one field's text.
LayoutNumber ReadLayoutNumber(const std::string& text);

// True when the whole of `text` is a number of the grammar, by its bytes
// alone: nothing is converted, so a decimal beyond the doubles passes (an
// &H / &O number whose digits wrap does not).
//   "95.5" -> true;  "95.5x" -> false;  "&H8000000000000000" -> false
bool FitsNumberGrammar(std::string_view text);

// True for a count: a number of the grammar whose value is whole.
//   "3" "3.0" "&H3" "-1" -> true;  "2.5" "3abc" "" -> false
bool IsWholeNumber(const LayoutNumber& number);

}  // namespace kyori

#endif  // KYORI_BATCH_LAYOUT_NUMBER_H_
