// Value cells of a table: every notation read to the nearest double (by bit
// pattern), both decimal marks, overflow and underflow, and what is no
// number.
#include "batch/table_value_cell.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/double_bits.h"

namespace kyori {
namespace {

using testing::BitsOf;
using testing::kLargest;
using testing::kSmallestSubnormal;

TEST(ClassifyValueCellTest, ReadsEachNotationToTheNearestDouble) {
  struct Case {
    std::string text;
    char mark;
    ValueCellKind kind;
    double value;  // for kNumber
  };
  constexpr ValueCellKind kNumber = ValueCellKind::kNumber;
  constexpr ValueCellKind kOther = ValueCellKind::kOther;
  const std::string zeros(400, '0');
  const Case cases[] = {
      {"0.1", '.', kNumber, 0x1.999999999999ap-4},
      {"1.5e3", '.', kNumber, 1500},
      {" -0.25 ", '.', kNumber, -0.25},
      {"\t+3", '.', kNumber, 3},
      {".5", '.', kNumber, 0.5},
      {"-.5", '.', kNumber, -0.5},
      {"5.", '.', kNumber, 5},
      {"1E+2", '.', kNumber, 100},
      {"-0", '.', kNumber, -0.0},
      {"9007199254740993", '.', kNumber, 9007199254740992.0},  // a tie, to even
      {"2.2250738585072011e-308", '.', kNumber, 0x0.fffffffffffffp-1022},
      {"4.9406564584124654e-324", '.', kNumber, kSmallestSubnormal},
      {"1.7976931348623157e308", '.', kNumber, kLargest},
      {"2e-324", '.', kNumber, 0.0},  // below half the smallest subnormal
      {"-1e-400", '.', kNumber, -0.0},
      {"1e-99999999999999999999", '.', kNumber, 0.0},
      {"0e99999999999999999999", '.', kNumber, 0.0},
      {"0." + zeros + "1e401", '.', kNumber, 1.0},
      {"1" + zeros + "e-400", '.', kNumber, 1.0},
      {"1,5", ',', kNumber, 1.5},
      {"-1,5e-1", ',', kNumber, -0.15},
      {",5", ',', kNumber, 0.5},
      {"", '.', ValueCellKind::kEmpty, 0},
      {" \t ", '.', ValueCellKind::kEmpty, 0},
      {"1e309", '.', ValueCellKind::kTooLarge, 0},
      {"-1.7976931348623159e308", '.', ValueCellKind::kTooLarge, 0},
      {"1e99999999999999999999", '.', ValueCellKind::kTooLarge, 0},
      {"1" + zeros, '.', ValueCellKind::kTooLarge, 0},
      {"0." + zeros + "1e800", '.', ValueCellKind::kTooLarge, 0},
      {"1,5", '.', kOther, 0},
      {"1.5", ',', kOther, 0},
      {"1.234,5", ',', kOther, 0},
      {"1 000", '.', kOther, 0},
      {"0x10", '.', kOther, 0},
      {"inf", '.', kOther, 0},
      {"-Infinity", '.', kOther, 0},
      {"nan", '.', kOther, 0},
      {"NA", '.', kOther, 0},
      {".", '.', kOther, 0},
      {"-", '.', kOther, 0},
      {"+.", '.', kOther, 0},
      {"--1", '.', kOther, 0},
      {"+-1", '.', kOther, 0},
      {"1e", '.', kOther, 0},
      {"1e+", '.', kOther, 0},
      {"e5", '.', kOther, 0},
      {".e5", '.', kOther, 0},
      {"1.5.2", '.', kOther, 0},
      {"1e5.5", '.', kOther, 0},
      {"\xEF\xBC\x91", '.', kOther, 0},  // a full-width 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    double value = 42;
    EXPECT_EQ(ClassifyValueCell(c.text, c.mark, &value), c.kind);
    EXPECT_EQ(BitsOf(value), BitsOf(c.kind == kNumber ? c.value : 42));  // untouched unless a number
  }
}

// The missing texts are matched whole, after the blanks, before the
// grammar: a listed number is missing, an unlisted text is what it was.
TEST(ClassifyValueCellTest, TakesTheListedTextsForMissingValues) {
  struct Case {
    const char* title;
    std::string text;
    char mark;
    MissingTexts missing;
    ValueCellKind kind;
    double value = 42;  // stored for a number; else untouched
  };
  const MissingTexts usual = MissingTexts::Usual();
  const MissingTexts nines{{"999"}};
  const MissingTexts none;
  const Case cases[] = {
      {"NA", "NA", '.', usual, ValueCellKind::kMissing},
      {"blanks around NA", " \tNA ", '.', usual, ValueCellKind::kMissing},
      {"N/A", "N/A", '.', usual, ValueCellKind::kMissing},
      {"#N/A", "#N/A", '.', usual, ValueCellKind::kMissing},
      {"NaN", "NaN", '.', usual, ValueCellKind::kMissing},
      {"a point", ".", '.', usual, ValueCellKind::kMissing},
      {"a point, decimal comma", ".", ',', usual, ValueCellKind::kMissing},
      {"a minus", " - ", '.', usual, ValueCellKind::kMissing},
      {"a question mark", "?", '.', usual, ValueCellKind::kMissing},
      {"empty", "", '.', usual, ValueCellKind::kMissing},
      {"blanks", " \t ", '.', usual, ValueCellKind::kMissing},
      {"a number stays one", "1.5", '.', usual, ValueCellKind::kNumber, 1.5},
      {"too large stays so", "1e309", '.', usual, ValueCellKind::kTooLarge},
      {"another case", "na", '.', usual, ValueCellKind::kOther},
      {"nan", "nan", '.', usual, ValueCellKind::kOther},
      {"two minus signs", "--", '.', usual, ValueCellKind::kOther},
      {"NA inside a text", "NA5", '.', usual, ValueCellKind::kOther},
      {"listed number", "999", '.', nines, ValueCellKind::kMissing},
      {"listed number with blanks", " 999 ", '.', nines, ValueCellKind::kMissing},
      {"the same number written otherwise", "999.0", '.', nines, ValueCellKind::kNumber, 999},
      {"NA not listed", "NA", '.', nines, ValueCellKind::kOther},
      {"empty not listed", "", '.', nines, ValueCellKind::kEmpty},
      {"no list: NA", "NA", '.', none, ValueCellKind::kOther},
      {"no list: empty", " ", '.', none, ValueCellKind::kEmpty},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    double value = 42;
    EXPECT_EQ(ClassifyValueCell(c.text, c.mark, c.missing, &value), c.kind);
    EXPECT_EQ(value, c.value);
  }
}

}  // namespace
}  // namespace kyori
