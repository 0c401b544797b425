// The entry point. With no argument (or with --console alone) kyori runs the
// dialogue; with DATA and OUTPUT it runs in batch mode.
#include <string>
#include <vector>

#include "dialogue/run_sequence.h"
#include "frontend/batch_run.h"
#include "frontend/command_line.h"
#include "frontend/help.h"
#include "frontend/messages.h"
#include "frontend/batch_texts.h"
#include "frontend/pair_texts.h"
#include "io/console_encoding.h"
#include "platform/platform.h"

namespace {

constexpr int kUsageError = 2;

void WriteToStandardOutput(const std::string& text) {
  kyori::platform::WriteFile(kyori::platform::StandardOutput(), text.data(), text.size());
}

int ReportUsageError(const kyori::UsageError& error, kyori::MessageStyle style) {
  namespace texts = kyori::texts;
  kyori::MessageLine message(style);
  switch (error.kind) {
    case kyori::UsageError::kUnknownOption:
      message.Say("unknown option", texts::kJaUnknownOption).Plain(": ").Data(error.option);
      break;
    case kyori::UsageError::kMissingValue:
      message.Say("option needs a value", texts::kJaMissingValue).Plain(": ").Data(error.option);
      break;
    case kyori::UsageError::kRepeatedOption:
      message.Say("option given more than once", texts::kJaRepeatedOption).Plain(": ").Data(error.option);
      break;
    case kyori::UsageError::kBadValue:
      message.Say("value not allowed", texts::kJaBadValue).Plain(": ").Data(error.option + "=" + error.value);
      break;
    case kyori::UsageError::kConflict:
      message.Say("options that cannot be used together", texts::kJaConflictingOptions).Plain(": ");
      message.Data(error.option).Say(" and ", texts::kJaAnd).Data(error.value);
      break;
    case kyori::UsageError::kGroupsWithoutLinkage:
      message.Data(error.option).Plain(": ");
      message.Say("groups are cut from a tree built by a linkage (--method average, single, complete or ward); "
                  "--method=nj builds none",
                  texts::kJaGroupsNeedLinkage);
      break;
    case kyori::UsageError::kCountWithoutGroups:
      message.Data(error.option).Plain(": ");
      message.Say("the number of groups needs --groups or --group-means", texts::kJaCountWithoutGroups);
      break;
    default:
      message.Say("expected two files, DATA and OUTPUT (see kyori --help)", texts::kJaFileCount);
      break;
  }
  message.Write();
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = kyori::platform::CommandLineArguments(argc, argv);
  kyori::CommandLine line;
  const kyori::UsageError error = kyori::ParseCommandLine(args, line);
  // The locale is looked up only for a run that may write a message: the
  // dialogue starts without it.
  if (error.kind != kyori::UsageError::kNone) {
    return ReportUsageError(error, kyori::ChooseMessageStyle(line.console));
  }
  if (line.help) {
    WriteToStandardOutput(kyori::HelpText());
    return 0;
  }
  if (line.version) {
    WriteToStandardOutput(kyori::VersionText());
    return 0;
  }
  if (line.files.empty() && !line.batch_options) {
    // The dialogue shows itself in UTF-8 on a UTF-8 terminal; piped or
    // redirected, its bytes are Shift-JIS as they are.
    kyori::SetConsoleEncoding(kyori::ChooseConsoleEncoding(line.console));
    return kyori::RunKyori();
  }
  const kyori::MessageStyle style = kyori::ChooseMessageStyle(line.console);
  if (line.files.size() != 2) return ReportUsageError({kyori::UsageError::kFileCount, "", ""}, style);
  return kyori::RunBatch(line, style);
}
