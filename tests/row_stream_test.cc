// StreamRows (batch/row_stream.h): rows formatted in groups across threads
// come out in order, each once, and formatting stops once the file fails.
#include "batch/row_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "io/file_writer.h"
#include "platform/platform.h"
#include "tests/test_files.h"

namespace kyori {
namespace {

using testing::ReadWholeFile;
using testing::TempFolder;

struct Streamed {
  std::string bytes;
  std::vector<std::pair<int, int>> calls;  // (first, count), sorted
};

// Streams `rows` rows "r<row>\n" with rows of a claimed `row_bytes`.
Streamed Stream(int rows, int group, std::size_t row_bytes, int jobs) {
  TempFolder folder;
  const std::string path = folder.File("rows.txt");
  const platform::FileHandle file = platform::OpenFile(path.c_str(), platform::OpenMode::kCreate);
  EXPECT_NE(file, platform::kInvalidHandle);
  Streamed streamed;
  std::mutex lock;
  {
    FileWriter out(file);
    StreamRows(rows, group, row_bytes, jobs, out, [&](int first, int count, std::string* texts) {
      for (int k = 0; k < count; ++k) texts[k] = "r" + std::to_string(first + k) + "\n";
      const std::lock_guard<std::mutex> hold(lock);
      streamed.calls.emplace_back(first, count);
    });
    EXPECT_TRUE(out.Flush());
  }
  platform::CloseFile(file);
  streamed.bytes = ReadWholeFile(path);
  std::sort(streamed.calls.begin(), streamed.calls.end());
  return streamed;
}

TEST(RowStreamTest, RowsInOrderEachOnceInGroups) {
  struct Case {
    int rows, group;
    std::size_t row_bytes;  // 1 MiB: batches of 4 rows a thread, so many batches
  };
  const Case cases[] = {{0, 8, 100}, {5, 2, 10}, {37, 1, 1 << 20}, {37, 3, 1 << 20}, {100, 8, 1 << 20}, {9, 8, 100}};
  for (const Case& c : cases) {
    std::string expected;
    for (int row = 0; row < c.rows; ++row) expected += "r" + std::to_string(row) + "\n";
    for (const int jobs : {1, 2, 7}) {
      const Streamed s = Stream(c.rows, c.group, c.row_bytes, jobs);
      EXPECT_EQ(s.bytes, expected) << c.rows << " rows, group " << c.group << ", jobs " << jobs;
      // The groups: consecutive, `group` rows each but the last of a batch.
      int next = 0;
      for (const auto& [first, count] : s.calls) {
        EXPECT_EQ(first, next);
        EXPECT_GE(count, 1);
        EXPECT_LE(count, c.group);
        next = first + count;
      }
      EXPECT_EQ(next, c.rows);
    }
  }
  // The header's example: rows 0-1, 2-3, then 4 alone.
  EXPECT_EQ(Stream(5, 2, 10, 2).calls, (std::vector<std::pair<int, int>>{{0, 2}, {2, 2}, {4, 1}}));
}

TEST(RowStreamTest, StopsFormattingOnceTheFileFails) {
  // Every row goes past the 16-byte buffer straight to a handle that takes
  // nothing. Rows of 1 MiB make batches of 4 rows (1 job): the first
  // batch's write fails while the second is formatted, and no third follows.
  FileWriter out(platform::kInvalidHandle, 16);
  std::atomic<int> formatted{0};
  StreamRows(1000, 1, 1 << 20, 1, out, [&](int, int count, std::string* texts) {
    for (int k = 0; k < count; ++k) texts[k] = std::string(32, 'x');
    formatted += count;
  });
  EXPECT_TRUE(out.Failed());
  EXPECT_EQ(formatted.load(), 8);
}

}  // namespace
}  // namespace kyori
