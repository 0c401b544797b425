// The number grammar of a data file's fields (batch/layout_number.h) and the
// English text of the errors of strict reading (batch/layout_error_text.h).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/layout_error.h"
#include "batch/layout_error_text.h"
#include "batch/layout_number.h"

namespace kyori {
namespace {

// ---- The number grammar --------------------------------------------------

TEST(LayoutNumberTest, AcceptsTheGrammarAndNothingElse) {
  struct Case {
    const char* text;
    NumberText kind;
  };
  const Case cases[] = {
      {"12", NumberText::kNumber},      {"-2.5", NumberText::kNumber},     {"5.", NumberText::kNumber},
      {".5", NumberText::kNumber},      {"-.5", NumberText::kNumber},      {"-0", NumberText::kNumber},
      {"&H1F", NumberText::kNumber},    {"&h10", NumberText::kNumber},     {"&o17", NumberText::kNumber},
      {"&H7FFFFFFFFFFFFFFF", NumberText::kNumber},
      {"&H00000000000000000001", NumberText::kNumber},
      {"&O777777777777777777777", NumberText::kNumber},
      {"", NumberText::kNotANumber},    {"-", NumberText::kNotANumber},    {".", NumberText::kNotANumber},
      {"-.", NumberText::kNotANumber},  {"+3", NumberText::kNotANumber},   {"1e3", NumberText::kNotANumber},
      {"1d3", NumberText::kNotANumber}, {"12.3.4", NumberText::kNotANumber}, {"5abc", NumberText::kNotANumber},
      {" .5", NumberText::kNotANumber}, {"1 ", NumberText::kNotANumber},   {"&H", NumberText::kNotANumber},
      {"&X1", NumberText::kNotANumber}, {"&H1G", NumberText::kNotANumber}, {"&O8", NumberText::kNotANumber},
      {"-&H1", NumberText::kNotANumber}, {"1\r", NumberText::kNotANumber},
      {"&H8000000000000000", NumberText::kOutOfRange},
      {"&H10000000000000000", NumberText::kOutOfRange},
      {"&O1777777777777777777777", NumberText::kOutOfRange},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadLayoutNumber(c.text).kind, c.kind) << '"' << c.text << '"';
    EXPECT_EQ(FitsNumberGrammar(c.text), c.kind == NumberText::kNumber) << '"' << c.text << '"';
  }
  EXPECT_EQ(ReadLayoutNumber(std::string(400, '0') + "5").kind, NumberText::kOutOfRange);  // NaN
  EXPECT_EQ(ReadLayoutNumber("1" + std::string(400, '0')).kind, NumberText::kOutOfRange);  // infinite
  EXPECT_EQ(ReadLayoutNumber("0." + std::string(400, '0') + "1").kind, NumberText::kNumber);
  EXPECT_EQ(ReadLayoutNumber("&h10").value, 16.0);
  EXPECT_EQ(ReadLayoutNumber("1e3").value, 1.0);  // what the dialogue stores
}

TEST(LayoutNumberTest, CountsAreWholeNumbers) {
  EXPECT_TRUE(IsWholeNumber(ReadLayoutNumber("3")));
  EXPECT_TRUE(IsWholeNumber(ReadLayoutNumber("3.0")));
  EXPECT_TRUE(IsWholeNumber(ReadLayoutNumber("&H3")));
  EXPECT_TRUE(IsWholeNumber(ReadLayoutNumber("-1")));
  EXPECT_FALSE(IsWholeNumber(ReadLayoutNumber("2.5")));
  EXPECT_FALSE(IsWholeNumber(ReadLayoutNumber("3abc")));
  EXPECT_FALSE(IsWholeNumber(ReadLayoutNumber("")));
  EXPECT_FALSE(IsWholeNumber(ReadLayoutNumber(std::string(400, '0') + "3")));
}

// ---- The text of an error ------------------------------------------------

TEST(LayoutErrorTextTest, RendersEachKindAndCause) {
  LayoutError e;
  e.kind = LayoutErrorKind::kNotANumber;
  e.field = LayoutField::kValue;
  e.line = 7;
  e.variety = 1;
  e.variety_name = "\xE3\x82\xB3\xE3\x82\xB7\xE3\x83\x92\xE3\x82\xAB\xE3\x83\xAA";  // コシヒカリ
  e.trait = 2;
  e.trait_name = "\xE7\xA9\x82\xE9\x95\xB7";  // 穂長
  e.found = "abc";
  EXPECT_EQ(LayoutErrorText(e), "line 7: value of \xE7\xA9\x82\xE9\x95\xB7 for "
                                "\xE3\x82\xB3\xE3\x82\xB7\xE3\x83\x92\xE3\x82\xAB\xE3\x83\xAA is \"abc\", not a number");
  // The names and the text found are the file's bytes, apart from the
  // program's words.
  const std::vector<LayoutTextPiece> pieces = LayoutErrorPieces(e);
  std::string from_file;
  for (const LayoutTextPiece& piece : pieces) {
    if (piece.from_file) from_file += piece.text + "|";
  }
  EXPECT_EQ(from_file, e.trait_name + "|" + e.variety_name + "|abc|");

  e.variety_name.clear();
  e.cause = LayoutCause::kTrailingBlank;
  e.cause_line = 6;
  EXPECT_EQ(LayoutErrorText(e), "line 7: value of \xE7\xA9\x82\xE9\x95\xB7 for variety 1 is \"abc\", not a number; "
                                "a blank at the end of line 6 makes its line end one more, empty field, and every "
                                "later field is read one place late");

  LayoutError empty;
  empty.kind = LayoutErrorKind::kEmptyValue;
  empty.field = LayoutField::kValue;
  empty.line = 4;
  empty.variety = 2;
  empty.variety_name = "y";
  empty.trait = 1;
  empty.trait_name = "A";
  empty.cause = LayoutCause::kDoubleComma;
  empty.cause_line = 4;
  EXPECT_EQ(LayoutErrorText(empty),
            "line 4: value of A for y is empty; two commas in a row on line 4 make an empty field between them");

  LayoutError ends;
  ends.kind = LayoutErrorKind::kEndsEarly;
  ends.field = LayoutField::kVarietyName;
  ends.line = 9;
  ends.variety = 4;
  ends.varieties_announced = 4;
  ends.traits_announced = 2;
  EXPECT_EQ(LayoutErrorText(ends),
            "line 9: the file ends before the name of variety 4 (the counts announce 4 varieties and 2 traits)");

  LayoutError left;
  left.kind = LayoutErrorKind::kFieldsLeft;
  left.field = LayoutField::kAfterLast;
  left.line = 5;
  left.variety = 2;
  left.variety_name = "y";
  left.trait = 2;
  left.trait_name = "B";
  left.found = "z";
  left.varieties_announced = 2;
  left.traits_announced = 2;
  left.cause = LayoutCause::kDecimalComma;
  left.cause_line = 3;
  left.cause_text = "95,5";
  EXPECT_EQ(LayoutErrorText(left),
            "line 5: \"z\" follows the last value (B for y; the counts announce 2 varieties and 2 traits); "
            "\"95,5\" on line 3 looks like a decimal comma: the comma splits it into two values, and every later "
            "field is read one place late");

  LayoutError count;
  count.kind = LayoutErrorKind::kCountNotWhole;
  count.field = LayoutField::kTraitCount;
  count.line = 1;
  count.found = "2.5";
  EXPECT_EQ(LayoutErrorText(count), "line 1: the number of traits is \"2.5\", not a whole number");

  LayoutError none;
  none.kind = LayoutErrorKind::kNoVariety;
  EXPECT_EQ(LayoutErrorText(none), "holds no variety: its first field, the number of varieties, is not 1 or more");
}

}  // namespace
}  // namespace kyori
