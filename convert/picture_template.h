// Formatted numeric fields: picture templates and the two column helpers.
//
// A template is scanned byte by byte: a run of N "#" is an integer field of
// width N (the number rounded to the nearest integer, ties to even, right-
// aligned; a wider number keeps its first N characters); "@" is a whole text;
// "&", S spaces, "&" is a text of width S + 2; every other byte, a lone "&"
// included, is copied. Field k reads slot k of TemplateArguments: numbers[k]
// for "#", texts[k] for "@" and "&...&". The formatted text holds at most 1023
// bytes and a template at most 32 fields; anything beyond is cut safely:
// - output past 1023 bytes is dropped, so the result is the first 1023 bytes
//   of what an unbounded buffer would hold;
// - the scan stops right before a 33rd field (the literal bytes in front of it
//   are kept), so no slot beyond the 32 is read.
// The template is read up to its first NUL; a text slot is read as its bytes
// up to its first NUL, and an unset (null) slot as the empty text. A number
// with no nearest 32-bit integer (NaN, out of range) prints as -2147483648,
// cut to its field like any other.
#ifndef KYORI_CONVERT_PICTURE_TEMPLATE_H_
#define KYORI_CONVERT_PICTURE_TEMPLATE_H_

#include <cstdint>

#include "text/byte_string.h"

namespace kyori {

inline constexpr int kTemplateSlots = 32;

// The one argument list of the template printer. The caller fills the slots
// before each call; the slots are only read.
struct TemplateArgumentList {
  double numbers[kTemplateSlots];
  ByteString texts[kTemplateSlots];
};
extern TemplateArgumentList TemplateArguments;

// The template formatted with TemplateArguments, as a new text; the template
// is released.
ByteString FormatWithTemplate(ByteString picture);
// The first n bytes of `source` as a new text; `source` is released. When n
// exceeds the source's length the result is the whole source (no padding); a
// negative n gives the empty text.
ByteString LeftOfText(ByteString source, int32_t n);
// A new text of n spaces (n <= 0 gives the empty text).
ByteString SpacesText(int32_t n);

}  // namespace kyori

#endif  // KYORI_CONVERT_PICTURE_TEMPLATE_H_
