// The POSIX platform layer's calls for the command line, the terminal, the
// locale and writing a report safely.
#include "platform/platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <pthread.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/test_files.h"
#include "text/display_utf8.h"

namespace kyori {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::WriteWholeFile;

const std::string kReplacement = "\xEF\xBF\xBD";

// ---- Cp932ToUtf8

TEST(Cp932ToUtf8Test, EachUnassignedSingleByteIsOneReplacement) {
  for (const char* byte : {"\x80", "\xA0", "\xFD", "\xFE", "\xFF"}) {
    EXPECT_EQ(platform::Cp932ToUtf8(std::string("<") + byte + ">"), "<" + kReplacement + ">")
        << ::testing::PrintToString(byte);
  }
}

// The converter works through a bounded buffer: a long text, with an
// undecodable byte somewhere past the first buffer, comes out whole.
TEST(Cp932ToUtf8Test, LongTextsConvertWhole) {
  std::string bytes;
  std::string expected;
  for (int k = 0; k < 3000; ++k) {
    bytes += "\x95\x69";  // 品
    expected += "品";
    if (k == 700) {
      bytes += "\xFF";
      expected += kReplacement;
    }
  }
  EXPECT_EQ(platform::Cp932ToUtf8(bytes), expected);
}

// Whatever the bytes, the result is UTF-8 and no byte is dropped silently.
TEST(Cp932ToUtf8Test, EveryPairOfBytesGivesValidUtf8) {
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const char pair[2] = {static_cast<char>(first), static_cast<char>(second)};
      const std::string shown = platform::Cp932ToUtf8(std::string_view(pair, 2));
      ASSERT_TRUE(IsValidUtf8(shown)) << first << " " << second;
      ASSERT_FALSE(shown.empty()) << first << " " << second;
    }
  }
}

// ---- CommandLineArguments

TEST(CommandLineArgumentsTest, TheArgumentsWithoutTheProgramName) {
  std::string words[] = {"kyori", "--console=utf-8", "品種.txt", ""};
  char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(), nullptr};
  EXPECT_EQ(platform::CommandLineArguments(4, argv),
            (std::vector<std::string>{"--console=utf-8", "品種.txt", ""}));
  EXPECT_TRUE(platform::CommandLineArguments(1, argv).empty());
}

// ---- IsTerminal

TEST(IsTerminalTest, OnlyATerminalIsOne) {
  int master = -1;
  int terminal = -1;
  if (openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) {
    GTEST_SKIP() << "no pseudo-terminal can be opened here (openpty failed; is /dev/pts mounted?)";
  }
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  testing::TempFolder folder;
  const int file = ::open(folder.File("f").c_str(), O_RDWR | O_CREAT, 0644);

  EXPECT_TRUE(platform::IsTerminal(terminal));
  EXPECT_FALSE(platform::IsTerminal(pipe_ends[0]));
  EXPECT_FALSE(platform::IsTerminal(pipe_ends[1]));
  EXPECT_FALSE(platform::IsTerminal(file));
  EXPECT_FALSE(platform::IsTerminal(platform::kInvalidHandle));

  for (const int fd : {master, terminal, pipe_ends[0], pipe_ends[1], file}) ::close(fd);
}

// ---- LocaleUsesUtf8 and LocaleIsJapanese

// Sets the locale variables for one check and puts them back afterwards.
class LocaleVariables {
 public:
  explicit LocaleVariables(const std::map<std::string, std::string>& values) {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      if (value != nullptr) saved_[name] = value;
      unsetenv(name);
    }
    for (const auto& [name, value] : values) setenv(name.c_str(), value.c_str(), 1);
  }
  ~LocaleVariables() {
    for (const char* name : kNames) {
      unsetenv(name);
      if (const auto kept = saved_.find(name); kept != saved_.end()) setenv(name, kept->second.c_str(), 1);
    }
  }

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANG"};
  std::map<std::string, std::string> saved_;
};

