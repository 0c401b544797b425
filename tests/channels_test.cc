#include "io/channels.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "tests/console_files.h"
#include "tests/test_files.h"

namespace kyori {
namespace {

using testing::ReadWholeFile;
using testing::WriteWholeFile;

class ChannelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitRuntime();
    ResetChannels();
    live_at_start_ = LiveByteStringCount();
  }
  void TearDown() override {
    ResetChannels();
    EXPECT_EQ(LiveByteStringCount(), live_at_start_);
  }
  void Open(const std::string& path, OpenMode mode, int32_t channel = 1) {
    OpenChannel(TextFromBytes(path), mode, channel);
  }
  std::string ReadAll(int32_t channel) {
    std::string bytes;
    for (int b; (b = ReadChannelByte(channel)) >= 0;) bytes.push_back(static_cast<char>(b));
    return bytes;
  }
  testing::TempFolder folder_;
  int32_t live_at_start_ = 0;
};

TEST_F(ChannelsTest, CreateTruncatesAndAppendKeeps) {
  const std::string path = folder_.File("out.txt");
  WriteWholeFile(path, "old contents");
  Open(path, kOpenCreate);
  ASSERT_TRUE(ChannelIsOpen(1));
  EXPECT_EQ(ReadWholeFile(path), "");  // emptied before the first write
  WriteToChannel(1, TextFromBytes("new"));
  EXPECT_TRUE(CloseChannel(1));
  EXPECT_EQ(ReadWholeFile(path), "new");

  Open(path, kOpenAppend);
  WriteToChannel(1, TextFromBytes("+more"));
  EXPECT_TRUE(CloseChannel(1));
  EXPECT_EQ(ReadWholeFile(path), "new+more");
}

TEST_F(ChannelsTest, ModesThatCreateAMissingFile) {
  for (OpenMode mode : {kOpenReadWrite, kOpenCreate, kOpenAppend}) {
    const std::string path = folder_.File("missing" + std::to_string(mode));
    Open(path, mode);
    EXPECT_TRUE(ChannelIsOpen(1)) << mode;
    WriteToChannel(1, TextFromBytes("x"));
    EXPECT_TRUE(CloseChannel(1));
    EXPECT_EQ(ReadWholeFile(path), "x") << mode;
  }
}

