// The table reader: tables as users save them (each delimiter, quoting,
// encodings, line ends, number notations) read to the exact bits, each fault
// reported with its kind, place and texts, the limits on the counts, and
// telling a table from a file that starts with its counts.
#include "batch/table_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tests/double_bits.h"
#include "text/byte_string.h"

namespace kyori {
namespace {

using namespace std::string_literals;
using testing::BitsOf;

// Shift-JIS (code page 932) bytes of a few names.
const std::string kSjisHinshumei = "\x95\x69\x8E\xED\x96\xBC";             // 品種名
const std::string kSjisKoshihikari = "\x83\x52\x83\x56\x83\x71\x83\x4A\x83\x8A";  // コシヒカリ
const std::string kSjisHyo = "\x95\x5C";                                    // 表: its second byte is '\'
const std::string kSjisKanchou = "\xE2\x62\x92\xB7";                        // 稈長
const std::string kSjisHalfWidthA = "\xB1";                                 // ｱ

std::vector<std::string> Views(const std::vector<ByteString>& names) {
  std::vector<std::string> views;
  for (const ByteString& name : names) views.emplace_back(name.View());
  return views;
}

std::vector<uint64_t> Bits(const std::vector<double>& values) {
  std::vector<uint64_t> bits;
  for (double value : values) bits.push_back(BitsOf(value));
  return bits;
}

class TableReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { InitRuntime(); }
};

struct GoodCase {
  const char* title;
  std::string bytes;
  TableDelimiter choice;
  std::vector<std::string> traits;
  std::vector<std::string> varieties;
  std::vector<double> values;  // by trait
  TableEncoding encoding;
  bool byte_order_mark;
  char delimiter;
};

TEST_F(TableReaderTest, ReadsTablesAsUsersSaveThem) {
  constexpr TableDelimiter kAuto = TableDelimiter::kAuto;
  constexpr TableEncoding kUtf8 = TableEncoding::kUtf8;
  const GoodCase cases[] = {
      {"comma, LF", "variety,a,b\nx,1,2\ny,3,4\n", kAuto, {"a", "b"}, {"x", "y"}, {1, 3, 2, 4}, kUtf8, false, ','},
      {"CR LF, no last line end", "variety,a,b\r\nx,1,2\r\ny,3,4", kAuto, {"a", "b"}, {"x", "y"}, {1, 3, 2, 4},
       kUtf8, false, ','},
      {"CR alone", "v,a\rx,1\ry,2\r", kAuto, {"a"}, {"x", "y"}, {1, 2}, kUtf8, false, ','},
      {"tab, a comma inside a name", "variety\tlength,cm\tb\nx\t1.5\t2\n", kAuto, {"length,cm", "b"}, {"x"},
       {1.5, 2}, kUtf8, false, '\t'},
      {"semicolon, decimal comma", "Sorte;L\xC3\xA4nge;b\r\nA;1,5;-0,25\r\nB;2;1,5e3\r\nC;3,;,5\r\n", kAuto,
       {"L\xC3\xA4nge", "b"}, {"A", "B", "C"}, {1.5, 2, 3, -0.25, 1500, 0.5}, kUtf8, false, ';'},
      {"semicolon, a quoted comma in the header", "\"a,b\";c\nx;1,5\n", kAuto, {"c"}, {"x"}, {1.5}, kUtf8,
       false, ';'},
      {"quotes: delimiter, doubled quote, line break, empty first header cell",
       "\"\",\"a\",\"b \"\"x\"\"\r\nc\"\n\"A, early\",1,2\n\"B\",3,\"4\"\n", kAuto, {"a", "b \"x\"\r\nc"},
       {"A, early", "B"}, {1, 3, 2, 4}, kUtf8, false, ','},
      {"blanks around quoted cells, a quote inside an unquoted one", "v,a\n \"A,B\" ,1\n5\" pot,2\n", kAuto,
       {"a"}, {"A,B", "5\" pot"}, {1, 2}, kUtf8, false, ','},
      {"empty first header cell unquoted", ",a\nx,1\n", kAuto, {"a"}, {"x"}, {1}, kUtf8, false, ','},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF品種名,稈長\nコシヒカリ,93.5\nひとめぼれ,90\n", kAuto,
       {"稈長"}, {"コシヒカリ", "ひとめぼれ"}, {93.5, 90}, kUtf8, true, ','},
      {"UTF-8 without one", "品種名,稈長\r\nコシヒカリ,93.5\r\n", kAuto, {"稈長"}, {"コシヒカリ"}, {93.5}, kUtf8,
       false, ','},
      {"Shift-JIS names, a trail byte that is '\\'",
       kSjisHinshumei + "," + kSjisKanchou + "\r\n" + kSjisKoshihikari + ",93.5\r\n" + kSjisHyo + kSjisHalfWidthA +
           ",90\r\n",
       kAuto, {kSjisKanchou}, {kSjisKoshihikari, kSjisHyo + kSjisHalfWidthA}, {93.5, 90}, TableEncoding::kCp932,
       false, ','},
      {"notations and blanks", "v,a,b,c,d\nx, 1.5e3 ,+3,.5,5.\ny,-0.25,1E-2,\t7\t,0.1\n", kAuto,
       {"a", "b", "c", "d"}, {"x", "y"}, {1500, -0.25, 3, 1E-2, 0.5, 7, 5, 0.1}, kUtf8, false, ','},
      {"blank lines anywhere", "\r\n\nv,a\r\n\r\nx,1\n\ny,2\r\n\r\n\n", kAuto, {"a"}, {"x", "y"}, {1, 2}, kUtf8,
       false, ','},
      {"empty and repeated trait names", "v,,a,a\nx,1,2,3\n", kAuto, {"", "a", "a"}, {"x"}, {1, 2, 3}, kUtf8,
       false, ','},
      {"csv chosen: the tab is a blank", "v,a\tb\nx,1\n", TableDelimiter::kCsv, {"a\tb"}, {"x"}, {1}, kUtf8,
       false, ','},
      {"csv chosen: semicolons", "v;a\nx;1,5\n", TableDelimiter::kCsv, {"a"}, {"x"}, {1.5}, kUtf8, false, ';'},
      {"tsv chosen", "v\ta,b\nx\t1\n", TableDelimiter::kTsv, {"a,b"}, {"x"}, {1}, kUtf8, false, '\t'},
  };
  for (const GoodCase& c : cases) {
    SCOPED_TRACE(c.title);
    Collection collection;
    const TableRead read = ReadTable(c.bytes, c.choice, collection);
    ASSERT_TRUE(read.ok()) << static_cast<int>(read.error.kind) << " on line " << read.error.line;
    EXPECT_EQ(Views(collection.trait_names), c.traits);
    EXPECT_EQ(Views(collection.variety_names), c.varieties);
    EXPECT_EQ(Bits(collection.values), Bits(c.values));
    EXPECT_EQ(collection.varieties, static_cast<int>(c.varieties.size()));
    EXPECT_EQ(collection.traits, static_cast<int>(c.traits.size()));
    EXPECT_EQ(collection.variety_count, static_cast<double>(c.varieties.size()));
    EXPECT_EQ(collection.trait_count, static_cast<double>(c.traits.size()));
    EXPECT_EQ(read.format.encoding, c.encoding);
    EXPECT_EQ(read.format.byte_order_mark, c.byte_order_mark);
    EXPECT_EQ(read.format.delimiter, c.delimiter);
    EXPECT_EQ(read.format.decimal_mark, c.delimiter == ';' ? ',' : '.');
  }
}

