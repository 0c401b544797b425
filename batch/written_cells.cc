#include "batch/written_cells.h"

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

}  // namespace

std::string NameCell(std::string_view name, char delimiter, NamesEncoding encoding) {
  return CsvQuoted(InUtf8(name, encoding), delimiter);
}

char* NumberCell(double value, char* out) { return WriteCsvNumber(value, out); }

}  // namespace kyori
