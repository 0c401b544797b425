#include "analysis/pca_tables.h"

#include "text/csv_cells.h"

namespace kyori::analysis {
namespace {

std::string NameAt(const std::vector<std::string>& names, int i) {
  return static_cast<std::size_t>(i) < names.size() ? CsvNameCell(names[i]) : std::string();
}

void WriteComponentHeader(int components, std::ostream& out) {
  std::string row(kUtf8ByteOrderMark);
  for (int c = 1; c <= components; ++c) row += ",PC" + std::to_string(c);
  row += kCsvRowEnd;
  out << row;
}

// One row per name: the name, then column c's value for c = 0 .. columns-1,
// at values[c * rows + r].
void WriteByColumn(const std::vector<double>& values, int rows, int columns, const std::vector<std::string>& names,
                   std::ostream& out) {
  std::string row;
  for (int r = 0; r < rows; ++r) {
    row = NameAt(names, r);
    for (int c = 0; c < columns; ++c) {
      row += ',';
      AppendCsvNumber(values[static_cast<std::size_t>(c) * rows + r], &row);
    }
    row += kCsvRowEnd;
    out << row;
  }
}

}  // namespace

void WritePcaScores(const Pca& pca, const std::vector<std::string>& variety_names, std::ostream& out) {
  WriteComponentHeader(pca.components, out);
  WriteByColumn(pca.scores, pca.varieties, pca.components, variety_names, out);
}

void WritePcaLoadings(const Pca& pca, const std::vector<std::string>& trait_names, std::ostream& out) {
  WriteComponentHeader(pca.components, out);
  WriteByColumn(pca.loadings, pca.traits, pca.components, trait_names, out);
}

void WritePcaVariance(const Pca& pca, std::ostream& out) {
  std::string row(kUtf8ByteOrderMark);
  row += ",standard_deviation,eigenvalue,percent_of_variance,cumulative_percent";
  row += kCsvRowEnd;
  for (int c = 0; c < pca.components; ++c) {
    row += "PC" + std::to_string(c + 1);
    for (double v : {pca.sdev[c], pca.eigenvalues[c], pca.percent[c], pca.cumulative[c]}) {
      row += ',';
      AppendCsvNumber(v, &row);
    }
    row += kCsvRowEnd;
  }
  out << row;
}

}  // namespace kyori::analysis
