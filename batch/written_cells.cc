#include "batch/written_cells.h"

#include <charconv>
#include <cmath>

#include "platform/platform.h"
#include "text/display_utf8.h"

namespace kyori {
namespace {

bool IsAscii(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string InUtf8(std::string_view name, NamesEncoding encoding) {
  if (IsAscii(name)) return std::string(name);  // the same bytes in every encoding
  switch (encoding) {
    case NamesEncoding::kCp932: return platform::Cp932ToUtf8(name);
    case NamesEncoding::kUtf8: return Utf8WithReplacements(name);
    case NamesEncoding::kDetect: return DisplayUtf8(name);
  }
  return std::string(name);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool NeedsQuotes(std::string_view text, char delimiter) {
  if (text.empty()) return false;
  if (IsBlank(text.front()) || IsBlank(text.back())) return true;
  for (const char c : text) {
    if (c == delimiter || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace

std::string NameCell(std::string_view name, char delimiter, NamesEncoding encoding) {
  std::string text = InUtf8(name, encoding);
  return NeedsQuotes(text, delimiter) ? Quoted(text) : text;
}

char* NumberCell(double value, char* out) {
  std::string_view special;
  if (std::isnan(value)) {
    special = "NA";
  } else if (std::isinf(value)) {
    special = value > 0 ? "Inf" : "-Inf";
  } else {
    return std::to_chars(out, out + kMaxNumberCell, value).ptr;
  }
  for (const char c : special) *out++ = c;
  return out;
}

}  // namespace kyori
