#include "dialogue/data_file.h"

#include <cstring>
#include <string_view>

#include "dialogue/calculator_data.h"
#include "dialogue/console_lines.h"
#include "kernels/data_fields.h"
#include "convert/number_to_text.h"
#include "convert/picture_template.h"
#include "io/template_printer.h"
#include "io/channels.h"
#include "io/input_statement.h"
#include "text/texts.h"
#include "numeric/elementary.h"

namespace kyori {
namespace {

constexpr int32_t kDataChannel = 1;
constexpr int kNameWidth = 10;

void ReadNumber(double* target) { ReadNumberField(kDataChannel, target); }

void ReadName(ByteString* target) { ReadNameField(kDataChannel, target); }

// The counts line: the variety count through "##" (two places, cut when
// wider), the trait count in the general format.
void EchoCounts() {
  WriteConsoleText(texts::kCountsEchoVarieties.bytes);
  TemplateArguments.numbers[0] = VarietyCount;
  PrintWithTemplate(TextFromBytes("##"));
  WriteConsoleText(texts::kCountsEchoTraits.bytes);
  WriteToConsole(ConcatByteStrings(NumberToText(TraitCount), TextFromBytes(kLineEnd)));
}

// A variety name, one blank, and |10 - L| more blanks, L the name's bytes.
void EchoVarietyName(const ByteString& name) {
  WriteToConsole(CopyOfText(name));
  WriteConsoleText(" ");
  const double filler = AbsValue(kNameWidth - ToDouble(name.Size()));
  WriteToConsole(SpacesText(static_cast<int32_t>(filler)));
}

// The values of one variety, read before they are echoed: the echo of a row
// is formatted together and written as one piece, each value followed by two
// blanks, the same bytes as value by value.
struct EchoRow {
  int count = 0;
  double values[kSlots];
  char texts[kSlots * kNumberTextMax];
  int lengths[kSlots];
  char bytes[kSlots * (kNumberTextMax + 2)];
};
EchoRow Echo;

void EchoValues() {
  NumbersToChars(Echo.values, Echo.count, Echo.texts, Echo.lengths);
  char* out = Echo.bytes;
  for (int t = 0; t < Echo.count; ++t) {
    std::memcpy(out, Echo.texts + t * kNumberTextMax, static_cast<std::size_t>(Echo.lengths[t]));
    out += Echo.lengths[t];
    *out++ = ' ';
    *out++ = ' ';
  }
  WriteBytesToConsole(std::string_view(Echo.bytes, static_cast<std::size_t>(out - Echo.bytes)));
}

}  // namespace

DataFileOutcome ReadDataFile() {
  ReadNumber(&VarietyCount);
  ReadNumber(&TraitCount);
  if (VarietyCount >= kCapacity + 1 || TraitCount >= kCapacity + 1) {
    CloseChannel(kDataChannel);
    return DataFileOutcome::kOverCapacity;
  }
  EchoCounts();
  WriteConsoleLine(texts::kInputDataIs.bytes);
  WriteConsoleText(texts::kNameHeading.bytes);
  for (CounterI = 1; CounterI <= TraitCount; CounterI = CounterI + 1) {
    ByteString& name = TraitNames[SlotOf(CounterI)];
    ReadName(&name);
    WriteToConsole(CopyOfText(name));
    WriteConsoleText("   ");
  }
  WriteConsoleText(kLineEnd);
  for (CounterI = 1; CounterI <= VarietyCount; CounterI = CounterI + 1) {
    const int i = SlotOf(CounterI);
    ReadName(&VarietyNames[i]);
    EchoVarietyName(VarietyNames[i]);
    Echo.count = 0;
    for (CounterJ = 1; CounterJ <= TraitCount; CounterJ = CounterJ + 1) {
      double& value = TraitValues[i][SlotOf(CounterJ)];
      ReadNumber(&value);
      Echo.values[Echo.count++] = value;
    }
    EchoValues();
    WriteConsoleText(kLineEnd);
  }
  CloseChannel(kDataChannel);
  return DataFileOutcome::kRead;
}

}  // namespace kyori
