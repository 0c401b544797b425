// The command line (frontend/command_line.h): a table of argument lists and
// the line or the usage error each gives.
#include "frontend/command_line.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kyori {
namespace {

// The option values as they are written on the command line.
std::string Name(ConsoleOption o) {
  switch (o) {
    case ConsoleOption::kAuto: return "auto";
    case ConsoleOption::kCp932: return "cp932";
    case ConsoleOption::kUtf8: return "utf-8";
  }
  return "?";
}
std::string Name(HeadingEncoding e) { return e == HeadingEncoding::kUtf8 ? "utf-8" : "cp932"; }
std::string Name(ArithmeticChoice a) {
  switch (a) {
    case ArithmeticChoice::kAuto: return "auto";
    case ArithmeticChoice::kCompatible: return "compatible";
    case ArithmeticChoice::kAccurate: return "accurate";
  }
  return "?";
}
std::string Name(OutputFormat f) {
  switch (f) {
    case OutputFormat::kReport: return "report";
    case OutputFormat::kCsv: return "csv";
    case OutputFormat::kTsv: return "tsv";
  }
  return "?";
}
std::string Name(InputChoice i) {
  switch (i) {
    case InputChoice::kAuto: return "auto";
    case InputChoice::kLayout: return "kyori";
    case InputChoice::kCsv: return "csv";
    case InputChoice::kTsv: return "tsv";
  }
  return "?";
}

std::string Texts(const MissingTexts& missing) {
  std::string texts;
  for (const std::string& t : missing.texts) texts += "[" + t + "]";
  return texts;
}

// Every field, for comparing two lines and showing how they differ.
std::string Describe(const CommandLine& l) {
  std::string files;
  for (const std::string& f : l.files) files += "[" + f + "]";
  return "help=" + std::to_string(l.help) + " version=" + std::to_string(l.version) + " console=" + Name(l.console) +
         " encoding=" + Name(l.encoding) + " input=" + Name(l.input) + " arithmetic=" + Name(l.arithmetic) +
         " method=" + TreeMethodName(l.method) + " tree=" + l.tree +
         " phylip=" + l.phylip + " svg=" + l.svg + " format=" + Name(l.format) +
         " standardized=" + l.standardized + " jobs=" + std::to_string(l.jobs) +
         " missing=" + Texts(l.missing) + " min_common=" + std::to_string(l.min_common) +
         " standardized=" + l.standardized + " jobs=" + std::to_string(l.jobs) + " pca=" + l.pca +
         " groups=" + l.groups + " group_means=" + l.group_means + " k=" + std::to_string(l.group_count) +
         " batch_options=" + std::to_string(l.batch_options) + " files=" + files;
}

std::string Describe(const UsageError& e) {
  return "kind=" + std::to_string(e.kind) + " option=[" + e.option + "] value=[" + e.value + "]";
}

struct Parsed {
  std::vector<std::string> args;
  std::function<void(CommandLine&)> expect;  // the line: the defaults changed by this
};

const std::vector<std::string> kFiles = {"d.txt", "o.txt"};

void Files(CommandLine& l) { l.files = kFiles; }

std::vector<std::string> With(std::vector<std::string> options) {
  options.insert(options.end(), kFiles.begin(), kFiles.end());
  return options;
}

TEST(CommandLineTest, LinesThatParse) {
  const Parsed cases[] = {
      {{}, [](CommandLine&) {}},
      {With({}), Files},
      {{"d.txt"}, [](CommandLine& l) { l.files = {"d.txt"}; }},  // the count is checked by the caller
      {{"a", "b", "c"}, [](CommandLine& l) { l.files = {"a", "b", "c"}; }},
      {{"-", "-"}, [](CommandLine& l) { l.files = {"-", "-"}; }},
      {{"", "o.txt"}, [](CommandLine& l) { l.files = {"", "o.txt"}; }},
      {{"--", "--odd-name", "-"}, [](CommandLine& l) { l.files = {"--odd-name", "-"}; }},
      {{"d.txt", "--", "--jobs=0"}, [](CommandLine& l) { l.files = {"d.txt", "--jobs=0"}; }},
      {{"--", "--", "x"}, [](CommandLine& l) { l.files = {"--", "x"}; }},
      {{"-h"}, [](CommandLine& l) { l.help = true; }},
      {{"--help", "--version"}, [](CommandLine& l) { l.help = l.version = true; }},
      // options anywhere among the files, as `--name=value` or `--name value`
      {{"d.txt", "--method=nj", "o.txt"}, [](CommandLine& l) { Files(l); l.method = TreeMethod::kNeighborJoining; l.batch_options = true; }},
      {With({"--method", "nj", "--tree=t.nwk"}),
       [](CommandLine& l) { Files(l); l.method = TreeMethod::kNeighborJoining; l.tree = "t.nwk"; l.batch_options = true; }},
      {With({"--tree", "-"}), [](CommandLine& l) { Files(l); l.tree = "-"; l.batch_options = true; }},
      // the next argument is the value, whatever it looks like
      {With({"--tree", "--method=nj"}), [](CommandLine& l) { Files(l); l.tree = "--method=nj"; l.batch_options = true; }},
      {With({"--svg=a=b"}), [](CommandLine& l) { Files(l); l.svg = "a=b"; l.batch_options = true; }},
      // every value of each option that has a list
      {With({"--console=cp932"}), [](CommandLine& l) { Files(l); l.console = ConsoleOption::kCp932; }},  // not a batch option
      {With({"--console", "utf-8"}), [](CommandLine& l) { Files(l); l.console = ConsoleOption::kUtf8; }},
      {With({"--console=auto"}), [](CommandLine& l) { Files(l); }},
      {With({"--encoding=utf-8"}), [](CommandLine& l) { Files(l); l.encoding = HeadingEncoding::kUtf8; l.batch_options = true; }},
      {With({"--encoding=cp932"}), [](CommandLine& l) { Files(l); l.batch_options = true; }},
      {With({"--arithmetic=accurate"}),
       [](CommandLine& l) { Files(l); l.arithmetic = ArithmeticChoice::kAccurate; l.batch_options = true; }},
      {With({"--arithmetic=compatible"}),
       [](CommandLine& l) { Files(l); l.arithmetic = ArithmeticChoice::kCompatible; l.batch_options = true; }},
      {With({"--arithmetic=auto"}), [](CommandLine& l) { Files(l); l.batch_options = true; }},
      {With({"--input=auto"}), [](CommandLine& l) { Files(l); l.batch_options = true; }},
      {With({"--input=kyori"}), [](CommandLine& l) { Files(l); l.input = InputChoice::kLayout; l.batch_options = true; }},
      {With({"--input", "csv"}), [](CommandLine& l) { Files(l); l.input = InputChoice::kCsv; l.batch_options = true; }},
      {With({"--input=tsv"}), [](CommandLine& l) { Files(l); l.input = InputChoice::kTsv; l.batch_options = true; }},
      {With({"--method=average"}), [](CommandLine& l) { Files(l); l.batch_options = true; }},
      {With({"--method=single"}), [](CommandLine& l) { Files(l); l.method = TreeMethod::kSingle; l.batch_options = true; }},
      {With({"--method=complete"}), [](CommandLine& l) { Files(l); l.method = TreeMethod::kComplete; l.batch_options = true; }},
      {With({"--method=ward"}), [](CommandLine& l) { Files(l); l.method = TreeMethod::kWard; l.batch_options = true; }},
      {With({"--phylip=m.txt"}), [](CommandLine& l) { Files(l); l.phylip = "m.txt"; l.batch_options = true; }},
      {With({"--jobs=1"}), [](CommandLine& l) { Files(l); l.jobs = 1; l.batch_options = true; }},
      {With({"--jobs=1024"}), [](CommandLine& l) { Files(l); l.jobs = 1024; l.batch_options = true; }},
      {With({"--format=report"}), [](CommandLine& l) { Files(l); l.batch_options = true; }},
      {With({"--format=csv"}), [](CommandLine& l) { Files(l); l.format = OutputFormat::kCsv; l.batch_options = true; }},
      {With({"--format", "tsv"}), [](CommandLine& l) { Files(l); l.format = OutputFormat::kTsv; l.batch_options = true; }},
      {With({"--standardized=z.csv"}), [](CommandLine& l) { Files(l); l.standardized = "z.csv"; l.batch_options = true; }},
      {With({"--standardized", "-"}), [](CommandLine& l) { Files(l); l.standardized = "-"; l.batch_options = true; }},
      {With({"--standardized", "--format=csv"}),
       [](CommandLine& l) { Files(l); l.standardized = "--format=csv"; l.batch_options = true; }},
      // --missing: the list replaced, item by item; empty: none; an empty
      // item: the empty table cell
      {With({"--missing=999"}), [](CommandLine& l) { Files(l); l.missing.texts = {"999"}; l.batch_options = true; }},
      {With({"--missing", "NA,-99,not scored"}),
       [](CommandLine& l) { Files(l); l.missing.texts = {"NA", "-99", "not scored"}; l.batch_options = true; }},
      {With({"--missing="}), [](CommandLine& l) { Files(l); l.missing.texts = {}; l.batch_options = true; }},
      {With({"--missing=NA,"}), [](CommandLine& l) { Files(l); l.missing.texts = {"NA", ""}; l.batch_options = true; }},
      {With({"--missing=,"}), [](CommandLine& l) { Files(l); l.missing.texts = {"", ""}; l.batch_options = true; }},
      {With({"--missing=a=b"}), [](CommandLine& l) { Files(l); l.missing.texts = {"a=b"}; l.batch_options = true; }},
      {With({"--min-common=1"}), [](CommandLine& l) { Files(l); l.batch_options = true; }},
      {With({"--min-common", "3"}), [](CommandLine& l) { Files(l); l.min_common = 3; l.batch_options = true; }},
      {With({"--min-common=32767"}), [](CommandLine& l) { Files(l); l.min_common = 32767; l.batch_options = true; }},
      // the principal components and the groups; --k from 2 to one less than the capacity
      {With({"--pca=out/rice"}), [](CommandLine& l) { Files(l); l.pca = "out/rice"; l.batch_options = true; }},
      {With({"--pca", "-"}), [](CommandLine& l) { Files(l); l.pca = "-"; l.batch_options = true; }},
      {With({"--groups=g.csv", "--k=2"}),
       [](CommandLine& l) { Files(l); l.groups = "g.csv"; l.group_count = 2; l.batch_options = true; }},
      {With({"--group-means", "m.csv", "--k", "32766"}),
       [](CommandLine& l) { Files(l); l.group_means = "m.csv"; l.group_count = 32766; l.batch_options = true; }},
      {With({"--k=007", "--groups=g.csv", "--method=ward"}),
       [](CommandLine& l) { Files(l); l.groups = "g.csv"; l.group_count = 7; l.method = TreeMethod::kWard; l.batch_options = true; }},
      {With({"--groups=g.csv", "--group-means=m.csv", "--method=single"}),
       [](CommandLine& l) { Files(l); l.groups = "g.csv"; l.group_means = "m.csv"; l.method = TreeMethod::kSingle; l.batch_options = true; }},
      // nj is refused for groups only
      {With({"--pca=p", "--method=nj", "--tree=t"}),
       [](CommandLine& l) { Files(l); l.pca = "p"; l.method = TreeMethod::kNeighborJoining; l.tree = "t"; l.batch_options = true; }},
  };
  for (const Parsed& c : cases) {
    CommandLine line;
    const UsageError error = ParseCommandLine(c.args, line);
    CommandLine expected;
    c.expect(expected);
    std::string args;
    for (const std::string& a : c.args) args += "[" + a + "]";
    EXPECT_EQ(error.kind, UsageError::kNone) << args << ": " << Describe(error);
    EXPECT_EQ(Describe(line), Describe(expected)) << args;
  }
}

// Each method's name is the --method value that gives it back (the name the
// cophenetic correlation's message shows), and each linkage method is the
// analysis's method of that name.
TEST(CommandLineTest, MethodNamesGiveTheirMethodBack) {
  const TreeMethod methods[] = {TreeMethod::kAverage, TreeMethod::kSingle, TreeMethod::kComplete, TreeMethod::kWard,
                                TreeMethod::kNeighborJoining};
  for (const TreeMethod method : methods) {
    const std::string name = TreeMethodName(method);
    CommandLine line;
    ASSERT_EQ(ParseCommandLine(With({"--method=" + name}), line).kind, UsageError::kNone) << name;
    EXPECT_EQ(line.method, method) << name;
    analysis::LinkageMethod linkage = analysis::LinkageMethod::kAverage;
    if (method == TreeMethod::kNeighborJoining) {
      EXPECT_EQ(name, "nj");
      EXPECT_FALSE(LinkageMethodOf(method, &linkage));
    } else {
      ASSERT_TRUE(LinkageMethodOf(method, &linkage)) << name;
      EXPECT_EQ(name, analysis::LinkageMethodName(linkage));
    }
  }
}

struct Refused {
  std::vector<std::string> args;
  UsageError::Kind kind;
  std::string option;
  std::string value;
};

TEST(CommandLineTest, LinesThatAreRefused) {
  const Refused cases[] = {
      {With({"--frobnicate"}), UsageError::kUnknownOption, "--frobnicate", ""},
      {With({"--frobnicate=3"}), UsageError::kUnknownOption, "--frobnicate=3", ""},
      {With({"-x"}), UsageError::kUnknownOption, "-x", ""},
      {With({"--Method=nj"}), UsageError::kUnknownOption, "--Method=nj", ""},
      {With({"--help=yes"}), UsageError::kUnknownOption, "--help=yes", ""},
      {With({"---"}), UsageError::kUnknownOption, "---", ""},
      {{"d.txt", "o.txt", "--tree"}, UsageError::kMissingValue, "--tree", ""},
      // an option given twice, whatever its values: one of them would go unused
      {With({"--method=nj", "--method=ward"}), UsageError::kRepeatedOption, "--method", ""},
      {With({"--jobs=3", "--jobs", "7"}), UsageError::kRepeatedOption, "--jobs", ""},
      {With({"--tree=a", "--tree=a"}), UsageError::kRepeatedOption, "--tree", ""},
      {With({"--console", "utf-8", "--console=auto"}), UsageError::kRepeatedOption, "--console", ""},
      {With({"--input=csv", "--input", "tsv"}), UsageError::kRepeatedOption, "--input", ""},
      {{"--jobs"}, UsageError::kMissingValue, "--jobs", ""},
      // --jobs: a whole number from 1 to 1024, written in decimal digits alone
      {With({"--jobs=0"}), UsageError::kBadValue, "--jobs", "0"},
      {With({"--jobs", "0"}), UsageError::kBadValue, "--jobs", "0"},
      {With({"--jobs=-1"}), UsageError::kBadValue, "--jobs", "-1"},
      {With({"--jobs", "-1"}), UsageError::kBadValue, "--jobs", "-1"},
      {With({"--jobs=1025"}), UsageError::kBadValue, "--jobs", "1025"},
      {With({"--jobs=1000000000"}), UsageError::kBadValue, "--jobs", "1000000000"},
      {With({"--jobs=99999999999999999999"}), UsageError::kBadValue, "--jobs", "99999999999999999999"},
      {With({"--jobs=abc"}), UsageError::kBadValue, "--jobs", "abc"},
      {With({"--jobs=2x"}), UsageError::kBadValue, "--jobs", "2x"},
      {With({"--jobs=+4"}), UsageError::kBadValue, "--jobs", "+4"},
      {With({"--jobs= 4"}), UsageError::kBadValue, "--jobs", " 4"},
      {With({"--jobs=1.5"}), UsageError::kBadValue, "--jobs", "1.5"},
      {With({"--jobs="}), UsageError::kBadValue, "--jobs", ""},
      {With({"--jobs", "--tree=t"}), UsageError::kBadValue, "--jobs", "--tree=t"},
      // values outside each option's list, and empty ones
      {With({"--method=upgma"}), UsageError::kBadValue, "--method", "upgma"},
      {With({"--method=NJ"}), UsageError::kBadValue, "--method", "NJ"},
      {With({"--method="}), UsageError::kBadValue, "--method", ""},
      {With({"--console=ascii"}), UsageError::kBadValue, "--console", "ascii"},
      {With({"--console="}), UsageError::kBadValue, "--console", ""},
      {With({"--encoding=latin1"}), UsageError::kBadValue, "--encoding", "latin1"},
      {With({"--encoding=utf8"}), UsageError::kBadValue, "--encoding", "utf8"},
      {With({"--arithmetic=exact"}), UsageError::kBadValue, "--arithmetic", "exact"},
      {With({"--arithmetic=Auto"}), UsageError::kBadValue, "--arithmetic", "Auto"},
      {With({"--input=xlsx"}), UsageError::kBadValue, "--input", "xlsx"},
      {With({"--input=CSV"}), UsageError::kBadValue, "--input", "CSV"},
      {With({"--input=semicolon"}), UsageError::kBadValue, "--input", "semicolon"},
      {With({"--input="}), UsageError::kBadValue, "--input", ""},
      {With({"--format=xlsx"}), UsageError::kBadValue, "--format", "xlsx"},
      {With({"--format=CSV"}), UsageError::kBadValue, "--format", "CSV"},
      {With({"--format=phylip"}), UsageError::kBadValue, "--format", "phylip"},
      {With({"--format="}), UsageError::kBadValue, "--format", ""},
      {With({"--standardized="}), UsageError::kBadValue, "--standardized", ""},
      {With({"--format=csv", "--format=tsv"}), UsageError::kRepeatedOption, "--format", ""},
      {With({"--standardized=a", "--standardized", "b"}), UsageError::kRepeatedOption, "--standardized", ""},
      {{"d.txt", "o.txt", "--standardized"}, UsageError::kMissingValue, "--standardized", ""},
      {{"d.txt", "o.txt", "--format"}, UsageError::kMissingValue, "--format", ""},
      {With({"--tree="}), UsageError::kBadValue, "--tree", ""},
      {With({"--phylip", ""}), UsageError::kBadValue, "--phylip", ""},
      {With({"--svg="}), UsageError::kBadValue, "--svg", ""},
      // --min-common: a whole number from 1 to 32767, in decimal digits alone
      {With({"--min-common=0"}), UsageError::kBadValue, "--min-common", "0"},
      {With({"--min-common=abc"}), UsageError::kBadValue, "--min-common", "abc"},
      {With({"--min-common="}), UsageError::kBadValue, "--min-common", ""},
      {With({"--min-common=-2"}), UsageError::kBadValue, "--min-common", "-2"},
      {With({"--min-common=32768"}), UsageError::kBadValue, "--min-common", "32768"},
      {With({"--min-common=99999999999"}), UsageError::kBadValue, "--min-common", "99999999999"},
      {With({"--min-common=2.0"}), UsageError::kBadValue, "--min-common", "2.0"},
      {With({"--min-common=2", "--min-common=2"}), UsageError::kRepeatedOption, "--min-common", ""},
      {{"d.txt", "o.txt", "--min-common"}, UsageError::kMissingValue, "--min-common", ""},
      // --missing: an item with a blank at an end would never match a value
      {With({"--missing= NA"}), UsageError::kBadValue, "--missing", " NA"},
      {With({"--missing=NA ,999"}), UsageError::kBadValue, "--missing", "NA ,999"},
      {With({"--missing=NA,\t"}), UsageError::kBadValue, "--missing", "NA,\t"},
      {With({"--missing=NA", "--missing="}), UsageError::kRepeatedOption, "--missing", ""},
      {{"d.txt", "o.txt", "--missing"}, UsageError::kMissingValue, "--missing", ""},
      // the number of groups: a whole number from 2 to 32766, with groups only
      {With({"--groups=g", "--k=1"}), UsageError::kBadValue, "--k", "1"},
      {With({"--groups=g", "--k=0"}), UsageError::kBadValue, "--k", "0"},
      {With({"--groups=g", "--k=-3"}), UsageError::kBadValue, "--k", "-3"},
      {With({"--groups=g", "--k=abc"}), UsageError::kBadValue, "--k", "abc"},
      {With({"--groups=g", "--k=2.5"}), UsageError::kBadValue, "--k", "2.5"},
      {With({"--groups=g", "--k=32767"}), UsageError::kBadValue, "--k", "32767"},
      {With({"--groups=g", "--k=99999999999999999999"}), UsageError::kBadValue, "--k", "99999999999999999999"},
      {With({"--groups=g", "--k="}), UsageError::kBadValue, "--k", ""},
      {With({"--groups=g", "--k=3", "--k=3"}), UsageError::kRepeatedOption, "--k", ""},
      {With({"--k=3"}), UsageError::kCountWithoutGroups, "--k", ""},
      {With({"--k=3", "--pca=p", "--svg=s"}), UsageError::kCountWithoutGroups, "--k", ""},
      {With({"--groups=g", "--method=nj"}), UsageError::kGroupsWithoutLinkage, "--groups", ""},
      {With({"--method=nj", "--group-means=m"}), UsageError::kGroupsWithoutLinkage, "--group-means", ""},
      {With({"--method=nj", "--group-means=m", "--groups=g", "--k=4"}), UsageError::kGroupsWithoutLinkage, "--groups", ""},
      {With({"--pca="}), UsageError::kBadValue, "--pca", ""},
      {With({"--groups="}), UsageError::kBadValue, "--groups", ""},
      {With({"--group-means="}), UsageError::kBadValue, "--group-means", ""},
      {With({"--pca=a", "--pca=b"}), UsageError::kRepeatedOption, "--pca", ""},
      {{"d.txt", "o.txt", "--pca"}, UsageError::kMissingValue, "--pca", ""},
      // the first error is the one reported
      {With({"--method=x", "--frobnicate"}), UsageError::kBadValue, "--method", "x"},
      {With({"--frobnicate", "--method=x"}), UsageError::kUnknownOption, "--frobnicate", ""},
  };
  for (const Refused& c : cases) {
    CommandLine line;
    const UsageError error = ParseCommandLine(c.args, line);
    std::string args;
    for (const std::string& a : c.args) args += "[" + a + "]";
    const UsageError expected{c.kind, c.option, c.value};
    EXPECT_EQ(Describe(error), Describe(expected)) << args;
  }
}

}  // namespace
}  // namespace kyori
