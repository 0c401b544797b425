#include "analysis/phylip.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

TEST(PhylipTest, NamesAreMadeSafe) {
  struct Case {
    std::string name;
    std::string safe;
  };
  const Case cases[] = {
      {"コシヒカリ", "コシヒカリ"},
      {"my rice", "my_rice"},
      {"tab\there", "tab_here"},
      {"line\r\nend", "line__end"},
      {"ア\u3000イ", "ア_イ"},               // ideographic space
      {"no\u00A0break", "no_break"},
      {"x(y):z;[w],'v'", "x_y__z__w___v_"},
      {"bad\xFF\xE3\x81utf8", "bad___utf8"},  // a stray byte, a cut sequence
      {"ctl\x01\x7F", "ctl__"},
      {"", "unnamed"},
      {"&<>\"", "&<>\""},
  };
  for (const Case& c : cases) EXPECT_EQ(PhylipName(c.name), c.safe) << c.name;
}

TEST(PhylipTest, NamesAreMadeUnique) {
  EXPECT_EQ(PhylipNames({"ア イ", "", "A", "A", "A_2"}, 5),
            (std::vector<std::string>{"ア_イ", "unnamed", "A", "A_3", "A_2"}));
  EXPECT_EQ(PhylipNames({"a b", "a_b", "", ""}, 4),
            (std::vector<std::string>{"a_b", "a_b_2", "unnamed", "unnamed_2"}));
  EXPECT_EQ(PhylipNames({"x"}, 3), (std::vector<std::string>{"x", "unnamed", "unnamed_2"}));
}

TEST(PhylipTest, MatrixReadsBack) {
  const Distances d{3, {0.1, 1.0 / 3, 12345.678901234567}};
  std::ostringstream out;
  ASSERT_TRUE(WritePhylip(d, {"A", "B b", "C"}, out));
  std::istringstream in(out.str());
  int n = 0;
  in >> n;
  ASSERT_EQ(n, 3);
  const std::string expected_names[] = {"A", "B_b", "C"};
  for (int i = 0; i < 3; ++i) {
    std::string name;
    in >> name;
    EXPECT_EQ(name, expected_names[i]);
    for (int j = 0; j < 3; ++j) {
      std::string text;
      in >> text;
      EXPECT_EQ(testing::BitsOf(std::strtod(text.c_str(), nullptr)), testing::BitsOf(DistanceAt(d, i, j)))
          << text;
    }
  }
  EXPECT_EQ(out.str().substr(0, 12), "3\nA 0 0.1 0.");
  EXPECT_EQ(out.str().back(), '\n');
}

TEST(PhylipTest, OneVarietyAndRefusedMatrices) {
  std::ostringstream one;
  ASSERT_TRUE(WritePhylip(Distances{1, {}}, {"solo"}, one));
  EXPECT_EQ(one.str(), "1\nsolo 0\n");
  std::ostringstream none;
  EXPECT_FALSE(WritePhylip(Distances{2, {testing::kNaN}}, {"a", "b"}, none));
  EXPECT_TRUE(none.str().empty());
}

}  // namespace
}  // namespace kyori::analysis
