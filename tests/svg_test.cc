#include "analysis/svg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "analysis/cut.h"
#include "analysis/linkage.h"
#include "analysis/neighbor_joining.h"
#include "analysis/png.h"
#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

TEST(SvgTest, TextIsCleanedAndEscaped) {
  struct Case {
    std::string text;
    std::string xml;
  };
  const Case cases[] = {
      {"コシヒカリ", "コシヒカリ"},
      {"a<b & 'c' \"d\">", "a&lt;b &amp; &apos;c&apos; &quot;d&quot;&gt;"},
      {"tab\tnl\n", "tab\uFFFDnl\uFFFD"},
      {std::string("nul\0x", 5), "nul\uFFFDx"},
      {"\x7F\xC2\x85", "\uFFFD\uFFFD"},            // DEL and the C1 control U+0085
      {"cut\xE3\x81", "cut\uFFFD\uFFFD"},          // a truncated sequence
      {"\xC0\xAF\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong, surrogate
      {"\xEF\xBF\xBE\xEF\xBF\xBF", "\uFFFD\uFFFD"},  // U+FFFE, U+FFFF: not allowed in XML
      {"\xF0\x9F\x8C\xBE", "\U0001F33E"},          // a four-byte character stays
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(XmlText(c.text), c.xml) << c.text;
}

Distances RandomDistances(int n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> value(0.0, 10.0);
  Distances d{n, std::vector<double>(CondensedSize(n))};
  for (double& v : d.condensed) v = value(random);
  return d;
}

std::vector<std::string> NastyNames(int n) {
  const std::string pool[] = {"コシヒカリ", "<b>&amp;</b>", "\"quoted\" 'single'", std::string("nul\0byte", 8),
                              "bad\xFF\xFEutf8", "\x01\x02\x1b[31m", "]]>", "", "つや姫", "a&b<c>d",
                              "cut\xE3\x81", "長い名前長い名前長い名前長い名前長い名前長い名前長い名前長い名前"};
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back(pool[i % 12]);
  return names;
}

std::string Svg(const Tree& tree, const Distances& d, const std::vector<std::string>& names,
                const std::vector<int>& groups = {}) {
  std::ostringstream out;
  SvgOptions options;
  options.title = "title <&> 'with' \"quotes\"\x01";
  options.groups = groups;
  EXPECT_TRUE(WriteSvg(tree, d, names, options, out));
  return out.str();
}

Tree AverageTree(const Distances& d) {
  Linkage linkage;
  EXPECT_EQ(ComputeLinkage(d, LinkageMethod::kAverage, &linkage), DistancesProblem::kNone);
  return TreeFromLinkage(linkage);
}

Tree JoinedTree(const Distances& d) {
  Tree tree;
  EXPECT_EQ(NeighborJoining(d, &tree), DistancesProblem::kNone);
  return tree;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(SvgTest, NastyNamesGiveWellFormedXml) {
  const char* xmllint = "/usr/bin/xmllint";
  if (!std::filesystem::exists(xmllint)) GTEST_SKIP() << "no xmllint (Debian: libxml2-utils)";
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  struct Case {
    int n;
    bool joined;
    int groups;  // 0: none
  };
  // 12 with a rectangle per cell, 150 with the heatmap as a PNG, small n;
  // coloured by groups, the names' and the branches' colours too.
  const Case cases[] = {{12, false, 0}, {12, true, 0}, {150, false, 0}, {150, true, 0}, {1, false, 0},
                        {2, true, 0},   {3, true, 0},  {12, false, 3},  {150, false, 7}, {12, true, 4}};
  for (const Case& c : cases) {
    const Distances d = RandomDistances(c.n, 11);
    std::vector<int> groups;
    if (c.groups > 0) CutTree(AverageTree(d), c.groups, &groups);
    const std::string svg = Svg(c.joined ? JoinedTree(d) : AverageTree(d), d, NastyNames(c.n), groups);
    const std::filesystem::path file = folder / ("kyori_svg_test_" + std::to_string(c.n) + (c.joined ? "nj" : "avg") +
                                                 std::to_string(c.groups) + ".svg");
    std::ofstream(file, std::ios::binary) << svg;
    const std::string command = std::string(xmllint) + " --noout '" + file.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << "n = " << c.n << ", " << file;
    std::filesystem::remove(file);
  }
}

TEST(SvgTest, SmallPictureHoldsNamesCellsAndLegend) {
  const Distances d = RandomDistances(12, 3);
  std::vector<std::string> names = NastyNames(12);
  const std::string svg = Svg(AverageTree(d), d, names);
  EXPECT_NE(svg.find("font-family=\"'Noto Sans CJK JP','Hiragino Sans','Yu Gothic',Meiryo,IPAexGothic,sans-serif\""),
            std::string::npos);
  EXPECT_EQ(Count(svg, ">コシヒカリ</text>"), 2u);  // at its row and over its column
  EXPECT_EQ(Count(svg, ">&lt;b&gt;&amp;amp;&lt;/b&gt;</text>"), 2u);
  EXPECT_EQ(Count(svg, "<rect x="), 12u * 12u + 1u);  // the cells and the legend bar
  EXPECT_EQ(Count(svg, "<image"), 0u);
  EXPECT_NE(svg.find("linearGradient"), std::string::npos);
  EXPECT_NE(svg.find("title &lt;&amp;&gt; &apos;with&apos; &quot;quotes&quot;\uFFFD</text>"), std::string::npos);
  // The long name is cut.
  EXPECT_NE(svg.find("長い名前長い名前長い名前長い名前長い名前長い名前…</text>"), std::string::npos);
}

TEST(SvgTest, LargePicturesDropTheNamesAndStaySmall) {
  const int n = 1200;
  const Distances d = RandomDistances(n, 5);
  const std::string svg = Svg(AverageTree(d), d, std::vector<std::string>(n, "name"));
  EXPECT_EQ(Count(svg, ">name</text>"), 0u);
  EXPECT_EQ(Count(svg, "<image"), 1u);
  EXPECT_LT(svg.size(), 600u * 1024);

  const int labelled = 300;
  const Distances d300 = RandomDistances(labelled, 6);
  const std::string svg300 = Svg(JoinedTree(d300), d300, std::vector<std::string>(labelled, "name"));
  EXPECT_EQ(Count(svg300, ">name</text>"), 2u * labelled);
  EXPECT_EQ(Count(svg300, "<image"), 1u);
  EXPECT_LT(svg300.size(), 400u * 1024);
}

// Every branch of the tree: the "M" moves of every path.
std::size_t Branches(const std::string& svg) {
  std::size_t count = 0;
  for (std::size_t at = svg.find("<path fill=\"none\" stroke="); at != std::string::npos;
       at = svg.find("<path fill=\"none\" stroke=", at + 1)) {
    const std::size_t d = svg.find(" d=\"", at) + 4;
    count += Count(svg.substr(d, svg.find('"', d) - d), "M");
  }
  return count;
}

TEST(SvgTest, GroupsColourTheirNamesAndEveryBranchWithinThem) {
  const int n = 12;
  const Distances d = RandomDistances(n, 4);
  const Tree tree = AverageTree(d);
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back("v" + std::to_string(i));
  const std::string plain = Svg(tree, d, names);
  EXPECT_EQ(Count(plain, "stroke-width=\"1.5\""), 0u);
  for (int k : {1, 3, 5, 12}) {
    std::vector<int> groups;
    ASSERT_EQ(CutTree(tree, k, &groups), GroupsProblem::kNone);
    const std::string svg = Svg(tree, d, names, groups);
    SCOPED_TRACE("k = " + std::to_string(k));
    // One path of branches per colour (groups 11 and 12 take the colours of
    // 1 and 2 again), each branch drawn once in all.
    for (int g = 1; g <= std::min(k, 10); ++g) {
      EXPECT_EQ(Count(svg, std::string("<path fill=\"none\" stroke=\"") + GroupColour(g) + "\" stroke-width=\"1.5\""),
                1u);
    }
    EXPECT_EQ(Branches(svg), Branches(plain));
    // Each name in its group's colour, at its row and over its column.
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(Count(svg, std::string(" fill=\"") + GroupColour(groups[i]) + "\">v" + std::to_string(i) + "<"), 2u);
    }
  }
  // With every variety in one group no branch is left grey.
  std::vector<int> one(n, 1);
  const std::string svg = Svg(tree, d, names, one);
  EXPECT_NE(svg.find("stroke=\"#333333\" stroke-width=\"1\" d=\"\"/>"), std::string::npos);
}

TEST(SvgTest, RefusesWhatDoesNotFit) {
  const Distances d = RandomDistances(5, 1);
  const Tree tree = AverageTree(d);
  std::ostringstream out;
  EXPECT_FALSE(WriteSvg(tree, RandomDistances(6, 1), {}, SvgOptions(), out));
  Distances odd = d;
  odd.condensed[2] = testing::kNaN;
  EXPECT_FALSE(WriteSvg(tree, odd, {}, SvgOptions(), out));
  EXPECT_FALSE(WriteSvg(Tree(), Distances{0, {}}, {}, SvgOptions(), out));
  SvgOptions grouped;
  grouped.groups = {1, 1, 2, 2};  // one short
  EXPECT_FALSE(WriteSvg(tree, d, {}, grouped, out));
  grouped.groups = {1, 1, 2, 0, 2};
  EXPECT_FALSE(WriteSvg(tree, d, {}, grouped, out));
  EXPECT_TRUE(out.str().empty());
}

// ---- Pairs without a distance

// The picture's heatmap PNG, decoded: its palette and its pixels' indices
// (the writer's stored deflate blocks, one filter byte a row).
struct HeatmapPng {
  std::vector<Rgb> palette;
  std::vector<unsigned char> indices;
};

std::string FromBase64(std::string_view text) {
  const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned bits = 0;
  int held = 0;
  for (const char c : text) {
    if (c == '=') break;
    bits = (bits << 6) | static_cast<unsigned>(digits.find(c));
    held += 6;
    if (held >= 8) {
      held -= 8;
      out.push_back(static_cast<char>((bits >> held) & 0xFF));
    }
  }
  return out;
}

std::uint32_t BigEndian(std::string_view bytes) {
  std::uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v = (v << 8) | static_cast<unsigned char>(bytes[k]);
  return v;
}

HeatmapPng DecodeHeatmap(const std::string& svg) {
  const std::string prefix = "data:image/png;base64,";
  const std::size_t start = svg.find(prefix) + prefix.size();
  const std::string png = FromBase64(std::string_view(svg).substr(start, svg.find('"', start) - start));
  HeatmapPng decoded;
  std::string zlib;
  std::uint32_t width = 0;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::uint32_t length = BigEndian(std::string_view(png).substr(at, 4));
    const std::string type = png.substr(at + 4, 4);
    const std::string data = png.substr(at + 8, length);
    if (type == "IHDR") width = BigEndian(data);
    if (type == "PLTE") {
      for (std::size_t k = 0; k + 2 < data.size(); k += 3) {
        decoded.palette.push_back({static_cast<unsigned char>(data[k]), static_cast<unsigned char>(data[k + 1]),
                                   static_cast<unsigned char>(data[k + 2])});
      }
    }
    if (type == "IDAT") zlib += data;
    at += 12 + length;
  }
  std::string raw;
  for (std::size_t at = 2; at + 5 <= zlib.size();) {
    const std::size_t length = static_cast<unsigned char>(zlib[at + 1]) | static_cast<unsigned char>(zlib[at + 2]) << 8;
    raw += zlib.substr(at + 5, length);
    if (zlib[at] & 1) break;
    at += 5 + length;
  }
  for (std::size_t row = 0; row * (width + 1) < raw.size(); ++row) {
    const std::string line = raw.substr(row * (width + 1) + 1, width);
    decoded.indices.insert(decoded.indices.end(), line.begin(), line.end());
  }
  return decoded;
}

// The tree is built from every distance; the picture drawn of the same
// distances with some taken away shows those cells grey and names the grey
// in the legend, and only when asked to.
TEST(SvgTest, PairsWithoutADistanceAreGreyAndNamedInTheLegend) {
  const Distances complete = RandomDistances(12, 3);
  const Tree tree = AverageTree(complete);
  Distances gapped = complete;
  gapped.condensed[CondensedIndex(12, 2, 5)] = testing::kNaN;
  SvgOptions options;
  options.pairs_without_distance = true;
  std::ostringstream out;
  ASSERT_TRUE(WriteSvg(tree, gapped, NastyNames(12), options, out));
  const std::string svg = out.str();
  EXPECT_EQ(Count(svg, "fill=\"#bdbdbd\""), 2u + 1u);  // the pair's two cells, the legend's swatch
  EXPECT_EQ(Count(svg, ">no distance</text>"), 1u);
  EXPECT_EQ(Count(svg, "<rect x="), 12u * 12u + 2u);
  // Every pair with its distance: the option changes nothing.
  std::ostringstream with_option;
  std::ostringstream without_option;
  ASSERT_TRUE(WriteSvg(tree, complete, NastyNames(12), options, with_option));
  ASSERT_TRUE(WriteSvg(tree, complete, NastyNames(12), SvgOptions(), without_option));
  EXPECT_EQ(with_option.str(), without_option.str());
  EXPECT_EQ(Count(with_option.str(), "no distance"), 0u);

  std::ostringstream refused;
  EXPECT_FALSE(WriteSvg(tree, gapped, NastyNames(12), SvgOptions(), refused));
  Distances infinite = complete;
  infinite.condensed[0] = testing::kInf;
  EXPECT_FALSE(WriteSvg(tree, infinite, NastyNames(12), options, refused));
  EXPECT_TRUE(refused.str().empty());
}

// Above 100 varieties the heatmap is a PNG: a variety without any distance
// is a grey row and column but for its own cell, on a scale of 255 levels
// with the grey as the palette's last entry; without gaps the palette is
// the 256 levels of the scale.
TEST(SvgTest, ThePngHeatmapKeepsAPaletteEntryForTheGrey) {
  const int n = 150;
  const Distances complete = RandomDistances(n, 8);
  const Tree tree = AverageTree(complete);
  Distances gapped = complete;
  for (int other = 0; other < n; ++other) {
    if (other != 7) gapped.condensed[CondensedIndex(n, std::min(7, other), std::max(7, other))] = testing::kNaN;
  }
  SvgOptions options;
  options.pairs_without_distance = true;
  std::ostringstream out;
  ASSERT_TRUE(WriteSvg(tree, gapped, {}, options, out));
  const HeatmapPng png = DecodeHeatmap(out.str());
  ASSERT_EQ(png.palette.size(), 256u);
  EXPECT_EQ(png.palette[254], (Rgb{253, 231, 37}));  // the scale's top
  EXPECT_EQ(png.palette[255], (Rgb{0xbd, 0xbd, 0xbd}));
  ASSERT_EQ(png.indices.size(), static_cast<std::size_t>(n * n));
  EXPECT_EQ(std::count(png.indices.begin(), png.indices.end(), 255), 2 * (n - 1));
  EXPECT_EQ(Count(out.str(), ">no distance</text>"), 1u);

  const HeatmapPng plain = DecodeHeatmap(Svg(tree, complete, {}));
  ASSERT_EQ(plain.palette.size(), 256u);
  EXPECT_EQ(plain.palette[255], (Rgb{253, 231, 37}));
}

}  // namespace
}  // namespace kyori::analysis
