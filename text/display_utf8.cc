#include "text/display_utf8.h"

#include "platform/platform.h"
#include "text/utf8_sequence.h"

namespace kyori {

bool IsValidUtf8(std::string_view bytes) { return ValidUtf8Length(bytes) == bytes.size(); }

std::size_t ValidUtf8Length(std::string_view bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) break;
    at += length;
  }
  return at;
}

std::string DisplayUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return platform::Cp932ToUtf8(bytes);
}

std::string Utf8WithReplacements(std::string_view bytes) {
  std::size_t at = ValidUtf8Length(bytes);
  std::string out(bytes.substr(0, at));
  while (at < bytes.size()) {
    const std::size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) {
      out.append("\xEF\xBF\xBD");  // U+FFFD
      ++at;
    } else {
      out.append(bytes.substr(at, length));
      at += length;
    }
  }
  return out;
}

}  // namespace kyori
