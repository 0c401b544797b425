// How the bytes of a collection's names stand for characters, so that the
// writers of formats that must be UTF-8 (a tree, a matrix, a picture) and
// the messages convert them rightly.
//
// A data file in the kyori layout says nothing of its encoding: each name is
// taken as UTF-8 when its bytes are well-formed UTF-8, else as code page 932
// (kEach). A table file's encoding is found once for the whole file
// (batch/table_encoding.h), and every name is in it (kUtf8, kCp932): a
// Shift-JIS name whose bytes happen to be well-formed UTF-8 too (the
// half-width katakana ﾃｩ, C3 A9, which UTF-8 reads as é) is still read as
// Shift-JIS.
//
// Examples:
//   NameInUtf8("\xC3\xA9", kEach)  -> "é"     NameInUtf8("\xC3\xA9", kCp932) -> "ﾃｩ"
//   NameInUtf8("\x95\x69", kEach)  -> "品"    NameInUtf8("\x95\x69", kUtf8)  -> "\x95\x69"
#ifndef KYORI_BATCH_NAME_ENCODING_H_
#define KYORI_BATCH_NAME_ENCODING_H_

#include <string>
#include <string_view>

namespace kyori {

enum class NameEncoding {
  kEach,   // name by name: UTF-8 when well-formed, else code page 932
  kUtf8,   // every name is UTF-8
  kCp932,  // every name is code page 932
};

// The name's characters in UTF-8. kUtf8 returns the bytes as they are (a
// table's names were checked when it was read).
std::string NameInUtf8(std::string_view bytes, NameEncoding encoding);

}  // namespace kyori

#endif  // KYORI_BATCH_NAME_ENCODING_H_
