#include "batch/table_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "batch/table_cells.h"
#include "batch/table_value_cell.h"
#include "text/byte_string.h"

namespace kyori {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The shape of a table, from its first reading.
struct TableShape {
  std::int64_t header_line = 0;
  std::int64_t columns = 0;  // the header's cells: the name column and the traits
  std::int64_t rows = 0;     // the varieties
};

TableError ErrorAt(TableErrorKind kind, std::int64_t line) {
  TableError error;
  error.kind = kind;
  error.line = line;
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

TableError CountsFault(TableErrorKind kind, std::int64_t line, std::int64_t count, std::int64_t limit) {
  TableError error = ErrorAt(kind, line);
  error.count = count;
  error.limit = limit;
  return error;
}

// Counts the header's cells. A table whose header has no cell is empty.
TableError MeasureHeader(TableCells& cells, TableEncoding encoding, TableShape* shape) {
  TableCells::Step step = cells.Next();
  if (step == TableCells::Step::kEnd) return ErrorAt(TableErrorKind::kEmptyFile, 0);
  const std::int64_t line = shape->header_line = cells.Line();
  for (;; step = cells.Next()) {
    if (step != TableCells::Step::kCell) return QuoteFault(step, cells, encoding);
    ++shape->columns;
    if (cells.EndsRow()) break;
  }
  if (shape->columns == 1) return ErrorAt(TableErrorKind::kNoTraitColumn, line);
  if (shape->columns - 1 > kTableMaxCount) {
    return CountsFault(TableErrorKind::kTooManyTraits, line, shape->columns - 1, kTableMaxCount);
  }
  return TableError{};
}

// Counts the rows after the header, each of which must have the header's
// count of cells.
TableError MeasureRows(TableCells& cells, TableEncoding encoding, TableShape* shape) {
  std::int64_t row_cells = 0;
  std::int64_t row_line = 0;
  std::int64_t first_row_beyond = 0;
  std::string first_cell;
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
    if (++shape->rows == kTableMaxCount + 1) first_row_beyond = row_line;
    row_cells = 0;
  }
  if (shape->rows == 0) return ErrorAt(TableErrorKind::kNoVariety, shape->header_line);
  if (shape->rows > kTableMaxCount) {
    return CountsFault(TableErrorKind::kTooManyVarieties, first_row_beyond, shape->rows, kTableMaxCount);
  }
  return TableError{};
}

// The first reading: the table's form and counts.
TableError MeasureTable(std::string_view body, const TableFormat& format, TableShape* shape) {
  TableCells cells(body, format.delimiter);
  TableError error = MeasureHeader(cells, format.encoding, shape);
  if (error.kind != TableErrorKind::kNone) return error;
  return MeasureRows(cells, format.encoding, shape);
}

// The second reading: names and values into a collection sized by the
// first. Its checks of the shape only keep the stores in bounds.
class TableFiller {
 public:
  TableFiller(std::string_view body, const TableFormat& format, const TableShape& shape, Collection& c)
      : cells_(body, format.delimiter), format_(format), shape_(shape), c_(c) {}

  TableError Fill() {
    Allocate();
    TableError error = FillHeader();
    for (std::int64_t row = 0; error.kind == TableErrorKind::kNone && row < shape_.rows; ++row) {
      error = FillRow(static_cast<int>(row));
    }
    return error;
  }

 private:
  void Allocate() {
    c_.varieties = static_cast<int>(shape_.rows);
    c_.traits = static_cast<int>(shape_.columns - 1);
    c_.variety_count = c_.varieties;
    c_.trait_count = c_.traits;
    c_.trait_names.reserve(static_cast<std::size_t>(c_.traits));
    c_.variety_names.reserve(static_cast<std::size_t>(c_.varieties));
    c_.values.assign(static_cast<std::size_t>(c_.varieties) * static_cast<std::size_t>(c_.traits), 0.0);
    seen_.reserve(static_cast<std::size_t>(c_.varieties));
  }

