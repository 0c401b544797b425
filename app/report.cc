#include "app/report.h"

#include <cmath>
#include <string_view>

#include "app/calculator_data.h"
#include "app/console_lines.h"
#include "convert/number_to_text.h"
#include "convert/picture_template.h"
#include "io/channels.h"
#include "io/texts.h"
#include "numeric/elementary.h"

namespace kyori {
namespace {

constexpr int32_t kOutputChannel = 1;
constexpr int kNameWidth = 10;
constexpr std::string_view kZeroCell = "0.000000";
constexpr double kHalf = 1.0 / 2.0;

enum class ZeroRule { kStandardized, kDistance };

bool PrintsAsZero(double value, ZeroRule rule) {
  if (std::isnan(value)) return true;
  return rule == ZeroRule::kStandardized ? value == 0 : value < DistanceZeroThreshold;
}

// One cell: the first CellWidth bytes of the value's text (the whole text when
// shorter), or the zero text; then one blank, in both copies. The text is cut
// in place rather than through a heap text per cell: the report writes
// 2 n (n + m) cells.
void WriteCell(double value, ZeroRule rule) {
  CellValue = value;
  char text[kNumberTextMax];
  std::string_view cell = kZeroCell;
  if (!PrintsAsZero(CellValue, rule)) {
    const int length = NumberToChars(CellValue, text);
    cell = std::string_view(text, static_cast<std::size_t>(length < CellWidth ? length : CellWidth));
  }
  WriteBytesToConsole(cell);
  WriteBytesToChannel(kOutputChannel, cell);
  WriteBytesToConsole(" ");
  WriteBytesToChannel(kOutputChannel, " ");
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
    for (CounterJ = 1; CounterJ <= TraitCount; CounterJ = CounterJ + 1) {
      WriteCell(row[SlotOf(CounterJ)], ZeroRule::kStandardized);
    }
    WriteChannelLine(kOutputChannel, " ");
    WriteConsoleText(kLineEnd);
  }
  KeepLastCellText(ZeroRule::kStandardized);
  WriteHeadingBoth(texts::kResultsHeading.bytes);
}

void WriteDistanceSection() {
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
    for (CounterJ = 1; CounterJ <= VarietyCount; CounterJ = CounterJ + 1) {
      const double squared = static_cast<double>(DistanceMatrix[i][SlotOf(CounterJ)]);
      WriteCell(Power(squared, kHalf), ZeroRule::kDistance);
    }
    WriteChannelLine(kOutputChannel, " ");
    WriteConsoleText(kLineEnd);
  }
  KeepLastCellText(ZeroRule::kDistance);
}

}  // namespace kyori
