#include "io/template_printer.h"

#include <utility>

#include "convert/picture_template.h"
#include "io/channels.h"

namespace kyori {

void PrintWithTemplate(ByteString picture) {
  WriteToConsole(FormatWithTemplate(std::move(picture)));
}

}  // namespace kyori
