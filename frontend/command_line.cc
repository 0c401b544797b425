#include "frontend/command_line.h"

#include <algorithm>
#include <cstddef>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "batch/nearest_neighbours.h"

namespace kyori {
namespace {

bool OneOf(std::string_view value, std::initializer_list<std::string_view> allowed) {
  for (std::string_view a : allowed) {
    if (value == a) return true;
  }
  return false;
}

// Each method and the value of --method that names it.
constexpr std::pair<TreeMethod, std::string_view> kTreeMethods[] = {
    {TreeMethod::kAverage, "average"}, {TreeMethod::kSingle, "single"}, {TreeMethod::kComplete, "complete"},
    {TreeMethod::kWard, "ward"},       {TreeMethod::kNeighborJoining, "nj"},
};

constexpr std::pair<HeadingEncoding, std::string_view> kEncodings[] = {
    {HeadingEncoding::kCp932, "cp932"}, {HeadingEncoding::kUtf8, "utf-8"}};
constexpr std::pair<ArithmeticChoice, std::string_view> kArithmetics[] = {
    {ArithmeticChoice::kAuto, "auto"},
    {ArithmeticChoice::kCompatible, "compatible"},
    {ArithmeticChoice::kAccurate, "accurate"}};
constexpr std::pair<InputChoice, std::string_view> kInputs[] = {
    {InputChoice::kAuto, "auto"}, {InputChoice::kLayout, "kyori"}, {InputChoice::kCsv, "csv"},
    {InputChoice::kTsv, "tsv"}};
constexpr std::pair<OutputFormat, std::string_view> kFormats[] = {
    {OutputFormat::kReport, "report"}, {OutputFormat::kCsv, "csv"}, {OutputFormat::kTsv, "tsv"}};

// The choice `value` names in `choices`; false (and `choice` as it was)
// when it names none.
template <typename Choice, std::size_t N>
bool ParseChoice(std::string_view value, const std::pair<Choice, std::string_view> (&choices)[N], Choice& choice) {
  for (const auto& [c, name] : choices) {
    if (value == name) {
      choice = c;
      return true;
    }
  }
  return false;
}

// A whole number in digits alone from `least` to `most` (at most 5 digits).
//   "12", 1, 32767 -> 12;   "0", 1, 32767 -> refused;   "+3", "3x" -> refused
bool ParseCount(const std::string& value, int least, int most, int& count) {
  if (value.empty() || value.size() > 5) return false;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  const int n = std::atoi(value.c_str());
  if (n < least || n > most) return false;
  count = n;
  return true;
}

constexpr std::pair<NpyPrecision, std::string_view> kPrecisions[] = {
    {NpyPrecision::kFloat64, "float64"}, {NpyPrecision::kFloat32, "float32"}};

// The number of neighbours: a whole number from 1 to 1000.
bool ParseNeighbours(const std::string& value, int& neighbours) {
  if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos) return false;
  const int k = std::atoi(value.c_str());
  if (k < 1 || k > kMostNeighbours) return false;
  neighbours = k;
  return true;
}

// The distance of duplicates: a finite number, 0 or more, written in full
// ("0", "0.25", "1e-3"; not "inf", "nan", "-1" or "0.5x").
bool ParseDistance(const std::string& value, double& distance) {
  double d = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, d);
  if (value.empty() || error != std::errc() || stop != end || !std::isfinite(d) || !(d >= 0)) return false;
  distance = d;
  return true;
}

// The options a run of the neighbours or the duplicates does not take.
constexpr std::string_view kReportOptions[] = {"--tree",   "--svg",          "--phylip", "--matrix",
                                               "--matrix-precision", "--format", "--standardized",
                                               "--method", "--encoding",     "--arithmetic",
                                               "--pca",    "--groups",       "--group-means",
                                               "--k"};

// The first two options of `given` that cannot go together, or kNone.
UsageError ConflictOf(const std::vector<std::string>& given) {
  for (std::string_view mode : {"--neighbours", "--duplicates"}) {
    bool named = false;
    for (const std::string& g : given) named = named || g == mode;
    if (!named) continue;
    for (const std::string& g : given) {
      const bool report_option =
          std::find(std::begin(kReportOptions), std::end(kReportOptions), g) != std::end(kReportOptions);
      if (g != mode && (g == "--neighbours" || g == "--duplicates" || report_option)) {
        return {UsageError::kConflict, std::string(mode), g};
      }
    }
  }
  return {};
}

// The number of threads: a whole number from 1 to 1024, in 4 digits at most.
bool ParseJobs(const std::string& value, int& jobs) { return value.size() <= 4 && ParseCount(value, 1, 1024, jobs); }

