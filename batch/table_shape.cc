#include "batch/table_shape.h"

#include <string>

#include "batch/table_cells.h"

namespace kyori {
namespace {

TableError ErrorAt(TableErrorKind kind, std::int64_t line) {
  TableError error;
  error.kind = kind;
  error.line = line;
  return error;
}

TableError CountsFault(TableErrorKind kind, std::int64_t line, std::int64_t count, std::int64_t limit) {
  TableError error = ErrorAt(kind, line);
  error.count = count;
  error.limit = limit;
  return error;
}

// The fault of a step that read no cell.
TableError QuoteFault(TableCells::Step step, const TableCells& cells, TableEncoding encoding) {
  TableError error = ErrorAt(step == TableCells::Step::kUnterminatedQuote ? TableErrorKind::kUnterminatedQuote
                                                                           : TableErrorKind::kTextAfterQuote,
                             cells.Line());
  error.found = ExcerptOf(cells.Cell(), encoding, kTableErrorTextMax);
  return error;
}

// Counts the header's cells. A table without them is empty.
TableError MeasureHeader(TableCells& cells, TableEncoding encoding, TableShape* shape) {
  TableCells::Step step = cells.Next();
  if (step == TableCells::Step::kEnd) return ErrorAt(TableErrorKind::kEmptyFile, 0);
  shape->header_line = cells.Line();
  for (;; step = cells.Next()) {
    if (step != TableCells::Step::kCell) return QuoteFault(step, cells, encoding);
    ++shape->columns;
    if (cells.EndsRow()) break;
  }
  if (shape->columns == 1) return ErrorAt(TableErrorKind::kNoTraitColumn, shape->header_line);
  if (shape->columns - 1 > kTableMaxCount) {
    return CountsFault(TableErrorKind::kTooManyTraits, shape->header_line, shape->columns - 1, kTableMaxCount);
  }
  return TableError{};
}

// Counts the rows after the header, each of which must have the header's
// count of cells.
TableError MeasureRows(TableCells& cells, TableEncoding encoding, TableShape* shape, std::int64_t most_rows) {
  std::int64_t row_cells = 0;
  std::int64_t row_line = 0;
  std::int64_t first_row_beyond = 0;
  std::string first_cell;  // of the row, for a fault
  for (TableCells::Step step = cells.Next(); step != TableCells::Step::kEnd; step = cells.Next()) {
    if (step != TableCells::Step::kCell) return QuoteFault(step, cells, encoding);
    if (row_cells++ == 0) {
      row_line = cells.Line();
      first_cell.assign(cells.Cell().substr(0, kTableErrorTextMax + 1));
    }
    if (!cells.EndsRow()) continue;
    if (row_cells != shape->columns) {
      TableError error = CountsFault(TableErrorKind::kRaggedRow, row_line, row_cells, shape->columns);
      error.variety = ExcerptOf(first_cell, encoding, kTableErrorTextMax);
      return error;
    }
    if (++shape->rows == most_rows + 1) first_row_beyond = row_line;
    row_cells = 0;
  }
  if (shape->rows == 0) return ErrorAt(TableErrorKind::kNoVariety, shape->header_line);
  if (shape->rows > most_rows) {
    return CountsFault(TableErrorKind::kTooManyVarieties, first_row_beyond, shape->rows, most_rows);
  }
  return TableError{};
}

}  // namespace

TableError MeasureTable(std::string_view body, const TableFormat& format, TableShape* shape, std::int64_t most_rows) {
  *shape = TableShape{};
  TableCells cells(body, format.delimiter);
  TableError error = MeasureHeader(cells, format.encoding, shape);
  if (error.kind != TableErrorKind::kNone) return error;
  return MeasureRows(cells, format.encoding, shape, most_rows);
}

}  // namespace kyori
