// The cells of kyori's CSV files (text/csv_cells.h): names quoted exactly
// where a reader would otherwise split, join or trim them, kept UTF-8
// whatever bytes they held; numbers that read back as the same double.
#include "text/csv_cells.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

namespace kyori {
namespace {

TEST(CsvCellsTest, NamesAreQuotedWhereAReaderWouldSplitOrTrimThem) {
  struct Case {
    std::string name;
    char delimiter;
    std::string cell;
  };
  const Case cases[] = {
      {"plain", ',', "plain"},
      {"コシヒカリ", ',', "コシヒカリ"},
      {"a,b", ',', "\"a,b\""},
      {"a,b", '\t', "a,b"},
      {"a\tb", ',', "a\tb"},
      {"a\tb", '\t', "\"a\tb\""},
      {"5\" pot", ',', "\"5\"\" pot\""},
      {"\"", ',', "\"\"\"\""},
      {"line\r\nx", ',', "\"line\r\nx\""},
      {"cr\rx", ',', "\"cr\rx\""},
      {"lf\nx", '\t', "\"lf\nx\""},
      {" a", ',', "\" a\""},
      {"a\t", ',', "\"a\t\""},
      {"a b", ',', "a b"},
      {"", ',', ""},
      {"'single'", ',', "'single'"},
      {"\xE5\x93\x81\xFF", ',', "\xE5\x93\x81\xEF\xBF\xBD"},     // 品, then a stray byte
      {"\x95\x69,", ',', "\"\xEF\xBF\xBDi,\""},                    // code page 932 is not read here
      {"\xE3\x81", ',', "\xEF\xBF\xBD\xEF\xBF\xBD"},               // cut-off sequence
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CsvNameCell(c.name, c.delimiter), c.cell) << testing::PrintToString(c.name);
  }
}

TEST(CsvCellsTest, NumbersAreTheShortestTextThatReadsBack) {
  struct Case {
    double value;
    const char* cell;
  };
  const Case cases[] = {
      {0.1, "0.1"},
      {1.0 / 3, "0.3333333333333333"},
      {-0.0, "-0"},
      {100, "100"},
      {2.5e15, "2.5e+15"},
      {1e-300, "1e-300"},
      {5e-324, "5e-324"},
      {-2.2250738585072014e-308, "-2.2250738585072014e-308"},
      {std::numeric_limits<double>::quiet_NaN(), "NA"},
      {std::numeric_limits<double>::infinity(), "Inf"},
      {-std::numeric_limits<double>::infinity(), "-Inf"},
  };
  for (const Case& c : cases) {
    std::string row = "x,";
    AppendCsvNumber(c.value, &row);
    EXPECT_EQ(row, std::string("x,") + c.cell);
  }
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> exponent(-300, 300);
  for (int k = 0; k < 10000; ++k) {
    const double value = (k % 2 ? -1 : 1) * std::pow(10.0, exponent(random));
    std::string cell;
    AppendCsvNumber(value, &cell);
    EXPECT_EQ(std::strtod(cell.c_str(), nullptr), value) << cell;
  }
}

}  // namespace
}  // namespace kyori
