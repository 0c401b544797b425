// The report's cells: each number is the first 8 bytes of its general text
// (the whole text when shorter), or "0.000000" for a standardized value of
// exactly 0, a distance below DistanceZeroThreshold, and a NaN. In the
// report every cell is followed by one blank.
//
// Examples (standardized): 1.234567891 -> "1.234567", -0.5 -> "-0.5",
// 0 -> "0.000000", 0.00002 ("2.00000000000000e-05") -> "2.000000".
// Examples (distance): 0.000001 -> "0.000000", 2.5 -> "2.5".
//
// Where the data have missing values, a NaN is one of them (a standardized
// value) or a pair without a distance, and its cell is "NA" instead
// (NanCell::kMissing). "NA" is not padded: a cell is as long as its text
// ("2.5" takes 3 characters), and the report's columns are found by the
// blanks between the cells, as a spreadsheet imports them with the blank as
// the delimiter; padding would add empty columns there.
#ifndef KYORI_KERNELS_REPORT_CELLS_H_
#define KYORI_KERNELS_REPORT_CELLS_H_

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kyori {

inline constexpr int CellWidth = 8;
inline constexpr double DistanceZeroThreshold = 0x1.4f8b588e368f1p-17;  // 3EE4F8B588E368F1, 0.00001
inline constexpr std::string_view kZeroCell = "0.000000";

enum class ZeroRule { kStandardized, kDistance };

// The cell of a NaN: the zero cell, as the dialogue writes a NaN that comes
// of arithmetic beyond the doubles; or kMissingCell, where a NaN is a
// missing value.
enum class NanCell { kZero, kMissing };
inline constexpr std::string_view kMissingCell = "NA";

bool PrintsAsZero(double value, ZeroRule rule);

// One cell as written; the blank after it is not held.
struct FormattedCell {
  char bytes[CellWidth];
  uint8_t length;
};

// The cell of `value` whose general text is text[0 .. length) (for a NaN
// with NanCell::kMissing the text is not read).
FormattedCell CellFor(double value, ZeroRule rule, const char* text, int length, NanCell nan = NanCell::kZero);

// A distance cell in four bytes: its at most 8 characters, each one of
// "0123456789.-e+" (all that a cell of a distance can hold), as 4-bit codes,
// the first character in the lowest bits; a code of 15 ends a shorter cell.
// The one code left, 14, stands for the whole cell "NA" (kPackedMissingCell):
// no character has it, so no number's cell packs to it. PackCell returns
// false for a cell holding any other character.
// Examples: "2.5" -> 0xFFFFF5A2; "0.000000" -> 0x000000A0; "NA" -> 0xFFFFFFFE.
inline constexpr uint32_t kPackedMissingCell = 0xFFFFFFFEu;
bool PackCell(const FormattedCell& cell, uint32_t* packed);
// Writes the cell's characters at `out`; returns the end. A cell of 8
// digits and points, as most distances have, is written as one word (8
// bytes at `out`); any other takes UnpackShortCell.
char* UnpackShortCell(uint32_t packed, char* out);
inline char* UnpackCell(uint32_t packed, char* out) {
  // The 8 codes, code k in byte k (the lowest first): 0x760632A2 -> 0x0706000603020A02.
  uint64_t t = packed;
  t = (t | (t << 16)) & 0x0000FFFF0000FFFFull;
  t = (t | (t << 8)) & 0x00FF00FF00FF00FFull;
  t = (t | (t << 4)) & 0x0F0F0F0F0F0F0F0Full;
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  // A code of 11 or more (a sign, 'e', '+', the end code) reaches 0x80 in its byte.
  if (std::endian::native != std::endian::little || ((t + 0x75 * kOnes) & (0x80 * kOnes)) != 0) {
    return UnpackShortCell(packed, out);
  }
  const uint64_t points = ((t + 0x76 * kOnes) & (0x80 * kOnes)) >> 7;  // 1 in each byte of code 10
  const uint64_t characters = t + '0' * kOnes - points * ('0' + 10 - '.');
  std::memcpy(out, &characters, sizeof characters);
  return out + CellWidth;
}

// Writes the cells of values[0 .. count), each followed by one blank, at
// `out` (room for count * (CellWidth + 1) bytes); returns the end.
//   {1.5, NaN, -0.25}, kStandardized, kMissing -> "1.5 NA -0.25 "
char* AppendCells(const double* values, int count, ZeroRule rule, char* out, NanCell nan = NanCell::kZero);

}  // namespace kyori

#endif  // KYORI_KERNELS_REPORT_CELLS_H_
