#include "analysis/utf8.h"

namespace kyori::analysis {

char32_t NextCodePoint(std::string_view text, std::size_t* pos) {
  const std::size_t start = *pos;
  const unsigned char lead = static_cast<unsigned char>(text[start]);
  ++*pos;
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t value = 0;
  char32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    value = lead & 0x1F;
    least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    value = lead & 0x0F;
    least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    value = lead & 0x07;
    least = 0x10000;
  } else {
    return kNotUtf8;
  }
  if (text.size() - start <= static_cast<std::size_t>(extra)) return kNotUtf8;
  for (int k = 1; k <= extra; ++k) {
    const unsigned char c = static_cast<unsigned char>(text[start + k]);
    if ((c & 0xC0) != 0x80) return kNotUtf8;
    value = (value << 6) | (c & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return kNotUtf8;
  *pos = start + 1 + extra;
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
