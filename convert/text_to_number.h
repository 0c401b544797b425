// Text to number: the grammar of every numeric field the program reads.
// An optional "-", decimal digits, an optional "." and more digits; or "&H"
// (hexadecimal) or "&O" (octal) and digits, in either case. No exponent, no
// plus sign, no skipping of blanks. Conversion never fails: it stops at the
// first byte that does not fit and returns what it has, 0 when nothing fitted.
// Digits are summed in a fixed order (integer part from the last digit back,
// place values multiplied by ten; fraction digits divided by growing powers of
// ten), each step rounded to a double, so the last bit can differ from a
// correctly rounded conversion; users' printed numbers depend on it.
#ifndef KYORI_CONVERT_TEXT_TO_NUMBER_H_
#define KYORI_CONVERT_TEXT_TO_NUMBER_H_

namespace kyori {

// `text` is NUL-terminated and only read.
double TextToNumber(const char* text);

}  // namespace kyori

#endif  // KYORI_CONVERT_TEXT_TO_NUMBER_H_
