#include "io/console_encoding.h"

#include "platform/platform.h"

namespace kyori {
namespace {

ConsoleEncoding Current = ConsoleEncoding::kBytes;

}  // namespace

void SetConsoleEncoding(ConsoleEncoding encoding) { Current = encoding; }

ConsoleEncoding CurrentConsoleEncoding() { return Current; }

bool ConsoleOptionFromName(std::string_view name, ConsoleOption* option) {
  if (name == "auto") {
    *option = ConsoleOption::kAuto;
  } else if (name == "cp932") {
    *option = ConsoleOption::kCp932;
  } else if (name == "utf-8") {
    *option = ConsoleOption::kUtf8;
  } else {
    return false;
  }
  return true;
}

ConsoleEncoding ChooseConsoleEncoding(ConsoleOption option) {
  if (option == ConsoleOption::kCp932) return ConsoleEncoding::kBytes;
  if (option == ConsoleOption::kUtf8) return ConsoleEncoding::kUtf8;
  // LocaleUsesUtf8 is false on Windows, whose console is switched instead.
  const bool utf8_terminal =
      platform::IsTerminal(platform::StandardOutput()) && platform::LocaleUsesUtf8();
  return utf8_terminal ? ConsoleEncoding::kUtf8 : ConsoleEncoding::kBytes;
}

}  // namespace kyori
