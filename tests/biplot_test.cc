// The biplot (analysis/biplot.h): well-formed XML whatever the names, small
// and large; every point and arrow inside the frame; the axes' shares, the
// groups' colours, and what it refuses.
#include "analysis/biplot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "analysis/picture_text.h"

namespace kyori::analysis {
namespace {

// Components of n varieties and m traits from random standardized values.
Pca RandomPca(int n, int m, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal;
  std::vector<double> values(static_cast<std::size_t>(n) * m);
  for (double& v : values) v = normal(random);
  for (int j = 0; j < m; ++j) {
    double mean = 0, squares = 0;
    for (int i = 0; i < n; ++i) mean += values[j * n + i] / n;
    for (int i = 0; i < n; ++i) squares += (values[j * n + i] - mean) * (values[j * n + i] - mean);
    for (int i = 0; i < n; ++i) values[j * n + i] = (values[j * n + i] - mean) / std::sqrt(squares / (n - 1));
  }
  Pca pca;
  EXPECT_EQ(ComputePca(n, m, values, &pca), PcaProblem::kNone);
  return pca;
}

std::vector<std::string> NastyNames(int n) {
  const std::string pool[] = {"コシヒカリ", "<b>&amp;</b>", "\"quoted\" 'single'", std::string("nul\0byte", 8),
                              "bad\xFF\xFEutf8", "\x01\x02\x1b[31m", "]]>", "", "つや姫", "a&b<c>d",
                              "cut\xE3\x81", "長い名前長い名前長い名前長い名前長い名前"};
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back(pool[i % 12]);
  return names;
}

std::string Biplot(const Pca& pca, const std::vector<std::string>& varieties, const std::vector<std::string>& traits,
                   const std::vector<int>& groups = {}) {
  BiplotOptions options;
  options.title = "title <&> 'with' \"quotes\"\x01";
  options.groups = groups;
  std::ostringstream out;
  EXPECT_TRUE(WriteBiplot(pca, varieties, traits, options, out));
  return out.str();
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(BiplotTest, NastyNamesGiveWellFormedXml) {
  const char* xmllint = "/usr/bin/xmllint";
  if (!std::filesystem::exists(xmllint)) GTEST_SKIP() << "no xmllint (Debian: libxml2-utils)";
  struct Case {
    int n, m;
    bool grouped;
  };
  // Named points and arrows; dots without names (n > 500); thin arrows
  // without names (m > 100); two varieties.
  const Case cases[] = {{12, 5, false}, {12, 5, true}, {600, 4, true}, {30, 150, false}, {2, 3, false}};
  for (const Case& c : cases) {
    std::vector<int> groups;
    for (int i = 0; c.grouped && i < c.n; ++i) groups.push_back(1 + i % 13);
    const std::string svg = Biplot(RandomPca(c.n, c.m, 3), NastyNames(c.n), NastyNames(c.m), groups);
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("kyori_biplot_test_" + std::to_string(c.n) + "x" + std::to_string(c.m) + ".svg");
    std::ofstream(file, std::ios::binary) << svg;
    const std::string command = std::string(xmllint) + " --noout '" + file.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << c.n << " x " << c.m << ", " << file;
    std::filesystem::remove(file);
  }
}

TEST(BiplotTest, PointsAndArrowsStayInsideTheFrame) {
  for (unsigned seed : {1u, 2u, 3u}) {
    const Pca pca = RandomPca(40, 6, seed);
    const std::string svg = Biplot(pca, {}, {});
    std::smatch frame;
    ASSERT_TRUE(std::regex_search(svg, frame, std::regex("<rect x=\"([-0-9.]+)\" y=\"([-0-9.]+)\" width=\"([0-9.]+)\" "
                                                         "height=\"([0-9.]+)\" fill=\"none\"")));
    const double left = std::stod(frame[1]), top = std::stod(frame[2]);
    const double right = left + std::stod(frame[3]), bottom = top + std::stod(frame[4]);
    EXPECT_NEAR(std::max(right - left, bottom - top), 560, 0.01);
    std::size_t points = 0;
    const std::regex circle("cx=\"([-0-9.]+)\" cy=\"([-0-9.]+)\"");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), circle); it != std::sregex_iterator(); ++it) {
      ++points;
      EXPECT_GT(std::stod((*it)[1]), left);
      EXPECT_LT(std::stod((*it)[1]), right);
      EXPECT_GT(std::stod((*it)[2]), top);
      EXPECT_LT(std::stod((*it)[2]), bottom);
    }
    EXPECT_EQ(points, 40u);
    std::size_t arrows = 0;
    const std::regex tip("x2=\"([-0-9.]+)\" y2=\"([-0-9.]+)\"");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), tip); it != std::sregex_iterator(); ++it) {
      ++arrows;
      EXPECT_GT(std::stod((*it)[1]), left);
      EXPECT_LT(std::stod((*it)[1]), right);
      EXPECT_GT(std::stod((*it)[2]), top);
      EXPECT_LT(std::stod((*it)[2]), bottom);
    }
    EXPECT_EQ(arrows, 6u);
  }
}

