#include "text/display_utf8.h"

#include "platform/platform.h"
#include "text/utf8_sequence.h"

namespace kyori {

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string DisplayUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return platform::Cp932ToUtf8(bytes);
}

}  // namespace kyori
