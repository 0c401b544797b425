// Inputs that users and accidents produce: each run must end by itself with a
// clear outcome, no crash, no hang, and no data lost.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "text/texts.h"
#include "tests/program_runner.h"
#include "tests/test_files.h"

namespace kyori {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::WriteWholeFile;

const std::string kNormalAnswers = "data.txt\nout.txt\n\n";
const std::string kSmallData = "3 2\r\nA,B\r\nx,1 10\r\ny,2 30\r\nz,3 20\r\n";

std::string Line(std::string_view bytes) { return std::string(bytes) + "\r\n"; }

bool Holds(const std::string& haystack, std::string_view needle) {
  return haystack.find(needle) != std::string::npos;
}

// The console ends at the final prompt, or at the "? " of a stop.
bool EndsAtAPrompt(const std::string& console) {
  const std::string final_prompt(texts::kFinalPrompt.bytes);
  return console.ends_with(final_prompt) || console.ends_with("\r\n? ");
}

struct BadData {
  const char* name;
  std::string data;
  const char* must_show;  // bytes the console must hold, or null
  bool writes_output;
};

std::string RandomBytes(std::size_t count, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(count, '\0');
  for (char& b : bytes) b = static_cast<char>(generator() & 0xFF);
  return bytes;
}

std::string IdenticalAt(int trait) {
  return std::to_string(trait) + " " + std::string(texts::kIdenticalData.bytes) + "\r\n? ";
}

std::vector<BadData> BadDataFiles() {
  std::vector<BadData> cases;
  for (unsigned seed = 1; seed <= 4; ++seed) {
    cases.push_back({"random bytes", RandomBytes(4096, seed), nullptr, false});
  }
  cases.push_back({"digits and separators at random", [] {
                     std::mt19937 g(9);
                     const char alphabet[] = "0123456789 ,\r\n.-\t\"&H";
                     std::string s = "5 4\r\n";
                     for (int k = 0; k < 3000; ++k) s.push_back(alphabet[g() % (sizeof alphabet - 1)]);
                     return s;
                   }(), nullptr, false});
  cases.push_back({"NUL bytes", std::string("3 2\r\nA\0B,C\r\nx\0,1 2\r\ny,\0 3\r\n\0\0\0", 30), nullptr, false});
  cases.push_back({"a 10 MB file of one line",
                   [] {
                     std::string s = "2 2 ";
                     while (s.size() < 10'000'000) s += "12.5 ";
                     return s;
                   }(),
                   nullptr, false});
  cases.push_back({"400-digit numbers", "2 1\r\nT\r\nx," + std::string(400, '9') + "\r\ny,1\r\n",
                   "inf  ", false});
  cases.push_back({"count -1", "-1 2\r\nA,B\r\n", nullptr, false});
  cases.push_back({"count 0.5", "0.5 1\r\nA\r\nx,1\r\n", nullptr, false});
  cases.push_back({"count 300.5", "300.5 1\r\nA\r\nx,1\r\ny,2\r\n", nullptr, false});
  cases.push_back({"count 1e9 written out", "1000000000 2\r\nA,B\r\n", texts::kCapacity.bytes.data(), false});
  cases.push_back({"trait count 1e9", "2 1000000000\r\n", texts::kCapacity.bytes.data(), false});
  cases.push_back({"text where a count is due", "three two\r\nA,B\r\n", nullptr, false});
  cases.push_back({"a 100 KB name", "2 1\r\nT\r\n" + std::string(100'000, 'N') + ",1\r\ny,2\r\n", nullptr, true});
  cases.push_back({"0.1 0.1 0.1", "3 1\r\nT\r\nx,0.1\r\ny,0.1\r\nz,0.1\r\n", nullptr, false});
  cases.push_back({"a single variety", "1 1\r\nT\r\nx,0.1\r\n", nullptr, false});
  return cases;
}

TEST(BadInputTest, DataFilesEndCleanly) {
  for (const BadData& c : BadDataFiles()) {
    SCOPED_TRACE(c.name);
    testing::TempFolder work;
    WriteWholeFile(work.File("data.txt"), c.data);
    const std::string answers = kNormalAnswers + "\n";
    const testing::ProgramRun run = testing::RunProgram(work.Path().string(), &answers);
    ASSERT_FALSE(run.timed_out);
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_TRUE(EndsAtAPrompt(run.console));
    if (c.must_show) {
      EXPECT_TRUE(Holds(run.console, c.must_show));
    }
    if (c.writes_output) {
      EXPECT_TRUE(fs::exists(work.File("out.txt")));
    }
    EXPECT_EQ(ReadWholeFile(work.File("data.txt")), c.data);  // the data file is untouched
  }
}

TEST(BadInputTest, TraitsThatCannotBeStandardizedStopAsIdenticalData) {
  const struct {
    std::string data;
    int trait;
  } cases[] = {
      {"3 1\r\nT\r\nx,0.1\r\ny,0.1\r\nz,0.1\r\n", 1},  // a negative sum of squared deviations
      {"1 1\r\nT\r\nx,0.1\r\n", 1},                    // one variety: divides by n - 1 = 0
      {"1 2\r\nT,U\r\nx,1 2\r\n", 1},                  // one variety, exact squares
      {"3 2\r\nT,U\r\nx,1 0.1\r\ny,2 0.1\r\nz,3 0.1\r\n", 2},
      {"2 1\r\nT\r\nx," + std::string(400, '9') + "\r\ny,1\r\n", 1},  // an infinite value
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.data);
    testing::TempFolder work;
    WriteWholeFile(work.File("data.txt"), c.data);
    const std::string answers = "data.txt\n\n";
    const testing::ProgramRun run = testing::RunProgram(work.Path().string(), &answers);
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_TRUE(run.console.ends_with(IdenticalAt(c.trait)));
    EXPECT_FALSE(fs::exists(work.File("out.txt")));
  }
}

TEST(BadInputTest, ADirectoryIsNotADataFile) {
  testing::TempFolder work;
  fs::create_directory(work.File("folder"));
  WriteWholeFile(work.File("data.txt"), kSmallData);
  const std::string answers = "folder\ndata.txt\nfolder\nout.txt\n\n";
  const testing::ProgramRun run = testing::RunProgram(work.Path().string(), &answers);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_TRUE(Holds(run.console, Line(texts::kCannotOpenInput.bytes) + std::string(texts::kDataFilePrompt.bytes)));
  EXPECT_TRUE(Holds(run.console, Line(texts::kCannotCreateOutput.bytes) + std::string(texts::kOutputFilePrompt.bytes)));
  EXPECT_TRUE(fs::is_directory(work.File("folder")));
  EXPECT_TRUE(fs::exists(work.File("out.txt")));
}

TEST(BadInputTest, FilesWithoutPermission) {
  if (testing::ProgramIsWindows()) GTEST_SKIP() << "POSIX permissions";
  constexpr int kNobody = 65534;
  const int as_user = geteuid() == 0 ? kNobody : -1;  // permissions do not bind the superuser
  testing::TempFolder work;
  chmod(work.Path().c_str(), 0777);
  WriteWholeFile(work.File("data.txt"), kSmallData);
  WriteWholeFile(work.File("secret.txt"), kSmallData);
  chmod(work.File("secret.txt").c_str(), 0);
  fs::create_directory(work.File("locked"));
  chmod(work.File("locked").c_str(), 0555);
  const std::string answers = "secret.txt\ndata.txt\nlocked/out.txt\nout.txt\n\n";
  // A copy of the program that the other user can surely reach.
  const std::string program = work.File("kyori-copy");
  fs::copy_file(testing::ProgramPath(), program);
  chmod(program.c_str(), 0755);
  const testing::ProgramRun run = testing::RunProgram(work.Path().string(), &answers, 60, as_user, program);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_TRUE(Holds(run.console, Line(texts::kCannotOpenInput.bytes)));
  EXPECT_TRUE(Holds(run.console, Line(texts::kCannotCreateOutput.bytes)));
  EXPECT_FALSE(fs::exists(work.File("locked/out.txt")));
  EXPECT_TRUE(fs::exists(work.File("out.txt")));
}

TEST(BadInputTest, AFullDiskIsReportedAndTheRunEndsWithStatus1) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  testing::TempFolder work;
  WriteWholeFile(work.File("data.txt"), kSmallData);
  const std::string answers = "data.txt\n/dev/full\n\n";
  const testing::ProgramRun run = testing::RunProgram(work.Path().string(), &answers);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_TRUE(Holds(run.console, Line(texts::kWriteFailed.bytes) + "\r\n" + Line(texts::kAdvice1.bytes)));
  EXPECT_TRUE(run.console.ends_with(texts::kFinalPrompt.bytes));
}

TEST(BadInputTest, ACommaAtEveryPromptAsksAgain) {
  testing::TempFolder work;
  WriteWholeFile(work.File("data.txt"), kSmallData);
  const std::string answers = "a,b\ndata.txt\n,\nout.txt\nx,y,z\n\n";
  const testing::ProgramRun run = testing::RunProgram(work.Path().string(), &answers);
  EXPECT_EQ(run.exit_status, 0);
  const std::string too_many = std::string(texts::kTooManyFields.bytes) + "\n";
  EXPECT_TRUE(Holds(run.console, too_many + std::string(texts::kDataFilePrompt.bytes)));
  EXPECT_TRUE(Holds(run.console, too_many + std::string(texts::kOutputFilePrompt.bytes)));
  EXPECT_TRUE(run.console.ends_with(too_many + std::string(texts::kFinalPrompt.bytes)));
  EXPECT_TRUE(fs::exists(work.File("out.txt")));
}

TEST(BadInputTest, StandardInputClosingAtEveryPromptInTurn) {
  const struct {
    const char* answers;
    const char* data;
    int status;
    bool writes_output;
    std::string_view last_words;
  } cases[] = {
      {"", kSmallData.c_str(), 1, false, texts::kCannotOpenInput.bytes},
      {"data.txt\n", kSmallData.c_str(), 1, false, texts::kCannotCreateOutput.bytes},
      {"data.txt\nout.txt\n", kSmallData.c_str(), 0, true, texts::kFinalPrompt.bytes},
      {"data.txt\nout.txt", kSmallData.c_str(), 0, true, texts::kFinalPrompt.bytes},
      {"data.txt\n", "2 1\r\nT\r\nx,5\r\ny,5\r\n", 0, false, "? "},
      {"data.txt\n", "400 1\r\n", 0, false, "? "},
      {"a,b\n", kSmallData.c_str(), 1, false, texts::kCannotOpenInput.bytes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answers);
    testing::TempFolder work;
    WriteWholeFile(work.File("data.txt"), c.data);
    const std::string answers = c.answers;
    const testing::ProgramRun run = testing::RunProgram(work.Path().string(), &answers);
    ASSERT_FALSE(run.timed_out);
    EXPECT_EQ(run.exit_status, c.status);
    EXPECT_EQ(fs::exists(work.File("out.txt")), c.writes_output);
    std::string console = run.console;
    if (console.ends_with("\r\n")) console.resize(console.size() - 2);
    EXPECT_TRUE(console.ends_with(c.last_words));
  }
}

TEST(BadInputTest, StandardInputAtDevNull) {
  testing::TempFolder work;
  WriteWholeFile(work.File("data.txt"), kSmallData);
  const testing::ProgramRun run = testing::RunProgram(work.Path().string(), nullptr);
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_TRUE(run.console.ends_with(Line(texts::kCannotOpenInput.bytes)));
}

// Killed while the final prompt waits, the program has already put the whole
// report on disk.
TEST(BadInputTest, KilledAtTheFinalPromptTheOutputFileIsComplete) {
  if (testing::ProgramIsWindows()) GTEST_SKIP() << "signals are POSIX";
  testing::TempFolder reference;
  WriteWholeFile(reference.File("data.txt"), kSmallData);
  const testing::ProgramRun normal = testing::RunProgram(reference.Path().string(), &kNormalAnswers);
  ASSERT_EQ(normal.exit_status, 0);
  const std::string complete = ReadWholeFile(reference.File("out.txt"));
  ASSERT_FALSE(complete.empty());

  testing::TempFolder work;
  WriteWholeFile(work.File("data.txt"), kSmallData);
  int to_child[2], from_child[2];
  ASSERT_EQ(pipe(to_child), 0);
  ASSERT_EQ(pipe(from_child), 0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(to_child[0], 0);
    dup2(from_child[1], 1);
    close(to_child[1]);
    close(from_child[0]);
    if (chdir(work.Path().c_str()) != 0) _exit(126);
    const std::string program = testing::ProgramPath();
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(to_child[0]);
  close(from_child[1]);
  const std::string first_answers = "data.txt\nout.txt\n";
  ASSERT_EQ(write(to_child[1], first_answers.data(), first_answers.size()),
            static_cast<ssize_t>(first_answers.size()));
  std::string console;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  fcntl(from_child[0], F_SETFL, O_NONBLOCK);
  while (!console.ends_with(texts::kFinalPrompt.bytes) && std::chrono::steady_clock::now() < deadline) {
    char buffer[4096];
    const ssize_t got = read(from_child[0], buffer, sizeof buffer);
    if (got > 0) {
      console.append(buffer, static_cast<std::size_t>(got));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  EXPECT_TRUE(console.ends_with(texts::kFinalPrompt.bytes));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(to_child[1]);
  close(from_child[0]);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(ReadWholeFile(work.File("out.txt")), complete);
}

}  // namespace
}  // namespace kyori
