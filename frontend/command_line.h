// The command line: `kyori [OPTIONS] DATA OUTPUT`, GNU style.
//
// Options take their value as `--name=value` or as the next argument
// (`--name value`); `--` ends the options; a lone `-` is a file (standard
// input as DATA, standard output as OUTPUT). `-h` is `--help`.
//
// Examples:
//   {"data.txt", "out.txt"}                -> files data.txt, out.txt
//   {"--method", "nj", "--tree=t.nwk", "d", "o"} -> method nj, tree t.nwk
//   {"--", "--odd-name", "-"}              -> files --odd-name, -
//   {"--jobs"}                             -> usage error: missing value
//   {"--tree=a", "--tree=b", "d", "o"}     -> usage error: repeated option
//     (an option given twice would leave one of its values unused)
#ifndef KYORI_FRONTEND_COMMAND_LINE_H_
#define KYORI_FRONTEND_COMMAND_LINE_H_

#include <string>
#include <vector>

namespace kyori {

struct CommandLine {
  bool help = false;
  bool version = false;
  std::string console = "auto";          // auto | cp932 | utf-8
  std::string encoding = "cp932";        // cp932 | utf-8
  std::string arithmetic = "compatible"; // compatible | accurate
  std::string method = "average";        // average | single | complete | ward | nj
  std::string tree;                      // Newick file, empty for none
  std::string phylip;                    // PHYLIP matrix file, empty for none
  std::string svg;                       // picture, empty for none
  int jobs = 0;                          // threads; 0: the machine's cores
  bool batch_options = false;            // an option that only batch mode uses was given
  std::vector<std::string> files;
};

// What went wrong with a command line; kNone when it parsed.
struct UsageError {
  enum Kind { kNone, kUnknownOption, kMissingValue, kBadValue, kFileCount, kRepeatedOption } kind = kNone;
  std::string option;  // the option as given (or its value, for kBadValue the option's name)
  std::string value;   // for kBadValue
};

// Parses `args` (without the program's name) into `line`. The file count is
// not checked here: none runs the dialogue, two run batch mode.
UsageError ParseCommandLine(const std::vector<std::string>& args, CommandLine& line);

}  // namespace kyori

#endif  // KYORI_FRONTEND_COMMAND_LINE_H_
