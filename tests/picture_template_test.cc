#include "convert/picture_template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>

#include "io/channels.h"
#include "io/template_printer.h"
#include "platform/platform.h"

namespace kyori {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class PictureTemplate : public ::testing::Test {
 protected:
  void SetUp() override { ClearSlots(); }
  void TearDown() override { ClearSlots(); }

  static void ClearSlots() {
    for (int k = 0; k < kTemplateSlots; ++k) {
      TemplateArguments.numbers[k] = 0;
      TemplateArguments.texts[k] = NewByteString(0);
    }
  }

  static std::string Format(std::string_view picture) {
    return std::string(FormatWithTemplate(TextFromBytes(picture)).View());
  }
};

struct NumberCase {
  const char* picture;
  double value;
  const char* text;
};

TEST_F(PictureTemplate, IntegerFieldsOfTheCalculator) {
  const NumberCase cases[] = {
      {"##", 5, " 5"},
      {"##", 12, "12"},
      {"##", 99, "99"},
      {"##", 100, "10"},
      {"##", -3, "-3"},
      {"##", -12, "-1"},
      {"####", 1, "   1"},
      {"####", 12, "  12"},
      {"####", 99, "  99"},
      {"####", 12345, "1234"},
      {"#########", 1, "        1"},
      {"#########", 42, "       42"},
      {"####", 2.5, "   2"},
      {"####", 3.5, "   4"},
      {"####", -2.5, "  -2"},
      {"####", 0.4, "   0"},
      {"####", -0.4, "   0"},
  };
  for (const NumberCase& c : cases) {
    TemplateArguments.numbers[0] = c.value;
    EXPECT_EQ(c.text, Format(c.picture)) << c.picture << " with " << c.value;
  }
}

// Rounding to a 32-bit integer: ties to even, and every value without a
// 32-bit nearest integer prints as -2147483648, cut to the field.
TEST_F(PictureTemplate, RoundingAtTheEndsOfThe32BitRange) {
  const NumberCase cases[] = {
      {"############", 2147483647.4, "  2147483647"},
      {"############", 2147483647.5, " -2147483648"},  // rounds to 2^31: out of range
      {"############", -2147483648.5, " -2147483648"},  // rounds to -2^31: in range
      {"############", -2147483649.0, " -2147483648"},
      {"############", 1e300, " -2147483648"},
      {"############", kNaN, " -2147483648"},
      {"############", -kInf, " -2147483648"},
      {"##", kNaN, "-2"},
      {"####", 4.5, "   4"},
      {"####", 5.5, "   6"},
      {"####", -0.5, "   0"},
      {"####", -1.5, "  -2"},
      {"####", 0.49999999999999994, "   0"},
  };
  for (const NumberCase& c : cases) {
    TemplateArguments.numbers[0] = c.value;
    EXPECT_EQ(c.text, Format(c.picture)) << c.picture << " with " << c.value;
  }
}

TEST_F(PictureTemplate, OtherTemplates) {
  TemplateArguments.numbers[0] = 7;
  EXPECT_EQ("No.  7:", Format("No.###:"));

  TemplateArguments.numbers[0] = 3.14159;
  TemplateArguments.numbers[1] = 5;
  EXPECT_EQ("3. 5", Format("#.##"));

  TemplateArguments.texts[0] = TextFromBytes("abc");
  EXPECT_EQ("abc", Format("@"));

  TemplateArguments.texts[0] = TextFromBytes("ab");
  EXPECT_EQ("ab  ", Format("&  &"));

  TemplateArguments.texts[0] = TextFromBytes("abcdef");
  EXPECT_EQ("abcd", Format("&  &"));

  TemplateArguments.texts[0] = TextFromBytes("xyz");
  EXPECT_EQ("xy", Format("&&"));

  EXPECT_EQ("& x", Format("& x"));

  TemplateArguments.numbers[0] = 1;
  TemplateArguments.texts[1] = TextFromBytes("ab");
  EXPECT_EQ(" 1 ab", Format("## &&"));

  EXPECT_EQ("", Format(""));
}

// A number wider than its field: what follows writes over the excess, except
// an "@" field, which appends after it. The cursor still moves by the text's
// length alone, so what comes next lands that many bytes early.
TEST_F(PictureTemplate, WhatFollowsAnOverfullField) {
  TemplateArguments.numbers[0] = 123;
  TemplateArguments.texts[1] = TextFromBytes("xyz");
  EXPECT_EQ("123xy", Format("##@"));
  EXPECT_EQ("123xy|", Format("##@|"));
  TemplateArguments.texts[1] = TextFromBytes("x");
  EXPECT_EQ("12-", Format("##-"));
  EXPECT_EQ("1x ", Format("#&&"));  // "&&" is 2 wide; "x" is space-filled
  TemplateArguments.numbers[1] = 45;
  EXPECT_EQ("1.45", Format("#.##"));
}

// The fields read slot k by position, whatever their kind; a lone "&" or "&"
// with spaces but no closing "&" takes no slot.
TEST_F(PictureTemplate, FieldsCountAcrossKinds) {
  TemplateArguments.numbers[0] = 1;
  TemplateArguments.texts[1] = TextFromBytes("b");
  TemplateArguments.numbers[2] = 3;
  TemplateArguments.texts[3] = TextFromBytes("dd");
  EXPECT_EQ("1&  b 3|dd", Format("#&  @ #|&&"));
  // A text slot holding a NUL is read up to the NUL.
  TemplateArguments.texts[0] = TextFromBytes(std::string_view("a\0b", 3));
  EXPECT_EQ("[a]", Format("[@]"));
  // The template ends at its first NUL.
  EXPECT_EQ("1", Format(std::string_view("1\0##", 4)));
}

TEST_F(PictureTemplate, MoreThan32FieldsAreCutBeforeThe33rd) {
  std::string picture;
  std::string expected;
  for (int k = 0; k < 40; ++k) {
    picture += "#,";
    if (k < kTemplateSlots) {
      TemplateArguments.numbers[k] = k % 10;
      expected += std::to_string(k % 10) + ",";
    }
  }
  EXPECT_EQ(expected, Format(picture));

  std::string texts_picture(40, '@');
  for (int k = 0; k < kTemplateSlots; ++k) TemplateArguments.texts[k] = TextFromBytes("t");
  EXPECT_EQ(std::string(kTemplateSlots, 't'), Format(texts_picture));
}

TEST_F(PictureTemplate, OutputBeyond1023BytesIsCut) {
  const std::string long_literal(2000, 'L');
  EXPECT_EQ(long_literal.substr(0, 1023), Format(long_literal));

  TemplateArguments.numbers[0] = 7;
  EXPECT_EQ(std::string(1023, ' '), Format(std::string(1500, '#')));
  EXPECT_EQ(std::string(1022, ' ') + "7", Format(std::string(1023, '#')));

  TemplateArguments.texts[0] = TextFromBytes(std::string(1500, 'a'));
  EXPECT_EQ(std::string(1023, 'a'), Format("@x"));

  TemplateArguments.texts[0] = TextFromBytes("ab");
  EXPECT_EQ("ab" + std::string(1021, ' '), Format("&" + std::string(1500, ' ') + "&"));

  // Many fields and many bytes at once: 40 "@" fields of 100 bytes each.
  for (int k = 0; k < kTemplateSlots; ++k) {
    TemplateArguments.texts[k] = TextFromBytes(std::string(100, static_cast<char>('A' + k % 26)));
  }
  const std::string text = Format(std::string(40, '@'));
  ASSERT_EQ(1023u, text.size());
  EXPECT_EQ(std::string(100, 'A'), text.substr(0, 100));
  EXPECT_EQ(std::string(23, 'K'), text.substr(1000));

  // Fields that start beyond the end still take their slots and write nothing.
  TemplateArguments.numbers[1] = 5;
  EXPECT_EQ(std::string(1023, 'L'), Format(std::string(1100, 'L') + "@##"));
}

TEST_F(PictureTemplate, ReleasesTheTemplateAndLeavesOneText) {
  TemplateArguments.numbers[0] = 42;
  const int32_t before = LiveByteStringCount();
  {
    ByteString text = FormatWithTemplate(TextFromBytes("## and ##"));
    EXPECT_EQ(before + 1, LiveByteStringCount());
  }
  EXPECT_EQ(before, LiveByteStringCount());
}

TEST_F(PictureTemplate, PrintWritesTheTextWithNoLineEnd) {
  const std::string path = ::testing::TempDir() + "kyori_picture_template_console.txt";
  FlushConsoleOutput();
  const platform::FileHandle saved = ConsoleOut;
  ConsoleOut = platform::OpenFile(path.c_str(), platform::OpenMode::kCreate);
  ASSERT_NE(platform::kInvalidHandle, ConsoleOut);

  TemplateArguments.numbers[0] = 7;
  PrintWithTemplate(TextFromBytes("##"));
  FlushConsoleOutput();
  platform::CloseFile(ConsoleOut);
  ConsoleOut = saved;

  std::ifstream file(path, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(" 7", written);
}

TEST(LeftOfText, FirstBytes) {
  const std::string twenty = "abcdefghijklmnopqrst";
  struct Case {
    std::string source;
    int32_t n;
    std::string expected;
  };
  const Case cases[] = {
      {twenty, 8, "abcdefgh"},
      {twenty, 20, twenty},
      {"1", 8, "1"},  // shorter than n: the whole source, no padding
      {"-1", 8, "-1"},
      {"0.5", 8, "0.5"},
      {"1.23400000000000e-05", 8, "1.234000"},
      {twenty, 0, ""},
      {twenty, -3, ""},
      {std::string("a\0b", 3), 8, std::string("a\0b", 3)},  // the length field rules
  };
  for (const Case& c : cases) {
    ByteString result = LeftOfText(TextFromBytes(c.source), c.n);
    EXPECT_EQ(c.expected, result.View()) << c.source << " " << c.n;
    EXPECT_EQ('\0', result.Data()[result.Size()]);
  }
  EXPECT_EQ("", LeftOfText(ByteString(), 8).View());
}

TEST(LeftOfText, ReleasesTheSource) {
  const int32_t before = LiveByteStringCount();
  {
    ByteString result = LeftOfText(TextFromBytes("abcdef"), 3);
    EXPECT_EQ(before + 1, LiveByteStringCount());
  }
  EXPECT_EQ(before, LiveByteStringCount());
}

TEST(SpacesText, Counts) {
  EXPECT_EQ(std::string(18, ' '), SpacesText(18).View());
  EXPECT_EQ("", SpacesText(0).View());
  EXPECT_EQ("", SpacesText(-4).View());
  EXPECT_FALSE(SpacesText(0).IsNull());
}

}  // namespace
}  // namespace kyori
