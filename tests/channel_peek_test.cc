// PeekChannelBytes and ConsumeChannelBytes let a reader take a run of bytes
// in one piece; the channel must then stand exactly where as many
// ReadChannelByte calls would have left it, across refills of the read-ahead.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "text/byte_string.h"
#include "io/channels.h"
#include "tests/test_files.h"

namespace kyori {
namespace {

constexpr int32_t kChannel = 1;

class ChannelPeekTest : public ::testing::Test {
 protected:
  void SetUp() override { InitRuntime(); }
  void TearDown() override { ResetChannels(); }
  void Open(std::string_view bytes) {
    const std::string path = folder_.File("data.txt");
    testing::WriteWholeFile(path, bytes);
    OpenChannel(TextFromBytes(path), kOpenRead, kChannel);
    ASSERT_TRUE(ChannelIsOpen(kChannel));
  }
  testing::TempFolder folder_;
};

TEST_F(ChannelPeekTest, PeekShowsTheReadAheadAndConsumeMovesLikeReads) {
  Open("abcdef");
  EXPECT_TRUE(PeekChannelBytes(kChannel).empty());  // nothing read ahead yet
  EXPECT_EQ('a', ReadChannelByte(kChannel));
  EXPECT_EQ("bcdef", PeekChannelBytes(kChannel));
  ConsumeChannelBytes(kChannel, 3);
  EXPECT_EQ("ef", PeekChannelBytes(kChannel));
  GiveBackChannelByte(kChannel);  // the last byte consumed comes back
  EXPECT_EQ('d', ReadChannelByte(kChannel));
  ConsumeChannelBytes(kChannel, 99);  // no further than what is waiting
  EXPECT_TRUE(PeekChannelBytes(kChannel).empty());
  EXPECT_EQ(kEndOfChannel, ReadChannelByte(kChannel));
}

TEST_F(ChannelPeekTest, RunsTakenAcrossRefillsReadTheWholeFileInOrder) {
  // Longer than two read-aheads; every byte value, runs of varying length.
  std::string bytes;
  for (int k = 0; k < 200000; ++k) bytes.push_back(static_cast<char>((k * 7 + k / 300) & 0xff));
  Open(bytes);
  std::string got;
  for (std::size_t step = 1; got.size() < bytes.size(); ++step) {
    const int byte = ReadChannelByte(kChannel);  // refills when nothing waits
    ASSERT_GE(byte, 0) << "after " << got.size() << " bytes";
    got.push_back(static_cast<char>(byte));
    const std::string_view ahead = PeekChannelBytes(kChannel);
    const std::size_t run = std::min(ahead.size(), step % 97);
    got.append(ahead.substr(0, run));
    ConsumeChannelBytes(kChannel, run);
  }
  EXPECT_EQ(kEndOfChannel, ReadChannelByte(kChannel));
  EXPECT_TRUE(got == bytes);
}

TEST_F(ChannelPeekTest, ReadingAheadGrowsTheWaitingBytesAndLosesNone) {
  std::string bytes;
  for (int k = 0; k < 300000; ++k) bytes.push_back(static_cast<char>((k * 13 + k / 511) & 0xff));
  Open(bytes);
  ASSERT_EQ(bytes[0], static_cast<char>(ReadChannelByte(kChannel)));
  // More than one read-ahead of 64 KiB waits at once, from where reading stands.
  std::string_view ahead = ReadAheadChannelBytes(kChannel, 200000);
  ASSERT_GE(ahead.size(), 200000u);
  EXPECT_TRUE(ahead == std::string_view(bytes).substr(1, ahead.size()));
  GiveBackChannelByte(kChannel);  // the byte consumed before still comes back
  EXPECT_EQ(bytes[0], static_cast<char>(ReadChannelByte(kChannel)));
  // Asking for fewer than wait reads nothing more.
  EXPECT_EQ(ahead.size(), ReadAheadChannelBytes(kChannel, 10).size());
  // Past the end: everything that is left.
  EXPECT_TRUE(ReadAheadChannelBytes(kChannel, 1000000) == std::string_view(bytes).substr(1));
  // Then reading on, across the refill of the grown buffer, gives the rest in
  // order and steps back over its last byte.
  std::string got(1, bytes[0]);
  while (true) {
    const std::string_view waiting = PeekChannelBytes(kChannel);
    got.append(waiting.substr(0, 777));
    ConsumeChannelBytes(kChannel, std::min<std::size_t>(waiting.size(), 777));
    const int byte = ReadChannelByte(kChannel);
    if (byte < 0) break;
    got.push_back(static_cast<char>(byte));
    GiveBackChannelByte(kChannel);
    ASSERT_EQ(byte, ReadChannelByte(kChannel));
  }
  EXPECT_TRUE(got == bytes) << got.size();
}

TEST_F(ChannelPeekTest, AChannelNotOpenShowsNothing) {
  EXPECT_TRUE(ReadAheadChannelBytes(kChannel, 4).empty());
  EXPECT_TRUE(PeekChannelBytes(kChannel).empty());
  ConsumeChannelBytes(kChannel, 5);
  EXPECT_TRUE(PeekChannelBytes(0).empty());
  ConsumeChannelBytes(999, 1);
  EXPECT_EQ(kChannelReadFailed, ReadChannelByte(kChannel));
}

}  // namespace
}  // namespace kyori
