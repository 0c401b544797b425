// The report of a collection, as the dialogue writes it into its output file:
//
//   <standardized heading> CR LF
//   for each variety: its standardized values as cells, then " " CR LF
//   <results heading> CR LF
//   for each variety: its name, two blanks, its distances to every variety
//     as cells, then " " CR LF
//
// where every cell is followed by one blank (see kernels/report_cells.h).
// Each pair's distance is printed twice (row i and row j): PackCells turns
// every distance into its cell once, beforehand, four bytes a pair, most of
// them straight from the distance (kernels/quick_cell.h), the rest from its
// text. The report is streamed: a batch of rows at a time is formatted,
// split across `jobs` threads, while one of them writes the batch before,
// in order, so the bytes are the same for every number of jobs and no
// buffer grows with the size of the file.
//
// Example (one trait, varieties a and b with values 1 and 3, compatible;
// <h1> and <h2> the headings, each ending in a blank):
//   "<h1>\r\n-0.70710  \r\n0.707106  \r\n<h2>\r\n"
//   "a  0.000000 1.414213  \r\nb  1.414213 0.000000  \r\n"
//
// A collection with missing values (batch/missing_values.h) has cells made
// with NanCell::kMissing: a missing standardized value and a pair without a
// distance are written NA, a cell like any other, followed by its blank.
// Example (one trait, a 1, b NaN, c 3, standardized over a and c; no
// distance from b):
//   "<h1>\r\n-0.70710  \r\nNA  \r\n0.707106  \r\n<h2>\r\n"
//   "a  0.000000 NA 1.414213  \r\nb  NA 0.000000 NA  \r\n"
//   "c  1.414213 NA 0.000000  \r\n"
#ifndef KYORI_BATCH_COLLECTION_REPORT_H_
#define KYORI_BATCH_COLLECTION_REPORT_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "batch/collection.h"
#include "batch/distance_triangle.h"
#include "io/file_writer.h"
#include "kernels/report_cells.h"

namespace kyori {

struct ReportHeadings {
  std::string_view standardized;  // without its line end
  std::string_view results;
};

// The report's cell of every pair's distance, in the triangle's order, each
// packed into four bytes (PackCell, kernels/report_cells.h), and the cell
// of a NaN they were made with, which the report's standardized values
// take too: one rule for the whole report.
//   distances 2.2360679..., 2.2360679..., 1.4142135... -> the cells
//   "2.236067", "2.236067", "1.414213", packed
struct ReportCells {
  std::vector<uint32_t> packed;
  NanCell nan = NanCell::kZero;
};

// Turns the triangle's distances (DistanceReader) into their cells, the
// pairs split across `jobs` threads; `d` holds nothing afterwards. The
// squares of a triangle that holds them become the cells in their own
// storage, chunk by chunk, so that the cells take no bytes beyond the
// squares'. With `distances`, every pair's distance the cells are made of
// is kept there too, each root taken once: the squares' roots as they are
// read, or the triangle's roots handed over.
//   compatible: 4 bytes a pair, and 8 more for `distances`
//   accurate:   the roots' 8 and the cells' 4 while packing; then 4, or 12
//               with `distances`
// A NaN distance's cell is the zero cell, or with NanCell::kMissing "NA"
// (for the distances of a collection with missing values).
ReportCells PackCells(DistanceTriangle& d, std::vector<double>* distances, int jobs,
                      NanCell nan = NanCell::kZero);

// The most bytes PackCells holds beside the triangle and the cells: each
// thread's buffers for one chunk of pairs (their distances and the reader's
// widened squares), with room for the chunk's texts and their lengths
// counted too, a bound on what cutting cells from texts takes.
//   one thread: 16384 * (8 + 8 + 22 + 4) = 688,128 bytes.
std::uint64_t PackCellsBufferBytes(int jobs);

// Writes the whole report of the standardized collection `c` and its
// distances' cells to `out`, a NaN among the values written as cells.nan
// has it. Failures are left in `out`.
void WriteCollectionReport(const Collection& c, const ReportCells& cells, const ReportHeadings& headings,
                           int jobs, FileWriter& out);

// The most bytes WriteCollectionReport holds at once beside the collection
// and the cells, for names of up to 59 bytes: each thread's row of
// values, and two batches of rows, one being written while the other is
// formatted (each about 2 MiB, or 4 rows a thread when rows are long, in
// whole blocks of 8 distance rows; a row's text can grow to twice its
// length as longer names come, so distance rows are counted twice).
//   8000 varieties, 1 trait, 2 threads: two batches of 32 distance rows of
//   72,064 bytes counted twice, with their handles (9,226,240 bytes), and
//   16 bytes of values.
std::uint64_t ReportMemory(int varieties, int traits, int jobs);

}  // namespace kyori

#endif  // KYORI_BATCH_COLLECTION_REPORT_H_
