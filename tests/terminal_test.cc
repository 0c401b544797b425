// The built program on a terminal: under a UTF-8 locale the screen shows the
// dialogue in UTF-8 (program texts and Shift-JIS names converted, UTF-8 names
// as they are); under any other locale the bytes are Shift-JIS as when piped.
// Files are the same bytes either way.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/program_runner.h"
#include "tests/reencode.h"
#include "tests/test_files.h"
#include "text/display_utf8.h"
#include "text/texts.h"

namespace kyori {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;

std::map<std::string, std::string> FilesBelow(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), folder).generic_string()] = ReadWholeFile(entry.path().string());
    }
  }
  return files;
}

// Whether a pseudo-terminal opens here; a chroot or a container without
// /dev/pts has none, and the tests below then report themselves skipped.
bool PseudoTerminalOpens() {
  int master = -1;
  int terminal = -1;
  if (openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) return false;
  close(master);
  close(terminal);
  return true;
}

constexpr const char* kNoPseudoTerminal = "no pseudo-terminal can be opened here (openpty failed; is /dev/pts mounted?)";

struct TerminalCase {
  const char* name;  // an end-to-end case in tests/data/e2e/
  const char* locale;
  bool shown_in_utf8;
};

const TerminalCase kCases[] = {
    {"example_three_varieties", "C.UTF-8", true},
    {"identical_second_trait", "C.UTF-8", true},
    {"comma_in_answers", "C.UTF-8", true},
    {"data_file_missing_then_found", "C.UTF-8", true},
    {"sample_data_file", "C.UTF-8", true},
    {"example_three_varieties", "C", false},
};

void PrintTo(const TerminalCase& c, std::ostream* out) { *out << c.name << " " << c.locale; }

class TerminalTest : public ::testing::TestWithParam<TerminalCase> {};

// The expected screen is the whole expected console read as code page 932.
TEST_P(TerminalTest, ScreenIsTheConsoleInTheLocalesEncoding) {
  if (!PseudoTerminalOpens()) GTEST_SKIP() << kNoPseudoTerminal;
  const TerminalCase& c = GetParam();
  const fs::path dir = fs::path(KYORI_TEST_DATA_DIR) / "e2e" / c.name;
  testing::TempFolder work;
  fs::copy(dir / "given", work.Path(), fs::copy_options::recursive);
  const std::string console = ReadWholeFile((dir / "expected" / "console").string());
  const std::string screen = c.shown_in_utf8 ? testing::Reencode(console, "CP932", "UTF-8").value() : console;

  const testing::ProgramRun run =
      testing::RunProgramOnTerminal(work.Path().string(), ReadWholeFile((dir / "answers").string()), c.locale);

  ASSERT_FALSE(run.timed_out);
  if (c.shown_in_utf8) {
    EXPECT_NE(run.console.find(texts::kDataFilePrompt.readable), std::string::npos) << "first prompt";
  }
  EXPECT_EQ(run.console, screen);
  EXPECT_EQ(run.exit_status, std::stoi(ReadWholeFile((dir / "expected" / "status").string())));
  EXPECT_EQ(FilesBelow(work.Path()), FilesBelow(dir / "expected" / "files"));
}

INSTANTIATE_TEST_SUITE_P(Cases, TerminalTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TerminalCase>& info) {
                           return std::string(info.param.name) + (info.param.shown_in_utf8 ? "_utf8" : "_bytes");
                         });

// `console` with each program text's Shift-JIS bytes replaced by its readable
// form, longest texts first.
std::string WithReadableTexts(std::string console) {
  std::vector<const texts::SjisText*> all(std::begin(texts::kAllTexts), std::end(texts::kAllTexts));
  std::sort(all.begin(), all.end(), [](const texts::SjisText* a, const texts::SjisText* b) {
    return a->bytes.size() > b->bytes.size();
  });
  for (const texts::SjisText* text : all) {
    for (std::size_t at = 0; (at = console.find(text->bytes, at)) != std::string::npos;) {
      console.replace(at, text->bytes.size(), text->readable);
      at += text->readable.size();
    }
  }
  return console;
}

// A data file written in UTF-8: its names are shown as they are, among the
// program's texts shown in UTF-8; the report file keeps the names' bytes.
TEST(TerminalUtf8DataTest, Utf8NamesAreShownAsTheyAre) {
  if (!PseudoTerminalOpens()) GTEST_SKIP() << kNoPseudoTerminal;
  const std::string data = "2 2\n形質1,形質2\n品種A,95.5 18.2\nｺｼﾋｶﾘ,88 17.9\n";
  const std::string answers = "data.txt\nout.txt\n\n";
  testing::TempFolder piped_folder;
  testing::TempFolder terminal_folder;
  testing::WriteWholeFile(piped_folder.File("data.txt"), data);
  testing::WriteWholeFile(terminal_folder.File("data.txt"), data);

  const testing::ProgramRun piped = testing::RunProgram(piped_folder.Path().string(), &answers);
  const testing::ProgramRun shown =
      testing::RunProgramOnTerminal(terminal_folder.Path().string(), answers, "C.UTF-8");

  ASSERT_FALSE(shown.timed_out);
  EXPECT_EQ(shown.exit_status, 0);
  EXPECT_TRUE(IsValidUtf8(shown.console));
  EXPECT_NE(shown.console.find("品種A"), std::string::npos);
  EXPECT_NE(shown.console.find("ｺｼﾋｶﾘ"), std::string::npos);
  EXPECT_EQ(shown.console, WithReadableTexts(piped.console));
  const std::string report = ReadWholeFile(terminal_folder.File("out.txt"));
  EXPECT_NE(report.find("ｺｼﾋｶﾘ"), std::string::npos);
  EXPECT_EQ(report, ReadWholeFile(piped_folder.File("out.txt")));
}

}  // namespace
}  // namespace kyori
