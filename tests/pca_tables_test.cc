// The principal components as CSV (analysis/pca_tables.h): every byte of a
// small case, names that need quotes or hold stray bytes, numbers that are
// no number, and names missing at the end of the list.
#include "analysis/pca_tables.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

// Three varieties, two traits, two components, values chosen by hand: the
// writers are checked here, not the decomposition.
Pca SmallPca() {
  Pca pca;
  pca.varieties = 3;
  pca.traits = 2;
  pca.components = 2;
  pca.sdev = {1.5, 0.25};
  pca.eigenvalues = {2.25, 0.0625};
  pca.percent = {97.2972972972973, 2.7027027027027026};
  pca.cumulative = {97.2972972972973, 100};
  pca.loadings = {0.6, 0.8, -0.8, 0.6};
  pca.scores = {-2, 0.5, 1.5, 1e-300, testing::kNaN, -0.0};
  return pca;
}

std::string Written(void (*write)(const Pca&, const std::vector<std::string>&, std::ostream&),
                    const std::vector<std::string>& names) {
  std::ostringstream out;
  write(SmallPca(), names, out);
  return out.str();
}

TEST(PcaTablesTest, EveryByteOfASmallCase) {
  EXPECT_EQ(Written(WritePcaScores, {"A", "B,1", "\xE5\x93\x81\xFF"}),
            "\xEF\xBB\xBF,PC1,PC2\r\n"
            "A,-2,1e-300\r\n"
            "\"B,1\",0.5,NA\r\n"
            "\xE5\x93\x81\xEF\xBF\xBD,1.5,-0\r\n");
  EXPECT_EQ(Written(WritePcaLoadings, {"height \"cm\"", "ear\r\nlength"}),
            "\xEF\xBB\xBF,PC1,PC2\r\n"
            "\"height \"\"cm\"\"\",0.6,-0.8\r\n"
            "\"ear\r\nlength\",0.8,0.6\r\n");
  std::ostringstream variance;
  WritePcaVariance(SmallPca(), variance);
  EXPECT_EQ(variance.str(),
            "\xEF\xBB\xBF,standard_deviation,eigenvalue,percent_of_variance,cumulative_percent\r\n"
            "PC1,1.5,2.25,97.2972972972973,97.2972972972973\r\n"
            "PC2,0.25,0.0625,2.7027027027027026,100\r\n");
}

TEST(PcaTablesTest, NamesMissingAtTheEndAreEmpty) {
  EXPECT_EQ(Written(WritePcaScores, {"A"}),
            "\xEF\xBB\xBF,PC1,PC2\r\n"
            "A,-2,1e-300\r\n"
            ",0.5,NA\r\n"
            ",1.5,-0\r\n");
}

}  // namespace
}  // namespace kyori::analysis
