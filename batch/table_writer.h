// The distances and the standardized values as tables for spreadsheets, R
// and pandas: CSV (comma-separated) or TSV (tab-separated), in UTF-8.
//
// Both tables have the same shape: a header row whose first cell is empty,
// then one row per variety, its name in the first cell. The empty first
// cell is what R's write.csv and pandas' to_csv write for a table with row
// names, so that read.csv(row.names = 1) and read_csv(index_col = 0) take
// the names as row names and every other cell as a number.
//
// Both formats start with the byte-order mark EF BB BF, so that a
// spreadsheet opened by a double click on a Japanese Windows reads the file
// as UTF-8 rather than as code page 932; a reader that does not expect the
// mark finds it in the empty first cell, the header of the names, which
// row.names = 1 and index_col = 0 drop. Every row, the last one included,
// ends in CR LF. Cells are written as written_cells.h says: names in UTF-8
// and quoted where needed, numbers as the shortest text that reads back as
// the same double, a missing value or distance (NaN) as NA. Names are
// written as they are, not made unique.
//
// Example, CSV: varieties "a,b" and "c" at distance 1.5, one trait "T",
// values -0.7071067811865476 and 0.7071067811865476:
//   distances  "\xEF\xBB\xBF" ",\"a,b\",c\r\n"
//              "\"a,b\",0,1.5\r\n"
//              "c,1.5,0\r\n"
//   values     "\xEF\xBB\xBF" ",T\r\n"
//              "\"a,b\",-0.7071067811865476\r\n"
//              "c,0.7071067811865476\r\n"
// The same as TSV: every ',' between cells a tab, "a,b" unquoted.
//
// The rows are streamed (row_stream.h): a batch of rows at a time is
// formatted across `jobs` threads and written in order, the same bytes for
// every number of jobs. Failures are left in `out`.
#ifndef KYORI_BATCH_TABLE_WRITER_H_
#define KYORI_BATCH_TABLE_WRITER_H_

#include <cstdint>
#include <vector>

#include "batch/collection.h"
#include "batch/written_cells.h"
#include "io/file_writer.h"
#include "text/byte_string.h"

namespace kyori {

struct TableStyle {
  char delimiter = ',';  // ',' for CSV, '\t' for TSV
  // By default each name is read as the tree and picture files read it;
  // kCp932 or kUtf8 when the data file's encoding is known.
  NamesEncoding names = NamesEncoding::kDetect;
};

// The square matrix of the distances between `names.size()` varieties,
// given in condensed order (kernels/condensed_index.h), 0 on the diagonal.
// Returns false, writing nothing, when `distances` does not hold
// CondensedSize(names.size()) values.
bool WriteDistanceTable(const std::vector<double>& distances, const std::vector<ByteString>& names,
                        const TableStyle& style, int jobs, FileWriter& out);

// The values of `c` (in a run, once standardized): a header of the trait
// names, then each variety's name and its value of every trait. Returns
// false, writing nothing, when the names or values are fewer or more than
// the counts say.
bool WriteValuesTable(const Collection& c, const TableStyle& style, int jobs, FileWriter& out);

// The most bytes either writer holds at once beside its input, for names of
// up to 64 bytes: every name's cell, and two batches of rows (about 4 MiB
// each, or 4 rows a thread when rows are long), one being formatted while
// the other is written.
//   5000 varieties, 50 traits, 2 threads: 5000 name cells of 256 bytes and
//   2 batches of 48 distance rows of 125,258 bytes with their handles
//   (13,307,840 bytes).
std::uint64_t TableMemory(int varieties, int traits, int jobs);

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_WRITER_H_
