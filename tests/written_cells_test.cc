// The cells of the CSV and TSV tables (batch/written_cells.h): names in
// each encoding and for each delimiter, and numbers that read back to the
// same bits.
#include "batch/written_cells.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/double_bits.h"

namespace kyori {
namespace {

using testing::BitsOf;

double ParsedBack(const std::string& text) {
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
  EXPECT_EQ(result.ec, std::errc()) << text;
  return value;
}

std::string Cell(double value) {
  char text[kMaxNumberCell];
  return std::string(text, NumberCell(value, text));
}

struct NameCase {
  const char* what;
  std::string name;
  char delimiter;
  NamesEncoding encoding;
  std::string cell;
};

TEST(NameCellTest, ConvertsAndQuotesAsTheDelimiterNeeds) {
  const std::string r = "\xEF\xBF\xBD";  // U+FFFD
  const char csv = ',';
  const char tsv = '\t';
  const auto cp932 = NamesEncoding::kCp932;
  const auto utf8 = NamesEncoding::kUtf8;
  const auto detect = NamesEncoding::kDetect;
  const NameCase cases[] = {
      {"plain", "Koshihikari 2", csv, cp932, "Koshihikari 2"},
      {"empty", "", csv, cp932, ""},
      {"comma in CSV", "a,b", csv, cp932, "\"a,b\""},
      {"comma in TSV", "a,b", tsv, cp932, "a,b"},
      {"tab in CSV", "a\tb", csv, cp932, "a\tb"},
      {"tab in TSV", "a\tb", tsv, cp932, "\"a\tb\""},
      {"quotes doubled", "\"x\" \"y\"", csv, cp932, "\"\"\"x\"\" \"\"y\"\"\""},
      {"a quote in TSV", "5\"", tsv, cp932, "\"5\"\"\""},
      {"CR alone", "a\rb", csv, cp932, "\"a\rb\""},
      {"LF in TSV", "a\nb", tsv, cp932, "\"a\nb\""},
      {"leading blank", " a", csv, cp932, "\" a\""},
      {"trailing blank", "a ", tsv, cp932, "\"a \""},
      {"leading tab in CSV", "\ta", csv, cp932, "\"\ta\""},
      {"inner blank", "a b", csv, cp932, "a b"},
      {"code page 932", "\x95\x69\x8E\xED\x41", csv, cp932, "品種A"},
      {"0x5C second byte", "\x83\x5C", csv, cp932, "ソ"},
      {"half-width katakana", "\xB1\xB2", csv, cp932, "ｱｲ"},
      {"undecodable code page 932", "A\xFF", csv, cp932, "A" + r},
      {"code page 932 with a comma", "\x95\x69,\x8E\xED", csv, cp932, "\"品,種\""},
      {"UTF-8 kept", "品種A", csv, utf8, "品種A"},
      {"UTF-8 with a stray byte", "品\xFF", csv, utf8, "品" + r},
      {"UTF-8 told, code page 932 given", "\x95\x69", csv, utf8, r + "i"},
      {"UTF-8 detected", "品種", csv, detect, "品種"},
      {"code page 932 detected", "\x95\x69\x8E\xED", csv, detect, "品種"},
      {"ideographic space kept unquoted", "\xE3\x80\x80" "a", csv, utf8, "\xE3\x80\x80" "a"},
  };
  for (const NameCase& c : cases) EXPECT_EQ(NameCell(c.name, c.delimiter, c.encoding), c.cell) << c.what;
}

TEST(NumberCellTest, ShortestTextAndTheSpecialValues) {
  const std::pair<double, const char*> cases[] = {
      {0.1, "0.1"},
      {1.0 / 3, "0.3333333333333333"},
      {0.1 + 0.2, "0.30000000000000004"},
      {-0.0, "-0"},
      {0.0, "0"},
      {100, "100"},
      {2.5e15, "2.5e+15"},
      {1e-300, "1e-300"},
      {testing::kSmallestSubnormal, "5e-324"},
      {testing::kLargest, "1.7976931348623157e+308"},
      {-2.2250738585072014e-308, "-2.2250738585072014e-308"},  // the longest cell
      {testing::kNaN, "NA"},
      {testing::kInf, "Inf"},
      {-testing::kInf, "-Inf"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(Cell(value), text);
  EXPECT_EQ(Cell(-2.2250738585072014e-308).size(), static_cast<std::size_t>(kMaxNumberCell));
}

// Awkward doubles and random bit patterns read back by from_chars and
// strtod to the same bits.
TEST(NumberCellTest, ReadsBackToTheSameBits) {
  std::vector<double> values = {1e-300,        0.1,  1.0 / 3, -0.0,        testing::kSmallestSubnormal,
                                testing::kLargest, -testing::kLargest, 2.2250738585072014e-308,
                                2.225073858507201e-308, 0.1 + 0.2, 1e23, 9007199254740992.0, 123456789012345680.0,
                                -1.4142135623730951, 0.9999999999999999, 1.0000000000000002};
  std::mt19937_64 random(20240611);
  while (values.size() < 20000) {
    double x;
    const std::uint64_t bits = random();
    std::memcpy(&x, &bits, sizeof x);
    if (std::isfinite(x)) values.push_back(x);
  }
  for (const double x : values) {
    const std::string text = Cell(x);
    ASSERT_LE(text.size(), static_cast<std::size_t>(kMaxNumberCell)) << text;
    EXPECT_EQ(BitsOf(ParsedBack(text)), BitsOf(x)) << text;
    EXPECT_EQ(BitsOf(std::strtod(text.c_str(), nullptr)), BitsOf(x)) << text;
  }
}

}  // namespace
}  // namespace kyori