// The least number of common traits: a whole number from 1 to 32767 (no
// pair can share more traits than a run holds).
bool ParseMinCommon(const std::string& value, int& min_common) { return ParseCount(value, 1, 32767, min_common); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The texts that stand for a missing value, separated by commas: "" is no
// text at all; an empty item among others is the empty table cell
// ("NA,," -> "NA", "", ""). An item with a blank at either end is refused:
// the readers compare a value without its blanks, so it would never match.
bool ParseMissing(const std::string& value, MissingTexts& missing) {
  MissingTexts texts;
  if (!value.empty()) {
    std::size_t start = 0;
    while (true) {
      const std::size_t comma = value.find(',', start);
      std::string item = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      if (!item.empty() && (IsBlank(item.front()) || IsBlank(item.back()))) return false;
      texts.texts.push_back(std::move(item));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  missing = std::move(texts);
  return true;
}

// The number of groups: a whole number from 2 (one group is no grouping)
// to one less than the most varieties a run takes (each variety alone is
// none either); whether the data has that many varieties is the run's to
// check.
bool ParseGroupCount(const std::string& value, int& count) { return ParseCount(value, 2, kMostGroups, count); }

// Stores the value of option `name`; false when the value is not allowed.
bool Assign(std::string_view name, const std::string& value, CommandLine& line) {
  if (name == "--console") return ConsoleOptionFromName(value, &line.console);
  line.batch_options = true;
  if (name == "--encoding") return ParseChoice(value, kEncodings, line.encoding);
  if (name == "--input") return ParseChoice(value, kInputs, line.input);
  if (name == "--arithmetic") return ParseChoice(value, kArithmetics, line.arithmetic);
  if (name == "--method") return ParseChoice(value, kTreeMethods, line.method);
  if (name == "--jobs") return ParseJobs(value, line.jobs);
  if (name == "--format") return ParseChoice(value, kFormats, line.format);
  if (name == "--matrix-precision") return ParseChoice(value, kPrecisions, line.matrix_precision);
  if (name == "--neighbours") return ParseNeighbours(value, line.neighbours);
  if (name == "--duplicates") return ParseDistance(value, line.duplicates);
  if (name == "--missing") return ParseMissing(value, line.missing);
  if (name == "--min-common") return ParseMinCommon(value, line.min_common);
  if (name == "--k") return ParseGroupCount(value, line.group_count);
  std::string& file = name == "--tree"           ? line.tree
                      : name == "--phylip"       ? line.phylip
                      : name == "--standardized" ? line.standardized
                      : name == "--matrix"       ? line.matrix
                      : name == "--pca"          ? line.pca
                      : name == "--groups"       ? line.groups
                      : name == "--group-means"  ? line.group_means
                                                 : line.svg;
  file = value;
  return !value.empty();
}

bool TakesValue(std::string_view name) {
  return OneOf(name, {"--console", "--encoding", "--input", "--arithmetic", "--method", "--jobs", "--tree",
                      "--phylip", "--svg", "--format", "--standardized", "--missing", "--min-common", "--pca",
                      "--groups", "--group-means", "--k", "--matrix", "--matrix-precision", "--neighbours",
                      "--duplicates"});
}

// Options that only make sense together: groups are cut from a tree built
// by a linkage, and --k counts groups that some option writes.
UsageError CheckCombinations(const CommandLine& line) {
  const bool groups = !line.groups.empty() || !line.group_means.empty();
  if (groups && line.method == TreeMethod::kNeighborJoining) {
    return {UsageError::kGroupsWithoutLinkage, line.groups.empty() ? "--group-means" : "--groups", ""};
  }
  if (line.group_count != 0 && !groups) return {UsageError::kCountWithoutGroups, "--k", ""};
  return {};
}

}  // namespace

const char* TreeMethodName(TreeMethod method) {
  for (const auto& [m, name] : kTreeMethods) {
    if (m == method) return name.data();
  }
  return "";
}

bool LinkageMethodOf(TreeMethod method, analysis::LinkageMethod* linkage) {
  switch (method) {
    case TreeMethod::kAverage: *linkage = analysis::LinkageMethod::kAverage; return true;
    case TreeMethod::kSingle: *linkage = analysis::LinkageMethod::kSingle; return true;
    case TreeMethod::kComplete: *linkage = analysis::LinkageMethod::kComplete; return true;
    case TreeMethod::kWard: *linkage = analysis::LinkageMethod::kWard; return true;
    case TreeMethod::kNeighborJoining: return false;
  }
  return false;
}

UsageError ParseCommandLine(const std::vector<std::string>& args, CommandLine& line) {
  bool options_ended = false;
  std::vector<std::string> given;
  for (std::size_t k = 0; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (options_ended || arg == "-" || arg.empty() || arg[0] != '-') {
      line.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      line.help = true;
      continue;
    }
    if (arg == "--version") {
      line.version = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (!TakesValue(name)) return {UsageError::kUnknownOption, arg, ""};
    for (const std::string& earlier : given) {
      if (earlier == name) return {UsageError::kRepeatedOption, name, ""};
    }
    given.push_back(name);
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (k + 1 < args.size()) {
      value = args[++k];
    } else {
      return {UsageError::kMissingValue, name, ""};
    }
    if (!Assign(name, value, line)) return {UsageError::kBadValue, name, value};
  }
  const UsageError conflict = ConflictOf(given);
  if (conflict.kind != UsageError::kNone) return conflict;
  return CheckCombinations(line);
}

}  // namespace kyori
