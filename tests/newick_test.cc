#include "analysis/newick.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>

#include "analysis/neighbor_joining.h"
#include "analysis/newick_reader.h"
#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

using testing::BitsOf;

TEST(NewickTest, NamesAreQuotedWhenTheyMustBe) {
  struct Case {
    std::string name;
    std::string written;
    std::string read_back;  // what a Newick reader makes of it
  };
  const Case cases[] = {
      {"Koshihikari", "Koshihikari", "Koshihikari"},
      {"コシヒカリ", "コシヒカリ", "コシヒカリ"},
      {"my rice", "'my rice'", "my rice"},
      {"O'Neil", "'O''Neil'", "O'Neil"},
      {"''", "''''''", "''"},
      {"", "''", ""},
      {"a_b", "'a_b'", "a_b"},  // unquoted, _ would read as a blank
      {"x(y)", "'x(y)'", "x(y)"},
      {"[c]", "'[c]'", "[c]"},
      {"a:b;c,d", "'a:b;c,d'", "a:b;c,d"},
      {"say \"hi\"", "'say \"hi\"'", "say \"hi\""},
      {"tab\there\nnl", "'tab here nl'", "tab here nl"},
      {"&<>", "&<>", "&<>"},
  };
  std::vector<std::string> names;
  for (const Case& c : cases) {
    EXPECT_EQ(NewickLabel(c.name), c.written) << c.name;
    names.push_back(c.name);
  }
  // All of them as the leaves of one tree, read back.
  const int n = static_cast<int>(names.size());
  Distances d{n, std::vector<double>(CondensedSize(n), 1.0)};
  Tree tree;
  ASSERT_EQ(NeighborJoining(d, &tree), DistancesProblem::kNone);
  std::ostringstream text;
  WriteNewick(tree, names, text);
  NewickTree read;
  std::string error;
  ASSERT_TRUE(ReadNewick(text.str(), &read, &error)) << error << "\n" << text.str();
  std::vector<std::string> got = NewickLeafLabels(read);
  std::vector<std::string> expected;
  for (int leaf : LeafOrder(tree)) expected.push_back(cases[leaf].read_back);
  EXPECT_EQ(got, expected);
}

TEST(NewickTest, LengthsReadBackExactly) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<uint64_t> bits;
  const double fixed[] = {0.1, 1.0 / 3, 1e-300, 5e-324, 1.7976931348623157e308, -2.5, 123456789.125};
  std::vector<double> values(std::begin(fixed), std::end(fixed));
  while (values.size() < 2000) {
    const uint64_t b = bits(random);
    double v;
    std::memcpy(&v, &b, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
  }
  for (double v : values) {
    const std::string text = RoundTripNumber(v);
    EXPECT_LE(text.size(), 24u);
    EXPECT_EQ(BitsOf(std::strtod(text.c_str(), nullptr)), BitsOf(v)) << text;
  }
  EXPECT_EQ(RoundTripNumber(1.5), "1.5");
  EXPECT_EQ(RoundTripNumber(2), "2");
}

TEST(NewickTest, TreesFromALinkageAndFromJoining) {
  Linkage linkage;
  ComputeLinkage(Distances{4, {1, 3, 7, 2, 6, 4}}, LinkageMethod::kAverage, &linkage);
  std::ostringstream rooted;
  WriteNewick(TreeFromLinkage(linkage), {"A", "B", "C", "D"}, rooted);
  EXPECT_EQ(rooted.str(), "(D:5.666666666666667,(C:2.5,(A:1,B:1):1.5):3.166666666666667);\n");

  Tree joined;
  NeighborJoining(Distances{4, {3, 4, 5, 5, 6, 5}}, &joined);
  std::ostringstream unrooted;
  WriteNewick(joined, {"A", "B", "C", "D"}, unrooted);
  EXPECT_EQ(unrooted.str(), "((A:1,B:2):1,C:2,D:3);\n");

  std::ostringstream single;
  NeighborJoining(Distances{1, {}}, &joined);
  WriteNewick(joined, {"only one"}, single);
  EXPECT_EQ(single.str(), "'only one';\n");
}

TEST(NewickTest, DeepTreesAreWrittenAndReadWithoutRecursion) {
  // Single linkage of points 1, 2, 4, 8, ... nests 3000 levels deep.
  const int n = 3000;
  Distances d{n, {}};
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) d.condensed.push_back(j - i + (j > 1500 ? j : 0));
  }
  Linkage linkage;
  ASSERT_EQ(ComputeLinkage(d, LinkageMethod::kSingle, &linkage), DistancesProblem::kNone);
  std::ostringstream text;
  WriteNewick(TreeFromLinkage(linkage), std::vector<std::string>(n, "v"), text);
  NewickTree read;
  std::string error;
  ASSERT_TRUE(ReadNewick(text.str(), &read, &error)) << error;
  EXPECT_EQ(NewickLeafLabels(read).size(), static_cast<std::size_t>(n));
}

TEST(NewickReaderTest, ReadsLabelsLengthsAndComments) {
  NewickTree tree;
  std::string error;
  ASSERT_TRUE(ReadNewick(" ( A:1 ,'my rice':2.5e0 [note] ) root ;\n", &tree, &error)) << error;
  const NewickNode& root = tree.nodes[tree.root];
  EXPECT_EQ(root.label, "root");
  EXPECT_FALSE(root.has_length);
  ASSERT_EQ(root.children.size(), 2u);
  EXPECT_EQ(tree.nodes[root.children[1]].label, "my rice");
  EXPECT_EQ(tree.nodes[root.children[1]].length, 2.5);
}

TEST(NewickReaderTest, RefusesMalformedText) {
  const char* bad[] = {"", "(A,B)", "(A,B;", "(A:x,B);", "('A,B);", "(A,B)C;D", "A,B;", "((A,B);"};
  for (const char* text : bad) {
    NewickTree tree;
    std::string error;
    EXPECT_FALSE(ReadNewick(text, &tree, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_EQ(tree.root, -1);
  }
}

}  // namespace
}  // namespace kyori::analysis
