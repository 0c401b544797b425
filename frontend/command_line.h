// The command line: `kyori [OPTIONS] DATA OUTPUT`, GNU style.
//
// Options take their value as `--name=value` or as the next argument
// (`--name value`); `--` ends the options; a lone `-` is a file (standard
// input as DATA, standard output as OUTPUT). `-h` is `--help`. The values
// of options that have a list are parsed here, once, into their enums.
//
// Examples:
//   {"data.txt", "out.txt"}                -> files data.txt, out.txt
//   {"--method", "nj", "--tree=t.nwk", "d", "o"}
//                                          -> method kNeighborJoining, tree t.nwk
//   {"--", "--odd-name", "-"}              -> files --odd-name, -
//   {"--jobs"}                             -> usage error: missing value
//   {"--tree=a", "--tree=b", "d", "o"}     -> usage error: repeated option
//     (an option given twice would leave one of its values unused)
//   {"--neighbours=10", "--tree=t", "d", "o"}
//                                          -> usage error: --neighbours and --tree
//     conflict (--neighbours and --duplicates replace the report, and take
//     none of its options: --tree, --svg, --phylip, --matrix,
//     --matrix-precision, --format, --standardized, --method, --encoding,
//     --arithmetic, --pca, --groups, --group-means,
//     --k; nor each other)
//   {"--missing=NA,999", "d", "o"}         -> missing texts "NA", "999"
//   {"--missing=", "d", "o"}               -> no missing texts
//   {"--min-common=0", "d", "o"}           -> usage error: value not allowed
//   {"--pca=rice", "--groups=g.csv", "--k=3", "d", "o"}
//                                          -> pca "rice", groups g.csv, 3 groups
//   {"--k=1", ...} or {"--k=abc", ...}     -> usage error: value not allowed
//   {"--groups=g.csv", "--method=nj", ...} -> usage error: groups need a linkage
//   {"--k=3", "d", "o"}                    -> usage error: --k without groups
#ifndef KYORI_FRONTEND_COMMAND_LINE_H_
#define KYORI_FRONTEND_COMMAND_LINE_H_

#include <string>
#include <vector>

#include "analysis/linkage.h"
#include "batch/arithmetic_choice.h"
#include "batch/input_choice.h"
#include "batch/npy_matrix.h"
#include "batch/missing_texts.h"
#include "io/console_encoding.h"

namespace kyori {

// The encoding of the report's two headings (--encoding); the names in it
// are copied as bytes whatever it is.
enum class HeadingEncoding { kCp932, kUtf8 };

// What OUTPUT holds (--format): the report, or the distances as a square
// table, comma- or tab-separated (batch/table_writer.h).
enum class OutputFormat { kReport, kCsv, kTsv };

// How the tree is built (--method): one of the four linkages, or neighbor
// joining.
enum class TreeMethod { kAverage, kSingle, kComplete, kWard, kNeighborJoining };

// The value --method takes for the method, as messages show it:
//   kAverage -> "average";  kWard -> "ward";  kNeighborJoining -> "nj"
const char* TreeMethodName(TreeMethod method);

// The linkage of a linkage method; false (and *linkage untouched) for
// kNeighborJoining.
//   kComplete -> analysis::LinkageMethod::kComplete
bool LinkageMethodOf(TreeMethod method, analysis::LinkageMethod* linkage);

// The most groups --k takes: one less than the most varieties a run takes.
inline constexpr int kMostGroups = 32766;

struct CommandLine {
  bool help = false;
  bool version = false;
  ConsoleOption console = ConsoleOption::kAuto;          // auto | cp932 | utf-8
  HeadingEncoding encoding = HeadingEncoding::kCp932;    // cp932 | utf-8
  InputChoice input = InputChoice::kAuto;                // auto | kyori | csv | tsv
  ArithmeticChoice arithmetic = ArithmeticChoice::kAuto; // auto | compatible | accurate
  TreeMethod method = TreeMethod::kAverage;              // average | single | complete | ward | nj
  std::string tree;                      // Newick file, empty for none
  std::string phylip;                    // PHYLIP matrix file, empty for none
  std::string svg;                       // picture, empty for none
  OutputFormat format = OutputFormat::kReport;  // report | csv | tsv
  std::string standardized;              // the standardized values' table, empty for none
  int jobs = 0;                          // threads; 0: the machine's cores
  std::string matrix;                    // the distances as .npy, empty for none
  NpyPrecision matrix_precision = NpyPrecision::kFloat64;  // float64 | float32
  int neighbours = 0;                    // OUTPUT the K nearest of each variety (1 to 1000); 0: the report
  double duplicates = -1;                // OUTPUT the pairs within this distance (0 or more); below 0: the report
  MissingTexts missing = MissingTexts::Usual();  // texts read as a missing value; none for `--missing=`
  int min_common = 1;                    // the least number of traits a pair shares for a distance
  std::string pca;                       // PREFIX of the principal components' four files, empty for none
  std::string groups;                    // each variety's group (CSV), empty for none
  std::string group_means;               // each group's summary (CSV), empty for none
  int group_count = 0;                   // --k: the number of groups, 2 .. 32766; 0: chosen by silhouette
  bool batch_options = false;            // an option that only batch mode uses was given
  std::vector<std::string> files;
};

// What went wrong with a command line; kNone when it parsed.
struct UsageError {
  enum Kind {
    kNone,
    kUnknownOption,
    kMissingValue,
    kBadValue,
    kFileCount,
    kRepeatedOption,
    kGroupsWithoutLinkage,  // --groups or --group-means with --method=nj (option: the groups' option)
    kCountWithoutGroups,    // --k without --groups or --group-means
    kConflict,              // two options that cannot go together (option, value: the two)
  } kind = kNone;
  std::string option;  // the option as given (or its value, for kBadValue the option's name)
  std::string value;   // for kBadValue; for kConflict the other option
};

// Parses `args` (without the program's name) into `line`. The file count is
// not checked here: none runs the dialogue, two run batch mode. An option
// whose value is not allowed leaves its field as it was. Once every option
// is read, groups (--groups, --group-means) with --method=nj, and --k
// without groups, are refused: a neighbour-joining tree cannot be cut, and
// a count of groups for no groups would go unused.
UsageError ParseCommandLine(const std::vector<std::string>& args, CommandLine& line);

}  // namespace kyori

#endif  // KYORI_FRONTEND_COMMAND_LINE_H_