struct BadCase {
  const char* title;
  std::string bytes;
  TableDelimiter choice;
  TableErrorKind kind;
  std::int64_t line;
  std::int64_t column;
};

TEST_F(TableReaderTest, ReportsEachFaultWithItsKindAndPlace) {
  using K = TableErrorKind;
  constexpr TableDelimiter kAuto = TableDelimiter::kAuto;
  const BadCase cases[] = {
      {"no bytes", "", kAuto, K::kEmptyFile, 0, 0},
      {"a byte-order mark and blank lines", "\xEF\xBB\xBF\r\n\n", kAuto, K::kEmptyFile, 0, 0},
      {"a header alone", "v,a,b\n", kAuto, K::kNoVariety, 1, 0},
      {"a header alone after blank lines, blank lines after it", "\n\nv,a\n\n", kAuto, K::kNoVariety, 3, 0},
      {"no trait column", "variety\nx\n", kAuto, K::kNoTraitColumn, 1, 0},
      {"tsv chosen for a comma table", "v,a\nx,1\n", TableDelimiter::kTsv, K::kNoTraitColumn, 1, 0},
      {"a row with more cells", "v,a\nx,1\ny,2,3\n", kAuto, K::kRaggedRow, 3, 0},
      {"a row with fewer cells", "v,a,b\nx,1\n", kAuto, K::kRaggedRow, 2, 0},
      {"a row of blanks is no blank line", "v,a\nx,1\n  \n", kAuto, K::kRaggedRow, 3, 0},
      {"a ragged row after a quoted line break", "v,a\n\"x\ny\",1\nz\n", kAuto, K::kRaggedRow, 4, 0},
      {"the form is checked before the cells", "v,a\nx,abc\ny,1,2\n", kAuto, K::kRaggedRow, 3, 0},
      {"a word", "v,a\nx,abc\n", kAuto, K::kNotANumber, 2, 2},
      {"nan", "v,a,b\nx,1,nan\n", kAuto, K::kNotANumber, 2, 3},
      {"inf", "v,a\nx,inf\n", kAuto, K::kNotANumber, 2, 2},
      {"hexadecimal", "v,a\nx,0x10\n", kAuto, K::kNotANumber, 2, 2},
      {"a thousands separator", "v,a\nx,\"1,000\"\n", kAuto, K::kNotANumber, 2, 2},
      {"a decimal point in a semicolon table", "v;a\nx;1.5\n", kAuto, K::kNotANumber, 2, 2},
      {"a thousands separator in a semicolon table", "v;a\nx;1.234,5\n", kAuto, K::kNotANumber, 2, 2},
      {"a decimal comma in a quoted comma-table cell", "v,a\nx,\"1,5\"\n", kAuto, K::kNotANumber, 2, 2},
      {"an empty value", "v,a,b\nx,1,\n", kAuto, K::kEmptyValue, 2, 3},
      {"a value of blanks", "v,a\nx,1\ny, \t \n", kAuto, K::kEmptyValue, 3, 2},
      {"a quoted empty value", "v,a\nx,\"\"\n", kAuto, K::kEmptyValue, 2, 2},
      {"an overflow", "v,a\nx,1e309\n", kAuto, K::kNumberTooLarge, 2, 2},
      {"a negative overflow", "v,a\nx,-1e400\n", kAuto, K::kNumberTooLarge, 2, 2},
      {"an unterminated quote", "v,a\nx,\"1\n2\n", kAuto, K::kUnterminatedQuote, 2, 0},
      {"an unterminated quote in the header", "\"v,a\nx,1\n", kAuto, K::kUnterminatedQuote, 1, 0},
      {"text after a closing quote", "v,a\nx,1\n\"y\nz\"w,2\n", kAuto, K::kTextAfterQuote, 4, 0},
      {"a NUL byte", "v,a\nx,1\0\n"s, kAuto, K::kControlByte, 2, 0},
      {"a form feed", "v,a\n\fx,1\n", kAuto, K::kControlByte, 2, 0},
      {"UTF-16", std::string("\xFF\xFEv\0,\0a\0", 8), kAuto, K::kUtf16, 1, 0},
      {"a byte of neither encoding", "v,a\nx\x80,1\n", kAuto, K::kBadEncoding, 2, 0},
      {"a byte-order mark before Shift-JIS", "\xEF\xBB\xBFv,a\n" + kSjisKoshihikari + ",1\n", kAuto,
       K::kBadEncoding, 2, 0},
      {"an empty variety name", "v,a\nx,1\n,2\n", kAuto, K::kEmptyVarietyName, 3, 1},
      {"a quoted empty variety name", "v,a\n\"\",2\n", kAuto, K::kEmptyVarietyName, 2, 1},
      {"a repeated variety name", "v,a\nx,1\ny,2\nx,3\n", kAuto, K::kDuplicateVarietyName, 4, 1},
      {"a trait name too long", "v," + std::string(65536, 't') + "\nx,1\n", kAuto, K::kNameTooLong, 1, 2},
      {"a variety name too long", "v,a\n" + std::string(65536, 'x') + ",1\n", kAuto, K::kNameTooLong, 2, 1},
      {"a variety name as long as may be", "v,a\n" + std::string(65535, 'x') + ",1\n" + std::string(65535, 'x') +
       ",2\n", kAuto, K::kDuplicateVarietyName, 3, 1},
      {"a line break in a variety name", "v,a\nx,1\n\"y\r\nz\",2\n", kAuto, K::kVarietyNameLineBreak, 3, 1},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.title);
    Collection collection;
    const TableRead read = ReadTable(c.bytes, c.choice, collection);
    EXPECT_EQ(read.error.kind, c.kind);
    EXPECT_EQ(read.error.line, c.line);
    EXPECT_EQ(read.error.column, c.column);
    EXPECT_EQ(collection.varieties, 0);
    EXPECT_EQ(collection.traits, 0);
    EXPECT_TRUE(collection.variety_names.empty());
    EXPECT_TRUE(collection.trait_names.empty());
    EXPECT_TRUE(collection.values.empty());
  }
}

