#include "app/console_lines.h"

#include "io/channels.h"
#include "io/input_statement.h"

namespace kyori {

ByteString LineText(std::string_view bytes) {
  return ConcatByteStrings(TextFromBytes(bytes), TextFromBytes(kLineEnd));
}

void WriteConsoleText(std::string_view bytes) { WriteToConsole(TextFromBytes(bytes)); }

void WriteConsoleLine(std::string_view bytes) { WriteToConsole(LineText(bytes)); }

void WriteChannelLine(int32_t channel, std::string_view bytes) {
  WriteToChannel(channel, LineText(bytes));
}

void SetSingleTarget(void* address, int32_t kind) {
  const InputTarget target = {address, kind};
  SetInputTargets(&target, 1);
}

}  // namespace kyori
