#include "dialogue/console_lines.h"

#include "io/channels.h"

namespace kyori {

ByteString LineText(std::string_view bytes) {
  return ConcatByteStrings(TextFromBytes(bytes), TextFromBytes(kLineEnd));
}

void WriteConsoleText(std::string_view bytes) { WriteToConsole(TextFromBytes(bytes)); }

void WriteConsoleLine(std::string_view bytes) { WriteToConsole(LineText(bytes)); }

void WriteChannelLine(int32_t channel, std::string_view bytes) {
  WriteToChannel(channel, LineText(bytes));
}

}  // namespace kyori