struct LocaleCase {
  std::map<std::string, std::string> variables;
  bool expected;
};

TEST(LocaleTest, UsesUtf8FollowsLcAllThenLcCtypeThenLang) {
  const LocaleCase cases[] = {
      {{}, false},
      {{{"LANG", "C.UTF-8"}}, true},
      {{{"LANG", "C.utf8"}}, true},
      {{{"LANG", "C"}}, false},
      {{{"LC_ALL", "C"}, {"LANG", "C.UTF-8"}}, false},
      {{{"LC_ALL", ""}, {"LANG", "C.UTF-8"}}, true},  // empty counts as unset
      {{{"LC_CTYPE", "C.UTF-8"}, {"LANG", "C"}}, true},
      {{{"LC_MESSAGES", "C.UTF-8"}, {"LANG", "C"}}, false},
      // Whether or not these are installed here:
      {{{"LANG", "ja_JP.UTF-8"}}, true},
      {{{"LANG", "ja_JP.eucJP"}}, false},
      {{{"LANG", "ja_JP.SJIS"}}, false},
  };
  for (const LocaleCase& c : cases) {
    LocaleVariables set(c.variables);
    EXPECT_EQ(platform::LocaleUsesUtf8(), c.expected) << ::testing::PrintToString(c.variables);
  }
}

TEST(LocaleTest, IsJapaneseFollowsLcAllThenLcMessagesThenLang) {
  const LocaleCase cases[] = {
      {{}, false},
      {{{"LANG", "ja_JP.UTF-8"}}, true},
      {{{"LANG", "ja_JP.SJIS"}}, true},
      {{{"LANG", "ja"}}, true},
      {{{"LANG", "C.UTF-8"}}, false},
      {{{"LANG", "en_US.UTF-8"}}, false},
      {{{"LC_ALL", "C"}, {"LANG", "ja_JP.UTF-8"}}, false},
      {{{"LC_MESSAGES", "ja_JP.UTF-8"}, {"LANG", "C"}}, true},
      {{{"LC_MESSAGES", "C.UTF-8"}, {"LANG", "ja_JP.UTF-8"}}, false},
      {{{"LC_CTYPE", "ja_JP.UTF-8"}}, false},
  };
  for (const LocaleCase& c : cases) {
    LocaleVariables set(c.variables);
    EXPECT_EQ(platform::LocaleIsJapanese(), c.expected) << ::testing::PrintToString(c.variables);
  }
}

TEST(LocaleTest, TheProgramsOwnLocaleStaysAsItWas) {
  LocaleVariables set(std::map<std::string, std::string>{{"LANG", "C.UTF-8"}});
  const std::string ctype = setlocale(LC_CTYPE, nullptr);
  const std::string messages = setlocale(LC_MESSAGES, nullptr);
  EXPECT_TRUE(platform::LocaleUsesUtf8());
  EXPECT_FALSE(platform::LocaleIsJapanese());
  EXPECT_EQ(setlocale(LC_CTYPE, nullptr), ctype);
  EXPECT_EQ(setlocale(LC_MESSAGES, nullptr), messages);
}

// ---- Files

class PlatformFilesTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_.File(name); }
  testing::TempFolder folder_;
};

TEST_F(PlatformFilesTest, CreateNewFileCreatesOnlyWhatDoesNotExist) {
  const std::string fresh = Path("fresh.txt");
  const mode_t old_mask = umask(022);
  const platform::FileHandle file = platform::CreateNewFile(fresh.c_str());
  umask(old_mask);
  ASSERT_NE(file, platform::kInvalidHandle);
  EXPECT_TRUE(platform::WriteFile(file, "abc", 3));
  // Held without sharing, as OpenFile holds files.
  EXPECT_EQ(platform::OpenFile(fresh.c_str(), platform::OpenMode::kRead), platform::kInvalidHandle);
  EXPECT_TRUE(platform::CloseFile(file));
  EXPECT_EQ(ReadWholeFile(fresh), "abc");
  EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);

  const std::string existing = Path("existing.txt");
  WriteWholeFile(existing, "kept");
  fs::create_directory(Path("folder"));
  for (const std::string& name : {existing, Path("folder"), Path("missing/x.txt"), std::string()}) {
    EXPECT_EQ(platform::CreateNewFile(name.c_str()), platform::kInvalidHandle) << name;
  }
  EXPECT_EQ(ReadWholeFile(existing), "kept");
}

