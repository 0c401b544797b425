// Which reader a data file goes to (batch/input_choice.h), and how its names
// become UTF-8 (batch/name_encoding.h).
#include "batch/input_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "batch/name_encoding.h"

namespace kyori {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

TEST(InputChoiceTest, TheFirstFieldEndsAtABlankACommaOrALineEnd) {
  const struct {
    std::string_view bytes;
    std::size_t end;
  } cases[] = {
      {"3 2\nA", 2},           {"\n\n 12,x", 6},     {"12\r\n", 3},
      {"\xEF\xBB\xBF" "3\t2", 5}, {"variety;A;B\n", 12}, {"  3", kNone},
      {"\r\n", kNone},         {"", kNone},          {"\xEF\xBB\xBF", kNone},
  };
  for (const auto& k : cases) EXPECT_EQ(FirstFieldEnd(k.bytes), k.end) << k.bytes;
}

TEST(InputChoiceTest, AutoTakesTheLayoutWhenTheFirstFieldIsANumber) {
  const struct {
    InputChoice choice;
    std::string_view first;
    bool table;
    TableDelimiter delimiter;
  } cases[] = {
      {InputChoice::kAuto, "12 ", false, TableDelimiter::kAuto},
      {InputChoice::kAuto, "\r\n  -3.5,", false, TableDelimiter::kAuto},
      {InputChoice::kAuto, "&H1F ", false, TableDelimiter::kAuto},
      {InputChoice::kAuto, "\xEF\xBB\xBF" "3 ", false, TableDelimiter::kAuto},
      {InputChoice::kAuto, "variety,", true, TableDelimiter::kAuto},
      {InputChoice::kAuto, ",A,B\n", true, TableDelimiter::kAuto},
      {InputChoice::kAuto, "1e3,", false, TableDelimiter::kAuto},  // the strict reader refuses it as a count
      {InputChoice::kAuto, "&o7\t", false, TableDelimiter::kAuto},
      {InputChoice::kAuto, "&X1 ", true, TableDelimiter::kAuto},
      {InputChoice::kAuto, "-", true, TableDelimiter::kAuto},
      {InputChoice::kAuto, "", true, TableDelimiter::kAuto},
      {InputChoice::kLayout, "variety,", false, TableDelimiter::kAuto},
      {InputChoice::kCsv, "3 ", true, TableDelimiter::kCsv},
      {InputChoice::kTsv, "3 ", true, TableDelimiter::kTsv},
  };
  for (const auto& k : cases) {
    const InputReader reader = ChooseInputReader(k.choice, k.first);
    EXPECT_EQ(reader.table, k.table) << k.first;
    EXPECT_EQ(reader.delimiter, k.delimiter) << k.first;
  }
}

// ﾃｩ in Shift-JIS is C3 A9, which is é in UTF-8: only a name whose encoding
// is not known is guessed.
TEST(NameEncodingTest, AKnownEncodingIsNotGuessedNameByName) {
  const struct {
    std::string_view bytes;
    NameEncoding encoding;
    std::string_view utf8;
  } cases[] = {
      {"\xC3\xA9", NameEncoding::kEach, "\xC3\xA9"},               // é
      {"\xC3\xA9", NameEncoding::kCp932, "\xEF\xBE\x83\xEF\xBD\xA9"},  // ﾃｩ
      {"\xC3\xA9", NameEncoding::kUtf8, "\xC3\xA9"},
      {"\x95\x69\x8E\xED", NameEncoding::kEach, "\xE5\x93\x81\xE7\xA8\xAE"},  // 品種
      {"\x95\x69\x8E\xED", NameEncoding::kCp932, "\xE5\x93\x81\xE7\xA8\xAE"},
      {"IR 64", NameEncoding::kCp932, "IR 64"},
  };
  for (const auto& k : cases) EXPECT_EQ(NameInUtf8(k.bytes, k.encoding), k.utf8) << k.bytes;
}

}  // namespace
}  // namespace kyori
