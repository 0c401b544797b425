#include "batch/table_writer.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "batch/row_stream.h"
#include "kernels/condensed_index.h"

namespace kyori {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kRowEnd = "\r\n";

// A name of up to 64 bytes: at most 3 bytes of UTF-8 each, two quotes, the
// string and its block.
constexpr std::size_t kNameCellBytes = 256;
constexpr std::size_t kNumberCellBytes = 1 + kMaxNumberCell;  // with its separator

std::size_t RowBytes(int numbers) {
  return kNameCellBytes + static_cast<std::size_t>(numbers) * kNumberCellBytes + kRowEnd.size();
}

std::vector<std::string> NameCells(const std::vector<ByteString>& names, const TableStyle& style) {
  std::vector<std::string> cells;
  cells.reserve(names.size());
  for (const ByteString& name : names) cells.push_back(NameCell(name.View(), style.delimiter, style.names));
  return cells;
}

// The mark, the empty first cell, then `cells`.
void WriteHeader(const std::vector<std::string>& cells, char separator, FileWriter& out) {
  out.Write(kByteOrderMark);
  for (const std::string& cell : cells) {
    out.Write(std::string_view(&separator, 1));
    out.Write(cell);
  }
  out.Write(kRowEnd);
}

// Rows formatted together: 8 doubles are one cache line of a column.
constexpr int kGroup = 8;

// Sets `text` to the name cell and room for `numbers` number cells; returns
// where the first one goes.
char* StartRow(const std::string& name_cell, int numbers, std::string& text) {
  text.resize(name_cell.size() + static_cast<std::size_t>(numbers) * kNumberCellBytes + kRowEnd.size());
  return std::copy(name_cell.begin(), name_cell.end(), text.data());
}

void EndRow(char* end, std::string& text) {
  end = std::copy(kRowEnd.begin(), kRowEnd.end(), end);
  text.resize(static_cast<std::size_t>(end - text.data()));
}

// Appends to each of `count` rows, for each column j in [0, columns), the
// separator and the row's value column(j)[k] (k the row's place in the
// group): the group reads each column's values side by side.
template <typename Column>
void AppendColumns(int columns, Column column, char separator, int count, char** ends) {
  for (int j = 0; j < columns; ++j) {
    const double* values = column(j);
    for (int k = 0; k < count; ++k) {
      *ends[k]++ = separator;
      ends[k] = NumberCell(values[k], ends[k]);
    }
  }
}

// Rows [first, first + count) of the square matrix. Row i holds the pairs
// (j, i) for j < i down the triangle's columns, 0, then the pairs (i, j)
// for j > i along its row; the columns left of the group are read for all
// its rows at once.
void FormatDistanceRows(const std::vector<double>& d, std::size_t n, std::size_t first, int count, char separator,
                        const std::vector<std::string>& cells, std::string* texts) {
  char* ends[kGroup];
  for (int k = 0; k < count; ++k) ends[k] = StartRow(cells[first + k], static_cast<int>(n), texts[k]);
  AppendColumns(static_cast<int>(first), [&](int j) { return d.data() + CondensedIndex(n, j, first); },
                separator, count, ends);
  for (int k = 0; k < count; ++k) {
    const std::size_t i = first + k;
    char* end = ends[k];
    for (std::size_t j = first; j < i; ++j) {
      *end++ = separator;
      end = NumberCell(d[CondensedIndex(n, j, i)], end);
    }
    *end++ = separator;
    *end++ = '0';
    const double* pair = d.data() + (i + 1 < n ? CondensedIndex(n, i, i + 1) : 0);
    for (std::size_t j = i + 1; j < n; ++j) {
      *end++ = separator;
      end = NumberCell(*pair++, end);
    }
    EndRow(end, texts[k]);
  }
}

}  // namespace

bool WriteDistanceTable(const std::vector<double>& distances, const std::vector<ByteString>& names,
                        const TableStyle& style, int jobs, FileWriter& out) {
  const std::size_t n = names.size();
  if (distances.size() != CondensedSize(static_cast<std::ptrdiff_t>(n))) return false;
  const char separator = style.delimiter;
  const std::vector<std::string> cells = NameCells(names, style);
  WriteHeader(cells, separator, out);
  StreamRows(static_cast<int>(n), kGroup, RowBytes(static_cast<int>(n)), jobs, out,
             [&](int first, int count, std::string* texts) {
               FormatDistanceRows(distances, n, static_cast<std::size_t>(first), count, separator, cells, texts);
             });
  return true;
}

bool WriteValuesTable(const Collection& c, const TableStyle& style, int jobs, FileWriter& out) {
  const int n = std::max(c.varieties, 0);
  const int m = std::max(c.traits, 0);
  if (c.variety_names.size() != static_cast<std::size_t>(n) || c.trait_names.size() != static_cast<std::size_t>(m) ||
      c.values.size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(m)) {
    return false;
  }
  const char separator = style.delimiter;
  WriteHeader(NameCells(c.trait_names, style), separator, out);
  const std::vector<std::string> cells = NameCells(c.variety_names, style);
  StreamRows(n, kGroup, RowBytes(m), jobs, out, [&](int first, int count, std::string* texts) {
    char* ends[kGroup];
    for (int k = 0; k < count; ++k) ends[k] = StartRow(cells[static_cast<std::size_t>(first + k)], m, texts[k]);
    AppendColumns(m, [&](int j) { return c.Trait(j) + first; }, separator, count, ends);
    for (int k = 0; k < count; ++k) EndRow(ends[k], texts[k]);
  });
  return true;
}

std::uint64_t TableMemory(int varieties, int traits, int jobs) {
  const std::uint64_t n = static_cast<std::uint64_t>(std::max(varieties, 0));
  const std::uint64_t m = static_cast<std::uint64_t>(std::max(traits, 0));
  const std::uint64_t distances = n * kNameCellBytes + RowStreamMemory(varieties, RowBytes(varieties), kGroup, jobs);
  const std::uint64_t values = (n + m) * kNameCellBytes + RowStreamMemory(varieties, RowBytes(traits), kGroup, jobs);
  return std::max(distances, values);
}

}  // namespace kyori
