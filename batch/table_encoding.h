// The encoding of a table file, found from its bytes.
//
// A file is text when it holds no control byte but TAB, CR and LF. Its
// encoding is UTF-8 when all its bytes (after a UTF-8 byte-order mark, which
// is dropped) are well-formed UTF-8, else code page 932 (Shift-JIS as Windows
// saves it) when they are well-formed there: single bytes 0x00 to 0x7F and
// 0xA1 to 0xDF, pairs of a lead byte 0x81 to 0x9F or 0xE0 to 0xFC and a
// trail byte 0x40 to 0x7E or 0x80 to 0xFC. Which characters the pairs stand
// for is not checked. In both encodings every byte below 0x40 is a character
// of its own, so a reader may look for delimiters, quotes and line ends byte
// by byte.
//
// Examples:
//   "variety,height\n"              -> UTF-8 (ASCII is UTF-8)
//   "\xEF\xBB\xBF品種,稈長\n" (UTF-8) -> UTF-8 with a byte-order mark; body "品種,稈長\n"
//   "\x95\x69\x8E\xED,x\n"          -> code page 932 (品種 in Shift-JIS)
//   "a,b\n\x01"                     -> kControlByte on line 2, found "\x01"
//   "a\xFF,b\n"                     -> kBadEncoding on line 1, found "\xFF,b\n"
//   "\xFF\xFEa\0"                   -> kUtf16
#ifndef KYORI_BATCH_TABLE_ENCODING_H_
#define KYORI_BATCH_TABLE_ENCODING_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "batch/table_error.h"

namespace kyori {

enum class TableEncoding { kUtf8, kCp932 };

struct TableText {
  std::string_view body;  // the bytes after the byte-order mark, if any
  TableEncoding encoding = TableEncoding::kUtf8;
  bool byte_order_mark = false;
};

// Finds the encoding of `bytes` and sets `text` (whose body views `bytes`).
// Returns kNone, or the fault with its line and the bytes found (up to four
// from the first that is wrong): kUtf16, kControlByte (the first control
// byte), kBadEncoding. A file with a UTF-8 byte-order mark must be UTF-8;
// for any other, kBadEncoding points at the later of the places where the
// bytes stop being UTF-8 and stop being code page 932, the encoding the file
// most likely meant.
TableError FindTableEncoding(std::string_view bytes, TableText* text);

// The length of the longest prefix of `bytes` that is well-formed code page
// 932 and ends where a character ends.
//   "\x95\x69" "a" -> 3;   "a\x95" -> 1;   "a\x80" -> 1;   "\xB1\xA0" -> 1
std::size_t ValidCp932Length(std::string_view bytes);

// `text` when it has at most `max` bytes, else its first bytes up to a
// character boundary of `encoding` (at most `max`) followed by "...".
std::string ExcerptOf(std::string_view text, TableEncoding encoding, std::size_t max);

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_ENCODING_H_
