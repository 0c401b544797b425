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
#include "batch/collection.h"
#include "batch/collection_arithmetic.h"
#include "batch/collection_memory.h"
#include "batch/collection_reader.h"
#include "batch/collection_report.h"
#include "frontend/batch_texts.h"
#include "frontend/output_set.h"
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

enum : int { kDone = 0, kFailed = 1, kUsage = 2 };

struct BatchRun {
  const CommandLine& line;
  MessageStyle style;
  const std::string& data_name;
  const std::string& output_name;
  int jobs;
  Arithmetic arithmetic;
  platform::FileHandle standard_output;  // kInvalidHandle when it was closed
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
// (batch/collection_memory.h), with the most threads up to run.jobs that fit
// in the machine's memory: run.jobs is lowered to that number. When not
// even one thread fits, the figure for one thread.
std::uint64_t MemoryNeeded(BatchRun& run, const Collection& c) {
  const CommandLine& line = run.line;
  RunShape shape;
  shape.arithmetic = run.arithmetic;
  shape.matrix = !line.phylip.empty();
  shape.picture = !line.svg.empty();
  if (!line.tree.empty() || shape.picture) {
    shape.tree = line.method == TreeMethod::kNeighborJoining ? TreeWork::kNeighborJoining
                 : line.method == TreeMethod::kSingle        ? TreeWork::kSpanningTree
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
    OpenChannel(TextFromBytes(run.data_name), kOpenReadShared, kDataChannel);
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

bool WantsAnalyses(const CommandLine& line) {
  return !line.tree.empty() || !line.svg.empty() || !line.phylip.empty();
}

// What each output of a run is.
enum class OutputKind { kReport, kPhylip, kTree, kPicture };

struct RunOutputs {
  std::vector<OutputName> names;
  std::vector<OutputKind> kinds;
};

// OUTPUT, then each file an option asks for, in the order they are written.
RunOutputs OutputsOf(const BatchRun& run) {
  RunOutputs outputs;
  auto add = [&](const char* option, const std::string& name, OutputKind kind) {
    if (name.empty()) return;
    outputs.names.push_back({option, name});
    outputs.kinds.push_back(kind);
  };
  add("OUTPUT", run.output_name, OutputKind::kReport);
  add("--phylip", run.line.phylip, OutputKind::kPhylip);
  add("--tree", run.line.tree, OutputKind::kTree);
  add("--svg", run.line.svg, OutputKind::kPicture);
  return outputs;
}

// Refuses a run whose outputs include the data file or one file twice:
// the last writer would replace the data or another output.
//   "kyori: in.txt: is the data file itself; it would be overwritten"
//   "kyori: same: --svg and --tree name the same file; ..."
int RefuseSharedFiles(const BatchRun& run, const std::vector<OutputName>& names) {
  const SharedFile shared = FindSharedFile(run.data_name, names);
  if (shared.output == SharedFile::kNone) return kDone;
  const OutputName& output = names[static_cast<std::size_t>(shared.output)];
  MessageLine message = About(run, output.name);
  if (shared.other == SharedFile::kData) {
    message.Say("is the data file itself; it would be overwritten", texts::kJaSameFile);
  } else if (shared.other == SharedFile::kStandardError) {
    message.Say("is where standard error goes; the messages would be mixed in", texts::kJaStandardErrorFile);
  } else {
    const OutputName& other = names[static_cast<std::size_t>(shared.other)];
    message.Plain(output.option).Say(" and ", texts::kJaAnd).Plain(other.option);
    message.Say(" name the same file; each output needs a file of its own", texts::kJaSameOutput);
  }
  message.Write();
  return kUsage;
}

// What the outputs are made from: the report's cells, and for the tree,
// the matrix and the picture the distances and the tree.
struct Results {
  const Collection& c;
  const ReportCells& cells;
  ReportHeadings headings;
  analysis::Distances distances;
  analysis::Tree tree;
  std::vector<std::string> names;  // in UTF-8, for the analyses' files
};

// The tree of the method asked for; false (with its message) when the
// distances cannot be clustered.
bool BuildTree(const BatchRun& run, Results& results) {
  analysis::DistancesProblem problem;
  analysis::LinkageMethod method = analysis::LinkageMethod::kAverage;
  if (LinkageMethodOf(run.line.method, &method)) {
    analysis::Linkage linkage;
    problem = analysis::ComputeLinkage(results.distances, method, &linkage);
    if (problem == analysis::DistancesProblem::kNone) results.tree = analysis::TreeFromLinkage(linkage);
  } else {
    problem = analysis::NeighborJoining(results.distances, &results.tree, run.jobs);
  }
  if (problem == analysis::DistancesProblem::kNone) return true;
  Fail(About(run, run.data_name).Plain(analysis::DescribeProblem(problem)));
  return false;
}

// Writes one output into its file; false when a write failed.
bool WriteOne(const BatchRun& run, const Results& r, OutputKind kind, OutputFile& file) {
  switch (kind) {
    case OutputKind::kReport:
      WriteCollectionReport(r.c, r.cells, r.headings, run.jobs, file.Writer());
      break;
    case OutputKind::kPhylip:
      analysis::WritePhylip(r.distances, r.names, file.Stream());
      break;
    case OutputKind::kTree:
      analysis::WriteNewick(r.tree, r.names, file.Stream());
      break;
    case OutputKind::kPicture:
      analysis::WriteSvg(r.tree, r.distances, r.names, analysis::SvgOptions{}, file.Stream());
      break;
  }
  return file.Finish();
}

void SayCopheneticCorrelation(const BatchRun& run, const Results& r) {
  const double value = analysis::CopheneticCorrelation(r.distances.condensed, analysis::CopheneticDistances(r.tree));
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", value);
  MessageLine message(run.style);
  message.Say("cophenetic correlation", texts::kJaCophenetic)
      .Plain(std::string(" (") + TreeMethodName(run.line.method) + "): ")
      .Plain(text);
  message.Write();
}

// Every output written to its temporary file (those written in place last),
// then all put in place together.
int WriteOutputs(const BatchRun& run, OutputSet& outputs, const RunOutputs& planned, const Results& results) {
  for (const int k : outputs.WriteOrder()) {
    const OutputKind kind = planned.kinds[static_cast<std::size_t>(k)];
    if (!WriteOne(run, results, kind, outputs.File(k))) {
      return Fail(About(run, planned.names[static_cast<std::size_t>(k)].name).Say("writing failed", texts::kJaWriteFailed));
    }
  }
  const int failed = outputs.Commit();
  if (failed >= 0) {
    return Fail(About(run, planned.names[static_cast<std::size_t>(failed)].name).Say("writing failed", texts::kJaWriteFailed));
  }
  return kDone;
}

int Run(BatchRun& run) {
  const RunOutputs planned = OutputsOf(run);
  if (const int refused = RefuseSharedFiles(run, planned.names); refused != kDone) return refused;
  if (!OpenData(run)) return Fail(About(run, run.data_name).Say("cannot open the data file", texts::kJaCannotOpenData));
  if (DataIsEmpty()) {
    CloseChannel(kDataChannel);
    return Fail(About(run, run.data_name).Say("the data file is empty", texts::kJaDataEmpty));
  }
  // Every output's temporary file is made before the work starts: one that
  // cannot be created ends the run before any is written.
  OutputSet outputs(planned.names);
  const int cannot_create = outputs.Open(run.standard_output);
  if (cannot_create >= 0) {
    CloseChannel(kDataChannel);
    return Fail(About(run, planned.names[static_cast<std::size_t>(cannot_create)].name)
                    .Say("cannot create the output file", texts::kJaCannotCreateOutput));
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
  // Bytes that are no data file at all (NULs, blank lines, random bytes)
  // read as 0 varieties: no report, and no tree, can be made of them. Traits
  // are not required: a file of varieties without traits has a report.
  if (c.varieties == 0) {
    return Fail(About(run, run.data_name)
                    .Say("holds no variety: its first field, the number of varieties, is not 1 or more",
                         texts::kJaNoVarieties));
  }

  if (run.arithmetic == Arithmetic::kCompatible) WarnAboutSpreads(run, c);
  const TraitStop stop = StandardizeCollection(c, run.arithmetic);
  if (stop.kind != TraitStop::kNone) {
    MessageLine message = About(run, run.data_name);
    SayTrait(message, c, stop.trait);
    if (stop.kind == TraitStop::kIdentical) return Fail(message.Say(": all its values are the same", texts::kJaIdentical));
    return Fail(message.Say(": a value is not a finite number", texts::kJaNotFinite));
  }
  DistanceTriangle triangle = ComputeDistances(c, run.arithmetic, run.jobs);
  // The analyses need the distances themselves beside the report's cells;
  // without them only the cells are kept.
  const bool keep_roots = WantsAnalyses(run.line);
  if (keep_roots) TakeRoots(triangle, run.jobs);
  const ReportCells cells = PackCells(triangle, !keep_roots, run.jobs);
  const bool utf8 = run.line.encoding == HeadingEncoding::kUtf8;
  Results results{c, cells,
                  ReportHeadings{utf8 ? texts::kStandardizedHeading.readable : texts::kStandardizedHeading.bytes,
                                 utf8 ? texts::kResultsHeading.readable : texts::kResultsHeading.bytes},
                  {}, {}, {}};
  const bool want_tree = !run.line.tree.empty() || !run.line.svg.empty();
  if (keep_roots) {
    results.distances.n = c.varieties;
    results.distances.condensed = std::move(triangle.roots);
    results.names = NamesInUtf8(c);
    const analysis::DistancesProblem problem = analysis::CheckDistances(results.distances);
    if (problem != analysis::DistancesProblem::kNone) {
      return Fail(About(run, run.data_name).Plain(analysis::DescribeProblem(problem)));
    }
    if (want_tree && !BuildTree(run, results)) return kFailed;
  }
  if (const int written = WriteOutputs(run, outputs, planned, results); written != kDone) return written;
  if (want_tree && c.varieties >= 3) SayCopheneticCorrelation(run, results);
  return kDone;
}

}  // namespace

int RunBatch(const CommandLine& line, MessageStyle style) {
  // A closed standard handle would be taken by the next file opened (a
  // temporary file would receive the messages meant for standard error).
  const unsigned closed = platform::OccupyClosedStandardHandles();
  InitRuntime();
  platform::SetFileNameEncoding(platform::NameEncoding::kUtf8);
  platform::ShareOneHeap();  // a thread then holds no memory of its own but its stack
  int jobs = line.jobs;
  if (jobs <= 0) jobs = static_cast<int>(std::thread::hardware_concurrency());
  if (jobs <= 0) jobs = 1;
  BatchRun run{line, style, line.files[0], line.files[1], jobs, line.arithmetic,
               (closed & 2u) != 0 ? platform::kInvalidHandle : platform::StandardOutput()};
  // A signal that ends the run removes its temporary files and says so.
  MessageLine stopped(style);
  stopped.Say("stopped by a signal; no output file was replaced", texts::kJaStoppedBySignal);
  platform::RemoveOnEndSignals(stopped.Text() + "\n");
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
