// The console shown in UTF-8: each write call converted on its own, files and
// typed answers untouched; and the choice of the encoding.
#include "io/console_encoding.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "io/channels.h"
#include "io/input_statement.h"
#include "tests/console_files.h"
#include "tests/test_files.h"
#include "text/texts.h"

namespace kyori {
namespace {

using testing::ReadWholeFile;

const std::string kSjisName = "\x95\x69\x8E\xED\x83\x5C";  // 品種ソ
const std::string kUtf8Name = "品種ソ";

class ConsoleEncodingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitRuntime();
    ResetChannels();
    UseTyped("");
  }
  void TearDown() override {
    SetConsoleEncoding(ConsoleEncoding::kBytes);
    ResetChannels();
  }
  // Standard input reads `typed`; standard output goes to a file.
  void UseTyped(const std::string& typed) { console_.Use(typed); }
  std::string Screen() { return console_.Shown(); }
  testing::TempFolder folder_;
  testing::ConsoleFiles console_;
};

// What the data echo writes, one call each: a program text, a Shift-JIS name,
// a UTF-8 name, numbers.
void WriteEchoPieces() {
  WriteToConsole(TextFromBytes(texts::kNameHeading.bytes));
  WriteToConsole(TextFromBytes(kSjisName));
  WriteBytesToConsole(" ");
  WriteToConsole(TextFromBytes(kUtf8Name));
  WriteBytesToConsole("  95.5  -1.25  \r\n");
}

TEST_F(ConsoleEncodingTest, EachWriteIsShownInUtf8OrLeftAsItIs) {
  struct Case {
    ConsoleEncoding encoding;
    std::string screen;
  };
  const Case cases[] = {
      {ConsoleEncoding::kUtf8, std::string(texts::kNameHeading.readable) + "品種ソ 品種ソ  95.5  -1.25  \r\n"},
      {ConsoleEncoding::kBytes,
       std::string(texts::kNameHeading.bytes) + kSjisName + " " + kUtf8Name + "  95.5  -1.25  \r\n"},
  };
  for (const Case& c : cases) {
    UseTyped("");
    SetConsoleEncoding(c.encoding);
    WriteEchoPieces();
    EXPECT_EQ(Screen(), c.screen);
  }
}

TEST_F(ConsoleEncodingTest, AWriteBeyondTheBufferIsShownInUtf8Too) {
  SetConsoleEncoding(ConsoleEncoding::kUtf8);
  std::string bytes;
  std::string shown;
  while (bytes.size() < 100000) {
    bytes += kSjisName;
    shown += kUtf8Name;
  }
  WriteBytesToConsole("a");
  WriteBytesToConsole(bytes);
  EXPECT_EQ(Screen(), "a" + shown);
}

TEST_F(ConsoleEncodingTest, FilesAreNeverConverted) {
  SetConsoleEncoding(ConsoleEncoding::kUtf8);
  const std::string path = folder_.File("report.txt");
  OpenChannel(TextFromBytes(path), kOpenCreate, 1);
  ASSERT_TRUE(ChannelIsOpen(1));
  WriteToChannel(1, TextFromBytes(texts::kResultsHeading.bytes));
  WriteBytesToChannel(1, kSjisName);
  ASSERT_TRUE(CloseChannel(1));
  EXPECT_EQ(ReadWholeFile(path), std::string(texts::kResultsHeading.bytes) + kSjisName);
}

// The input statement's prompt and message are shown in UTF-8; the answer is
// stored as it was typed.
TEST_F(ConsoleEncodingTest, PromptsAndMessagesShownTypedAnswersKept) {
  UseTyped("a,b\n" + kUtf8Name + ".txt\n");
  SetConsoleEncoding(ConsoleEncoding::kUtf8);
  ByteString answer;
  const InputTarget target = {&answer, KindText};
  SetInputTargets(&target, 1);
  ASSERT_TRUE(ReadFromConsole(TextFromBytes(texts::kDataFilePrompt.bytes)));
  EXPECT_EQ(answer.View(), kUtf8Name + ".txt");
  const std::string prompt(texts::kDataFilePrompt.readable);
  EXPECT_EQ(Screen(), prompt + std::string(texts::kTooManyFields.readable) + "\n" + prompt);
}

TEST(ConsoleEncodingOptionTest, OnlyTheThreeValuesAreOptions) {
  const std::pair<const char*, ConsoleOption> options[] = {
      {"auto", ConsoleOption::kAuto}, {"cp932", ConsoleOption::kCp932}, {"utf-8", ConsoleOption::kUtf8}};
  for (const auto& [value, expected] : options) {
    ConsoleOption option = expected == ConsoleOption::kAuto ? ConsoleOption::kUtf8 : ConsoleOption::kAuto;
    EXPECT_TRUE(ConsoleOptionFromName(value, &option)) << value;
    EXPECT_EQ(option, expected) << value;
  }
  for (const char* value : {"", "UTF-8", "utf8", "sjis", "auto "}) {
    ConsoleOption option = ConsoleOption::kCp932;
    EXPECT_FALSE(ConsoleOptionFromName(value, &option)) << value;
    EXPECT_EQ(option, ConsoleOption::kCp932) << value;  // untouched
  }
  EXPECT_EQ(ChooseConsoleEncoding(ConsoleOption::kCp932), ConsoleEncoding::kBytes);
  EXPECT_EQ(ChooseConsoleEncoding(ConsoleOption::kUtf8), ConsoleEncoding::kUtf8);
}

// "auto": UTF-8 only for a terminal under a UTF-8 locale. Standard output is
// pointed at a terminal or a file for each case.
TEST(ConsoleEncodingOptionTest, AutoWantsATerminalAndAUtf8Locale) {
  int master = -1;
  int terminal = -1;
  if (openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) {
    GTEST_SKIP() << "no pseudo-terminal can be opened here (openpty failed; is /dev/pts mounted?)";
  }
  testing::TempFolder folder;
  const int file = ::open(folder.File("out").c_str(), O_WRONLY | O_CREAT, 0644);
  struct Case {
    int output;
    const char* locale;
    ConsoleEncoding expected;
  };
  const Case cases[] = {
      {terminal, "C.UTF-8", ConsoleEncoding::kUtf8},
      {terminal, "C", ConsoleEncoding::kBytes},
      {file, "C.UTF-8", ConsoleEncoding::kBytes},
      {file, "C", ConsoleEncoding::kBytes},
  };
  const char* saved = std::getenv("LC_ALL");
  const std::string saved_lc_all = saved != nullptr ? saved : "";
  std::fflush(stdout);
  const int saved_out = ::dup(1);
  std::vector<ConsoleEncoding> chosen;
  for (const Case& c : cases) {
    ::dup2(c.output, 1);
    setenv("LC_ALL", c.locale, 1);
    chosen.push_back(ChooseConsoleEncoding(ConsoleOption::kAuto));
  }
  ::dup2(saved_out, 1);
  ::close(saved_out);
  if (saved != nullptr) {
    setenv("LC_ALL", saved_lc_all.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
  for (const int fd : {master, terminal, file}) ::close(fd);
  for (std::size_t k = 0; k < chosen.size(); ++k) {
    EXPECT_EQ(chosen[k], cases[k].expected) << k;
  }
}

}  // namespace
}  // namespace kyori
