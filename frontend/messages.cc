#include "frontend/messages.h"

#include "platform/platform.h"

namespace kyori {

MessageStyle ChooseMessageStyle(ConsoleOption console) {
  MessageStyle style;
  style.japanese = platform::LocaleIsJapanese();
  switch (console) {
    case ConsoleOption::kUtf8: style.utf8 = true; break;
    case ConsoleOption::kCp932: style.utf8 = false; break;
    case ConsoleOption::kAuto: style.utf8 = platform::LocaleUsesUtf8(); break;
  }
  return style;
}

MessageLine::MessageLine(MessageStyle style) : style_(style), line_("kyori: ") {}

MessageLine& MessageLine::Say(std::string_view english, const texts::SjisText& japanese) {
  if (!style_.japanese) {
    line_.append(english);
  } else {
    line_.append(style_.utf8 ? japanese.readable : japanese.bytes);
  }
  return *this;
}

MessageLine& MessageLine::Say(std::string_view english, std::string_view japanese_ascii) {
  line_.append(style_.japanese ? japanese_ascii : english);
  return *this;
}

MessageLine& MessageLine::Plain(std::string_view ascii) {
  line_.append(ascii);
  return *this;
}

namespace {

// Control bytes shown as escapes, so that a name holding a line break stays
// on the message's one line: "a\nb" -> "a\\nb", 0x01 -> "\\x01". No byte of a
// UTF-8 or Shift-JIS character is below 0x20 or 0x7F, so no character is cut.
std::string EscapeControls(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out.push_back(c);
    } else if (c == '\n') {
      out.append("\\n");
    } else if (c == '\r') {
      out.append("\\r");
    } else if (c == '\t') {
      out.append("\\t");
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out.append("\\x");
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    }
  }
  return out;
}

}  // namespace

MessageLine& MessageLine::Data(std::string_view bytes) { return Data(bytes, NameEncoding::kEach); }

MessageLine& MessageLine::Data(std::string_view bytes, NameEncoding encoding) {
  const std::string shown = EscapeControls(bytes);
  if (style_.utf8) {
    line_.append(NameInUtf8(shown, encoding));
  } else {
    line_.append(shown);
  }
  return *this;
}

void MessageLine::Write() {
  line_.push_back('\n');
  platform::WriteFile(platform::StandardError(), line_.data(), line_.size());
}

}  // namespace kyori
