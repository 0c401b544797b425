// Number to text: the general decimal format of every number the program
// shows without a picture template. At most 15 significant digits; plain
// notation for decimal exponents -3..15, exponent notation ("e+015", "e-05")
// outside. The digits come from repeated multiplication and division by ten in
// double precision (DecimalDigits), not from a correctly rounded conversion,
// and the normalisation band [0.999999999999999, 9.99999999999999) makes the
// largest 15-digit mantissas keep 14 digits: 9.99999999999999 prints "10".
// NaN prints "0"; plus and minus infinity print "inf" and "-inf".
#ifndef KYORI_CONVERT_NUMBER_TO_TEXT_H_
#define KYORI_CONVERT_NUMBER_TO_TEXT_H_

#include <cstdint>

#include "text/byte_string.h"

namespace kyori {

// The static buffer that DecimalDigits writes its digits into: 15 digits and
// a NUL. Each call overwrites it.
extern char DigitBuffer[16];

// `count` significant digits of `value` (the program always asks for 15) as
// ASCII into DigitBuffer, with the decimal exponent E (value = 0.D0D1... x
// 10^E) and the negative flag. Returns DigitBuffer. Zero, negative zero and
// NaN give "000000000000000" with E = 0 and the flag 0; an infinity gives the
// same digits and E with the flag of its sign (it has no digits; NumberToText
// shows it as "inf" without asking). A count outside 1..15 is taken as the
// nearer of the two; with fewer than 15 digits a carry out of the first digit
// gives "10..." and E + 1.
const char* DecimalDigits(double value, int32_t count, int32_t* exponent, int32_t* negative);

// The longest text NumberToText makes, in bytes.
inline constexpr int kNumberTextMax = 22;

// The text of `value` into `out` (at least kNumberTextMax bytes; no NUL
// written); returns its length. For callers that write many numbers. It does
// not touch DigitBuffer, so threads may call it (and NumbersToChars) at once.
int NumberToChars(double value, char* out);

// The texts of values[0] .. values[count - 1]: text k into the kNumberTextMax
// bytes at out + k * kNumberTextMax (no NUL written), its length into
// lengths[k]. The same texts as NumberToChars gives one by one, faster for a
// row of numbers.
void NumbersToChars(const double* values, int count, char* out, int* lengths);

// The text of `value` as a new text.
ByteString NumberToText(double value);

}  // namespace kyori

#endif  // KYORI_CONVERT_NUMBER_TO_TEXT_H_
