#include "text/byte_string.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "text/texts.h"
#include "tests/test_files.h"

namespace kyori {
namespace {

// Runs `action` with standard error sent to a file, and returns what it wrote.
template <typename Action>
std::string CaptureStandardError(Action action) {
  testing::TempFolder folder;
  const std::string path = folder.File("stderr");
  std::fflush(stderr);
  const int saved = dup(2);
  FILE* sink = std::fopen(path.c_str(), "wb");
  dup2(fileno(sink), 2);
  action();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::fclose(sink);
  return testing::ReadWholeFile(path);
}

class ByteStringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitRuntime();
    live_at_start_ = LiveByteStringCount();
  }
  void TearDown() override { EXPECT_EQ(LiveByteStringCount(), live_at_start_); }
  int32_t live_at_start_ = 0;
};

TEST_F(ByteStringTest, NewTextIsZeroFilledWithItsLengthAndATrailingNul) {
  ByteString empty = NewByteString(0);
  EXPECT_EQ(empty.Size(), 0);
  EXPECT_EQ(empty.Data()[0], '\0');
  ByteString five = NewByteString(5);
  EXPECT_EQ(five.Size(), 5);
  EXPECT_EQ(five.View(), std::string_view("\0\0\0\0\0", 5));
  EXPECT_EQ(five.Data()[5], '\0');
  EXPECT_EQ(LiveByteStringCount(), live_at_start_ + 2);
}

TEST_F(ByteStringTest, LengthFieldNotTheNulDecidesTheBytes) {
  ByteString text = TextFromBytes(std::string_view("a\0b", 3));
  EXPECT_EQ(text.Size(), 3);
  EXPECT_EQ(text.View(), std::string_view("a\0b", 3));
  ByteString copy = CopyOfText(text);
  EXPECT_NE(copy.Data(), text.Data());
  EXPECT_EQ(copy.View(), text.View());
}

TEST_F(ByteStringTest, ConcatReleasesBothOperands) {
  {
    ByteString joined = ConcatByteStrings(NewByteString(0), NewByteString(0));
    EXPECT_EQ(joined.Size(), 0);
    EXPECT_EQ(LiveByteStringCount(), live_at_start_ + 1);
  }
  ByteString joined = ConcatByteStrings(TextFromBytes("ab"), TextFromBytes(std::string_view("\0c", 2)));
  EXPECT_EQ(joined.View(), std::string_view("ab\0c", 4));
  EXPECT_EQ(LiveByteStringCount(), live_at_start_ + 1);
}

TEST_F(ByteStringTest, CharAndFirstByte) {
  ByteString one = CharToByteString(0x93);
  EXPECT_EQ(one.View(), "\x93");
  EXPECT_EQ(FirstByteOf(std::move(one)), 0x93u);
  EXPECT_EQ(FirstByteOf(NewByteString(0)), 0u);
}

TEST_F(ByteStringTest, DoubleReleaseFreesOnceThenWritesTheDebuggerMessage) {
  char* raw = NewByteString(4).Detach();
  EXPECT_EQ(LiveByteStringCount(), live_at_start_ + 1);
  const std::string first = CaptureStandardError([&] { ReleaseByteString(raw); });
  EXPECT_EQ(first, "");
  EXPECT_EQ(LiveByteStringCount(), live_at_start_);
  const std::string second = CaptureStandardError([&] { ReleaseByteString(raw); });
  EXPECT_EQ(second, std::string(texts::kUnknownRelease.bytes) + "\r\n");
  EXPECT_EQ(LiveByteStringCount(), live_at_start_);
}

TEST_F(ByteStringTest, ReleasingNullOrALiteralFreesNothing) {
  EXPECT_EQ(CaptureStandardError([] { ReleaseByteString(nullptr); }), "");
  static char literal[] = "abc";
  EXPECT_EQ(CaptureStandardError([] { ReleaseByteString(literal); }),
            std::string(texts::kUnknownRelease.bytes) + "\r\n");
}

TEST_F(ByteStringTest, ReleasesInAnyOrderKeepTheOthersFindable) {
  std::vector<char*> raw;
  for (int k = 0; k < 500; ++k) raw.push_back(TextFromBytes(std::to_string(k)).Detach());
  std::shuffle(raw.begin(), raw.end(), std::mt19937(7));
  const std::string messages = CaptureStandardError([&] {
    for (std::size_t k = 0; k < raw.size(); ++k) {
      ReleaseByteString(raw[k]);
      EXPECT_EQ(LiveByteStringCount(), live_at_start_ + static_cast<int32_t>(raw.size() - k - 1));
    }
  });
  EXPECT_EQ(messages, "");
}

TEST_F(ByteStringTest, AssigningReleasesTheOldText) {
  ByteString variable = TextFromBytes("old");
  variable = TextFromBytes("new");
  EXPECT_EQ(variable.View(), "new");
  EXPECT_EQ(LiveByteStringCount(), live_at_start_ + 1);
}

}  // namespace
}  // namespace kyori
