#include "frontend/messages.h"

#include "platform/platform.h"
#include "text/display_utf8.h"

namespace kyori {

MessageStyle ChooseMessageStyle(std::string_view console_option) {
  MessageStyle style;
  style.japanese = platform::LocaleIsJapanese();
  if (console_option == "utf-8") {
    style.utf8 = true;
  } else if (console_option == "cp932") {
    style.utf8 = false;
  } else {
    style.utf8 = platform::LocaleUsesUtf8();
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

MessageLine& MessageLine::Data(std::string_view bytes) {
  if (style_.utf8) {
    line_.append(DisplayUtf8(bytes));
  } else {
    line_.append(bytes);
  }
  return *this;
}

void MessageLine::Write() {
  line_.push_back('\n');
  platform::WriteFile(platform::StandardError(), line_.data(), line_.size());
}

}  // namespace kyori
