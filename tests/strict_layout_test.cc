// Strict reading of a data file (batch/strict_layout_reader.h): every file
// that it accepts gives the Collection of the dialogue's reading
// (batch/collection_reader.h) bit for bit, and every mistake the dialogue
// lets pass is reported with its line, variety, trait, text and likely cause.
//
// Three parts: a table of good files in the layouts the dialogue reads; a
// table of bad files with the error each gives; and a differential run over
// generated files, well formed and mutated, in which the strict reader must
// accept every well-formed one and agree with the channel reader wherever it
// accepts.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "batch/collection.h"
#include "batch/collection_reader.h"
#include "batch/layout_error.h"
#include "batch/layout_error_text.h"
#include "batch/layout_number.h"
#include "batch/missing_texts.h"
#include "batch/strict_layout_reader.h"
#include "io/channels.h"
#include "tests/double_bits.h"
#include "tests/test_files.h"
#include "text/byte_string.h"

namespace kyori {
namespace {

using testing::BitsOf;
using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;

constexpr int32_t kChannel = 1;

class StrictLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { InitRuntime(); }
  void TearDown() override { ResetChannels(); }

  void Open(const std::string& bytes) {
    const std::string path = folder_.File("data.txt");
    WriteWholeFile(path, bytes);
    OpenChannel(TextFromBytes(path), kOpenRead, kChannel);
    ASSERT_TRUE(ChannelIsOpen(kChannel));
  }

  // The dialogue's reading: the counts, then the body.
  Collection ReadByChannel(const std::string& bytes) {
    Open(bytes);
    Collection c;
    ReadCollectionCounts(kChannel, c);
    ReadCollectionBody(kChannel, c);
    CloseChannel(kChannel);
    return c;
  }

  LayoutError ReadStrictly(const std::string& bytes, Collection& c, const MissingTexts& missing = {}) {
    Open(bytes);
    const LayoutError error = ReadStrictCollection(kChannel, c, missing);
    CloseChannel(kChannel);
    return error;
  }

