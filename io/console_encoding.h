// The console's encoding: what the console writer does with the bytes it is
// given before they are buffered for standard output.
//
//   kBytes  the bytes as they are: the dialogue's Shift-JIS (the start value).
//   kUtf8   each write call shown in UTF-8 through DisplayUtf8: bytes that are
//           valid UTF-8 as they are (a name from a UTF-8 data file), any
//           others read as code page 932 (the program's texts, Shift-JIS
//           names). Every program text, name and prompt is written by a call
//           of its own, so no character is split between two calls.
//
// Only the console's output is affected: files are never converted and typed
// answers are taken as typed.
//
#ifndef KYORI_IO_CONSOLE_ENCODING_H_
#define KYORI_IO_CONSOLE_ENCODING_H_

#include <string_view>

namespace kyori {

enum class ConsoleEncoding { kBytes, kUtf8 };

void SetConsoleEncoding(ConsoleEncoding encoding);
ConsoleEncoding CurrentConsoleEncoding();

// The value of the option --console=VALUE.
enum class ConsoleOption { kAuto, kCp932, kUtf8 };

// The option a value names: "auto", "cp932" or "utf-8"; false (and *option
// untouched) for any other value.
//   "utf-8" -> kUtf8;  "UTF-8", "utf8", "" -> false
bool ConsoleOptionFromName(std::string_view name, ConsoleOption* option);

// The encoding the option chooses:
//   kCp932  -> kBytes
//   kUtf8   -> kUtf8
//   kAuto   -> kUtf8 when standard output is a terminal and the user's
//              locale's character set is UTF-8 (LC_ALL, LC_CTYPE, LANG:
//              "C.UTF-8", "ja_JP.UTF-8"), else kBytes (piped or redirected
//              output, a Shift-JIS or ASCII locale). On Windows always
//              kBytes: the console is switched to code page 932 instead.
ConsoleEncoding ChooseConsoleEncoding(ConsoleOption option);

}  // namespace kyori

#endif  // KYORI_IO_CONSOLE_ENCODING_H_
