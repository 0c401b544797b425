// The command line's messages on standard error: one line each, beginning
// "kyori: ". English, or Japanese when the user's locale is Japanese; in
// UTF-8 or in code page 932, the console's encoding.
//
// A line is put together piece by piece: program texts (English, or a
// Japanese text in the chosen encoding), and data bytes (file and trait
// names), which in UTF-8 are shown through DisplayUtf8 and in code page 932
// are written as they are.
//
// Example (English): MessageLine(style).Data("x.txt").Plain(": ")
//   .Say("cannot open the data file", texts::kJaCannotOpenData).Write()
// writes "kyori: x.txt: cannot open the data file\n".
#ifndef KYORI_FRONTEND_MESSAGES_H_
#define KYORI_FRONTEND_MESSAGES_H_

#include <string>
#include <string_view>

#include "batch/name_encoding.h"
#include "io/console_encoding.h"
#include "text/texts.h"

namespace kyori {

struct MessageStyle {
  bool japanese = false;
  bool utf8 = true;
};

// The style for this run: Japanese when the locale says so; UTF-8 for
// --console=utf-8, code page 932 for cp932, and for auto UTF-8 when the
// locale's character set is UTF-8.
//   ConsoleOption::kCp932 under LANG=ja_JP.UTF-8 -> {japanese, not utf8}
MessageStyle ChooseMessageStyle(ConsoleOption console);

class MessageLine {
 public:
  explicit MessageLine(MessageStyle style);
  // The English text, or the Japanese one in the style's encoding.
  MessageLine& Say(std::string_view english, const texts::SjisText& japanese);
  MessageLine& Say(std::string_view english, std::string_view japanese_ascii);
  // ASCII that both languages share: punctuation, numbers, option names.
  MessageLine& Plain(std::string_view ascii);
  // Bytes from outside the program: a file's or a trait's name. Control
  // bytes are shown escaped ("\n", "\t", "\x01"), so the line stays one.
  MessageLine& Data(std::string_view bytes);
  // A name, or any text from a data file, whose encoding is known: in UTF-8
  // converted by it (NameInUtf8), in code page 932 as it is; escaped as Data.
  MessageLine& Data(std::string_view bytes, NameEncoding encoding);
  // Whether the line is in Japanese, for messages whose word order differs.
  bool Japanese() const { return style_.japanese; }
  // Writes the line and its line end to standard error.
  void Write();
  const std::string& Text() const { return line_; }

 private:
  MessageStyle style_;
  std::string line_;
};

}  // namespace kyori

#endif  // KYORI_FRONTEND_MESSAGES_H_
