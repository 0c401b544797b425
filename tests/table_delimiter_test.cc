// The delimiter of a table from its header row, quoted cells left out, or
// from the user's choice.
#include "batch/table_delimiter.h"

#include <gtest/gtest.h>

namespace kyori {
namespace {

TEST(ChooseDelimiterTest, FollowsTheHeaderRowOrTheChoice) {
  struct Case {
    const char* header;
    TableDelimiter choice;
    char delimiter;
  };
  constexpr TableDelimiter kAuto = TableDelimiter::kAuto;
  constexpr TableDelimiter kCsv = TableDelimiter::kCsv;
  const Case cases[] = {
      {"variety\theight,cm\n", kAuto, '\t'},
      {"variety\theight,cm\n", kCsv, ','},
      {"variety,height\n", TableDelimiter::kTsv, '\t'},
      {"variety;height;weight\n", kAuto, ';'},
      {"variety;height;weight\n", kCsv, ';'},
      {"variety;height,cm\n", kAuto, ','},
      {"\"a;b\",c\n", kAuto, ','},
      {"\"a,b\";c\n", kAuto, ';'},
      {"\"a\tb\";c\n", kAuto, ';'},
      {"\"a\nb,c\";d\n", kAuto, ';'},    // a line break inside quotes does not end the header
      {" \"a,b\";c\n", kAuto, ';'},      // blanks before the opening quote
      {"5\" pot;a;b\n", kAuto, ';'},     // a quote inside a cell opens nothing
      {"\n\r\nv;a\nx,1\n", kAuto, ';'},  // the first line that is not empty
      {"v;a\nx,1\tb\n", kAuto, ';'},     // only the header row counts
      {"variety\n", kAuto, ','},
      {"", kAuto, ','},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseDelimiter(c.header, c.choice), c.delimiter) << ::testing::PrintToString(c.header);
  }
}

}  // namespace
}  // namespace kyori
