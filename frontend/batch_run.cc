#include "frontend/batch_run.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/condensed.h"
#include "analysis/linkage.h"
#include "analysis/neighbor_joining.h"
#include "analysis/newick.h"
#include "analysis/phylip.h"
#include "analysis/svg.h"
#include "analysis/tree.h"
#include "app/collection.h"
#include "app/collection_arithmetic.h"
#include "app/collection_memory.h"
#include "app/collection_reader.h"
#include "app/collection_report.h"
#include "frontend/batch_texts.h"
#include "frontend/output_file.h"
#include "io/channels.h"
#include "platform/platform.h"
#include "text/byte_string.h"
#include "text/display_utf8.h"

namespace kyori {
namespace {

constexpr int32_t kDataChannel = 1;
// The compatible spread may differ from the accurate one by this much,
// relative, before a warning: about what a report cell of 8 characters hides.
constexpr double kSpreadTolerance = 1e-6;

enum : int { kDone = 0, kFailed = 1 };

struct BatchRun {
  const CommandLine& line;
  MessageStyle style;
  const std::string& data_name;
  const std::string& output_name;
  int jobs;
  Arithmetic arithmetic;
};

MessageLine About(const BatchRun& run, const std::string& file) {
  MessageLine message(run.style);
  message.Data(file).Plain(": ");
  return message;
}

int Fail(MessageLine message) {
  message.Write();
  return kFailed;
}

// "trait 3 (height)" / "3番目の形質（height）"
MessageLine& SayTrait(MessageLine& message, const Collection& c, int trait) {
  const std::string number = std::to_string(trait + 1);
  message.Say("trait ", "").Plain(number).Say(" (", texts::kJaTraitPrefix);
  message.Data(c.trait_names[static_cast<std::size_t>(trait)].View()).Say(")", texts::kJaTraitSuffix);
  return message;
}

std::string Gibibytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0));
  return text;
}

// The memory the run will hold at its peak, from the counts and the options
// (app/collection_memory.h), with the most threads up to run.jobs that fit
// in the machine's memory: run.jobs is lowered to that number. When not
// even one thread fits, the figure for one thread.
std::uint64_t MemoryNeeded(BatchRun& run, const Collection& c) {
  const CommandLine& line = run.line;
  RunShape shape;
  shape.arithmetic = run.arithmetic;
  shape.matrix = !line.phylip.empty();
  shape.picture = !line.svg.empty();
  if (!line.tree.empty() || shape.picture) {
    shape.tree = line.method == "nj"       ? TreeWork::kNeighborJoining
                 : line.method == "single" ? TreeWork::kSpanningTree
                                           : TreeWork::kChain;
  }
  shape.jobs = run.jobs;
  shape.thread_stack_bytes = platform::ThreadStackBytes();
  const int jobs = JobsWithin(c.varieties, c.traits, shape, platform::MemoryLimitBytes());
  shape.jobs = std::max(jobs, 1);
  run.jobs = shape.jobs;
  return PeakBytes(c.varieties, c.traits, shape);
}

bool OpenData(const BatchRun& run) {
  if (run.data_name == "-") {
    AttachChannel(kDataChannel, platform::StandardInput());
  } else {
    if (platform::IsDirectory(run.data_name.c_str())) return false;
    OpenChannel(TextFromBytes(run.data_name), kOpenRead, kDataChannel);
  }
  return ChannelIsOpen(kDataChannel);
}

bool DataIsEmpty() {
  const int first = ReadChannelByte(kDataChannel);
  if (first < 0) return true;
  GiveBackChannelByte(kDataChannel);
  return false;
}

void WarnAboutSpreads(const BatchRun& run, const Collection& c) {
  for (const SpreadDifference& d : CompareSpreads(c, kSpreadTolerance)) {
    MessageLine message = About(run, run.data_name);
    message.Say("warning: ", texts::kJaWarning);
    SayTrait(message, c, d.trait);
    if (d.compatible_identical) {
      message.Say(": the compatible arithmetic finds all its values the same, but they differ; "
                  "--arithmetic=accurate gives the correct result",
                  texts::kJaFalseIdentical);
    } else {
      char percent[32];
      std::snprintf(percent, sizeof percent, "%.3g%%", d.relative * 100);
      message.Say(": its standard deviation is off by ", texts::kJaSpreadOff).Plain(percent);
      message.Say(" in the compatible arithmetic; --arithmetic=accurate gives the correct value",
                  texts::kJaSpreadOffEnd);
    }
    message.Write();
  }
}

