#include "text/display_utf8.h"

#include "platform/platform.h"

namespace kyori {
namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed sequence starting at bytes[at], or 0 when
// none starts there. The ranges of the second byte rule out overlong forms,
// surrogates and code points above U+10FFFF.
std::size_t SequenceLength(std::string_view bytes, std::size_t at) {
  const unsigned char lead = static_cast<unsigned char>(bytes[at]);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() - at < length) return 0;
  const unsigned char second = static_cast<unsigned char>(bytes[at + 1]);
  if (second < low || second > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(bytes[at + k]))) return 0;
  }
  return length;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) { return ValidUtf8Length(bytes) == bytes.size(); }

std::size_t ValidUtf8Length(std::string_view bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t length = SequenceLength(bytes, at);
    if (length == 0) break;
    at += length;
  }
  return at;
}

std::string DisplayUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return platform::Cp932ToUtf8(bytes);
}

}  // namespace kyori