TEST_F(TableReaderTest, ACellFaultNamesTheCellItsVarietyAndItsTrait) {
  Collection collection;
  const TableRead read = ReadTable("variety,height,weight\nKoshihikari,93.5,18.2\nNipponbare,90, 1O.5 \n",
                                   TableDelimiter::kAuto, collection);
  EXPECT_EQ(read.error.kind, TableErrorKind::kNotANumber);
  EXPECT_EQ(read.error.line, 3);
  EXPECT_EQ(read.error.column, 3);
  EXPECT_EQ(read.error.found, " 1O.5 ");
  EXPECT_EQ(read.error.variety, "Nipponbare");
  EXPECT_EQ(read.error.trait, "weight");
}

TEST_F(TableReaderTest, ARaggedRowGivesItsCountTheHeadersAndItsFirstCell) {
  Collection collection;
  const TableRead read = ReadTable("v,a,b,c\nx,1,2,3\ny,1,2\n", TableDelimiter::kAuto, collection);
  EXPECT_EQ(read.error.kind, TableErrorKind::kRaggedRow);
  EXPECT_EQ(read.error.line, 3);
  EXPECT_EQ(read.error.count, 3);
  EXPECT_EQ(read.error.limit, 4);
  EXPECT_EQ(read.error.variety, "y");
}

