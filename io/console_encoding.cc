#include "io/console_encoding.h"

#include "platform/platform.h"

namespace kyori {
namespace {

ConsoleEncoding Current = ConsoleEncoding::kBytes;

}  // namespace

void SetConsoleEncoding(ConsoleEncoding encoding) { Current = encoding; }

ConsoleEncoding CurrentConsoleEncoding() { return Current; }

bool IsConsoleEncodingOption(std::string_view option) {
  return option == "auto" || option == "cp932" || option == "utf-8";
}

ConsoleEncoding ChooseConsoleEncoding(std::string_view option) {
  if (option == "cp932") return ConsoleEncoding::kBytes;
  if (option == "utf-8") return ConsoleEncoding::kUtf8;
  // LocaleUsesUtf8 is false on Windows, whose console is switched instead.
  const bool utf8_terminal =
      platform::IsTerminal(platform::StandardOutput()) && platform::LocaleUsesUtf8();
  return utf8_terminal ? ConsoleEncoding::kUtf8 : ConsoleEncoding::kBytes;
}

}  // namespace kyori