// kReadShared, read shared with other readers: any number of such opens hold
// one file at once, each reading it from its start; a holder without sharing
// (the other four modes) and a shared reader keep each other out, either way
// round.
TEST_F(PlatformFilesTest, SharedReadersCoexistButNotWithAnExclusiveHolder) {
  const std::string data = Path("data.txt");
  WriteWholeFile(data, "3 2");
  const platform::FileHandle first = platform::OpenFile(data.c_str(), platform::OpenMode::kReadShared);
  const platform::FileHandle second = platform::OpenFile(data.c_str(), platform::OpenMode::kReadShared);
  ASSERT_NE(first, platform::kInvalidHandle);
  ASSERT_NE(second, platform::kInvalidHandle);
  char bytes[8];
  EXPECT_EQ(platform::ReadFile(second, bytes, sizeof bytes), 3);
  EXPECT_EQ(std::string(bytes, 3), "3 2");
  EXPECT_EQ(platform::ReadFile(first, bytes, sizeof bytes), 3);
  EXPECT_FALSE(platform::WriteFile(first, "x", 1));  // read only
  for (platform::OpenMode exclusive : {platform::OpenMode::kReadWrite, platform::OpenMode::kRead,
                                       platform::OpenMode::kCreate, platform::OpenMode::kAppend}) {
    EXPECT_EQ(platform::OpenFile(data.c_str(), exclusive), platform::kInvalidHandle)
        << static_cast<int>(exclusive);
  }
  EXPECT_TRUE(platform::CloseFile(first));
  // the second still reads
  EXPECT_EQ(platform::OpenFile(data.c_str(), platform::OpenMode::kRead), platform::kInvalidHandle);
  EXPECT_TRUE(platform::CloseFile(second));
  EXPECT_EQ(ReadWholeFile(data), "3 2");  // the refused kCreate truncated nothing

  const platform::FileHandle held = platform::OpenFile(data.c_str(), platform::OpenMode::kRead);
  ASSERT_NE(held, platform::kInvalidHandle);
  EXPECT_EQ(platform::OpenFile(data.c_str(), platform::OpenMode::kReadShared), platform::kInvalidHandle);
  EXPECT_TRUE(platform::CloseFile(held));
  const platform::FileHandle again = platform::OpenFile(data.c_str(), platform::OpenMode::kReadShared);
  EXPECT_NE(again, platform::kInvalidHandle);
  EXPECT_TRUE(platform::CloseFile(again));

  // Like kRead, the file must exist; a folder never opens; 5 is no mode.
  fs::create_directory(Path("folder"));
  for (const std::string& name : {Path("missing.txt"), Path("folder"), std::string()}) {
    EXPECT_EQ(platform::OpenFile(name.c_str(), platform::OpenMode::kReadShared), platform::kInvalidHandle) << name;
  }
  EXPECT_FALSE(fs::exists(Path("missing.txt")));
  EXPECT_EQ(platform::OpenFile(data.c_str(), static_cast<platform::OpenMode>(5)), platform::kInvalidHandle);
}

TEST_F(PlatformFilesTest, RenameFileReplacesTheTarget) {
  WriteWholeFile(Path("new.tmp"), "new report");
  WriteWholeFile(Path("report.txt"), "old report");
  EXPECT_TRUE(platform::RenameFile(Path("new.tmp").c_str(), Path("report.txt").c_str()));
  EXPECT_EQ(ReadWholeFile(Path("report.txt")), "new report");
  EXPECT_FALSE(fs::exists(Path("new.tmp")));

  EXPECT_FALSE(platform::RenameFile(Path("gone.tmp").c_str(), Path("report.txt").c_str()));
  EXPECT_FALSE(platform::RenameFile(Path("report.txt").c_str(), Path("missing/report.txt").c_str()));
  EXPECT_EQ(ReadWholeFile(Path("report.txt")), "new report");
}

