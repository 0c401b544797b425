#include "batch/table_reader.h"

#include <algorithm>
#include <cstddef>

#include "batch/table_filler.h"
#include "batch/table_value_cell.h"

namespace kyori {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

}  // namespace

TableRead MeasureTableFile(std::string_view bytes, TableDelimiter choice, std::int64_t most_rows) {
  TableRead read;
  TableText text;
  read.error = FindTableEncoding(bytes, &text);
  read.format.encoding = text.encoding;
  read.format.byte_order_mark = text.byte_order_mark;
  if (!read.ok()) return read;
  read.format.delimiter = ChooseDelimiter(text.body, choice);
  read.format.decimal_mark = DecimalMarkFor(read.format.delimiter);
  read.error = MeasureTable(text.body, read.format, &read.shape, most_rows);
  return read;
}

TableRead FillTableFile(std::string_view bytes, const TableRead& measured, Collection& collection,
                        const MissingTexts& missing) {
  collection = Collection{};
  TableRead read = measured;
  if (!read.ok()) return read;
  if (read.format.byte_order_mark) bytes.remove_prefix(std::min(bytes.size(), kUtf8Mark.size()));
  read.error = FillTable(bytes, read.format, read.shape, collection, missing);
  if (!read.ok()) collection = Collection{};
  if (read.ok()) {
    collection.name_encoding =
        read.format.encoding == TableEncoding::kCp932 ? NameEncoding::kCp932 : NameEncoding::kUtf8;
  }
  return read;
}

TableRead ReadTable(std::string_view bytes, TableDelimiter choice, Collection& collection,
                    const MissingTexts& missing) {
  return FillTableFile(bytes, MeasureTableFile(bytes, choice), collection, missing);
}

bool FirstFieldIsNumber(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  const std::size_t start = bytes.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return false;
  bytes.remove_prefix(start);
  return IsNumberNotation(bytes.substr(0, bytes.find_first_of(" \t,\r\n")));
}

}  // namespace kyori
