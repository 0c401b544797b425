#include "dialogue/report.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "dialogue/calculator_data.h"
#include "dialogue/console_lines.h"
#include "kernels/report_cells.h"
#include "convert/number_to_text.h"
#include "convert/picture_template.h"
#include "io/template_printer.h"
#include "io/channels.h"
#include "text/texts.h"
#include "numeric/elementary.h"

namespace kyori {
namespace {

constexpr int32_t kOutputChannel = 1;
constexpr int kNameWidth = 10;

// The cells of one row. The numbers of a row are formatted together, and the
// row goes to each copy as one write: every cell followed by one blank, the
// same bytes as cell by cell. The report writes 2 n (n + m) cells.
struct CellRow {
  int count = 0;
  double squared[kSlots];  // a distance row's squared distances
  double values[kSlots];
  FormattedCell cells[kSlots];
  char texts[kSlots * kNumberTextMax];
  int lengths[kSlots];
  char bytes[kSlots * (CellWidth + 1)];
};
CellRow Row;

// Formats Row.values[0 .. count) into Row.cells under `rule`.
void FormatRowCells(ZeroRule rule) {
  NumbersToChars(Row.values, Row.count, Row.texts, Row.lengths);
  for (int t = 0; t < Row.count; ++t) {
    Row.cells[t] = CellFor(Row.values[t], rule, Row.texts + t * kNumberTextMax, Row.lengths[t]);
  }
}

// Writes Row.cells[0 .. count), each with its blank, to the console and the
// file; CellValue keeps the last cell's value.
void WriteRowCells(double last_value) {
  char* out = Row.bytes;
  for (int t = 0; t < Row.count; ++t) {
    std::memcpy(out, Row.cells[t].bytes, Row.cells[t].length);
    out += Row.cells[t].length;
    *out++ = ' ';
  }
  const std::string_view bytes(Row.bytes, static_cast<std::size_t>(out - Row.bytes));
  WriteBytesToConsole(bytes);
  WriteBytesToChannel(kOutputChannel, bytes);
  if (Row.count > 0) CellValue = last_value;
}

// The distance cells already written, by [row][column], for the mirror
// triangle: the squared distances are symmetric bit for bit, so the cell of
// (i, j) is the cell of (j, i), formatted once. A pair whose two squared
// distances differ in any bit is formatted on its own.
// Left unfilled: a cell is read only after its row has written it, so the
// pages of a small table's unused part are never touched.
std::unique_ptr<FormattedCell[]> DistanceCells;

bool SameBits(float a, float b) {
  uint32_t x;
  uint32_t y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

// Fills Row with the distance cells of row i, columns 1 to n by the loop of
// CounterJ: mirrored cells from DistanceCells, the others formatted together
// and kept there. Returns the value of the row's last cell.
double FormatDistanceRow(int i) {
  int columns[kSlots];
  bool mirrored[kSlots];
  int count = 0;
  int computed = 0;
  for (CounterJ = 1; CounterJ <= VarietyCount; CounterJ = CounterJ + 1) {
    const int j = SlotOf(CounterJ);
    columns[count] = j;
    mirrored[count] = j < i && SameBits(DistanceMatrix[i][j], DistanceMatrix[j][i]);
    if (!mirrored[count]) Row.squared[computed++] = static_cast<double>(DistanceMatrix[i][j]);
    ++count;
  }
  HalfPowers(Row.squared, Row.values, computed);  // Power(squared, 0.5) for each
  Row.count = computed;
  FormatRowCells(ZeroRule::kDistance);
  const double last_value = computed > 0 ? Row.values[computed - 1] : CellValue;
  FormattedCell formatted[kSlots];
  std::memcpy(formatted, Row.cells, sizeof(FormattedCell) * static_cast<std::size_t>(computed));
  for (int t = 0, next = 0; t < count; ++t) {
    const int j = columns[t];
    if (mirrored[t]) {
      Row.cells[t] = DistanceCells[static_cast<std::size_t>(j) * kSlots + i];
    } else {
      Row.cells[t] = formatted[next++];
      DistanceCells[static_cast<std::size_t>(i) * kSlots + j] = Row.cells[t];
    }
  }
  Row.count = count;
  return last_value;
}

// Keeps the last cell's text in CellText, as the report leaves it.
void KeepLastCellText(ZeroRule rule) {
  if (PrintsAsZero(CellValue, rule)) {
    CellText = TextFromBytes(kZeroCell);
  } else {
    CellText = LeftOfText(NumberToText(CellValue), CellWidth);
  }
}

void PrintCounter(std::string_view picture, double value) {
  TemplateArguments.numbers[0] = value;
  PrintWithTemplate(TextFromBytes(picture));
}

void WriteHeadingBoth(std::string_view heading) {
  WriteConsoleLine(heading);
  WriteChannelLine(kOutputChannel, heading);
}

// Console: the name, one blank and |10 - L| filler blanks, as one write.
void WritePaddedName(const ByteString& name) {
  const double filler = AbsValue(kNameWidth - ToDouble(name.Size()));
  WriteToConsole(ConcatByteStrings(ConcatByteStrings(CopyOfText(name), TextFromBytes(" ")),
                                   SpacesText(static_cast<int32_t>(filler))));
}

}  // namespace

void WriteStandardizedSection() {
  WriteHeadingBoth(texts::kStandardizedHeading.bytes);
  for (CounterI = 1; CounterI <= VarietyCount; CounterI = CounterI + 1) {
    const double* row = TraitValues[SlotOf(CounterI)];
    Row.count = 0;
    for (CounterJ = 1; CounterJ <= TraitCount; CounterJ = CounterJ + 1) {
      Row.values[Row.count++] = row[SlotOf(CounterJ)];
    }
    FormatRowCells(ZeroRule::kStandardized);
    WriteRowCells(Row.count > 0 ? Row.values[Row.count - 1] : CellValue);
    WriteChannelLine(kOutputChannel, " ");
    WriteConsoleText(kLineEnd);
  }
  KeepLastCellText(ZeroRule::kStandardized);
  WriteHeadingBoth(texts::kResultsHeading.bytes);
}

void WriteDistanceSection() {
  DistanceCells = std::make_unique_for_overwrite<FormattedCell[]>(static_cast<std::size_t>(kSlots) * kSlots);
  WriteToConsole(SpacesText(18));
  for (CounterI = 1; CounterI <= VarietyCount; CounterI = CounterI + 1) {
    PrintCounter("####", CounterI);
  }
  WriteConsoleText(kLineEnd);
  for (CounterI = 1; CounterI <= VarietyCount; CounterI = CounterI + 1) {
    const int i = SlotOf(CounterI);
    WriteToChannel(kOutputChannel, CopyOfText(VarietyNames[i]));
    PrintCounter("#########", CounterI);
    WriteToConsole(SpacesText(1));
    WritePaddedName(VarietyNames[i]);
    WriteBytesToChannel(kOutputChannel, "  ");
    WriteBytesToConsole("  ");
    WriteRowCells(FormatDistanceRow(i));
    WriteChannelLine(kOutputChannel, " ");
    WriteConsoleText(kLineEnd);
  }
  KeepLastCellText(ZeroRule::kDistance);
  DistanceCells.reset();
}

}  // namespace kyori
