// Showing the program's bytes to a reader in UTF-8.
//
// The program's texts are Shift-JIS, but names and values echoed from a data
// file may be in either encoding. DisplayUtf8 takes bytes that are valid UTF-8
// as they are and reads any other bytes as code page 932, each undecodable
// byte becoming U+FFFD. Valid UTF-8 means a run of well-formed sequences
// (text/utf8_sequence.h): no overlong form, no surrogate (U+D800 to U+DFFF),
// nothing above U+10FFFF, no cut-off sequence.
//
// Examples:
//   "kyori_in.txt"               -> "kyori_in.txt"        (ASCII: both)
//   "\xE5\x93\x81\xE7\xA8\xAE"   -> "品種"                (valid UTF-8)
//   "\x95\x69\x8E\xED"           -> "品種"                (code page 932)
//   "\x83\x5C"                   -> "ソ"                  (0x5C second byte)
//   "\xB1\xB2"                   -> "ｱｲ"                  (half-width katakana)
//   "A\xFF"                      -> "A\xEF\xBF\xBD"       (undecodable byte)
//
// Used for the console on a UTF-8 terminal, and by writers of formats that
// must be UTF-8.
//
// Utf8WithReplacements is for bytes known to be UTF-8: the well-formed
// sequences are kept and each byte that starts none becomes U+FFFD, so the
// result is always well-formed.
//   "\xE5\x93\x81"               -> "品"                  (kept)
//   "\xE5\x93" "A"                -> "\xEF\xBF\xBD\xEF\xBF\xBD" "A"  (cut off)
//   "\x95\x69"                    -> "\xEF\xBF\xBD" "i"      (not read as 932)
#ifndef KYORI_TEXT_DISPLAY_UTF8_H_
#define KYORI_TEXT_DISPLAY_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kyori {

// True when `bytes` is well-formed UTF-8 (the empty text is).
bool IsValidUtf8(std::string_view bytes);

// The length of the longest prefix of `bytes` that is well-formed UTF-8 and
// ends where a character ends; bytes.size() when the whole is valid.
//   "ab\xE5\x93\x81"  -> 5;   "ab\xE5\x93"  -> 2;   "ab\xFFcd"  -> 2
std::size_t ValidUtf8Length(std::string_view bytes);

// `bytes` as it is when it is valid UTF-8, else read as code page 932.
std::string DisplayUtf8(std::string_view bytes);

// `bytes` with each byte that starts no well-formed sequence replaced by
// U+FFFD (EF BF BD).
std::string Utf8WithReplacements(std::string_view bytes);

}  // namespace kyori

#endif  // KYORI_TEXT_DISPLAY_UTF8_H_