  TempFolder folder_;
};

std::string Describe(const LayoutError& e) { return e.ok() ? "accepted" : LayoutErrorText(e); }

// Counts, loop counts, values by their bits, names by their bytes.
void ExpectSameCollection(const Collection& strict, const Collection& channel) {
  EXPECT_EQ(BitsOf(strict.variety_count), BitsOf(channel.variety_count));
  EXPECT_EQ(BitsOf(strict.trait_count), BitsOf(channel.trait_count));
  ASSERT_EQ(strict.varieties, channel.varieties);
  ASSERT_EQ(strict.traits, channel.traits);
  ASSERT_EQ(strict.trait_names.size(), channel.trait_names.size());
  ASSERT_EQ(strict.variety_names.size(), channel.variety_names.size());
  ASSERT_EQ(strict.values.size(), channel.values.size());
  for (std::size_t j = 0; j < strict.trait_names.size(); ++j) {
    EXPECT_EQ(strict.trait_names[j].View(), channel.trait_names[j].View()) << "trait " << j + 1;
  }
  for (std::size_t i = 0; i < strict.variety_names.size(); ++i) {
    EXPECT_EQ(strict.variety_names[i].View(), channel.variety_names[i].View()) << "variety " << i + 1;
  }
  for (std::size_t k = 0; k < strict.values.size(); ++k) {
    EXPECT_EQ(BitsOf(strict.values[k]), BitsOf(channel.values[k])) << "value " << k;
  }
}

// ---- Good files ----------------------------------------------------------

struct GoodFile {
  const char* label;
  std::string bytes;
  int varieties;
  int traits;
};

const std::string kReadmeLf =
    "3 2\n\xE5\xBD\xA2\xE8\xB3\xAA" "1,\xE5\xBD\xA2\xE8\xB3\xAA" "2\n\xE5\x93\x81\xE7\xA8\xAE" "A,95.5 18.2\n"
    "\xE5\x93\x81\xE7\xA8\xAE" "B\n88 17.9\nLongName12345,102.25,20\n";

std::string WithCrLf(const std::string& lf) {
  std::string out;
  for (const char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::vector<GoodFile> GoodFiles() {
  return {
      {"README example, LF", kReadmeLf, 3, 2},
      {"README example, CR LF", WithCrLf(kReadmeLf), 3, 2},
      {"the sample", ReadWholeFile(std::string(KYORI_EXAMPLES_DIR) + "/kyori_in.txt"), 12, 5},
      {"names ended by commas, values by commas", "2 2\nA,B\nx,1,2\ny,3,4\n", 2, 2},
      {"a name alone on its line", "2 2\nA\nB\nx\n1 2\ny\n3\n4\n", 2, 2},
      {"tabs and a blank before a comma", "2,2\nA,B\nx,1\t2\ny,\t3 ,4\n", 2, 2},
      {"no line end at the end", "1 2\nA,B\nx,1 2", 1, 2},
      {"CR as the file's last byte", "1 2\nA,B\nx,1 2\r", 1, 2},
      {"blank lines and blanks after the last value", "1 2\nA,B\nx,1 2\n\n  \t\r\n\n", 1, 2},
      {"a comma after the last value", "1 2\nA,B\nx,1 2,\n", 1, 2},
      {"a blank and a comma after the last value", "1 2\nA,B\nx,1 2 ,\n", 1, 2},
      {"blanks inside names, a quoted comma", "2 1\nplant height\nKoshi hikari ,5\n\"a,b\" c,6\n", 2, 1},
      {"a lone CR inside a name", "1 1\nA\nx\ry,5\n", 1, 1},
      {"every number form", "4 2\nA,B\nx,-2.5 5.\ny,.5 -.5\nz,007 &H1F\nw,&o17 &hff\n", 4, 2},
      {"whole counts written as decimals and &H", "2.0 &H2\nA,B\nx,1 2\ny,3 4\n", 2, 2},
      {"no traits: names only", "2 0\nx\ny\n", 2, 0},
      {"a trait count below 1 reads as no traits", "2 -1\nx\ny\n", 2, 0},
      {"a variety whose name is empty", "2 1\nA\n,1\ny,2\n", 2, 1},
      {"long digits", "1 2\nA,B\nx,123456789012345678901234567890 0.000000000000000000000001\n", 1, 2},
      {"a name that took its line when the data fit it", "1 1\nA\nx 1,5\n", 1, 1},
  };
}

TEST_F(StrictLayoutTest, GoodFilesGiveTheChannelReadersCollection) {
  for (const GoodFile& file : GoodFiles()) {
    SCOPED_TRACE(file.label);
    Collection strict;
    const LayoutError error = ReadStrictly(file.bytes, strict);
    EXPECT_TRUE(error.ok()) << Describe(error);
    EXPECT_EQ(strict.varieties, file.varieties);
    EXPECT_EQ(strict.traits, file.traits);
    ExpectSameCollection(strict, ReadByChannel(file.bytes));
  }
}

// The two readers agreeing could hide both being wrong: the README's example
// worked out by hand.
TEST_F(StrictLayoutTest, ReadmeExampleHoldsWhatItShows) {
  Collection c;
  ASSERT_TRUE(ReadStrictly(WithCrLf(kReadmeLf), c).ok());
  EXPECT_EQ(c.trait_names[1].View(), "\xE5\xBD\xA2\xE8\xB3\xAA" "2");
  EXPECT_EQ(c.variety_names[1].View(), "\xE5\x93\x81\xE7\xA8\xAE" "B");
  EXPECT_EQ(c.variety_names[2].View(), "LongName12345");
  EXPECT_EQ(c.Value(0, 0), 95.5);
  EXPECT_EQ(c.Value(1, 1), 17.9);
  EXPECT_EQ(c.Value(2, 0), 102.25);
  EXPECT_EQ(c.Value(2, 1), 20.0);
}

// ---- Bad files -----------------------------------------------------------

struct BadFile {
  const char* label;
  std::string bytes;
  LayoutErrorKind kind;
  LayoutField field;
  std::int64_t line;
  int variety;
  std::string variety_name;
  int trait;
  std::string trait_name;
  std::string found;
  LayoutCause cause;
  std::int64_t cause_line;
  std::string cause_text;
};

using K = LayoutErrorKind;
using F = LayoutField;
using C = LayoutCause;

const std::string kHin = "\xE5\x93\x81\xE7\xA8\xAE";  // 品種 in UTF-8

std::vector<BadFile> BadFiles() {
  return {
      {"a value that is a word", "2 2\nA,B\nx,1 abc\ny,3 4\n",
       K::kNotANumber, F::kValue, 3, 1, "x", 2, "B", "abc", C::kNone, 0, ""},
      {"an exponent", "1 2\nA,B\nx,1e3 2\n", K::kNotANumber, F::kValue, 3, 1, "x", 1, "A", "1e3", C::kNone, 0, ""},
      {"a plus sign", "1 1\nA\nx,+3\n", K::kNotANumber, F::kValue, 3, 1, "x", 1, "A", "+3", C::kNone, 0, ""},
      {"a quoted value", "1 1\nA\nx,\"5\"\n", K::kNotANumber, F::kValue, 3, 1, "x", 1, "A", "\"5\"", C::kNone, 0, ""},
      {"&H digits that wrap", "1 1\nA\nx,&HFFFFFFFFFFFFFFFFF\n",
       K::kOutOfRange, F::kValue, 3, 1, "x", 1, "A", "&HFFFFFFFFFFFFFFFFF", C::kNone, 0, ""},
      {"a decimal comma", "2 2\nA,B\nx,95,5 18\ny,3 4\n",
       K::kNotANumber, F::kValue, 4, 2, "18", 1, "A", "y", C::kDecimalComma, 3, "95,5"},
      {"a blank after a line's last value shifts the fields", "2 2\nA,B\nx,1 2 \ny,3 4\n",
       K::kNotANumber, F::kValue, 4, 2, "", 1, "A", "y", C::kTrailingBlank, 3, ""},
      {"a comma after a line's last value shifts the fields", "2 2\nA,B\nx,1,2,\ny,3,4\n",
       K::kNotANumber, F::kValue, 4, 2, "", 1, "A", "y", C::kTrailingComma, 3, ""},
      {"an empty line between varieties", "2 2\nA,B\nx,1 2\n\ny,3 4\n",
       K::kNotANumber, F::kValue, 5, 2, "", 1, "A", "y", C::kEmptyLine, 4, ""},
      {"a trailing blank after the counts", "1 2 \nA,B\nx,1 2\n",
       K::kNotANumber, F::kValue, 3, 1, "B", 1, "", "x", C::kTrailingBlank, 1, ""},
      {"a name followed by a blank and its values", "2 2\nA,B\n" + kHin + "A 95.5 18.2\n" + kHin + "B,88 17.9\n",
       K::kNotANumber, F::kValue, 4, 1, kHin + "A 95.5 18.2", 1, "A", kHin + "B", C::kNameTookLine, 3,
       kHin + "A 95.5 18.2"},
      {"a line with a value too few", "2 3\nA,B,C\nx,1 2\ny,3 4 5\n",
       K::kNotANumber, F::kValue, 4, 1, "x", 3, "C", "y", C::kShortLine, 3, ""},
      {"an empty value from a trailing blank", "2 2\nA,B\nx\n1 \n2\ny,3,4\n",
       K::kEmptyValue, F::kValue, 4, 1, "x", 2, "B", "", C::kTrailingBlank, 4, ""},
      {"two commas in a row", "2 2\nA,B\nx,1,,2\ny,3,4\n",
       K::kEmptyValue, F::kValue, 3, 1, "x", 2, "B", "", C::kDoubleComma, 3, ""},
      {"a comma at a line's start", "1 2\nA,B\nx\n,1,2\n",
       K::kEmptyValue, F::kValue, 4, 1, "x", 1, "A", "", C::kLeadingComma, 4, ""},
      {"the file ends before a variety", "3 2\nA,B\nx,1 2\ny,3 4\n",
       K::kEndsEarly, F::kVarietyName, 4, 3, "", 0, "", "", C::kNone, 0, ""},
      {"the file ends before a value, then blank lines", "2 2\nA,B\nx,1 2\ny,3\n\n\n",
       K::kEndsEarly, F::kValue, 4, 2, "y", 2, "B", "", C::kNone, 0, ""},
      {"the file ends before a variety, then blank lines", "3 2\nA,B\nx,1 2\ny,3 4\n\n \n\n",
       K::kEndsEarly, F::kVarietyName, 4, 3, "", 0, "", "", C::kNone, 0, ""},
      {"a blank where the last value is missing", "2 2\nA,B\nx,1 2\ny,3 \n",
       K::kEndsEarly, F::kValue, 4, 2, "y", 2, "B", "", C::kNone, 0, ""},
      {"a file of blank lines", "\n \n\n", K::kEndsEarly, F::kVarietyCount, 1, 0, "", 0, "", "", C::kNone, 0, ""},
      {"the file ends in the trait names", "1 3\nA,B\n",
       K::kEndsEarly, F::kTraitName, 2, 0, "", 3, "", "", C::kNone, 0, ""},
      {"a name took its line, and the file ends early", "2 2\nA,B\n1001 5 6\n1002,7 8\n",
       K::kEndsEarly, F::kValue, 4, 2, "8", 1, "A", "", C::kNameTookLine, 3, "1001 5 6"},
      {"a variety too many", "2 2\nA,B\nx,1 2\ny,3 4\nz,5 6\n",
       K::kFieldsLeft, F::kAfterLast, 5, 2, "y", 2, "B", "z", C::kNone, 0, ""},
      {"a comma too many at the end", "1 1\nA\nx,5,,\n",
       K::kFieldsLeft, F::kAfterLast, 3, 1, "x", 1, "A", "", C::kNone, 0, ""},
      {"numbers as names, shifted by a trailing blank", "2 1\nT\n1001,5 \n1002,6\n",
       K::kFieldsLeft, F::kAfterLast, 4, 2, "", 1, "T", "6", C::kTrailingBlank, 3, ""},
      {"a fractional count", "2.5 2\nA,B\n", K::kCountNotWhole, F::kVarietyCount, 1, 0, "", 0, "", "2.5",
       C::kNone, 0, ""},
      {"a trait count that is a word", "2 x\n", K::kCountNotWhole, F::kTraitCount, 1, 0, "", 0, "", "x",
       C::kNone, 0, ""},
      {"a count with an exponent", "1e3 2\n", K::kCountNotWhole, F::kVarietyCount, 1, 0, "", 0, "", "1e3",
       C::kNone, 0, ""},
      {"an empty line before the counts", "\n2 2\n", K::kCountNotWhole, F::kVarietyCount, 1, 0, "", 0, "", "",
       C::kEmptyLine, 1, ""},
      {"a byte-order mark", "\xEF\xBB\xBF" "2 2\nA,B\n", K::kCountNotWhole, F::kVarietyCount, 1, 0, "", 0, "",
       "\xEF\xBB\xBF" "2", C::kByteOrderMark, 1, ""},
      {"UTF-16", std::string("\xFF\xFE" "2\0 \0" "2\0", 7), K::kCountNotWhole, F::kVarietyCount, 1, 0, "", 0, "",
       "\xFF\xFE" "2", C::kUtf16, 1, ""},
      {"lines ended by CR alone", "2 2\rA,B\rx,1 2\r", K::kCountNotWhole, F::kTraitCount, 1, 0, "", 0, "",
       "2\rA", C::kLoneCarriageReturn, 1, ""},
      {"no variety", "0 2\nA,B\n", K::kNoVariety, F::kVarietyCount, 1, 0, "", 0, "", "0", C::kNone, 0, ""},
      {"a negative number of varieties", "-3 2\n", K::kNoVariety, F::kVarietyCount, 1, 0, "", 0, "", "-3",
       C::kNone, 0, ""},
  };
}

TEST_F(StrictLayoutTest, BadFilesAreReportedWhereTheMistakeShows) {
  for (const BadFile& file : BadFiles()) {
    SCOPED_TRACE(file.label);
    Collection c;
    const LayoutError e = ReadStrictly(file.bytes, c);
    EXPECT_EQ(e.kind, file.kind) << Describe(e);
    EXPECT_EQ(e.field, file.field);
    EXPECT_EQ(e.line, file.line);
    EXPECT_EQ(e.variety, file.variety);
    EXPECT_EQ(e.variety_name, file.variety_name);
    EXPECT_EQ(e.trait, file.trait);
    EXPECT_EQ(e.trait_name, file.trait_name);
    EXPECT_EQ(e.found, file.found);
    EXPECT_EQ(e.cause, file.cause) << Describe(e);
    EXPECT_EQ(e.cause_line, file.cause_line);
    EXPECT_EQ(e.cause_text, file.cause_text);
  }
}

TEST_F(StrictLayoutTest, ALongFieldIsCutInTheError) {
  Collection c;
  const LayoutError e = ReadStrictly("1 1\nA\nx," + std::string(200, 'q') + "\n", c);
  ASSERT_EQ(e.kind, LayoutErrorKind::kNotANumber);
  EXPECT_EQ(e.found, std::string(kLayoutTextKeep, 'q'));
  EXPECT_TRUE(e.found_cut);
  EXPECT_EQ(LayoutErrorText(e), "line 3: value of A for x is \"" + std::string(kLayoutTextKeep, 'q') +
                                    "...\", not a number");
}

// The counts are read on their own, so that a caller can refuse them before
// the storage they ask for is made; the body then goes on from there.
TEST_F(StrictLayoutTest, CountsAndBodyReadInTwoSteps) {
  Open("2 1\nA\nx,1\ny,2\n");
  Collection c;
  StrictLayoutReader reader(kChannel);
  ASSERT_TRUE(reader.ReadCounts(c).ok());
  EXPECT_EQ(c.varieties, 2);
  EXPECT_TRUE(c.values.empty());
  ASSERT_TRUE(reader.ReadBody(c).ok());
  EXPECT_EQ(c.Value(1, 0), 2.0);
  CloseChannel(kChannel);
}

// ---- Missing values --------------------------------------------------------

// The usual list changes nothing for a file that holds none of its texts:
// the good files read the same, and the bad ones fail the same way, an
// empty field among them.
TEST_F(StrictLayoutTest, TheUsualListLeavesFilesWithoutItsTextsAsTheyWere) {
  for (const GoodFile& file : GoodFiles()) {
    SCOPED_TRACE(file.label);
    Collection plain;
    Collection listed;
    ASSERT_TRUE(ReadStrictly(file.bytes, plain).ok());
    ASSERT_TRUE(ReadStrictly(file.bytes, listed, MissingTexts::Usual()).ok());
    ExpectSameCollection(listed, plain);
  }
  for (const BadFile& file : BadFiles()) {
    SCOPED_TRACE(file.label);
    Collection c;
    const LayoutError e = ReadStrictly(file.bytes, c, MissingTexts::Usual());
    EXPECT_EQ(e.kind, file.kind) << Describe(e);
    EXPECT_EQ(e.line, file.line);
    EXPECT_EQ(e.variety, file.variety);
    EXPECT_EQ(e.trait, file.trait);
    EXPECT_EQ(e.found, file.found);
    EXPECT_EQ(e.cause, file.cause) << Describe(e);
  }
}

TEST_F(StrictLayoutTest, ReadsTheListedTextsAsMissingValues) {
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  const std::string bytes = "4 2\nNA,B\nx,NA -\ny,. 2\nz,? #N/A\nw,N/A,NaN\n";
  struct Case {
    const char* title;
    std::string bytes;
    MissingTexts missing;
    std::vector<double> values;  // by trait, when read
    LayoutErrorKind kind;
    std::int64_t line;
    std::string found;
  };
  const Case cases[] = {
      {"the usual list", bytes, MissingTexts::Usual(), {kNaN, kNaN, kNaN, kNaN, kNaN, 2, kNaN, kNaN},
       K::kNone, 0, ""},
      {"no list", bytes, {}, {}, K::kNotANumber, 3, "NA"},
      {"no list: a minus alone", "1 1\nA\nx,-\n", {}, {}, K::kNotANumber, 3, "-"},
      {"a list of the caller's", "2 2\nA,B\nx,999 1\ny,-99 999.0\n", {{"999", "-99"}}, {kNaN, kNaN, 1, 999},
       K::kNone, 0, ""},
      {"it replaces the usual one", "2 2\nA,B\nx,999 1\ny,-99 NA\n", {{"999", "-99"}}, {}, K::kNotANumber, 4,
       "NA"},
      {"the empty field is no missing value", "2 2\nA,B\nx,1,,2\ny,3,4\n", {{""}}, {}, K::kEmptyValue, 3, ""},
      {"nor is a count", "NA 2\n", MissingTexts::Usual(), {}, K::kCountNotWhole, 1, "NA"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Collection collection;
    const LayoutError e = ReadStrictly(c.bytes, collection, c.missing);
    EXPECT_EQ(e.kind, c.kind) << Describe(e);
    EXPECT_EQ(e.line, c.line);
    EXPECT_EQ(e.found, c.found);
    if (c.kind != K::kNone) continue;
    ASSERT_EQ(collection.values.size(), c.values.size());
    for (std::size_t k = 0; k < c.values.size(); ++k) {
      EXPECT_EQ(BitsOf(collection.values[k]), BitsOf(c.values[k])) << "value " << k;
    }
  }
}

// ---- The number grammar --------------------------------------------------

TEST(LayoutNumberTest, AcceptsTheGrammarAndNothingElse) {
  struct Case {
    const char* text;
    NumberText kind;
  };
  const Case cases[] = {
      {"12", NumberText::kNumber},      {"-2.5", NumberText::kNumber},     {"5.", NumberText::kNumber},
      {".5", NumberText::kNumber},      {"-.5", NumberText::kNumber},      {"-0", NumberText::kNumber},
      {"&H1F", NumberText::kNumber},    {"&h10", NumberText::kNumber},     {"&o17", NumberText::kNumber},
      {"&H7FFFFFFFFFFFFFFF", NumberText::kNumber},
      {"&H00000000000000000001", NumberText::kNumber},
      {"&O777777777777777777777", NumberText::kNumber},
      {"", NumberText::kNotANumber},    {"-", NumberText::kNotANumber},    {".", NumberText::kNotANumber},
      {"-.", NumberText::kNotANumber},  {"+3", NumberText::kNotANumber},   {"1e3", NumberText::kNotANumber},
      {"1d3", NumberText::kNotANumber}, {"12.3.4", NumberText::kNotANumber}, {"5abc", NumberText::kNotANumber},
      {" .5", NumberText::kNotANumber}, {"1 ", NumberText::kNotANumber},   {"&H", NumberText::kNotANumber},
      {"&X1", NumberText::kNotANumber}, {"&H1G", NumberText::kNotANumber}, {"&O8", NumberText::kNotANumber},
      {"-&H1", NumberText::kNotANumber}, {"1\r", NumberText::kNotANumber},
      {"&H8000000000000000", NumberText::kOutOfRange},
      {"&H10000000000000000", NumberText::kOutOfRange},
      {"&O1777777777777777777777", NumberText::kOutOfRange},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadLayoutNumber(c.text).kind, c.kind) << '"' << c.text << '"';
    EXPECT_EQ(FitsNumberGrammar(c.text), c.kind == NumberText::kNumber) << '"' << c.text << '"';
  }
  EXPECT_EQ(ReadLayoutNumber(std::string(400, '0') + "5").kind, NumberText::kOutOfRange);  // NaN
  EXPECT_EQ(ReadLayoutNumber("1" + std::string(400, '0')).kind, NumberText::kOutOfRange);  // infinite
  EXPECT_EQ(ReadLayoutNumber("0." + std::string(400, '0') + "1").kind, NumberText::kNumber);
  EXPECT_EQ(ReadLayoutNumber("&h10").value, 16.0);
  EXPECT_EQ(ReadLayoutNumber("1e3").value, 1.0);  // what the dialogue stores
}

TEST(LayoutNumberTest, CountsAreWholeNumbers) {
  EXPECT_TRUE(IsWholeNumber(ReadLayoutNumber("3")));
  EXPECT_TRUE(IsWholeNumber(ReadLayoutNumber("3.0")));
  EXPECT_TRUE(IsWholeNumber(ReadLayoutNumber("&H3")));
  EXPECT_TRUE(IsWholeNumber(ReadLayoutNumber("-1")));
  EXPECT_FALSE(IsWholeNumber(ReadLayoutNumber("2.5")));
  EXPECT_FALSE(IsWholeNumber(ReadLayoutNumber("3abc")));
  EXPECT_FALSE(IsWholeNumber(ReadLayoutNumber("")));
  EXPECT_FALSE(IsWholeNumber(ReadLayoutNumber(std::string(400, '0') + "3")));
}

// ---- The text of an error ------------------------------------------------

TEST(LayoutErrorTextTest, RendersEachKindAndCause) {
  LayoutError e;
  e.kind = LayoutErrorKind::kNotANumber;
  e.field = LayoutField::kValue;
  e.line = 7;
  e.variety = 1;
  e.variety_name = "\xE3\x82\xB3\xE3\x82\xB7\xE3\x83\x92\xE3\x82\xAB\xE3\x83\xAA";  // コシヒカリ
  e.trait = 2;
  e.trait_name = "\xE7\xA9\x82\xE9\x95\xB7";  // 穂長
  e.found = "abc";
  EXPECT_EQ(LayoutErrorText(e), "line 7: value of \xE7\xA9\x82\xE9\x95\xB7 for "
                                "\xE3\x82\xB3\xE3\x82\xB7\xE3\x83\x92\xE3\x82\xAB\xE3\x83\xAA is \"abc\", not a number");
  // The names and the text found are the file's bytes, apart from the
  // program's words.
  const std::vector<LayoutTextPiece> pieces = LayoutErrorPieces(e);
  std::string from_file;
  for (const LayoutTextPiece& piece : pieces) {
    if (piece.from_file) from_file += piece.text + "|";
  }
  EXPECT_EQ(from_file, e.trait_name + "|" + e.variety_name + "|abc|");

  e.variety_name.clear();
  e.cause = LayoutCause::kTrailingBlank;
  e.cause_line = 6;
  EXPECT_EQ(LayoutErrorText(e), "line 7: value of \xE7\xA9\x82\xE9\x95\xB7 for variety 1 is \"abc\", not a number; "
                                "a blank at the end of line 6 makes its line end one more, empty field, and every "
                                "later field is read one place late");

  LayoutError empty;
  empty.kind = LayoutErrorKind::kEmptyValue;
  empty.field = LayoutField::kValue;
  empty.line = 4;
  empty.variety = 2;
  empty.variety_name = "y";
  empty.trait = 1;
  empty.trait_name = "A";
  empty.cause = LayoutCause::kDoubleComma;
  empty.cause_line = 4;
  EXPECT_EQ(LayoutErrorText(empty),
            "line 4: value of A for y is empty; two commas in a row on line 4 make an empty field between them");

  LayoutError ends;
  ends.kind = LayoutErrorKind::kEndsEarly;
  ends.field = LayoutField::kVarietyName;
  ends.line = 9;
  ends.variety = 4;
  ends.varieties_announced = 4;
  ends.traits_announced = 2;
  EXPECT_EQ(LayoutErrorText(ends),
            "line 9: the file ends before the name of variety 4 (the counts announce 4 varieties and 2 traits)");

  LayoutError left;
  left.kind = LayoutErrorKind::kFieldsLeft;
  left.field = LayoutField::kAfterLast;
  left.line = 5;
  left.variety = 2;
  left.variety_name = "y";
  left.trait = 2;
  left.trait_name = "B";
  left.found = "z";
  left.varieties_announced = 2;
  left.traits_announced = 2;
  left.cause = LayoutCause::kDecimalComma;
  left.cause_line = 3;
  left.cause_text = "95,5";
  EXPECT_EQ(LayoutErrorText(left),
            "line 5: \"z\" follows the last value (B for y; the counts announce 2 varieties and 2 traits); "
            "\"95,5\" on line 3 looks like a decimal comma: the comma splits it into two values, and every later "
            "field is read one place late");

  LayoutError count;
  count.kind = LayoutErrorKind::kCountNotWhole;
  count.field = LayoutField::kTraitCount;
  count.line = 1;
  count.found = "2.5";
  EXPECT_EQ(LayoutErrorText(count), "line 1: the number of traits is \"2.5\", not a whole number");

  LayoutError none;
  none.kind = LayoutErrorKind::kNoVariety;
  EXPECT_EQ(LayoutErrorText(none), "holds no variety: its first field, the number of varieties, is not 1 or more");
}

// ---- Differential: generated and mutated files ---------------------------

constexpr std::size_t kReadAhead = 64 * 1024;

// Well-formed files in every layout the dialogue reads, from a seed.
class FileMaker {
 public:
  explicit FileMaker(std::uint64_t seed) : random_(seed) {}

  std::string WellFormed() {
    const int varieties = Pick(1, 6);
    const int traits = Pick(0, 5);
    std::string file = Blanks() + std::to_string(varieties) + OneOf({" ", "\t", ",", "\n", "\r\n", " ,"}) +
                       Blanks() + std::to_string(traits) + LineEnd();
    names_at_ = file.size();
    for (int j = 0; j < traits; ++j) file += Blanks() + Name() + (j + 1 < traits ? NameEnd() : LineEnd());
    for (int i = 0; i < varieties; ++i) {
      file += Blanks() + Name() + (traits == 0 ? LineEnd() : NameEnd());
      for (int j = 0; j < traits; ++j) {
        file += Blanks() + Number() + (j + 1 < traits ? ValueSeparator() : LineEnd());
      }
    }
    return file + OneOf({"", "", "\n", "\r\n\r\n", "  \n\t"});
  }

  // A well-formed file whose first name is made so long that the end of the
  // channel's 64 KiB read-ahead falls among the next 40 bytes: fields met
  // in pieces. `tail` is where those bytes start.
  std::string Padded(std::size_t& tail) {
    std::string file = WellFormed();
    const std::size_t at = names_at_;
    const std::size_t pad = kReadAhead - at - static_cast<std::size_t>(Pick(0, 40));
    file.insert(at, pad, 'a');
    tail = at + pad;
    return file;
  }

  // `file` with one to three bytes from `from` on inserted, deleted, doubled,
  // or the end cut there.
  std::string Mutated(std::string file, std::size_t from = 0) {
    static const std::string kBytes = std::string(" ,\n\r\"\t.-&eEdxH9071", 18) + std::string(1, '\0');
    const int mutations = Pick(1, 3);
    for (int m = 0; m < mutations && file.size() > from; ++m) {
      const std::size_t at = from + static_cast<std::size_t>(Pick(0, static_cast<int>(file.size() - from) - 1));
      switch (Pick(0, 3)) {
        case 0: file.insert(at, 1, kBytes[static_cast<std::size_t>(Pick(0, static_cast<int>(kBytes.size()) - 1))]); break;
        case 1: file.erase(at, 1); break;
        case 2: file.insert(at, 1, file[at]); break;
        default: file.resize(at); break;
      }
    }
    return file;
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  std::string OneOf(std::initializer_list<const char*> choices) {
    return *(choices.begin() + Pick(0, static_cast<int>(choices.size()) - 1));
  }
  std::string Blanks() { return OneOf({"", "", "", " ", "\t", "  "}); }
  std::string LineEnd() { return OneOf({"\n", "\r\n"}); }
  std::string NameEnd() { return OneOf({",", ",", "\n", "\r\n", ", "}); }
  std::string ValueSeparator() { return OneOf({" ", " ", "\t", ",", " ,", ", ", "\n", "\r\n", "  "}); }
  std::string Name() {
    static const char* kParts[] = {"a", "Koshi", "\x83\x52\x83\x56", "\xE5\x93\x81", " ", "1", "x\ry", "\"p,q\"",
                                   "IR 64", "-"};
    std::string name;
    const int parts = Pick(0, 3);
    for (int k = 0; k < parts; ++k) name += kParts[Pick(0, 9)];
    if (!name.empty() && (name[0] == ' ' || name[0] == '\t')) name.insert(0, "n");
    return name;
  }
  std::string Digits(int low, int high) {
    std::string digits;
    const int count = Pick(low, high);
    for (int k = 0; k < count; ++k) digits += static_cast<char>('0' + Pick(0, 9));
    return digits;
  }
  std::string Number() {
    switch (Pick(0, 5)) {
      case 0: return Digits(1, 4);
      case 1: return OneOf({"", "-"}) + Digits(1, 3) + "." + Digits(0, 20);
      case 2: return OneOf({"", "-"}) + "." + Digits(1, 6);
      case 3: return OneOf({"&H", "&h"}) + OneOf({"1F", "ff", "0", "7fffffffffff"});
      case 4: return OneOf({"&O", "&o"}) + OneOf({"17", "0", "777", "1234567"});
      default: return Digits(1, 25);
    }
  }

  std::mt19937_64 random_;
  std::size_t names_at_ = 0;  // where the last well-formed file's names start
};

TEST_F(StrictLayoutTest, AgreesWithTheChannelReaderWhereverItAccepts) {
  int accepted_mutants = 0;
  int refused_mutants = 0;
  for (std::uint64_t seed = 1; seed <= 600; ++seed) {
    FileMaker maker(seed);
    // Every fourth file is padded to meet the read-ahead's end in its fields.
    std::size_t tail = 0;
    const std::string good = seed % 4 == 0 ? maker.Padded(tail) : maker.WellFormed();
    const std::string mutant = maker.Mutated(good, tail);
    {
      SCOPED_TRACE("well formed, seed " + std::to_string(seed));
      Collection strict;
      const LayoutError error = ReadStrictly(good, strict);
      EXPECT_TRUE(error.ok()) << Describe(error) << "\n" << good.substr(tail);
      ExpectSameCollection(strict, ReadByChannel(good));
    }
    SCOPED_TRACE("mutated, seed " + std::to_string(seed));
    Collection strict;
    const LayoutError error = ReadStrictly(mutant, strict);
    if (!error.ok()) {
      ++refused_mutants;
      EXPECT_GE(error.line, 1);
      continue;
    }
    ++accepted_mutants;
    ExpectSameCollection(strict, ReadByChannel(mutant));
  }
  // Both sides of the property are exercised.
  EXPECT_GT(accepted_mutants, 50);
  EXPECT_GT(refused_mutants, 50);
}

// The end of the channel's read-ahead can fall on any byte of a field, of
// what ends it, or of the blanks and comma skipped after it: the first trait
// name is padded so that it falls on each byte of a body that holds every
// kind of separator in turn.
TEST_F(StrictLayoutTest, AgreesWhereverTheReadAheadEnds) {
  const std::string head = "3 2\n";
  const std::string body = "A,B\r\nx,1 ,2\r\n\"q,r\" s\r\n-3.5\t \t,&h1F\ny\rz,4, 5  \n";
  for (std::size_t k = 0; k <= body.size(); ++k) {
    SCOPED_TRACE("the read-ahead ends at byte " + std::to_string(k) + " of the body");
    const std::string file = head + std::string(kReadAhead - head.size() - k, 'a') + body;
    Collection strict;
    const LayoutError error = ReadStrictly(file, strict);
    EXPECT_TRUE(error.ok()) << Describe(error);
    ASSERT_EQ(strict.varieties, 3);
    EXPECT_EQ(strict.Value(2, 1), 5.0);
    ExpectSameCollection(strict, ReadByChannel(file));
  }
}

}  // namespace
}  // namespace kyori
