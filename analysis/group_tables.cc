#include "analysis/group_tables.h"

#include <limits>

#include "text/csv_cells.h"

namespace kyori::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string NameAt(const std::vector<std::string>& names, std::size_t i) {
  return i < names.size() ? names[i] : std::string();
}

void AppendCells(std::initializer_list<double> values, std::string* row) {
  for (double v : values) {
    *row += ',';
    AppendCsvNumber(v, row);
  }
}

}  // namespace

void WriteGroupsTable(const Grouping& grouping, const std::vector<std::string>& variety_names, std::ostream& out) {
  std::string row(kUtf8ByteOrderMark);
  row += ",group,silhouette_width,nearest_group";
  row += kCsvRowEnd;
  out << row;
  const Silhouette& s = grouping.silhouette;
  for (std::size_t i = 0; i < grouping.group.size(); ++i) {
    row = CsvNameCell(NameAt(variety_names, i));
    const bool widths = i < s.width.size();
    AppendCells({static_cast<double>(grouping.group[i]), widths ? s.width[i] : kNaN,
                 widths ? static_cast<double>(s.nearest[i]) : kNaN},
                &row);
    row += kCsvRowEnd;
    out << row;
  }
}

void WriteGroupMeansTable(const std::vector<GroupSummary>& summaries, const std::vector<std::string>& trait_names,
                          std::ostream& out) {
  const std::size_t traits = summaries.empty() ? 0 : summaries.front().mean.size();
  std::string row(kUtf8ByteOrderMark);
  row += ",size,silhouette,within_distance";
  for (std::size_t j = 0; j < traits; ++j) {
    row += ',' + CsvNameCell(NameAt(trait_names, j) + " mean");
    row += ',' + CsvNameCell(NameAt(trait_names, j) + " sd");
  }
  row += kCsvRowEnd;
  out << row;
  for (std::size_t g = 0; g < summaries.size(); ++g) {
    const GroupSummary& s = summaries[g];
    row = std::to_string(g + 1);
    AppendCells({static_cast<double>(s.size), s.silhouette, s.within}, &row);
    for (std::size_t j = 0; j < traits; ++j) AppendCells({s.mean[j], s.sd[j]}, &row);
    row += kCsvRowEnd;
    out << row;
  }
}

}  // namespace kyori::analysis
