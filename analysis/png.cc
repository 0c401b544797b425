#include "analysis/png.h"

#include <cstdint>

namespace kyori::analysis {
namespace {

uint32_t Crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (char ch : bytes) c = table[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(std::string_view bytes) {
  uint32_t a = 1;
  uint32_t b = 0;
  for (char ch : bytes) {
    a = (a + static_cast<unsigned char>(ch)) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void AppendBigEndian(uint32_t v, std::string* out) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>((v >> shift) & 0xFF));
}

void AppendChunk(std::string_view type, std::string_view data, std::string* out) {
  AppendBigEndian(static_cast<uint32_t>(data.size()), out);
  std::string body(type);
  body.append(data);
  out->append(body);
  AppendBigEndian(Crc32(body), out);
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(std::string_view raw) {
  std::string z = "\x78\x01";
  std::size_t pos = 0;
  do {
    const std::size_t len = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    const bool last = pos + len == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<char>(len & 0xFF));
    z.push_back(static_cast<char>(len >> 8));
    z.push_back(static_cast<char>(~len & 0xFF));
    z.push_back(static_cast<char>((~len >> 8) & 0xFF));
    z.append(raw.substr(pos, len));
    pos += len;
  } while (pos < raw.size());
  AppendBigEndian(Adler32(raw), &z);
  return z;
}

}  // namespace

std::string PalettePng(int width, int height, const std::vector<unsigned char>& indices,
                       const std::vector<Rgb>& palette) {
  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  AppendBigEndian(static_cast<uint32_t>(width), &header);
  AppendBigEndian(static_cast<uint32_t>(height), &header);
  header += std::string("\x08\x03\x00\x00\x00", 5);  // depth 8, palette, no interlace
  AppendChunk("IHDR", header, &png);
  std::string colours;
  for (const Rgb& c : palette) colours.append(reinterpret_cast<const char*>(c.data()), 3);
  AppendChunk("PLTE", colours, &png);
  std::string raw;
  raw.reserve(static_cast<std::size_t>(width + 1) * height);
  for (int y = 0; y < height; ++y) {
    raw.push_back('\0');  // filter: none
    raw.append(reinterpret_cast<const char*>(indices.data()) + static_cast<std::size_t>(y) * width,
               width);
  }
  AppendChunk("IDAT", StoredZlib(raw), &png);
  AppendChunk("IEND", "", &png);
  return png;
}

std::string PngDataUri(std::string_view png) {
  static const char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out = "data:image/png;base64,";
  std::size_t i = 0;
  for (; i + 2 < png.size(); i += 3) {
    const uint32_t v = (static_cast<unsigned char>(png[i]) << 16) |
                       (static_cast<unsigned char>(png[i + 1]) << 8) |
                       static_cast<unsigned char>(png[i + 2]);
    out += kDigits[v >> 18];
    out += kDigits[(v >> 12) & 63];
    out += kDigits[(v >> 6) & 63];
    out += kDigits[v & 63];
  }
  if (i < png.size()) {
    uint32_t v = static_cast<unsigned char>(png[i]) << 16;
    if (i + 1 < png.size()) v |= static_cast<unsigned char>(png[i + 1]) << 8;
    out += kDigits[v >> 18];
    out += kDigits[(v >> 12) & 63];
    out += i + 1 < png.size() ? kDigits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace kyori::analysis
