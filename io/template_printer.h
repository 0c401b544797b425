// The printing half of picture templates: a template formatted with
// TemplateArguments and written to the console.
//
// Example: with TemplateArguments.numbers[0] = 12, PrintWithTemplate of "##"
// writes "12" to the console; of "####" writes "  12". No line end is added.
#ifndef KYORI_IO_TEMPLATE_PRINTER_H_
#define KYORI_IO_TEMPLATE_PRINTER_H_

#include "text/byte_string.h"

namespace kyori {

// Formats the template and writes the result to the console, with no line
// end; the template is released.
void PrintWithTemplate(ByteString picture);

}  // namespace kyori

#endif  // KYORI_IO_TEMPLATE_PRINTER_H_
