// The principal components (pca.h) as CSV tables for spreadsheets, R and
// pandas, in the CSV rules of text/csv_cells.h: UTF-8 with a byte-order
// mark, rows ending in CR LF, a header row, names first (quoted where a
// reader needs it), numbers as the shortest text that reads back as the same
// double. Each table's header starts with an empty cell over the names, as
// R's write.csv writes row names, so that read.csv(row.names = 1) and
// read_csv(index_col = 0) take them as row names.
//
//   scores    ,PC1,PC2,...         one row per variety: its name, its scores
//   loadings  ,PC1,PC2,...         one row per trait: its name, its loadings
//   variance  ,standard_deviation,eigenvalue,percent_of_variance,cumulative_percent
//             one row per component: PC1, PC2, ...
//
// Example, the three varieties of pca.h named A, "B,1" and C, traits X and
// Y "2" (the last digits as the decomposition gives them):
//   scores    "\xEF\xBB\xBF" ",PC1,PC2\r\n"
//             "A,-1.414213562373095,0\r\n"
//             "\"B,1\",0.7071067811865475,-0.7071067811865475\r\n"
//             "C,0.7071067811865475,0.7071067811865475\r\n"
//   loadings  "\xEF\xBB\xBF" ",PC1,PC2\r\n"
//             "X,0.7071067811865475,0.7071067811865475\r\n"
//             "\"Y \"\"2\"\"\",-0.7071067811865475,0.7071067811865475\r\n"
//   variance  "\xEF\xBB\xBF" ",standard_deviation,eigenvalue,percent_of_variance,cumulative_percent\r\n"
//             "PC1,1.224744871391589,1.4999999999999998,75.00000000000001,75.00000000000001\r\n"
//             "PC2,0.7071067811865475,0.4999999999999999,25,100\r\n"
// Names where `names` is shorter are empty.
#ifndef KYORI_ANALYSIS_PCA_TABLES_H_
#define KYORI_ANALYSIS_PCA_TABLES_H_

#include <ostream>
#include <string>
#include <vector>

#include "analysis/pca.h"

namespace kyori::analysis {

// The varieties' scores; variety i named variety_names[i].
void WritePcaScores(const Pca& pca, const std::vector<std::string>& variety_names, std::ostream& out);

// The traits' loadings; trait j named trait_names[j].
void WritePcaLoadings(const Pca& pca, const std::vector<std::string>& trait_names, std::ostream& out);

// Each component's standard deviation, eigenvalue, % of variance and
// cumulative %.
void WritePcaVariance(const Pca& pca, std::ostream& out);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_PCA_TABLES_H_
