// The report's cells (kernels/report_cells.h): which numbers print as the zero
// cell, the cut to 8 characters, and the four-byte packing of distance cells.
//
// A packed cell holds up to 8 characters of "0123456789.-e+" (14 of them), so
// there are sum(14^k, k = 0..8), about 1.6e9, cell texts: every one of up to
// 6 characters (8.2 million) is packed and unpacked here; for 7 and 8
// characters every character at every position, and the texts that real
// distances give.
#include "kernels/report_cells.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "convert/number_to_text.h"

namespace kyori {
namespace {

constexpr std::string_view kAlphabet = "0123456789.-e+";

FormattedCell CellOf(std::string_view text) {
  FormattedCell cell;
  std::memcpy(cell.bytes, text.data(), text.size());
  cell.length = static_cast<uint8_t>(text.size());
  return cell;
}

// Packs and unpacks `text`; the unpacked text, or "<refused>".
std::string RoundTrip(std::string_view text) {
  uint32_t packed = 0;
  if (!PackCell(CellOf(text), &packed)) return "<refused>";
  char out[CellWidth + 1];
  const char* end = UnpackCell(packed, out);
  return std::string(out, static_cast<std::size_t>(end - out));
}

std::string TextOf(double value) {
  char text[kNumberTextMax];
  return std::string(text, static_cast<std::size_t>(NumberToChars(value, text)));
}

std::string CellText(double value, ZeroRule rule) {
  const std::string text = TextOf(value);
  const FormattedCell cell = CellFor(value, rule, text.data(), static_cast<int>(text.size()));
  return std::string(cell.bytes, cell.length);
}

TEST(ReportCellsTest, WorkedExamples) {
  struct Case {
    double value;
    ZeroRule rule;
    const char* cell;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {1.234567891, ZeroRule::kStandardized, "1.234567"},
      {-0.5, ZeroRule::kStandardized, "-0.5"},
      {0, ZeroRule::kStandardized, "0.000000"},
      {-0.0, ZeroRule::kStandardized, "0.000000"},
      {0.00002, ZeroRule::kStandardized, "2.000000"},  // "2.00000000000000e-05" cut
      {1e-300, ZeroRule::kStandardized, "1.000000"},   // not zero: no threshold for values
      {nan, ZeroRule::kStandardized, "0.000000"},
      {0.000001, ZeroRule::kDistance, "0.000000"},
      {2.5, ZeroRule::kDistance, "2.5"},
      {nan, ZeroRule::kDistance, "0.000000"},
      {DistanceZeroThreshold, ZeroRule::kDistance, "1.000000"},  // "1.00000000000000e-05"
      {std::nextafter(DistanceZeroThreshold, 0.0), ZeroRule::kDistance, "0.000000"},
      {123456789.0, ZeroRule::kDistance, "12345678"},
      {1e20, ZeroRule::kDistance, "1.000000"},
      {12345.6789, ZeroRule::kDistance, "12345.67"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CellText(c.value, c.rule), c.cell) << TextOf(c.value);
  }
}

TEST(ReportCellsTest, PackedLayoutOfTheHeaderExamples) {
  uint32_t packed = 0;
  ASSERT_TRUE(PackCell(CellOf("2.5"), &packed));
  EXPECT_EQ(packed, 0xFFFFF5A2u);
  ASSERT_TRUE(PackCell(CellOf("0.000000"), &packed));
  EXPECT_EQ(packed, 0x000000A0u);
  ASSERT_TRUE(PackCell(CellOf(""), &packed));
  EXPECT_EQ(packed, 0xFFFFFFFFu);
}

// Every cell text of up to 6 characters, in order of its characters' codes,
// like the digits of a number in base 14.
TEST(ReportCellsTest, EveryCellOfUpToSixCharactersRoundTrips) {
  long checked = 0;
  for (int length = 0; length <= 6; ++length) {
    std::vector<int> digit(static_cast<std::size_t>(length), 0);
    std::string text(static_cast<std::size_t>(length), kAlphabet[0]);
    for (;;) {
      uint32_t packed = 0;
      ASSERT_TRUE(PackCell(CellOf(text), &packed)) << text;
      char out[CellWidth];
      const char* end = UnpackCell(packed, out);
      ASSERT_EQ(std::string_view(out, static_cast<std::size_t>(end - out)), text);
      ++checked;
      int k = 0;
      for (; k < length; ++k) {
        if (++digit[k] < static_cast<int>(kAlphabet.size())) break;
        digit[k] = 0;
      }
      if (k == length) break;
      for (int j = 0; j <= k && j < length; ++j) text[j] = kAlphabet[digit[j]];
    }
  }
  EXPECT_EQ(checked, 1 + 14 + 196 + 2744 + 38416 + 537824 + 7529536);
}

// 7 and 8 characters: each character at each position, the others a
// rotation of the alphabet, so every code sits beside every position.
TEST(ReportCellsTest, EveryCharacterAtEveryPositionOfLongCellsRoundTrips) {
  for (int length = 7; length <= CellWidth; ++length) {
    for (int at = 0; at < length; ++at) {
      for (std::size_t c = 0; c < kAlphabet.size(); ++c) {
        for (std::size_t shift = 0; shift < kAlphabet.size(); ++shift) {
          std::string text;
          for (int k = 0; k < length; ++k) text += kAlphabet[(k + shift) % kAlphabet.size()];
          text[static_cast<std::size_t>(at)] = kAlphabet[c];
          ASSERT_EQ(RoundTrip(text), text);
        }
      }
    }
  }
}

TEST(ReportCellsTest, ACellHoldingAnyOtherByteIsRefused) {
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    if (kAlphabet.find(byte) != std::string_view::npos) continue;
    for (int length = 1; length <= CellWidth; ++length) {
      for (int at = 0; at < length; ++at) {
        std::string text(static_cast<std::size_t>(length), '1');
        text[static_cast<std::size_t>(at)] = byte;
        uint32_t packed = 0x12345678;
        EXPECT_FALSE(PackCell(CellOf(text), &packed)) << b << " at " << at;
      }
    }
  }
  // "inf", which no distance prints, is refused too.
  EXPECT_EQ(RoundTrip(TextOf(std::numeric_limits<double>::infinity())), "<refused>");
}

// The cells that distances give, over every magnitude the report can meet:
// each packs, and unpacks to its own characters.
TEST(ReportCellsTest, TheCellOfEveryKindOfDistanceRoundTrips) {
  std::vector<double> distances = {0, std::numeric_limits<double>::quiet_NaN(), DistanceZeroThreshold,
                                   std::nextafter(DistanceZeroThreshold, 1.0), std::sqrt(2.0),
                                   std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()};
  for (int exponent = -6; exponent <= 308; ++exponent) {
    for (const double mantissa : {1.0, 1.5, 2.2360679774997896, 9.99999999999999, 9.999999999999998}) {
      const double d = mantissa * std::pow(10.0, exponent);
      if (std::isfinite(d)) distances.push_back(d);
    }
  }
  for (const double d : distances) {
    const std::string cell = CellText(d, ZeroRule::kDistance);
    EXPECT_LE(cell.size(), static_cast<std::size_t>(CellWidth));
    EXPECT_EQ(RoundTrip(cell), cell) << TextOf(d);
  }
}

// AppendCells formats 64 numbers at a time: across a block's end each cell
// is the one CellFor gives, each followed by its blank.
TEST(ReportCellsTest, AppendCellsAcrossBlocks) {
  std::vector<double> values;
  for (int i = 0; i < 130; ++i) values.push_back(i % 5 == 0 ? 0.0 : (i - 65) / 7.0);
  std::string expected;
  for (const double v : values) expected += CellText(v, ZeroRule::kStandardized) + " ";
  std::string out(values.size() * (CellWidth + 1), '?');
  const char* end = AppendCells(values.data(), static_cast<int>(values.size()), ZeroRule::kStandardized, out.data());
  EXPECT_EQ(std::string(out.data(), static_cast<std::size_t>(end - out.data())), expected);
  EXPECT_EQ(AppendCells(values.data(), 0, ZeroRule::kStandardized, out.data()), out.data());
}

// Where a NaN is a missing value its cell is "NA", for values and distances
// alike; a NaN's cell stays the zero cell otherwise (WorkedExamples), and no
// number's cell changes.
TEST(ReportCellsTest, AMissingValueIsTheCellNA) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double value;
    ZeroRule rule;
    const char* cell;
  };
  const Case cases[] = {
      {nan, ZeroRule::kStandardized, "NA"}, {-nan, ZeroRule::kStandardized, "NA"}, {nan, ZeroRule::kDistance, "NA"},
      {0, ZeroRule::kStandardized, "0.000000"}, {0.000001, ZeroRule::kDistance, "0.000000"},
      {-0.5, ZeroRule::kStandardized, "-0.5"},  {2.2360679774997896, ZeroRule::kDistance, "2.236067"},
  };
  for (const Case& c : cases) {
    const std::string text = TextOf(c.value);
    const FormattedCell cell = CellFor(c.value, c.rule, text.data(), static_cast<int>(text.size()), NanCell::kMissing);
    EXPECT_EQ(std::string(cell.bytes, cell.length), c.cell) << text;
  }
  const double values[] = {1.5, nan, -0.25};
  char out[3 * (CellWidth + 1)];
  const char* end = AppendCells(values, 3, ZeroRule::kStandardized, out, NanCell::kMissing);
  EXPECT_EQ(std::string(out, static_cast<std::size_t>(end - out)), "1.5 NA -0.25 ");
}

// "NA" packs to the one code no character has, and back; texts near it are
// still refused.
TEST(ReportCellsTest, TheCellNAPacksToItsOwnWord) {
  uint32_t packed = 0;
  ASSERT_TRUE(PackCell(CellOf("NA"), &packed));
  EXPECT_EQ(packed, kPackedMissingCell);
  EXPECT_EQ(RoundTrip("NA"), "NA");
  for (const char* text : {"N", "NAN", "NA1", "1NA", "na", "A"}) {
    EXPECT_EQ(RoundTrip(text), "<refused>") << text;
  }
}

}  // namespace
}  // namespace kyori
