#include "batch/name_encoding.h"

#include "platform/platform.h"
#include "text/display_utf8.h"

namespace kyori {

std::string NameInUtf8(std::string_view bytes, NameEncoding encoding) {
  switch (encoding) {
    case NameEncoding::kUtf8: return std::string(bytes);
    case NameEncoding::kCp932: return platform::Cp932ToUtf8(bytes);
    case NameEncoding::kEach: break;
  }
  return DisplayUtf8(bytes);
}

}  // namespace kyori
