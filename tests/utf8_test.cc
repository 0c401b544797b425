// Reading names one character at a time (analysis/utf8.h): the code point of
// each well-formed sequence, at both ends of every length, and kNotUtf8 for
// one byte of anything else, so that reading goes on at the next byte.
#include "analysis/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kyori::analysis {
namespace {

std::vector<char32_t> CodePoints(std::string_view text) {
  std::vector<char32_t> out;
  for (std::size_t pos = 0; pos < text.size();) out.push_back(NextCodePoint(text, &pos));
  return out;
}

TEST(Utf8Test, EachSequenceGivesItsCodePointAndAnythingElseOneByteNotUtf8) {
  struct Case {
    std::string text;
    std::vector<char32_t> read;
  };
  const Case cases[] = {
      {std::string("\0A\x7F", 3), {0, 'A', 0x7F}},
      {"\xC2\x80\xDF\xBF", {0x80, 0x7FF}},
      {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF", {0x800, 0xD7FF, 0xE000, 0xFFFF}},
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", {0x10000, 0x10FFFF}},
      {"a\xE5\x93\x81" "b", {'a', 0x54C1, 'b'}},                               // 品 between letters
      {"\xC0\xAF" "/", {kNotUtf8, kNotUtf8, '/'}},                            // overlong "/"
      {"\xE0\x9F\xBF", {kNotUtf8, kNotUtf8, kNotUtf8}},                       // overlong
      {"\xED\xA0\x80", {kNotUtf8, kNotUtf8, kNotUtf8}},                       // surrogate U+D800
      {"\xF4\x90\x80\x80", {kNotUtf8, kNotUtf8, kNotUtf8, kNotUtf8}},         // above U+10FFFF
      {"\x80\xFF", {kNotUtf8, kNotUtf8}},                                     // no lead byte
      {"\xE3\x81" "A", {kNotUtf8, kNotUtf8, 'A'}},                            // ASCII cuts it off
      {"x\xF0\x9F\x8C", {'x', kNotUtf8, kNotUtf8, kNotUtf8}},                 // the end cuts it off
  };
  for (const Case& c : cases) EXPECT_EQ(CodePoints(c.text), c.read) << ::testing::PrintToString(c.text);
}

TEST(Utf8Test, EveryCodePointWrittenReadsBack) {
  std::string text;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c < 0xD800 || c > 0xDFFF) AppendUtf8(c, &text);
  }
  std::size_t pos = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    ASSERT_EQ(NextCodePoint(text, &pos), c);
  }
  EXPECT_EQ(pos, text.size());
}

}  // namespace
}  // namespace kyori::analysis