  // Reads the next cell, which the first reading found at `column` of a row.
  bool NextCell(std::int64_t column) {
    return cells_.Next() == TableCells::Step::kCell && cells_.EndsRow() == (column + 1 == shape_.columns);
  }

  TableError ShapeChanged() const { return ErrorAt(TableErrorKind::kRaggedRow, cells_.Line()); }

  TableError FillHeader() {
    for (std::int64_t column = 0; column < shape_.columns; ++column) {
      if (!NextCell(column)) return ShapeChanged();
      if (column > 0) c_.trait_names.push_back(TextFromBytes(cells_.Cell()));
    }
    return TableError{};
  }

  TableError FillRow(int row) {
    if (!NextCell(0)) return ShapeChanged();
    TableError error = TakeName();
    for (std::int64_t column = 1; error.kind == TableErrorKind::kNone && column < shape_.columns; ++column) {
      if (!NextCell(column)) return ShapeChanged();
      error = TakeValue(row, static_cast<int>(column - 1));
    }
    return error;
  }

  TableError CellFault(TableErrorKind kind, std::int64_t column) const {
    TableError error = ErrorAt(kind, cells_.Line());
    error.column = column;
    error.found = Excerpt(cells_.Cell());
    if (column > 1) {
      error.variety = Excerpt(c_.variety_names.back().View());
      error.trait = Excerpt(c_.trait_names[static_cast<std::size_t>(column - 2)].View());
    }
    return error;
  }

  TableError TakeName() {
    if (cells_.Cell().empty()) return CellFault(TableErrorKind::kEmptyVarietyName, 1);
    c_.variety_names.push_back(TextFromBytes(cells_.Cell()));
    const auto [first, added] = seen_.emplace(c_.variety_names.back().View(), cells_.Line());
    if (added) return TableError{};
    TableError error = CellFault(TableErrorKind::kDuplicateVarietyName, 1);
    error.first_line = first->second;
    return error;
  }

  TableError TakeValue(int row, int trait) {
    switch (ClassifyValueCell(cells_.Cell(), format_.decimal_mark, &c_.Value(row, trait))) {
      case ValueCellKind::kNumber: return TableError{};
      case ValueCellKind::kEmpty: return CellFault(TableErrorKind::kEmptyValue, trait + 2);
      case ValueCellKind::kTooLarge: return CellFault(TableErrorKind::kNumberTooLarge, trait + 2);
      case ValueCellKind::kOther: break;
    }
    return CellFault(TableErrorKind::kNotANumber, trait + 2);
  }

  std::string Excerpt(std::string_view text) const { return ExcerptOf(text, format_.encoding, kTableErrorTextMax); }

  TableCells cells_;
  const TableFormat& format_;
  const TableShape& shape_;
  Collection& c_;
  std::unordered_map<std::string_view, std::int64_t> seen_;  // name -> its line; views into c_'s names
};

}  // namespace

TableRead ReadTable(std::string_view bytes, TableDelimiter choice, Collection& collection) {
  collection = Collection{};
  TableRead read;
  TableText text;
  read.error = FindTableEncoding(bytes, &text);
  read.format.encoding = text.encoding;
  read.format.byte_order_mark = text.byte_order_mark;
  if (!read.ok()) return read;
  read.format.delimiter = ChooseDelimiter(text.body, choice);
  read.format.decimal_mark = DecimalMarkFor(read.format.delimiter);
  TableShape shape;
  read.error = MeasureTable(text.body, read.format, &shape);
  if (read.ok()) read.error = TableFiller(text.body, read.format, shape, collection).Fill();
  if (!read.ok()) collection = Collection{};
  return read;
}

bool FirstFieldIsNumber(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  const std::size_t start = bytes.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return false;
  bytes.remove_prefix(start);
  return IsNumberNotation(bytes.substr(0, bytes.find_first_of(" \t,\r\n")));
}

}  // namespace kyori
