// End-to-end: the built program as a real process in a temporary folder, its
// answers piped to standard input one per line, the console bytes, the exit
// status and every file of the folder compared byte for byte with the
// expected Shift-JIS files kept in tests/data/e2e/<case>/:
//   answers          standard input
//   given/           the files the folder holds before the run
//   expected/console standard output
//   expected/status  the exit status
//   expected/files/  every file the folder holds after the run
// File names are kept in UTF-8 here. In the folder the program runs in they
// are named as the program names them when given Shift-JIS: by the Shift-JIS
// bytes on POSIX, where a name is its bytes; in UTF-8 under wine, which keeps
// Windows' UTF-16 names in UTF-8 on Unix.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/program_runner.h"
#include "tests/reencode.h"
#include "tests/test_files.h"

namespace kyori {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;

struct EndToEndCase {
  const char* name;
  const char* windows_skip;  // why the case cannot apply on Windows, or null
};

const EndToEndCase kCases[] = {
    {"example_three_varieties", nullptr},
    {"one_trait_four_varieties", nullptr},
    {"identical_second_trait", nullptr},
    {"no_traits", nullptr},
    {"no_varieties_no_traits", nullptr},
    {"count_of_301", nullptr},
    {"data_file_missing_then_found", nullptr},
    {"output_folder_missing_then_good", nullptr},
    {"output_to_dev_full", "there is no /dev/full on Windows"},
    {"input_ends_before_output_prompt", nullptr},
    {"variety_line_shifts_fields", nullptr},
    {"comma_in_answers", nullptr},
    {"sample_data_file", nullptr},
    {"no_input_at_all", nullptr},
    {"japanese_file_names", nullptr},
};

// A name kept here (UTF-8) as the program's file system holds it, and back.
std::string NameInRunFolder(const std::string& kept) {
  if (testing::ProgramIsWindows()) return kept;
  return testing::Reencode(kept, "UTF-8", "CP932").value_or(kept);
}
std::string NameAsKept(const std::string& in_run_folder) {
  if (testing::ProgramIsWindows()) return in_run_folder;
  return testing::Reencode(in_run_folder, "CP932", "UTF-8").value_or(in_run_folder);
}

// Every file below `folder`, by its path relative to `folder` as `rename`
// gives it.
std::map<std::string, std::string> FilesBelow(const fs::path& folder,
                                              std::string (*rename)(const std::string&)) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[rename(fs::relative(entry.path(), folder).generic_string())] =
          ReadWholeFile(entry.path().string());
    }
  }
  return files;
}

std::string AsItIs(const std::string& name) { return name; }

void CopyGivenFiles(const fs::path& given, const fs::path& work) {
  for (const auto& [name, bytes] : FilesBelow(given, AsItIs)) {
    const fs::path target = work / NameInRunFolder(name);
    fs::create_directories(target.parent_path());
    testing::WriteWholeFile(target.string(), bytes);
  }
}

class EndToEndTest : public ::testing::TestWithParam<EndToEndCase> {};

TEST_P(EndToEndTest, ConsoleFilesAndStatusMatchByteForByte) {
  const EndToEndCase& c = GetParam();
  if (c.windows_skip != nullptr && testing::ProgramIsWindows()) GTEST_SKIP() << c.windows_skip;
  const fs::path dir = fs::path(KYORI_TEST_DATA_DIR) / "e2e" / c.name;
  testing::TempFolder work;
  CopyGivenFiles(dir / "given", work.Path());
  const std::string answers = ReadWholeFile((dir / "answers").string());

  const testing::ProgramRun run = testing::RunProgram(work.Path().string(), &answers);

  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.console, ReadWholeFile((dir / "expected" / "console").string()));
  EXPECT_EQ(run.exit_status, std::stoi(ReadWholeFile((dir / "expected" / "status").string())));
  EXPECT_EQ(FilesBelow(work.Path(), NameAsKept), FilesBelow(dir / "expected" / "files", AsItIs));
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEndTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<EndToEndCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(EndToEndRunTest, StandardInputAtDevNullEndsTheRunAtTheFirstPrompt) {
  testing::TempFolder work;
  const testing::ProgramRun run = testing::RunProgram(work.Path().string(), nullptr);
  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(FilesBelow(work.Path(), AsItIs).size(), 0u);
}

}  // namespace
}  // namespace kyori
