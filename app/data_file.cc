#include "app/data_file.h"

#include "app/calculator_data.h"
#include "app/console_lines.h"
#include "convert/number_to_text.h"
#include "convert/picture_template.h"
#include "io/channels.h"
#include "io/input_statement.h"
#include "io/texts.h"
#include "numeric/elementary.h"

namespace kyori {
namespace {

constexpr int32_t kDataChannel = 1;
constexpr int kNameWidth = 10;

void ReadNumber(double* target) {
  SetSingleTarget(target, KindFloat64);
  ReadFromChannel(kDataChannel);
}

void ReadName(ByteString* target) {
  SetSingleTarget(target, KindText);
  ReadFromChannel(kDataChannel);
}

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

void EchoValue(double value) {
  char text[kNumberTextMax + 2];
  const int length = NumberToChars(value, text);
  text[length] = ' ';
  text[length + 1] = ' ';
  WriteBytesToConsole(std::string_view(text, static_cast<std::size_t>(length) + 2));
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
    for (CounterJ = 1; CounterJ <= TraitCount; CounterJ = CounterJ + 1) {
      double& value = TraitValues[i][SlotOf(CounterJ)];
      ReadNumber(&value);
      EchoValue(value);
    }
    WriteConsoleText(kLineEnd);
  }
  CloseChannel(kDataChannel);
  return DataFileOutcome::kRead;
}

}  // namespace kyori
