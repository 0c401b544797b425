// The English text of a LayoutError (batch/layout_error.h), without the
// "kyori: FILE: " that the caller puts before it.
//
//   line 7: value of 穂長 for コシヒカリ is "abc", not a number
//   line 4: value of B for x is empty; a blank at the end of line 4 makes
//     its line end one more, empty field
//   line 5: value of A for y is "z", not a number; "95,5" on line 3 looks
//     like a decimal comma: the comma splits it into two values, and every
//     later field is read one place late
//   line 9: the file ends before the name of variety 4 (the file announces
//     4 varieties and 2 traits)
//
// The text is given in pieces, each either the program's own ASCII or bytes
// from the data file (names, the field as found), so that a caller can show
// the file's bytes as it shows every name: escaped, in the console's
// encoding. A name that is empty is given by its number ("variety 3").
#ifndef KYORI_BATCH_LAYOUT_ERROR_TEXT_H_
#define KYORI_BATCH_LAYOUT_ERROR_TEXT_H_

#include <string>
#include <vector>

#include "batch/layout_error.h"

namespace kyori {

struct LayoutTextPiece {
  std::string text;
  bool from_file;  // bytes from the data file, not the program's ASCII
};

// The pieces of the text, in order.
std::vector<LayoutTextPiece> LayoutErrorPieces(const LayoutError& error);

// The pieces joined as they are.
std::string LayoutErrorText(const LayoutError& error);

}  // namespace kyori

#endif  // KYORI_BATCH_LAYOUT_ERROR_TEXT_H_
