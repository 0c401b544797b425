// Rows of text formatted across threads and written in order. The rows are
// taken in batches of about kRowBatchBytes (at least 4 rows a thread); a
// batch is cut into groups of consecutive rows, and the groups are formatted
// by `jobs` threads, each row into its own string, while one of the threads
// writes the batch before, row after row. So the bytes are the same for
// every number of jobs, writing costs the formatting no time, and the text
// held (two batches) never grows with the file. A group lets a row's
// formatting share its reads with its neighbours' (a table laid out by
// column is read a cache line at a time, not a value at a time).
//
// Example: StreamRows(5, 2, 10, 2, out, f), with f(first, count, texts)
// setting texts[k] to "r<first + k>\n", calls f(0, 2, ..), f(2, 2, ..) and
// f(4, 1, ..) and writes "r0\nr1\nr2\nr3\nr4\n".
#ifndef KYORI_BATCH_ROW_STREAM_H_
#define KYORI_BATCH_ROW_STREAM_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/file_writer.h"
#include "platform/parallel_for.h"

namespace kyori {

// About this many bytes of formatted rows are held at a time.
inline constexpr std::size_t kRowBatchBytes = std::size_t{4} << 20;

// How many rows of about `row_bytes` each a batch takes: a whole number of
// groups for every thread, so that the threads finish a batch together.
//   RowsPerBatch(125258, 8, 2) == 48 (4 MiB hold 33 rows; 3 groups a thread)
inline std::size_t RowsPerBatch(std::size_t row_bytes, int group, int jobs) {
  const std::size_t threads = static_cast<std::size_t>(std::max(jobs, 1));
  const std::size_t share = static_cast<std::size_t>(std::max(group, 1)) * threads;
  const std::size_t rows = std::max<std::size_t>(threads * 4, kRowBatchBytes / std::max<std::size_t>(row_bytes, 1));
  return std::min<std::size_t>((rows + share - 1) / share * share, std::size_t{1} << 30);
}

// The most bytes StreamRows holds for `rows` rows of at most `row_bytes`:
// two batches of rows and their strings.
inline std::uint64_t RowStreamMemory(int rows, std::size_t row_bytes, int group, int jobs) {
  const std::uint64_t held = std::min<std::uint64_t>(static_cast<std::uint64_t>(std::max(rows, 1)),
                                                     RowsPerBatch(row_bytes, group, jobs));
  return 2 * held * (row_bytes + sizeof(std::string));
}

// Formats rows [0, rows), `group` at a time, with `format_rows(first,
// count, texts)`, which sets texts[k] to the bytes of row first + k for k
// in [0, count), and writes them to `out` in row order. Once `out` has
// failed, no further batch is formatted.
template <typename FormatRows>
void StreamRows(int rows, int group, std::size_t row_bytes, int jobs, FileWriter& out, FormatRows format_rows) {
  if (group < 1) group = 1;
  const int batch = static_cast<int>(RowsPerBatch(row_bytes, group, jobs));
  const std::size_t held = static_cast<std::size_t>(std::min(batch, std::max(rows, 1)));
  std::vector<std::string> texts[2] = {std::vector<std::string>(held),
                                       std::vector<std::string>(rows > batch ? held : 0)};
  int waiting = 0;  // rows of the batch before, in texts[1 - now], not yet written
  auto write_waiting = [&](const std::vector<std::string>& done) {
    for (int k = 0; k < waiting; ++k) out.Write(done[static_cast<std::size_t>(k)]);
  };
  int now = 0;
  for (int first = 0; first < rows && !out.Failed(); first += batch, now = 1 - now) {
    const int count = std::min(batch, rows - first);
    const int groups = (count + group - 1) / group;
    const int writes = waiting > 0 ? 1 : 0;  // item 0 writes the batch before
    ParallelFor(groups + writes, jobs, [&](long item, int) {
      if (item < writes) return write_waiting(texts[1 - now]);
      const int k = static_cast<int>(item - writes) * group;
      format_rows(first + k, std::min(group, count - k), texts[now].data() + k);
    });
    waiting = count;
  }
  write_waiting(texts[1 - now]);
}

}  // namespace kyori

#endif  // KYORI_BATCH_ROW_STREAM_H_
