// End-to-end: the built program as a real process in a temporary folder, its
// answers piped to standard input one per line, the console bytes, the exit
// status and every file of the folder compared byte for byte with the
// expected Shift-JIS files kept in tests/data/e2e/<case>/:
//   answers          standard input
//   given/           the files the folder holds before the run
//   expected/console standard output
//   expected/status  the exit status
//   expected/files/  every file the folder holds after the run
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/program_runner.h"
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
};

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

class EndToEndTest : public ::testing::TestWithParam<EndToEndCase> {};

TEST_P(EndToEndTest, ConsoleFilesAndStatusMatchByteForByte) {
  const EndToEndCase& c = GetParam();
  if (c.windows_skip != nullptr && testing::ProgramIsWindows()) GTEST_SKIP() << c.windows_skip;
  const fs::path dir = fs::path(KYORI_TEST_DATA_DIR) / "e2e" / c.name;
  testing::TempFolder work;
  if (fs::exists(dir / "given")) fs::copy(dir / "given", work.Path(), fs::copy_options::recursive);
  const std::string answers = ReadWholeFile((dir / "answers").string());

  const testing::ProgramRun run = testing::RunProgram(work.Path().string(), &answers);

  ASSERT_FALSE(run.timed_out);
  EXPECT_EQ(run.console, ReadWholeFile((dir / "expected" / "console").string()));
  EXPECT_EQ(run.exit_status, std::stoi(ReadWholeFile((dir / "expected" / "status").string())));
  EXPECT_EQ(FilesBelow(work.Path()), FilesBelow(dir / "expected" / "files"));
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
  EXPECT_EQ(FilesBelow(work.Path()).size(), 0u);
}

}  // namespace
}  // namespace kyori
