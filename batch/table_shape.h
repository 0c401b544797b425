// The shape of a table, found by a first reading that stores nothing: the
// header's line and cells, the count of rows after it, and every fault of
// the table's form (quotes, rows of another length than the header's, the
// counts).
//
// Example: "v,a,b\n\nx,1,2\ny,3,4\n" has its header on line 1, 3 columns
// (the name column and two traits) and 2 rows.
#ifndef KYORI_BATCH_TABLE_SHAPE_H_
#define KYORI_BATCH_TABLE_SHAPE_H_

#include <cstdint>
#include <string_view>

#include "batch/table_error.h"
#include "batch/table_format.h"

namespace kyori {

struct TableShape {
  std::int64_t header_line = 0;
  std::int64_t columns = 0;  // the header's cells: the name column and the traits
  std::int64_t rows = 0;     // the varieties
};

// Measures the table text `body` (after any byte-order mark) read with
// `format`. Returns kNone, or the first of kEmptyFile, kUnterminatedQuote,
// kTextAfterQuote, kNoTraitColumn, kTooManyTraits, kRaggedRow, kNoVariety,
// kTooManyVarieties that the file has. On kNone, the shape has at least 2
// columns, at least 1 row, and at most kTableMaxCount of each (traits and
// rows).
// `most_rows` is the most varieties taken (kTableMaxCount but for the runs
// that never hold the triangle of distances).
TableError MeasureTable(std::string_view body, const TableFormat& format, TableShape* shape,
                        std::int64_t most_rows = kTableMaxCount);

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_SHAPE_H_
