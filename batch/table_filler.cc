#include "batch/table_filler.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>

#include "batch/table_cells.h"
#include "batch/table_value_cell.h"
#include "text/byte_string.h"

namespace kyori {
namespace {

// One pass over the cells. Each step returns whether reading goes on; the
// first fault is kept in error_.
class TableFiller {
 public:
  TableFiller(std::string_view body, const TableFormat& format, const TableShape& shape, Collection& c,
              const MissingTexts& missing)
      : cells_(body, format.delimiter), format_(format), shape_(shape), c_(c), missing_(missing) {}

  TableError Fill() {
    Allocate();
    bool going = FillHeader();
    for (int row = 0; going && row < c_.varieties; ++row) going = FillRow(row);
    return std::move(error_);
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

  // Reads the next cell, which the first reading found at `column` (0-based)
  // of a row; false, with kRaggedRow, where the text departs from the shape.
  bool NextCell(std::int64_t column) {
    if (cells_.Next() == TableCells::Step::kCell && cells_.EndsRow() == (column + 1 == shape_.columns)) {
      return true;
    }
    error_.kind = TableErrorKind::kRaggedRow;
    error_.line = cells_.Line();
    return false;
  }

  bool FillHeader() {
    for (std::int64_t column = 0; column < shape_.columns; ++column) {
      if (!NextCell(column)) return false;
      if (column == 0) continue;  // the name column's header: any text
      if (!NameFits(column)) return false;
      c_.trait_names.push_back(TextFromBytes(cells_.Cell()));
    }
    return true;
  }

  // Reads one row: its name, and its values straight into their places in
  // the layout by trait (the rows' writes to one trait share cache lines, so
  // storing them there at once costs no more than gathering them first).
  bool FillRow(int row) {
    if (!NextCell(0) || !TakeName()) return false;
    for (int trait = 0; trait < c_.traits; ++trait) {
      if (!NextCell(trait + 1) || !TakeValue(&c_.Value(row, trait), trait + 1)) return false;
    }
    return true;
  }

  bool TakeName() {
    if (cells_.Cell().empty()) return CellFault(TableErrorKind::kEmptyVarietyName, 0);
    if (!NameFits(0)) return false;
    if (cells_.Cell().find_first_of("\r\n") != std::string_view::npos) {
      return CellFault(TableErrorKind::kVarietyNameLineBreak, 0);
    }
    c_.variety_names.push_back(TextFromBytes(cells_.Cell()));
    const auto [first, added] = seen_.emplace(c_.variety_names.back().View(), cells_.Line());
    if (added) return true;
    error_.first_line = first->second;
    return CellFault(TableErrorKind::kDuplicateVarietyName, 0);
  }

  bool TakeValue(double* slot, std::int64_t column) {
    switch (ClassifyValueCell(cells_.Cell(), format_.decimal_mark, missing_, slot)) {
      case ValueCellKind::kNumber: return true;
      case ValueCellKind::kMissing: *slot = std::numeric_limits<double>::quiet_NaN(); return true;
      case ValueCellKind::kEmpty: return CellFault(TableErrorKind::kEmptyValue, column);
      case ValueCellKind::kTooLarge: return CellFault(TableErrorKind::kNumberTooLarge, column);
      case ValueCellKind::kOther: break;
    }
    return CellFault(TableErrorKind::kNotANumber, column);
  }

  // Whether the name just read at `column` (0-based) has at most
  // kTableMaxNameBytes; else keeps the fault.
  bool NameFits(std::int64_t column) {
    const auto size = static_cast<std::int64_t>(cells_.Cell().size());
    if (size <= kTableMaxNameBytes) return true;
    error_.count = size;
    error_.limit = kTableMaxNameBytes;
    error_.kind = TableErrorKind::kNameTooLong;
    error_.line = cells_.Line();
    error_.column = column + 1;
    error_.found = Excerpt(cells_.Cell());
    return false;
  }

  // Keeps the fault of the cell just read at `column` (0-based) of a
  // variety's row; false.
  bool CellFault(TableErrorKind kind, std::int64_t column) {
    error_.kind = kind;
    error_.line = cells_.Line();
    error_.column = column + 1;
    error_.found = Excerpt(cells_.Cell());
    if (column > 0) {
      error_.variety = Excerpt(c_.variety_names.back().View());
      error_.trait = Excerpt(c_.trait_names[static_cast<std::size_t>(column - 1)].View());
    }
    return false;
  }

  std::string Excerpt(std::string_view text) const { return ExcerptOf(text, format_.encoding, kTableErrorTextMax); }

  TableCells cells_;
  const TableFormat& format_;
  const TableShape& shape_;
  Collection& c_;
  const MissingTexts& missing_;
  std::unordered_map<std::string_view, std::int64_t> seen_;  // name -> its line; views into c_'s names
  TableError error_;
};

}  // namespace

TableError FillTable(std::string_view body, const TableFormat& format, const TableShape& shape,
                     Collection& collection, const MissingTexts& missing) {
  return TableFiller(body, format, shape, collection, missing).Fill();
}

}  // namespace kyori