TEST(BiplotTest, AxesSharesNamesAndGroups) {
  Pca pca;
  ASSERT_EQ(ComputePca(3, 2, {-1, 0, 1, 1, -1, 0}, &pca), PcaProblem::kNone);  // 75% and 25%
  const std::string svg = Biplot(pca, {"A<", "B", "コシヒカリ"}, {"X&", "Y"}, {2, 1, 2});
  EXPECT_NE(svg.find(">PC1 (75.0%)</text>"), std::string::npos);
  EXPECT_NE(svg.find(">PC2 (25.0%)</text>"), std::string::npos);
  EXPECT_NE(svg.find("title &lt;&amp;&gt; &apos;with&apos; &quot;quotes&quot;\uFFFD</text>"), std::string::npos);
  EXPECT_EQ(Count(svg, std::string("fill=\"") + GroupColour(2) + "\">A&lt;</text>"), 1u);
  EXPECT_EQ(Count(svg, std::string("fill=\"") + GroupColour(1) + "\">B</text>"), 1u);
  EXPECT_EQ(Count(svg, std::string("fill=\"") + GroupColour(2) + "\">コシヒカリ</text>"), 1u);
  EXPECT_EQ(Count(svg, ">X&amp;</text>"), 1u);
  EXPECT_EQ(Count(svg, "<circle"), 3u);
  EXPECT_EQ(Count(svg, "marker-end=\"url(#arrow)\""), 2u);
}

TEST(BiplotTest, ManyVarietiesAreDotsWithoutNamesAndManyTraitsArrowsWithout) {
  const Pca pca = RandomPca(10000, 3, 5);
  const std::string svg = Biplot(pca, std::vector<std::string>(10000, "name"), {"t1", "t2", "t3"});
  EXPECT_EQ(Count(svg, ">name</text>"), 0u);
  EXPECT_EQ(Count(svg, "<circle"), 0u);
  EXPECT_EQ(Count(svg, "h0"), 10000u);
  EXPECT_LT(svg.size(), 250u * 1024);
  EXPECT_EQ(Count(svg, ">t2</text>"), 1u);
  const std::string wide = Biplot(RandomPca(20, 120, 6), {}, std::vector<std::string>(120, "trait"));
  EXPECT_EQ(Count(wide, ">trait</text>"), 0u);
  EXPECT_EQ(Count(wide, "marker-end"), 120u);
}

TEST(BiplotTest, RefusesWhatItCannotDraw) {
  std::ostringstream out;
  Pca one;
  ASSERT_EQ(ComputePca(5, 1, {-2, -1, 0, 1, 2}, &one), PcaProblem::kNone);
  EXPECT_FALSE(WriteBiplot(one, {}, {}, BiplotOptions(), out));
  BiplotOptions grouped;
  grouped.groups = {1, 2};
  const Pca pca = RandomPca(4, 3, 1);
  EXPECT_FALSE(WriteBiplot(pca, {}, {}, grouped, out));
  grouped.groups = {1, 2, 0, 1};
  EXPECT_FALSE(WriteBiplot(pca, {}, {}, grouped, out));
  EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace kyori::analysis