TEST_F(TableReaderTest, ARepeatedNameGivesTheLineWhereItWasFirst) {
  Collection collection;
  const TableRead read = ReadTable("v,\"a\nb\"\n\"x, y\",1\nz,2\n\"x, y\",3\n", TableDelimiter::kAuto, collection);
  EXPECT_EQ(read.error.kind, TableErrorKind::kDuplicateVarietyName);
  EXPECT_EQ(read.error.line, 5);
  EXPECT_EQ(read.error.first_line, 3);
  EXPECT_EQ(read.error.found, "x, y");
}

// The file's encoding is the one it keeps to the longer: a Shift-JIS file
// with a stray byte late is reported there, not at its first Japanese name.
TEST_F(TableReaderTest, AnEncodingFaultIsWhereTheLikelierEncodingStops) {
  struct Case {
    const char* title;
    std::string bytes;
    std::int64_t line;
    std::string found;
  };
  const Case cases[] = {
      {"Shift-JIS", "v,a\n" + kSjisKoshihikari + ",1\nx\x80,2\n", 3, "\x80,2\n"},
      // U+3000 (E3 80 80) is no code page 932 text: its last byte stands alone
      {"UTF-8", "v,a\n\xE3\x80\x80x,1\ny\xFF,2\n", 3, "\xFF,2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Collection collection;
    const TableRead read = ReadTable(c.bytes, TableDelimiter::kAuto, collection);
    EXPECT_EQ(read.error.kind, TableErrorKind::kBadEncoding);
    EXPECT_EQ(read.error.line, c.line);
    EXPECT_EQ(read.error.found, c.found);
  }
}

// Long texts in a fault are cut where a character ends, in the file's
// encoding, so a message never shows half a character.
TEST_F(TableReaderTest, LongTextsInAFaultAreCutAtACharacterBoundary) {
  std::string utf8_word;
  for (int k = 0; k < 30; ++k) utf8_word += "あ";  // 90 bytes
  std::string sjis_word = "a";
  for (int k = 0; k < 40; ++k) sjis_word += "\x82\xA0";  // あ; 81 bytes, each pair at an odd offset
  struct Case {
    const char* title;
    std::string bytes;
    std::string found;
  };
  const Case cases[] = {
      {"UTF-8", "v,a\nx," + utf8_word + "\n", utf8_word.substr(0, 63) + "..."},
      {"Shift-JIS", "v,a\nx," + sjis_word + "\n", sjis_word.substr(0, 63) + "..."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Collection collection;
    const TableRead read = ReadTable(c.bytes, TableDelimiter::kAuto, collection);
    EXPECT_EQ(read.error.kind, TableErrorKind::kNotANumber);
    EXPECT_EQ(read.error.found, c.found);
  }
}

std::string TableOfSize(int varieties, int traits) {
  std::string bytes = "v";
  for (int j = 0; j < traits; ++j) bytes += ",t" + std::to_string(j);
  bytes += "\n";
  for (int i = 0; i < varieties; ++i) {
    bytes += "x" + std::to_string(i);
    for (int j = 0; j < traits; ++j) bytes += "," + std::to_string(i + j);
    bytes += "\n";
  }
  return bytes;
}

TEST_F(TableReaderTest, TakesUpTo32767VarietiesAndTraits) {
  struct Case {
    int varieties;
    int traits;
    TableErrorKind kind;
    std::int64_t line;
  };
  const Case cases[] = {
      {32767, 1, TableErrorKind::kNone, 0},
      {1, 32767, TableErrorKind::kNone, 0},
      {32768, 1, TableErrorKind::kTooManyVarieties, 32769},
      {1, 32768, TableErrorKind::kTooManyTraits, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.varieties) + " x " + std::to_string(c.traits));
    Collection collection;
    const TableRead read = ReadTable(TableOfSize(c.varieties, c.traits), TableDelimiter::kAuto, collection);
    EXPECT_EQ(read.error.kind, c.kind);
    EXPECT_EQ(read.error.line, c.line);
    if (c.kind == TableErrorKind::kNone) {
      EXPECT_EQ(collection.varieties, c.varieties);
      EXPECT_EQ(collection.traits, c.traits);
      // the last variety's last value: (varieties - 1) + (traits - 1)
      EXPECT_EQ(collection.Value(c.varieties - 1, c.traits - 1), c.varieties + c.traits - 2);
    } else {
      EXPECT_EQ(read.error.count, c.kind == TableErrorKind::kTooManyVarieties ? c.varieties : c.traits);
      EXPECT_EQ(read.error.limit, 32767);
    }
  }
}

// The first step gives the counts and faults of the form and stores
// nothing; cell faults come from the second.
TEST_F(TableReaderTest, MeasuringGivesTheCountsBeforeAnythingIsStored) {
  const std::string bytes = "\xEF\xBB\xBFv;a;b\nx;1,5;2\ny;3;4\nz;5;6\n";
  const int32_t live_before = LiveByteStringCount();
  const TableRead measured = MeasureTableFile(bytes, TableDelimiter::kAuto);
  ASSERT_TRUE(measured.ok());
  EXPECT_EQ(measured.shape.rows, 3);
  EXPECT_EQ(measured.shape.columns, 3);
  EXPECT_EQ(measured.format.delimiter, ';');
  EXPECT_EQ(LiveByteStringCount(), live_before);

  Collection collection;
  ASSERT_TRUE(FillTableFile(bytes, measured, collection).ok());
  EXPECT_EQ(Views(collection.variety_names), (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(collection.values, (std::vector<double>{1.5, 3, 5, 2, 4, 6}));

  const std::string bad_cell = "v,a\nx,abc\n";
  const TableRead bad_measured = MeasureTableFile(bad_cell, TableDelimiter::kAuto);
  EXPECT_TRUE(bad_measured.ok());
  EXPECT_EQ(FillTableFile(bad_cell, bad_measured, collection).error.kind, TableErrorKind::kNotANumber);

  const TableRead ragged = MeasureTableFile("v,a\nx\n", TableDelimiter::kAuto);
  EXPECT_EQ(ragged.error.kind, TableErrorKind::kRaggedRow);
  EXPECT_EQ(FillTableFile("v,a\nx\n", ragged, collection).error.kind, TableErrorKind::kRaggedRow);
  EXPECT_TRUE(collection.variety_names.empty());
}

// A listed text is a quiet NaN in its place; without a list, or with a list
// of the caller's own that does not hold it, it is the fault it always was.
TEST_F(TableReaderTest, ReadsTheListedTextsAsMissingValues) {
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  const std::string bytes = "v,a,b,c\nx,1,NA,\ny,\"#N/A\", 2 ,?\nz,-,999,3\n";
  struct Case {
    const char* title;
    MissingTexts missing;
    std::vector<double> values;  // by trait, when read
    TableErrorKind kind;
    std::int64_t line;
    std::int64_t column;
  };
  const Case cases[] = {
      {"the usual list", MissingTexts::Usual(), {1, kNaN, kNaN, kNaN, 2, 999, kNaN, kNaN, 3},
       TableErrorKind::kNone, 0, 0},
      {"no list", {}, {}, TableErrorKind::kNotANumber, 2, 3},
      {"the caller's list replaces the usual one", {{"999", "NA", "#N/A", "-", "?"}}, {}, TableErrorKind::kEmptyValue,
       2, 4},
      {"a list that takes the empty cell too", {{"", "999", "NA", "#N/A", "-", "?"}},
       {1, kNaN, kNaN, kNaN, 2, kNaN, kNaN, kNaN, 3}, TableErrorKind::kNone, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Collection collection;
    const TableRead read = ReadTable(bytes, TableDelimiter::kAuto, collection, c.missing);
    EXPECT_EQ(read.error.kind, c.kind);
    EXPECT_EQ(read.error.line, c.line);
    EXPECT_EQ(read.error.column, c.column);
    EXPECT_EQ(Bits(collection.values), Bits(c.values));
  }
  // Measured first, then filled: the list goes to the second step.
  Collection collection;
  const TableRead measured = MeasureTableFile("v;a\nx;1,5\ny;.\n", TableDelimiter::kAuto);
  ASSERT_TRUE(FillTableFile("v;a\nx;1,5\ny;.\n", measured, collection, MissingTexts::Usual()).ok());
  EXPECT_EQ(Bits(collection.values), Bits({1.5, kNaN}));
}

TEST_F(TableReaderTest, ReadingLeavesNoTextBehind) {
  const int32_t live_before = LiveByteStringCount();
  {
    Collection collection;
    ASSERT_TRUE(ReadTable("v,a,b\nx,1,2\ny,3,4\n", TableDelimiter::kAuto, collection).ok());
    EXPECT_EQ(LiveByteStringCount(), live_before + 4);
    EXPECT_FALSE(ReadTable("v,a,b\nx,1,2\ny,3,z\n", TableDelimiter::kAuto, collection).ok());
    EXPECT_EQ(LiveByteStringCount(), live_before);
  }
  EXPECT_EQ(LiveByteStringCount(), live_before);
}

TEST(FirstFieldIsNumberTest, TellsCountsFirstFromAHeaderRow) {
  struct Case {
    const char* bytes;
    bool number;
  };
  const Case cases[] = {
      {"3 2\nA,B\n", true},
      {"3,2\n", true},
      {"\xEF\xBB\xBF  \r\n12\t5\n", true},
      {"1e3 2", true},
      {"1e999 2", true},  // a number, if too large for a count
      {"variety,A,B\n", false},
      {",A,B\n", false},
      {"\"\",A,B\n", false},
      {"3;2\n", false},  // a semicolon does not end a field of the older layout
      {"-", false},
      {"", false},
      {" \r\n", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstFieldIsNumber(c.bytes), c.number) << ::testing::PrintToString(c.bytes);
  }
}

}  // namespace
}  // namespace kyori
