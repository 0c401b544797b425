#include "kernels/report_cells.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "convert/number_to_text.h"

namespace kyori {
namespace {

constexpr char kCellCharacters[] = "0123456789.-e+";
constexpr uint32_t kEndCode = 15;

// The 4-bit code of each byte; -1 for a byte no distance cell holds.
struct CodeTable {
  int8_t code[256];
  constexpr CodeTable() : code() {
    for (int b = 0; b < 256; ++b) code[b] = -1;
    for (int k = 0; kCellCharacters[k] != '\0'; ++k) code[static_cast<unsigned char>(kCellCharacters[k])] = static_cast<int8_t>(k);
  }
};
constexpr CodeTable kCodes;

int CodeOf(char c) { return kCodes.code[static_cast<unsigned char>(c)]; }

// The cell "NA", whose first character has no code: its own packed word.
bool PackMissingCell(const FormattedCell& cell, uint32_t* packed) {
  if (std::string_view(cell.bytes, cell.length) != kMissingCell) return false;
  *packed = kPackedMissingCell;
  return true;
}

// The text of a cell: "NA", the zero cell or the number's first characters.
std::string_view ChosenText(double value, ZeroRule rule, const char* text, int length, NanCell nan) {
  if (nan == NanCell::kMissing && std::isnan(value)) return kMissingCell;
  if (PrintsAsZero(value, rule)) return kZeroCell;
  return std::string_view(text, static_cast<std::size_t>(length < CellWidth ? length : CellWidth));
}

}  // namespace

bool PrintsAsZero(double value, ZeroRule rule) {
  if (std::isnan(value)) return true;
  return rule == ZeroRule::kStandardized ? value == 0 : value < DistanceZeroThreshold;
}

FormattedCell CellFor(double value, ZeroRule rule, const char* text, int length, NanCell nan) {
  FormattedCell cell;
  const std::string_view chosen = ChosenText(value, rule, text, length, nan);
  std::memcpy(cell.bytes, chosen.data(), chosen.size());
  cell.length = static_cast<uint8_t>(chosen.size());
  return cell;
}

bool PackCell(const FormattedCell& cell, uint32_t* packed) {
  uint32_t word = 0;
  int k = 0;
  for (; k < cell.length; ++k) {
    const int code = CodeOf(cell.bytes[k]);
    if (code < 0) return PackMissingCell(cell, packed);
    word |= static_cast<uint32_t>(code) << (4 * k);
  }
  if (k < CellWidth) word |= 0xFFFFFFFFu << (4 * k);  // end codes fill the rest
  *packed = word;
  return true;
}

char* UnpackShortCell(uint32_t packed, char* out) {
  if (packed == kPackedMissingCell) return std::copy(kMissingCell.begin(), kMissingCell.end(), out);
  for (int k = 0; k < CellWidth; ++k, packed >>= 4) {
    const uint32_t code = packed & kEndCode;
    if (code == kEndCode) break;
    *out++ = kCellCharacters[code];
  }
  return out;
}

char* AppendCells(const double* values, int count, ZeroRule rule, char* out, NanCell nan) {
  // The numbers are formatted a block at a time, side by side.
  constexpr int kBlock = 64;
  char texts[kBlock * kNumberTextMax];
  int lengths[kBlock];
  for (int start = 0; start < count; start += kBlock) {
    const int block = count - start < kBlock ? count - start : kBlock;
    NumbersToChars(values + start, block, texts, lengths);
    for (int t = 0; t < block; ++t) {
      const FormattedCell cell = CellFor(values[start + t], rule, texts + t * kNumberTextMax, lengths[t], nan);
      std::memcpy(out, cell.bytes, cell.length);
      out += cell.length;
      *out++ = ' ';
    }
  }
  return out;
}

}  // namespace kyori
