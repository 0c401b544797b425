// The number grammar of a data file's fields (batch/layout_number.h): what
// is a number, what is not, and what is one beyond what is read as written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace kyori
