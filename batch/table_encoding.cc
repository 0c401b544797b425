#include "batch/table_encoding.h"

#include <algorithm>
#include <string>

#include "batch/table_lines.h"
#include "text/display_utf8.h"

namespace kyori {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::size_t kFoundBytes = 4;

bool IsControlByte(unsigned char byte) {
  if (byte == '\t' || byte == '\n' || byte == '\r') return false;
  return byte < 0x20 || byte == 0x7F;
}

bool IsCp932Single(unsigned char byte) { return byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF); }
bool IsCp932Lead(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }
bool IsCp932Trail(unsigned char byte) { return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC); }

bool StartsWithUtf16Mark(std::string_view bytes) {
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

std::size_t FirstControlByte(std::string_view body) {
  for (std::size_t at = 0; at < body.size(); ++at) {
    if (IsControlByte(static_cast<unsigned char>(body[at]))) return at;
  }
  return body.size();
}

TableError FaultAt(TableErrorKind kind, std::string_view body, std::size_t at, std::size_t length) {
  TableError error;
  error.kind = kind;
  error.line = LineAtOffset(body, at);
  error.found = std::string(body.substr(at, length));
  return error;
}

}  // namespace

std::size_t ValidCp932Length(std::string_view bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (IsCp932Single(byte)) {
      ++at;
    } else if (IsCp932Lead(byte) && at + 1 < bytes.size() &&
               IsCp932Trail(static_cast<unsigned char>(bytes[at + 1]))) {
      at += 2;
    } else {
      break;
    }
  }
  return at;
}

TableError FindTableEncoding(std::string_view bytes, TableText* text) {
  *text = TableText{};
  if (StartsWithUtf16Mark(bytes)) return FaultAt(TableErrorKind::kUtf16, bytes, 0, 2);
  text->byte_order_mark = bytes.starts_with(kUtf8Mark);
  text->body = text->byte_order_mark ? bytes.substr(kUtf8Mark.size()) : bytes;
  const std::string_view body = text->body;

  const std::size_t control = FirstControlByte(body);
  if (control < body.size()) return FaultAt(TableErrorKind::kControlByte, body, control, 1);

  const std::size_t utf8 = ValidUtf8Length(body);
  if (utf8 == body.size()) {
    text->encoding = TableEncoding::kUtf8;
    return TableError{};
  }
  if (text->byte_order_mark) return FaultAt(TableErrorKind::kBadEncoding, body, utf8, kFoundBytes);
  const std::size_t cp932 = ValidCp932Length(body);
  if (cp932 == body.size()) {
    text->encoding = TableEncoding::kCp932;
    return TableError{};
  }
  return FaultAt(TableErrorKind::kBadEncoding, body, std::max(utf8, cp932), kFoundBytes);
}

std::string ExcerptOf(std::string_view text, TableEncoding encoding, std::size_t max) {
  if (text.size() <= max) return std::string(text);
  const std::string_view head = text.substr(0, max);
  const std::size_t whole =
      encoding == TableEncoding::kUtf8 ? ValidUtf8Length(head) : ValidCp932Length(head);
  return std::string(head.substr(0, whole)) + "...";
}

}  // namespace kyori
