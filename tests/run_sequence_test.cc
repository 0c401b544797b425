// The run sequence in-process: every text it makes is released by its end,
// on the normal path and on each early end.
#include "dialogue/run_sequence.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "text/byte_string.h"
#include "io/channels.h"
#include "tests/test_files.h"

namespace kyori {
namespace {

using testing::ReadWholeFile;
using testing::WriteWholeFile;

struct InProcessRun {
  int status;
  std::string console;
};

// Runs the whole program with standard input and output on files in `folder`,
// which is also the current directory for the run.
InProcessRun RunInFolder(const testing::TempFolder& folder, const std::string& answers) {
  WriteWholeFile(folder.File("answers"), answers);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path());
  std::fflush(stdout);
  const int saved_in = dup(0), saved_out = dup(1);
  const int in = open("answers", O_RDONLY);
  const int out = open("console", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(in, 0);
  dup2(out, 1);
  ResetChannels();
  const int status = RunKyori();
  dup2(saved_in, 0);
  dup2(saved_out, 1);
  close(in);
  close(out);
  close(saved_in);
  close(saved_out);
  std::filesystem::current_path(previous);
  return {status, ReadWholeFile(folder.File("console"))};
}

struct RunCase {
  const char* name;
  const char* data;
  const char* answers;
  int status;
  bool writes_output;
};

const RunCase kRuns[] = {
    {"normal", "3 2\r\na,b\r\nx,1 10\r\ny,2 30\r\nz,3 20\r\n", "data.txt\nout.txt\n\n", 0, true},
    {"identical", "2 1\r\nt\r\nx,5\r\ny,5\r\n", "data.txt\n\n", 0, false},
    {"capacity", "301 1\r\n", "data.txt\n\n", 0, false},
    {"input_ends", "2 1\r\nt\r\nx,5\r\ny,6\r\n", "data.txt\n", 1, false},
    {"retries", "2 1\r\nt\r\nx,5\r\ny,6\r\n", "nope.txt\na,b\ndata.txt\nno/dir\nout.txt\nx,y\n\n", 0, true},
};

class RunSequenceTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunSequenceTest, LeavesNoLiveTextBehind) {
  const RunCase& c = GetParam();
  InitRuntime();
  const int32_t live_before = LiveByteStringCount();
  testing::TempFolder folder;
  WriteWholeFile(folder.File("data.txt"), c.data);
  const InProcessRun run = RunInFolder(folder, c.answers);
  EXPECT_EQ(run.status, c.status);
  EXPECT_EQ(std::filesystem::exists(folder.File("out.txt")), c.writes_output);
  EXPECT_FALSE(run.console.empty());
  EXPECT_EQ(LiveByteStringCount(), live_before);
}

INSTANTIATE_TEST_SUITE_P(Runs, RunSequenceTest, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<RunCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace kyori