std::vector<std::string> NamesInUtf8(const Collection& c) {
  std::vector<std::string> names;
  names.reserve(c.variety_names.size());
  for (const ByteString& name : c.variety_names) names.push_back(DisplayUtf8(name.View()));
  return names;
}

bool WriteOutput(const BatchRun& run, const std::string& name, auto write) {
  OutputFile file;
  if (!file.Open(name)) {
    Fail(About(run, name).Say("cannot create the output file", texts::kJaCannotCreateOutput));
    return false;
  }
  if (!write(file) || !file.Commit()) {
    Fail(About(run, name).Say("writing failed", texts::kJaWriteFailed));
    return false;
  }
  return true;
}

bool WantsAnalyses(const CommandLine& line) {
  return !line.tree.empty() || !line.svg.empty() || !line.phylip.empty();
}

// The tree, the matrix and the picture, from the distances the report
// printed (the triangle's roots, handed over).
int WriteAnalyses(const BatchRun& run, const Collection& c, DistanceTriangle& triangle) {
  const CommandLine& line = run.line;
  const bool want_tree = !line.tree.empty() || !line.svg.empty();
  if (!WantsAnalyses(line)) return kDone;
  analysis::Distances distances;
  distances.n = c.varieties;
  TakeRoots(triangle, run.jobs);
  distances.condensed = std::move(triangle.roots);
  const std::vector<std::string> names = NamesInUtf8(c);
  if (!line.phylip.empty() &&
      !WriteOutput(run, line.phylip, [&](OutputFile& f) { return analysis::WritePhylip(distances, names, f.Stream()); })) {
    return kFailed;
  }
  if (!want_tree) return kDone;
  analysis::Tree tree;
  analysis::DistancesProblem problem;
  if (line.method == "nj") {
    problem = analysis::NeighborJoining(distances, &tree, run.jobs);
  } else {
    analysis::LinkageMethod method = analysis::LinkageMethod::kAverage;
    analysis::LinkageMethodFromName(line.method, &method);
    analysis::Linkage linkage;
    problem = analysis::ComputeLinkage(distances, method, &linkage);
    if (problem == analysis::DistancesProblem::kNone) tree = analysis::TreeFromLinkage(linkage);
  }
  if (problem != analysis::DistancesProblem::kNone) {
    return Fail(About(run, run.data_name).Plain(analysis::DescribeProblem(problem)));
  }
  if (!line.tree.empty() &&
      !WriteOutput(run, line.tree, [&](OutputFile& f) {
        analysis::WriteNewick(tree, names, f.Stream());
        return true;
      })) {
    return kFailed;
  }
  if (!line.svg.empty() &&
      !WriteOutput(run, line.svg, [&](OutputFile& f) {
        return analysis::WriteSvg(tree, distances, names, analysis::SvgOptions{}, f.Stream());
      })) {
    return kFailed;
  }
  if (c.varieties >= 3) {
    const double r = analysis::CopheneticCorrelation(distances.condensed, analysis::CopheneticDistances(tree));
    char value[32];
    std::snprintf(value, sizeof value, "%.6f", r);
    MessageLine message(run.style);
    message.Say("cophenetic correlation", texts::kJaCophenetic).Plain(" (" + line.method + "): ").Plain(value);
    message.Write();
  }
  return kDone;
}

