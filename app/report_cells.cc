#include "app/report_cells.h"

#include <cmath>
#include <cstring>

#include "convert/number_to_text.h"

namespace kyori {

bool PrintsAsZero(double value, ZeroRule rule) {
  if (std::isnan(value)) return true;
  return rule == ZeroRule::kStandardized ? value == 0 : value < DistanceZeroThreshold;
}

FormattedCell CellFor(double value, ZeroRule rule, const char* text, int length) {
  FormattedCell cell;
  const std::string_view chosen =
      PrintsAsZero(value, rule)
          ? kZeroCell
          : std::string_view(text, static_cast<std::size_t>(length < CellWidth ? length : CellWidth));
  std::memcpy(cell.bytes, chosen.data(), chosen.size());
  cell.length = static_cast<uint8_t>(chosen.size());
  return cell;
}

char* AppendCells(const double* values, int count, ZeroRule rule, char* out) {
  // The numbers are formatted a block at a time, side by side.
  constexpr int kBlock = 64;
  char texts[kBlock * kNumberTextMax];
  int lengths[kBlock];
  for (int start = 0; start < count; start += kBlock) {
    const int block = count - start < kBlock ? count - start : kBlock;
    NumbersToChars(values + start, block, texts, lengths);
    for (int t = 0; t < block; ++t) {
      const FormattedCell cell = CellFor(values[start + t], rule, texts + t * kNumberTextMax, lengths[t]);
      std::memcpy(out, cell.bytes, cell.length);
      out += cell.length;
      *out++ = ' ';
    }
  }
  return out;
}

}  // namespace kyori
