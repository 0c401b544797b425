#include "dialogue/run_sequence.h"

#include <initializer_list>
#include <string_view>

#include "dialogue/calculator_data.h"
#include "dialogue/console_lines.h"
#include "dialogue/data_file.h"
#include "dialogue/report.h"
#include "kernels/data_fields.h"
#include "dialogue/calculation.h"
#include "convert/number_to_text.h"
#include "convert/picture_template.h"
#include "io/channels.h"
#include "io/input_statement.h"
#include "platform/platform.h"
#include "text/texts.h"

namespace kyori {
namespace {

constexpr int32_t kFileChannel = 1;

// The exit status of the run so far: 1 once standard input ended where a
// question had to be asked again, or once a write to the output file failed.
struct RunState {
  int exit_status = 0;
  bool write_failure_reported = false;
};

void StartUp() {
  InitRuntime();
  for (ByteString& slot : TemplateArguments.texts) slot = NewByteString(0);
  TakeConsoleHandles();
  platform::BeginConsoleSession();
}

void WriteConsoleLines(std::initializer_list<std::string_view> lines) {
  for (std::string_view line : lines) WriteConsoleLine(line);
}

void WriteIntroduction() {
  WriteConsoleLines({texts::kIntro1.bytes, texts::kIntro2.bytes, texts::kIntro3.bytes,
                     texts::kIntro4.bytes, texts::kIntro5.bytes, texts::kIntro6.bytes, ""});
}

// Asks for a file name until one opens on channel 1 in `mode`. Returns false
// when standard input has ended, so that the question cannot be asked again.
bool AskForFile(const texts::SjisText& prompt, OpenMode mode, ByteString* name,
                const texts::SjisText& failure) {
  for (;;) {
    SetSingleTarget(name, KindText);
    if (!ReadFromConsole(TextFromBytes(prompt.bytes))) return false;
    OpenChannel(CopyOfText(*name), mode, kFileChannel);
    if (ChannelIsOpen(kFileChannel)) return true;
    WriteConsoleLine(failure.bytes);
    if (ConsoleInputEnded()) return false;
  }
}

void ResetNamesAndSums() {
  for (int k = 0; k < kSlots; ++k) {
    VarietyNames[k] = NewByteString(0);
    TraitNames[k] = NewByteString(0);
  }
  TraitMean = 0;
  TraitSpread = 0;
}

// The "? " prompt of the stops; its reply, as a single, is not used.
bool AskStopPrompt() {
  SetSingleTarget(&TraitSpread, KindFloat32);
  return ReadFromConsole(TextFromBytes(texts::kStopPrompt.bytes));
}

void WriteIdenticalDataMessage() {
  WriteToConsole(NumberToText(CounterJ));
  WriteConsoleText(" ");
  WriteConsoleLine(texts::kIdenticalData.bytes);
}

void ReportWriteFailure(RunState& run) {
  if (run.write_failure_reported) return;
  WriteConsoleLine(texts::kWriteFailed.bytes);
  run.write_failure_reported = true;
  run.exit_status = 1;
}

void WriteClosingAdvice() {
  WriteConsoleLines({"", texts::kAdvice1.bytes, texts::kAdvice2.bytes, texts::kAdvice3.bytes,
                     texts::kAdvice4.bytes, texts::kAdvice5.bytes, texts::kAdvice6.bytes});
}

// The end of every run: channel 1 closed (a late write failure reported),
// every text released, the console flushed.
int EndRun(RunState& run) {
  if (!CloseChannel(kFileChannel)) ReportWriteFailure(run);
  for (ByteString& slot : TemplateArguments.texts) slot.Reset();
  InputFileName.Reset();
  OutputFileName.Reset();
  CellText.Reset();
  for (int k = 0; k < kSlots; ++k) {
    VarietyNames[k].Reset();
    TraitNames[k].Reset();
  }
  FlushConsoleOutput();
  platform::EndConsoleSession();
  return run.exit_status;
}

int EndAfterInputEnded(RunState& run) {
  run.exit_status = 1;
  return EndRun(run);
}

}  // namespace

int RunKyori() {
  RunState run;
  StartUp();
  WriteIntroduction();
  InputFileName = NewByteString(0);
  OutputFileName = NewByteString(0);
  CellText = NewByteString(0);

  if (!AskForFile(texts::kDataFilePrompt, kOpenRead, &InputFileName, texts::kCannotOpenInput)) {
    return EndAfterInputEnded(run);
  }
  ResetNamesAndSums();
  if (ReadDataFile() == DataFileOutcome::kOverCapacity) {
    WriteConsoleLine(texts::kCapacity.bytes);
    if (!AskStopPrompt()) return EndAfterInputEnded(run);
    return EndRun(run);
  }
  if (StandardizeTraits() == StandardizeOutcome::kIdenticalData) {
    WriteIdenticalDataMessage();
    if (!AskStopPrompt()) return EndAfterInputEnded(run);
    return EndRun(run);
  }

  if (!AskForFile(texts::kOutputFilePrompt, kOpenCreate, &OutputFileName,
                  texts::kCannotCreateOutput)) {
    return EndAfterInputEnded(run);
  }
  WriteStandardizedSection();
  AccumulateDistances();
  WriteDistanceSection();
  if (!FlushChannel(kFileChannel)) ReportWriteFailure(run);
  WriteClosingAdvice();

  SetSingleTarget(&InputFileName, KindText);
  if (!ReadFromConsole(TextFromBytes(texts::kFinalPrompt.bytes))) return EndAfterInputEnded(run);
  return EndRun(run);
}

}  // namespace kyori
