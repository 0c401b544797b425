// Small writers the calculator uses for its dialogue and report: a literal
// copied into a new text and handed on, with or without CR LF.
#ifndef KYORI_DIALOGUE_CONSOLE_LINES_H_
#define KYORI_DIALOGUE_CONSOLE_LINES_H_

#include <cstdint>
#include <string_view>

#include "text/byte_string.h"

namespace kyori {

inline constexpr std::string_view kLineEnd = "\r\n";

// `bytes` followed by CR LF, as one new text.
ByteString LineText(std::string_view bytes);
// `bytes` as one console write, with no line end.
void WriteConsoleText(std::string_view bytes);
// `bytes` and CR LF as one console write.
void WriteConsoleLine(std::string_view bytes);
// `bytes` and CR LF as one write to `channel`.
void WriteChannelLine(int32_t channel, std::string_view bytes);

}  // namespace kyori

#endif  // KYORI_DIALOGUE_CONSOLE_LINES_H_
