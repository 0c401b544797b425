#include "convert/picture_template.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace kyori {

TemplateArgumentList TemplateArguments;

namespace {

constexpr int64_t kOutputBufferSize = 1024;
// The last byte of the buffer always stays NUL, so the text is at most 1023.
constexpr int64_t kOutputLimit = kOutputBufferSize - 1;

// What a number that has no 32-bit nearest integer prints as.
constexpr int32_t kNoInteger = INT32_MIN;

// The zero-filled output buffer and its cursor. Writes at or past the limit
// are dropped, so the visible text is what an unbounded buffer would hold, cut
// to 1023 bytes. The cursor may run past the end; it never wraps.
struct OutputBuffer {
  char bytes[kOutputBufferSize] = {};
  int64_t cursor = 0;
};

void PutByte(OutputBuffer& out, int64_t position, char byte) {
  if (position >= 0 && position < kOutputLimit) out.bytes[position] = byte;
}

void PutBytes(OutputBuffer& out, int64_t position, std::string_view bytes) {
  for (char byte : bytes) PutByte(out, position++, byte);
}

// A text slot read as its bytes up to the first NUL; an unset slot is empty.
std::string_view SlotText(int32_t k) {
  const ByteString& slot = TemplateArguments.texts[k];
  if (slot.IsNull()) return {};
  const std::string_view bytes = slot.View();
  return bytes.substr(0, bytes.find('\0'));
}

// The nearest 32-bit integer, ties to even; kNoInteger when there is none.
int32_t RoundToInt32(double value) {
  if (!(value >= -2147483648.5 && value <= 2147483647.5)) return kNoInteger;
  const bool negative = value < 0;
  const double size = negative ? -value : value;
  int64_t whole = static_cast<int64_t>(size);
  const double fraction = size - static_cast<double>(whole);  // exact
  if (fraction > 0.5 || (fraction == 0.5 && whole % 2 != 0)) ++whole;
  if (negative) whole = -whole;
  if (whole < INT32_MIN || whole > INT32_MAX) return kNoInteger;
  return static_cast<int32_t>(whole);
}

// A run of `width` "#": the rounded number right-aligned in `width`
// characters, never cut by the formatting, then a NUL. The cursor moves by
// `width` alone, so what follows writes over any excess.
void WriteIntegerField(OutputBuffer& out, int64_t width, double value) {
  char digits[16];
  const int length = std::snprintf(digits, sizeof digits, "%d", RoundToInt32(value));
  int64_t position = out.cursor;
  for (int64_t pad = width - length; pad > 0; --pad) PutByte(out, position++, ' ');
  PutBytes(out, position, std::string_view(digits, static_cast<std::size_t>(length)));
  PutByte(out, position + length, '\0');
  out.cursor += width;
}

// "@": the text appended to the NUL-terminated text that the buffer holds
// from the cursor on (normally empty), with its NUL.
void WriteWholeTextField(OutputBuffer& out, std::string_view text) {
  int64_t end = out.cursor;
  while (end < kOutputLimit && out.bytes[end] != '\0') ++end;
  PutBytes(out, end, text);
  PutByte(out, end + static_cast<int64_t>(text.size()), '\0');
  out.cursor += static_cast<int64_t>(text.size());
}

// "&...&" of `width` bytes: the text left-aligned and space-filled, or its
// first `width` bytes. No NUL.
void WriteFixedTextField(OutputBuffer& out, int64_t width, std::string_view text) {
  if (static_cast<int64_t>(text.size()) < width) {
    for (int64_t i = 0; i < width; ++i) PutByte(out, out.cursor + i, ' ');
    PutBytes(out, out.cursor, text);
  } else {
    PutBytes(out, out.cursor, text.substr(0, static_cast<std::size_t>(width)));
  }
  out.cursor += width;
}

// Spaces after the "&" at `at`, when a closing "&" follows them; -1 otherwise.
int64_t FixedFieldSpaces(std::string_view picture, std::size_t at) {
  std::size_t next = at + 1;
  while (next < picture.size() && picture[next] == ' ') ++next;
  if (next < picture.size() && picture[next] == '&') return static_cast<int64_t>(next - at - 1);
  return -1;
}

bool IsFieldByte(char byte) { return byte == '#' || byte == '@' || byte == '&'; }

// The template's bytes up to its first NUL: the scan ends there.
std::string_view TemplateBytes(const ByteString& picture) {
  const std::string_view bytes = picture.View();
  return bytes.substr(0, bytes.find('\0'));
}

// Scans the template into the buffer. A template with more than
// kTemplateSlots fields is cut right before its first field beyond them.
void FormatInto(OutputBuffer& out, std::string_view picture) {
  std::size_t at = 0;
  int32_t k = 0;
  while (at < picture.size()) {
    const char byte = picture[at];
    if (!IsFieldByte(byte)) {
      PutByte(out, out.cursor++, byte);
      ++at;
      continue;
    }
    const int64_t spaces = byte == '&' ? FixedFieldSpaces(picture, at) : 0;
    if (byte == '&' && spaces < 0) {  // a lone "&" is a literal
      PutByte(out, out.cursor++, '&');
      ++at;
      continue;
    }
    if (k >= kTemplateSlots) break;
    if (byte == '#') {
      const std::size_t run_end = picture.find_first_not_of('#', at);
      const std::size_t run = (run_end == std::string_view::npos ? picture.size() : run_end) - at;
      WriteIntegerField(out, static_cast<int64_t>(run), TemplateArguments.numbers[k]);
      at += run;
    } else if (byte == '@') {
      WriteWholeTextField(out, SlotText(k));
      ++at;
    } else {
      WriteFixedTextField(out, spaces + 2, SlotText(k));
      at += static_cast<std::size_t>(spaces) + 2;
    }
    ++k;
  }
  PutByte(out, out.cursor, '\0');
}

}  // namespace

ByteString FormatWithTemplate(ByteString picture) {
  OutputBuffer out;
  FormatInto(out, TemplateBytes(picture));
  return TextFromBytes(std::string_view(out.bytes, std::strlen(out.bytes)));
}

ByteString LeftOfText(ByteString source, int32_t n) {
  if (n <= 0) return NewByteString(0);
  const std::string_view bytes = source.View();
  return TextFromBytes(bytes.substr(0, static_cast<std::size_t>(n)));
}

ByteString SpacesText(int32_t n) {
  ByteString spaces = NewByteString(n);
  if (n > 0) std::memset(spaces.Data(), ' ', static_cast<std::size_t>(n));
  return spaces;
}

}  // namespace kyori
