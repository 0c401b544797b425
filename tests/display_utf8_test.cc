// DisplayUtf8: valid UTF-8 kept, anything else read as code page 932.
// Utf8WithReplacements: valid UTF-8 kept, each stray byte U+FFFD.
#include "text/display_utf8.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "text/texts.h"

namespace kyori {
namespace {

struct DisplayCase {
  const char* what;
  std::string bytes;
  std::string shown;
};

const DisplayCase kDisplayCases[] = {
    {"empty", "", ""},
    {"ASCII", "kyori_in.txt 12.5", "kyori_in.txt 12.5"},
    {"UTF-8 Japanese", "品種A,形質1", "品種A,形質1"},
    {"code page 932 Japanese", "\x95\x69\x8E\xED\x41\x2C\x8C\x60\x8E\xBF\x31", "品種A,形質1"},
    {"0x5C second bytes", "\x83\x5C\x95\x5C\x94\x5C", "ソ表能"},
    {"backslash and tilde alone", "a\\b~", "a\\b~"},
    {"half-width katakana", "\xB1\xB2\xB3\xDF", "ｱｲｳﾟ"},
    {"a lone undecodable byte", "A\xFF" "B", "A\xEF\xBF\xBD" "B"},
    {"a lead byte cut off at the end", "\x95\x69\x8E", "品\xEF\xBF\xBD"},
    {"a lead byte before a blank", "\x82\x20" "x", "\xEF\xBF\xBD x"},
    {"an unassigned pair", "\x85\x40", "\xEF\xBF\xBD@"},
    {"NUL inside", std::string("\x95\x69\0\x8E\xED", 5), std::string("品\0種", 7)},
    {"UTF-8 cut off: read as code page 932", "\xE5\x93", "蜩"},
};

void PrintTo(const DisplayCase& c, std::ostream* out) { *out << c.what; }

class DisplayUtf8Test : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayUtf8Test, ShowsTheBytesInUtf8) {
  EXPECT_EQ(DisplayUtf8(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, DisplayUtf8Test, ::testing::ValuesIn(kDisplayCases),
                         [](const ::testing::TestParamInfo<DisplayCase>& info) {
                           std::string name;
                           for (const char c : std::string(info.param.what)) {
                             name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
                           }
                           return name;
                         });

// The console shows each program text by its own write call; the text must
// then read as its readable form, which holds only if no text's Shift-JIS
// bytes happen to be valid UTF-8 of something else.
TEST(DisplayUtf8TextsTest, EveryProgramTextShowsAsItsReadableForm) {
  for (const texts::SjisText* text : texts::kAllTexts) {
    EXPECT_EQ(DisplayUtf8(text->bytes), text->readable);
  }
}

TEST(IsValidUtf8Test, RejectsWhatIsNotWellFormed) {
  struct Case {
    const char* bytes;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"\x7F", true},
      {"\xC2\x80", true},             // U+0080
      {"\xEF\xBF\xBD", true},         // U+FFFD
      {"\xF4\x8F\xBF\xBF", true},     // U+10FFFF
      {"\xF0\x9F\x8C\xBE", true},     // U+1F33E
      {"\xC0\xAF", false},            // overlong "/"
      {"\xC1\xBF", false},            // overlong
      {"\xE0\x9F\xBF", false},        // overlong three bytes
      {"\xF0\x8F\xBF\xBF", false},    // overlong four bytes
      {"\xED\xA0\x80", false},        // surrogate U+D800
      {"\xF4\x90\x80\x80", false},    // above U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\x80", false},                // continuation without a lead
      {"\xE3\x81", false},            // cut off
      {"\xE3\x81\x41", false},        // ASCII where a continuation belongs
      {"\xFF", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << ::testing::PrintToString(c.bytes);
}

// The prefix ends before the first byte that starts no well-formed character,
// including a character cut off by the end.
TEST(ValidUtf8LengthTest, StopsBeforeTheFirstCharacterThatIsNotWellFormed) {
  struct Case {
    const char* bytes;
    std::size_t length;
  };
  const Case cases[] = {
      {"", 0},
      {"ab\xE5\x93\x81", 5},
      {"ab\xE5\x93", 2},              // cut off at the end
      {"ab\xFF\xE5\x93\x81", 2},      // the valid character after a bad byte does not count
      {"\xC0\xAF", 0},                // overlong at the start
      {"\xE5\x93\x81\xED\xA0\x80", 3},  // a surrogate after a character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValidUtf8Length(c.bytes), c.length) << ::testing::PrintToString(c.bytes);
  }
}


TEST(Utf8WithReplacementsTest, KeepsSequencesAndReplacesEachStrayByte) {
  struct Case {
    std::string bytes;
    std::string repaired;
  };
  const std::string r = "\xEF\xBF\xBD";
  const Case cases[] = {
      {"", ""},
      {"品種A", "品種A"},
      {"\xF0\x9F\x8C\xBE", "\xF0\x9F\x8C\xBE"},                  // U+1F33E kept whole
      {"\x95\x69\x8E\xED", r + "i" + r + r},                         // code page 932 is not read
      {"\xE5\x93" "A", r + r + "A"},                                   // cut off before ASCII
      {"A\xE5\x93", "A" + r + r},                                      // cut off at the end
      {"\xC0\xAF", r + r},                                             // overlong
      {"\xED\xA0\x80", r + r + r},                                    // surrogate
      {"\x80品", r + "品"},                                              // lone continuation, then a sequence
      {std::string("a\0\xFF", 3), std::string("a\0", 2) + r},         // NUL kept
  };
  for (const Case& c : cases) {
    const std::string repaired = Utf8WithReplacements(c.bytes);
    EXPECT_EQ(repaired, c.repaired) << ::testing::PrintToString(c.bytes);
    EXPECT_TRUE(IsValidUtf8(repaired));
  }
}

}  // namespace
}  // namespace kyori