TEST_F(PlatformFilesTest, RemoveFileRemovesFilesOnly) {
  WriteWholeFile(Path("a.txt"), "a");
  fs::create_directory(Path("folder"));
  EXPECT_TRUE(platform::RemoveFile(Path("a.txt").c_str()));
  EXPECT_FALSE(fs::exists(Path("a.txt")));
  EXPECT_FALSE(platform::RemoveFile(Path("a.txt").c_str()));
  EXPECT_FALSE(platform::RemoveFile(Path("folder").c_str()));
  EXPECT_TRUE(fs::is_directory(Path("folder")));
}

TEST_F(PlatformFilesTest, SameFileSeesThroughPathsAndLinks) {
  fs::create_directory(Path("sub"));
  WriteWholeFile(Path("data.txt"), "same bytes");
  WriteWholeFile(Path("copy.txt"), "same bytes");
  fs::create_hard_link(Path("data.txt"), Path("hard.txt"));
  fs::create_symlink(Path("data.txt"), Path("soft.txt"));
  struct Case {
    std::string a;
    std::string b;
    bool same;
  };
  const Case cases[] = {
      {"data.txt", "data.txt", true},
      {"data.txt", "sub/../data.txt", true},
      {"data.txt", "hard.txt", true},
      {"soft.txt", "data.txt", true},
      {"data.txt", "copy.txt", false},
      {"data.txt", "missing.txt", false},
      {"missing.txt", "missing.txt", false},
      {"sub", "sub/.", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::SameFile(Path(c.a).c_str(), Path(c.b).c_str()), c.same) << c.a << " " << c.b;
  }
}

TEST_F(PlatformFilesTest, IsDirectoryOnlyForFolders) {
  fs::create_directory(Path("sub"));
  WriteWholeFile(Path("data.txt"), "x");
  fs::create_directory_symlink(Path("sub"), Path("link"));
  EXPECT_TRUE(platform::IsDirectory(Path("sub").c_str()));
  EXPECT_TRUE(platform::IsDirectory(Path("link").c_str()));
  EXPECT_FALSE(platform::IsDirectory(Path("data.txt").c_str()));
  EXPECT_FALSE(platform::IsDirectory(Path("missing").c_str()));
}

TEST_F(PlatformFilesTest, FlushToDiskTakesFilesNotPipes) {
  const platform::FileHandle file = platform::CreateNewFile(Path("out.txt").c_str());
  ASSERT_NE(file, platform::kInvalidHandle);
  EXPECT_TRUE(platform::WriteFile(file, "report", 6));
  EXPECT_TRUE(platform::FlushToDisk(file));
  EXPECT_TRUE(platform::CloseFile(file));
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  EXPECT_FALSE(platform::FlushToDisk(pipe_ends[1]));
  ::close(pipe_ends[0]);
  ::close(pipe_ends[1]);
  EXPECT_FALSE(platform::FlushToDisk(platform::kInvalidHandle));
}

// ---- ThreadStackBytes

// What a thread that std::thread starts really holds for its stack.
TEST(ThreadStackTest, IsTheStackAndGuardOfAStartedThread) {
  std::size_t stack = 0;
  std::size_t guard = 0;
  std::thread([&] {
    pthread_attr_t attr;
    ASSERT_EQ(pthread_getattr_np(pthread_self(), &attr), 0);
    pthread_attr_getstacksize(&attr, &stack);
    pthread_attr_getguardsize(&attr, &guard);
    pthread_attr_destroy(&attr);
  }).join();
  ASSERT_GT(stack, 0u);
  EXPECT_EQ(platform::ThreadStackBytes(), stack + guard);
}

}  // namespace
}  // namespace kyori