int Run(BatchRun& run) {
  // DATA and OUTPUT naming one file, by two names or as the file standard
  // input reads: the report would replace the data.
  const bool same_file =
      run.output_name != "-" &&
      (run.data_name == "-" ? platform::IsHandleOfFile(platform::StandardInput(), run.output_name.c_str())
                            : platform::SameFile(run.data_name.c_str(), run.output_name.c_str()));
  if (same_file) {
    return Fail(About(run, run.output_name).Say("is the data file itself; it would be overwritten", texts::kJaSameFile));
  }
  if (!OpenData(run)) return Fail(About(run, run.data_name).Say("cannot open the data file", texts::kJaCannotOpenData));
  if (DataIsEmpty()) {
    CloseChannel(kDataChannel);
    return Fail(About(run, run.data_name).Say("the data file is empty", texts::kJaDataEmpty));
  }
  Collection c;
  ReadCollectionCounts(kDataChannel, c);
  if (c.variety_count >= kBatchCapacity + 1 || c.trait_count >= kBatchCapacity + 1) {
    CloseChannel(kDataChannel);
    return Fail(About(run, run.data_name).Say("more than 32767 varieties or traits", texts::kJaOverCapacity));
  }
  const std::uint64_t needed = MemoryNeeded(run, c);
  const std::uint64_t limit = platform::MemoryLimitBytes();
  if (needed > limit) {
    CloseChannel(kDataChannel);
    MessageLine message = About(run, run.data_name);
    message.Say("needs ", texts::kJaMemoryNeeds).Plain(Gibibytes(needed));
    message.Say(" of memory; this machine has ", texts::kJaMemoryHas).Plain(Gibibytes(limit));
    return Fail(message.Say("", texts::kJaMemoryEnd));
  }
  ReadCollectionBody(kDataChannel, c);
  CloseChannel(kDataChannel);

  if (run.arithmetic == Arithmetic::kCompatible) WarnAboutSpreads(run, c);
  const TraitStop stop = StandardizeCollection(c, run.arithmetic);
  if (stop.kind != TraitStop::kNone) {
    MessageLine message = About(run, run.data_name);
    SayTrait(message, c, stop.trait);
    if (stop.kind == TraitStop::kIdentical) return Fail(message.Say(": all its values are the same", texts::kJaIdentical));
    return Fail(message.Say(": a value is not a finite number", texts::kJaNotFinite));
  }
  DistanceTriangle triangle = ComputeDistances(c, run.arithmetic, run.jobs);
  // The analyses need the distances themselves after the report; without
  // them only the report's cells are kept.
  const bool keep_roots = WantsAnalyses(run.line);
  if (keep_roots) TakeRoots(triangle, run.jobs);
  PackCells(triangle, !keep_roots, run.jobs);
  const bool utf8 = run.line.encoding == "utf-8";
  const ReportHeadings headings{utf8 ? texts::kStandardizedHeading.readable : texts::kStandardizedHeading.bytes,
                                utf8 ? texts::kResultsHeading.readable : texts::kResultsHeading.bytes};
  if (!WriteOutput(run, run.output_name, [&](OutputFile& f) {
        WriteCollectionReport(c, triangle, headings, run.jobs, f.Writer());
        return !f.Writer().Failed();
      })) {
    return kFailed;
  }
  return WriteAnalyses(run, c, triangle);
}

}  // namespace

int RunBatch(const CommandLine& line, MessageStyle style) {
  InitRuntime();
  platform::SetFileNameEncoding(platform::NameEncoding::kUtf8);
  platform::ShareOneHeap();  // a thread then holds no memory of its own but its stack
  int jobs = line.jobs;
  if (jobs <= 0) jobs = static_cast<int>(std::thread::hardware_concurrency());
  if (jobs <= 0) jobs = 1;
  BatchRun run{line, style, line.files[0], line.files[1], jobs,
               line.arithmetic == "accurate" ? Arithmetic::kAccurate : Arithmetic::kCompatible};
  // Memory that runs out in spite of the check (names far longer than
  // foreseen, other programs' use) ends the run with one line; the output
  // files being written are removed as the stack unwinds.
  try {
    return Run(run);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  } catch (const std::system_error&) {
  }
  CloseChannel(kDataChannel);
  return Fail(About(run, run.data_name).Say("not enough memory to finish the run", texts::kJaOutOfMemory));
}

}  // namespace kyori