TEST_F(ChannelsTest, FailedOpenLeavesTheChannelUnusable) {
  const std::string missing = folder_.File("missing.txt");
  const std::string cases[] = {missing, folder_.Path().string(), "", folder_.File("no/such/dir/f")};
  for (const std::string& name : cases) {
    Open(name, kOpenRead);
    EXPECT_FALSE(ChannelIsOpen(1)) << name;
    EXPECT_EQ(ReadChannelByte(1), kChannelReadFailed);
    WriteToChannel(1, TextFromBytes("lost"));  // lost without notice
    CloseChannel(1);
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  Open(folder_.Path().string(), kOpenCreate);  // a directory never opens
  EXPECT_FALSE(ChannelIsOpen(1));
  Open(folder_.File("f"), 7);  // no such mode
  EXPECT_FALSE(ChannelIsOpen(1));
}

// Batch mode's DATA: shared with other readers on other channels (and in
// other processes), never with a channel that holds the file for itself.
TEST_F(ChannelsTest, ASharedReadOpensBesideOtherSharedReadsOnly) {
  const std::string path = folder_.File("data.txt");
  WriteWholeFile(path, "ab");
  Open(path, kOpenReadShared, 1);
  Open(path, kOpenReadShared, 2);
  ASSERT_TRUE(ChannelIsOpen(1));
  ASSERT_TRUE(ChannelIsOpen(2));
  EXPECT_EQ(ReadChannelByte(2), 'a');
  EXPECT_EQ(ReadChannelByte(1), 'a');
  Open(path, kOpenRead, 3);
  EXPECT_FALSE(ChannelIsOpen(3));
  CloseChannel(1);
  CloseChannel(2);
  Open(path, kOpenRead, 3);
  ASSERT_TRUE(ChannelIsOpen(3));
  Open(path, kOpenReadShared, 1);
  EXPECT_FALSE(ChannelIsOpen(1));
  CloseChannel(3);
}

TEST_F(ChannelsTest, AFileOpensOnOneChannelOnly) {
  const std::string path = folder_.File("held.txt");
  WriteWholeFile(path, "data");
  Open(path, kOpenRead, 1);
  ASSERT_TRUE(ChannelIsOpen(1));
  Open(path, kOpenCreate, 2);
  EXPECT_FALSE(ChannelIsOpen(2));
  EXPECT_EQ(ReadWholeFile(path), "data");  // the refused open did not truncate
  // A cooperating opener sees the file as held.
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
  CloseChannel(1);
  EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  Open(path, kOpenRead, 2);
  EXPECT_FALSE(ChannelIsOpen(2));  // now the test holds it
  ::close(fd);
  Open(path, kOpenRead, 2);
  EXPECT_TRUE(ChannelIsOpen(2));
}

TEST_F(ChannelsTest, WritesEveryByteNulIncludedAndEmptyTextsChangeNothing) {
  const std::string path = folder_.File("bytes.bin");
  Open(path, kOpenCreate);
  WriteToChannel(1, TextFromBytes(std::string_view("a\0b\r\n\x93\xFC", 7)));
  WriteToChannel(1, NewByteString(0));
  EXPECT_TRUE(CloseChannel(1));
  EXPECT_EQ(ReadWholeFile(path), std::string("a\0b\r\n\x93\xFC", 7));
}

TEST_F(ChannelsTest, ClosingTwiceOrNeverOpenedDoesNothing) {
  EXPECT_TRUE(CloseChannel(5));
  Open(folder_.File("c.txt"), kOpenCreate, 5);
  EXPECT_TRUE(CloseChannel(5));
  EXPECT_TRUE(CloseChannel(5));
  EXPECT_FALSE(ChannelIsOpen(5));
  EXPECT_TRUE(CloseChannel(0));    // out of range: ignored
  EXPECT_TRUE(CloseChannel(257));
}

TEST_F(ChannelsTest, ChannelOneReopensInAnotherMode) {
  const std::string in = folder_.File("in.txt");
  const std::string out = folder_.File("out.txt");
  WriteWholeFile(in, "12 34");
  Open(in, kOpenRead);
  EXPECT_EQ(ReadChannelByte(1), '1');
  CloseChannel(1);
  Open(out, kOpenCreate);
  EXPECT_EQ(ReadChannelByte(1), kChannelReadFailed);  // opened for writing only
  WriteToChannel(1, TextFromBytes("report"));
  CloseChannel(1);
  EXPECT_EQ(ReadWholeFile(out), "report");
  EXPECT_EQ(ReadWholeFile(in), "12 34");
}

TEST_F(ChannelsTest, GiveBackWorksAcrossTheReadBuffer) {
  std::string content;
  for (int k = 0; k < 200000; ++k) content.push_back(static_cast<char>('a' + k % 26));
  const std::string path = folder_.File("big.txt");
  WriteWholeFile(path, content);
  Open(path, kOpenRead);
  std::string read;
  for (int k = 0;; ++k) {
    const int b = ReadChannelByte(1);
    if (b < 0) {
      EXPECT_EQ(b, kEndOfChannel);
      break;
    }
    if (k % 7 == 0) {  // give every seventh byte back and read it again
      GiveBackChannelByte(1);
      ASSERT_EQ(ReadChannelByte(1), b);
    }
    read.push_back(static_cast<char>(b));
  }
  EXPECT_EQ(read, content);
  EXPECT_EQ(ReadChannelByte(1), kEndOfChannel);
}

TEST_F(ChannelsTest, WritingAfterReadingStartsWhereTheReaderStands) {
  const std::string path = folder_.File("rw.txt");
  WriteWholeFile(path, "abcdef");
  Open(path, kOpenReadWrite);
  EXPECT_EQ(ReadChannelByte(1), 'a');
  EXPECT_EQ(ReadChannelByte(1), 'b');
  WriteToChannel(1, TextFromBytes("XY"));
  EXPECT_EQ(ReadChannelByte(1), 'e');
  CloseChannel(1);
  EXPECT_EQ(ReadWholeFile(path), "abXYef");
}

TEST_F(ChannelsTest, AFailedWriteIsRemembered) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  Open("/dev/full", kOpenCreate);
  ASSERT_TRUE(ChannelIsOpen(1));
  WriteToChannel(1, TextFromBytes("lost"));
  EXPECT_FALSE(FlushChannel(1));
  EXPECT_FALSE(FlushChannel(1));  // still remembered
  EXPECT_FALSE(CloseChannel(1));
}

class ConsoleTest : public ChannelsTest {
 protected:
  void UseInput(std::string_view bytes) { console_.Use(bytes); }
  std::string Output() { return console_.Shown(); }
  testing::ConsoleFiles console_;
};

TEST_F(ConsoleTest, OneLinePerReadWhateverTheLineEnds) {
  std::string long_line(5000, 'x');
  UseInput("first\r\nsecond\n\n" + long_line + "\r\nlast\r");
  const std::string expected[] = {"first", "second", "", long_line, "last\r"};
  for (const std::string& line : expected) {
    ByteString got = ReadConsoleLine();
    ASSERT_FALSE(got.IsNull());
    EXPECT_EQ(got.View(), line);
    EXPECT_FALSE(ConsoleInputEnded());
  }
  EXPECT_TRUE(ReadConsoleLine().IsNull());
  EXPECT_TRUE(ConsoleInputEnded());
  EXPECT_TRUE(ReadConsoleLine().IsNull());
}

TEST_F(ConsoleTest, OutputIsFlushedBeforeEveryConsoleReadAndChannelsToo) {
  UseInput("a\n");
  const std::string path = folder_.File("report.txt");
  Open(path, kOpenCreate);
  WriteToConsole(TextFromBytes("prompt? "));
  WriteToChannel(1, TextFromBytes("table"));
  EXPECT_EQ(console_.ShownWithoutFlush(), "");  // still buffered
  ReadConsoleLine();
  EXPECT_EQ(console_.ShownWithoutFlush(), "prompt? ");
  EXPECT_EQ(ReadWholeFile(path), "table");
  CloseChannel(1);
}

}  // namespace
}  // namespace kyori
