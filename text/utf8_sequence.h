// Well-formed UTF-8, one sequence at a time: where a character's bytes end,
// or that none starts at a place. A well-formed sequence has no overlong
// form, no surrogate (U+D800 to U+DFFF), nothing above U+10FFFF and is not
// cut off by the end of the bytes.
//
// Examples (at 0):
//   "A"               -> 1
//   "\xC2\x80"        -> 2   (U+0080)
//   "\xE5\x93\x81"    -> 3   (品)
//   "\xF4\x8F\xBF\xBF" -> 4  (U+10FFFF)
//   "\xC0\xAF"        -> 0   (overlong "/")
//   "\xED\xA0\x80"    -> 0   (surrogate U+D800)
//   "\xE3\x81"        -> 0   (cut off)
//   "\x80"            -> 0   (a continuation byte with no lead)
//
// Used to tell UTF-8 from code page 932 (DisplayUtf8), and by the writers
// that read names one character at a time.
#ifndef KYORI_TEXT_UTF8_SEQUENCE_H_
#define KYORI_TEXT_UTF8_SEQUENCE_H_

#include <cstddef>
#include <string_view>

namespace kyori {

// The length (1 to 4) of the well-formed sequence starting at bytes[at], or
// 0 when none starts there. Requires at < bytes.size().
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at);

}  // namespace kyori

#endif  // KYORI_TEXT_UTF8_SEQUENCE_H_
