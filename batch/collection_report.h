// The report of a collection, as the dialogue writes it into its output file:
//
//   <standardized heading> CR LF
//   for each variety: its standardized values as cells, then " " CR LF
//   <results heading> CR LF
//   for each variety: its name, two blanks, its distances to every variety
//     as cells, then " " CR LF
//
// where every cell is followed by one blank (see report_cells.h). The report
// is streamed: a few rows at a time are formatted, split across `jobs`
// threads, and written in order, so the bytes are the same for every number
// of jobs and no buffer grows with the size of the file.
//
// Example (one trait, varieties a and b with values 1 and 3, compatible;
// <h1> and <h2> the headings, each ending in a blank):
//   "<h1>\r\n-0.70710  \r\n0.707106  \r\n<h2>\r\n"
//   "a  0.000000 1.414213  \r\nb  1.414213 0.000000  \r\n"
#ifndef KYORI_BATCH_COLLECTION_REPORT_H_
#define KYORI_BATCH_COLLECTION_REPORT_H_

#include <cstdint>
#include <string_view>

#include "batch/collection.h"
#include "batch/collection_arithmetic.h"
#include "io/file_writer.h"

namespace kyori {

struct ReportHeadings {
  std::string_view standardized;  // without its line end
  std::string_view results;
};

// Writes the whole report of the standardized collection `c` and its
// distances `d`, packed (PackCells), to `out`. Failures are left in `out`.
void WriteCollectionReport(const Collection& c, const DistanceTriangle& d, const ReportHeadings& headings,
                           int jobs, FileWriter& out);

// The most bytes WriteCollectionReport holds at once beside the collection
// and the triangle, for names of up to 59 bytes: each thread's row of
// values, and the batch of rows being formatted (about 4 MiB, or 4 rows a
// thread when rows are long; a row's text can grow to twice its length as
// longer names come, so distance rows are counted twice).
//   8000 varieties, 1 trait, 2 threads: 58 distance rows of 72,064 bytes
//   counted twice, with their handles (8,361,280 bytes), and 16 bytes of
//   values.
std::uint64_t ReportMemory(int varieties, int traits, int jobs);

}  // namespace kyori

#endif  // KYORI_BATCH_COLLECTION_REPORT_H_
