#include "analysis/utf8.h"

#include "text/utf8_sequence.h"

namespace kyori::analysis {

// A well-formed sequence of `length` bytes holds the code point's bits
// after the lead byte's length marker (the top `length` + 1 bits), then six
// bits in each continuation byte.
char32_t NextCodePoint(std::string_view text, std::size_t* pos) {
  const std::size_t start = *pos;
  const std::size_t length = Utf8SequenceLength(text, start);
  if (length == 0) {
    ++*pos;
    return kNotUtf8;
  }
  const unsigned char lead = static_cast<unsigned char>(text[start]);
  char32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    value = (value << 6) | (static_cast<unsigned char>(text[start + k]) & 0x3F);
  }
  *pos = start + length;
  return value;
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace kyori::analysis
