#include "frontend/batch_run.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "batch/pipeline.h"
#include "batch/pipeline_gaps.h"
#include "frontend/batch_analyses.h"
#include "frontend/batch_multivariate.h"
#include "frontend/batch_outputs.h"
#include "frontend/batch_texts.h"
#include "frontend/output_set.h"
#include "frontend/pair_run.h"
#include "frontend/pair_texts.h"
#include "frontend/read_messages.h"
#include "frontend/read_texts.h"
#include "platform/platform.h"
#include "text/byte_string.h"
#include "text/texts.h"

namespace kyori {
namespace {

enum : int { kDone = 0, kFailed = 1, kUsage = 2 };

struct BatchRun {
  const CommandLine& line;
  MessageStyle style;
  const std::string& data_name;
  RunRequest request;
  platform::FileHandle standard_output;  // kInvalidHandle when it was closed
};

// What the options ask of the pipeline, with `jobs` threads.
RunRequest RequestOf(const CommandLine& line, int jobs) {
  RunRequest request;
  request.input = line.input;
  request.arithmetic = line.arithmetic;
  request.jobs = jobs;
  request.products.report = line.format == OutputFormat::kReport;
  request.products.distance_table = !request.products.report;
  request.products.values_table = !line.standardized.empty();
  request.products.matrix = !line.phylip.empty();
  request.products.picture = !line.svg.empty();
  request.products.pca = !line.pca.empty();
  request.products.groups = !line.groups.empty();
  request.products.group_means = !line.group_means.empty();
  request.products.group_count = line.group_count;
  const bool groups = request.products.groups || request.products.group_means;
  if (!line.tree.empty() || request.products.picture || groups) request.products.tree = TreeWorkOf(line.method);
  request.products.matrix = request.products.matrix || !line.matrix.empty();
  request.products.neighbours = line.neighbours;
  request.products.duplicates = line.duplicates >= 0;
  if (request.products.PairSearch()) {
    // OUTPUT is the table of the search, in the accurate arithmetic.
    request.arithmetic = ArithmeticChoice::kAccurate;
    request.products.report = request.products.distance_table = false;
  }
  const bool utf8 = line.encoding == HeadingEncoding::kUtf8;
  request.headings = {utf8 ? texts::kStandardizedHeading.readable : texts::kStandardizedHeading.bytes,
                      utf8 ? texts::kResultsHeading.readable : texts::kResultsHeading.bytes};
  request.machine = ThisMachine();
  request.missing = line.missing;
  request.min_common = line.min_common;
  return request;
}

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
  message.Data(c.trait_names[static_cast<std::size_t>(trait)].View(), c.name_encoding);
  message.Say(")", texts::kJaTraitSuffix);
  return message;
}

std::string Gibibytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0));
  return text;
}

// ---- The outcomes of the stages, as messages

int FailDataFile(const BatchRun& run, DataFile::Opened opened) {
  if (opened == DataFile::Opened::kEmpty) {
    return Fail(About(run, run.data_name).Say("the data file is empty", texts::kJaDataEmpty));
  }
  return Fail(About(run, run.data_name).Say("cannot open the data file", texts::kJaCannotOpenData));
}

// "kyori: big.txt: needs 3.2 GiB of memory; this machine has 2.0 GiB"
int FailOverMemory(const BatchRun& run, const RunPlan& plan) {
  MessageLine message = About(run, run.data_name);
  message.Say("needs ", texts::kJaMemoryNeeds).Plain(Gibibytes(plan.needed));
  message.Say(" of memory; this machine has ", texts::kJaMemoryHas).Plain(Gibibytes(plan.limit));
  return Fail(message.Say("", texts::kJaMemoryEnd));
}

int FailRead(const BatchRun& run, const ReadOutcome& read, const Collection& c) {
  MessageLine message = About(run, run.data_name);
  switch (read.kind) {
    case ReadOutcome::kOverCapacity:
      if (run.request.products.PairSearch()) {
        return Fail(message.Say("more than 1000000 varieties or 32767 traits", texts::kJaOverPairCapacity));
      }
      return Fail(message.Say("more than 32767 varieties or traits", texts::kJaOverCapacity));
    case ReadOutcome::kOverMemory:
      return FailOverMemory(run, read.plan);
    case ReadOutcome::kEmptyTable:
      return Fail(message.Say("the data file is empty", texts::kJaDataEmpty));
    case ReadOutcome::kCannotRead:
      return Fail(message.Say("the data file could not be read", texts::kJaCannotRead));
    case ReadOutcome::kLayoutFault:
      SayLayoutError(message, read.layout);
      return Fail(message);
    case ReadOutcome::kTableFault:
      SayTableError(message, read.table_read, run.line.input != InputChoice::kAuto);
      return Fail(message);
    case ReadOutcome::kOneVariety:
      SayOneVariety(message, read.line, c.variety_names[0].View(), c.name_encoding);
      return Fail(message);
    default:
      // The count of varieties, the file's first field, is below 1.
      return Fail(message.Say("holds no variety: its first field, the number of varieties, is not 1 or more",
                              texts::kJaNoVarieties));
  }
}

void WarnAboutSpreads(const BatchRun& run, const Collection& c, const std::vector<SpreadDifference>& spreads) {
  for (const SpreadDifference& d : spreads) {
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

int FailTraitStop(const BatchRun& run, const Collection& c, const TraitStop& stop) {
  MessageLine message = About(run, run.data_name);
  SayTrait(message, c, stop.trait);
  if (stop.kind == TraitStop::kIdentical) return Fail(message.Say(": all its values are the same", texts::kJaIdentical));
  return Fail(message.Say(": a value is not a finite number", texts::kJaNotFinite));
}

// ---- Missing values

// "kyori: field.csv: 37 of 1200 values missing, in 4 traits"
void SayMissingCount(const BatchRun& run, const MissingCount& count) {
  MessageLine message = About(run, run.data_name);
  const std::string values = std::to_string(count.values);
  const std::string missing = std::to_string(count.missing);
  const std::string traits = std::to_string(count.traits);
  if (run.style.japanese) {
    message.Plain(values).Say("", texts::kJaMissingOf).Plain(missing).Say("", texts::kJaMissingValues);
    message.Plain(traits).Say("", texts::kJaMissingTraits);
  } else {
    message.Plain(missing + " of " + values + " values missing, in " + traits +
                  (count.traits == 1 ? " trait" : " traits"));
  }
  message.Write();
}

// Missing values, and the compatible arithmetic asked for by name: it has
// no definition for them (exit 2, as a usage error).
int RefuseCompatibleGaps(const BatchRun& run, const MissingCount& count) {
  MessageLine message = About(run, run.data_name);
  message.Plain(std::to_string(count.missing));
  message.Say(count.missing == 1 ? " value is missing, and the compatible arithmetic has no definition for missing "
                                   "values; use --arithmetic=accurate or auto"
                                 : " values are missing, and the compatible arithmetic has no definition for missing "
                                   "values; use --arithmetic=accurate or auto",
              texts::kJaCompatibleGaps);
  message.Write();
  return kUsage;
}

int FailGappedTraitStop(const BatchRun& run, const Collection& c, const GappedTraitStop& stop) {
  MessageLine message = About(run, run.data_name);
  SayTrait(message, c, stop.trait);
  switch (stop.kind) {
    case GappedTraitStop::kTooFewValues:
      message.Say(": fewer than two present values (", texts::kJaTooFewPresent).Plain(std::to_string(stop.present));
      return Fail(message.Say("); standardizing needs two", texts::kJaPresentEnd));
    case GappedTraitStop::kIdentical:
      return Fail(message.Say(": all its present values are the same", texts::kJaPresentIdentical));
    default:
      return Fail(message.Say(": a value is not a finite number", texts::kJaNotFinite));
  }
}

// "variety 3 (x)" / "3番目の品種（x）"
MessageLine& SayVariety(MessageLine& message, const Collection& c, int variety) {
  message.Plain(std::to_string(variety + 1)).Say(" (", texts::kJaVarietyPrefix);
  message.Data(c.variety_names[static_cast<std::size_t>(variety)].View(), c.name_encoding);
  return message.Say(")", texts::kJaTraitSuffix);
}

// A tree, matrix or picture asked for, and a pair without a distance: names
// the first such pair and counts them all.
//   "kyori: d.csv: varieties 2 (y) and 3 (z) have no trait in common, so no
//    distance; pairs without a distance: 1; a tree, a PHYLIP matrix or a
//    picture needs every pair's distance"
int FailNoDistance(const BatchRun& run, const Collection& c, const NoDistanceCount& none) {
  MessageLine message = About(run, run.data_name);
  message.Say("varieties ", "");
  SayVariety(message, c, none.first).Say(" and ", texts::kJaVarietyAnd);
  SayVariety(message, c, none.second);
  if (run.request.min_common <= 1) {
    message.Say(" have no trait in common, so no distance", texts::kJaNoCommonTrait);
  } else {
    const std::string k = std::to_string(run.request.min_common);
    message.Say(" have fewer than ", texts::kJaFewCommonBefore).Plain(k);
    message.Say(" traits in common (", texts::kJaFewCommonMid).Plain("--min-common=" + k);
    message.Say("), so no distance", texts::kJaFewCommonAfter);
  }
  message.Say("; pairs without a distance: ", texts::kJaNoDistancePairs).Plain(std::to_string(none.pairs));
  return Fail(message.Say("; a tree, a PHYLIP matrix or a picture needs every pair's distance",
                          texts::kJaNoDistanceEnd));
}

void SayCopheneticCorrelation(const BatchRun& run, const Analyses& analyses) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", CopheneticCorrelationOf(analyses));
  MessageLine message(run.style);
  message.Say("cophenetic correlation", texts::kJaCophenetic)
      .Plain(std::string(" (") + TreeMethodName(run.line.method) + "): ")
      .Plain(text);
  message.Write();
}

// ---- The principal components and the groups

// The components of the values as read, when --pca asks: kDone, or kFailed
// with its message.
int PrincipalComponents(const BatchRun& run, const Collection& c, const std::vector<double>& as_read,
                        Multivariate& multivariate) {
  if (run.line.pca.empty()) return kDone;
  const PcaStage stage = ComputeRunPca(c, as_read, multivariate);
  if (stage.kind == PcaStage::kDone) return kDone;
  MessageLine message = About(run, run.data_name);
  if (stage.kind == PcaStage::kOneTrait) {
    message.Say("principal components: the biplot needs at least two traits; the data has ", texts::kJaBiplotTraits);
    return Fail(message.Plain(std::to_string(c.traits)).Say("", texts::kJaCountEnd));
  }
  message.Say("principal components: ", texts::kJaPrincipalComponents);
  if (stage.kind == PcaStage::kProblem) return Fail(message.Plain(analysis::DescribePcaProblem(stage.problem)));
  SayTrait(message, c, stage.stop.trait);
  switch (stage.stop.kind) {
    case GappedTraitStop::kNotFinite: return Fail(message.Say(": a value is not a finite number", texts::kJaNotFinite));
    case GappedTraitStop::kTooFewValues: return Fail(message.Say(": fewer than two values", texts::kJaTooFewValues));
    default: return Fail(message.Say(": all its values are the same", texts::kJaIdentical));
  }
}

// The components, before the distances take their room; the values as read
// are then let go unless the groups' means still need them.
int ComponentsBeforeDistances(const BatchRun& run, const Collection& c, std::vector<double>& as_read,
                              Multivariate& multivariate) {
  if (const int failed = PrincipalComponents(run, c, as_read, multivariate); failed != kDone) return failed;
  if (run.line.group_means.empty()) std::vector<double>().swap(as_read);
  return kDone;
}

// Refuses groups of a collection with fewer varieties than they need: k + 1
// for --k, else 3. kDone when no groups are asked or there are enough.
//   "kyori: in.txt: groups need at least 6 varieties; the data has 4"
int RefuseGroupsOfTooFew(const BatchRun& run, const Collection& c) {
  const bool groups = !run.line.groups.empty() || !run.line.group_means.empty();
  if (!groups || c.varieties >= VarietiesForGroups(run.line)) return kDone;
  MessageLine message = About(run, run.data_name);
  message.Say("groups need at least ", texts::kJaGroupsNeedVarieties).Plain(std::to_string(VarietiesForGroups(run.line)));
  message.Say(" varieties; the data has ", texts::kJaGroupsVarietiesHas).Plain(std::to_string(c.varieties));
  return Fail(message.Say("", texts::kJaCountEnd));
}

// The groups cut from the run's tree, when --groups or --group-means asks:
// kDone, or kFailed with its message.
int Groups(const BatchRun& run, const Collection& c, const std::vector<double>& as_read, Analyses& analyses,
           Multivariate& multivariate) {
  const GroupsStage stage = GroupRun(run.line, c, as_read, analyses, multivariate);
  if (stage.kind == GroupsStage::kDone) return kDone;
  if (stage.kind == GroupsStage::kTooFewVarieties) return RefuseGroupsOfTooFew(run, c);
  return Fail(About(run, run.data_name).Plain(analysis::DescribeGroupsProblem(stage.problem)));
}

// What a run that wrote its outputs says of its components and groups, one
// line each: the missing values the components took as the trait's mean
// (a run with gaps), and the number of groups chosen.
void SayMultivariateNotes(const BatchRun& run, const Multivariate& multivariate) {
  if (multivariate.has_pca && multivariate.pca.replaced > 0) {
    PcaMissingLine(run.style, run.data_name, multivariate.pca.replaced).Write();
  }
  if (multivariate.has_groups && multivariate.count_chosen) GroupsChosenLine(run.style, multivariate.grouping).Write();
}

// ---- The outputs

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

// ---- The run

// OUTPUT of a run of the neighbours or the duplicates, and the count of
// the duplicates:
//   "kyori: 3 pairs at a distance of at most 0.5" / "kyori: 3組が距離0.5以下です"
int FinishPairSearch(const BatchRun& run, const Collection& c, int jobs, const RunOutputs& planned, OutputSet& outputs) {
  if (c.varieties < 2) {
    return Fail(About(run, run.data_name).Say("one variety: there is no pair to compare", texts::kJaNoPairs));
  }
  const PairOutput written =
      WritePairOutput(c, run.line.neighbours, run.line.duplicates, run.request.min_common, jobs, outputs.File(0));
  if (!written.finished || outputs.Commit() >= 0) {
    return Fail(About(run, planned.names[0].name).Say("writing failed", texts::kJaWriteFailed));
  }
  if (run.line.duplicates < 0) return kDone;
  char most[32];
  const auto end = std::to_chars(most, most + sizeof most, run.line.duplicates).ptr;
  MessageLine message(run.style);
  message.Plain(std::to_string(written.pairs)).Say(" pairs at a distance of at most ", texts::kJaPairsWithin);
  message.Plain(std::string(most, end)).Say("", texts::kJaPairsWithinEnd).Write();
  return kDone;
}

// The tree, matrix and picture's starting point when the outputs ask for
// them: the distances checked and the tree built. kDone, or kFailed with
// its message.
int Analyze(const BatchRun& run, const Collection& c, std::vector<double> distances, int jobs, Analyses& analyses) {
  const RunProducts& products = run.request.products;
  if (!products.NeedDistances()) return kDone;
  const analysis::DistancesProblem problem = PrepareAnalyses(
      c, std::move(distances), products.tree != TreeWork::kNone, run.line.method, jobs, analyses);
  if (problem == analysis::DistancesProblem::kNone) return kDone;
  return Fail(About(run, run.data_name).Plain(analysis::DescribeProblem(problem)));
}

// The stages from the distances to every output in place: the tree, matrix
// and picture made of them, the groups cut from the tree, then every output
// written. `as_read` holds the values as read when --group-means needs them.
int WriteRun(const BatchRun& run, const Collection& c, const std::vector<double>& as_read, Multivariate& multivariate,
             RunDistances& distances, int jobs, const RunOutputs& planned, OutputSet& outputs) {
  Analyses analyses;
  if (const int analyzed = Analyze(run, c, std::move(distances.distances), jobs, analyses); analyzed != kDone) {
    return analyzed;
  }
  if (const int failed = Groups(run, c, as_read, analyses, multivariate); failed != kDone) return failed;
  const OutputSources sources{c, distances.cells, run.request.headings, analyses,
                              TableStyleOf(run.line.format, c.name_encoding), jobs, multivariate};
  const int failed = WriteOutputs(planned, sources, outputs);
  if (failed >= 0) {
    return Fail(About(run, planned.names[static_cast<std::size_t>(failed)].name).Say("writing failed", texts::kJaWriteFailed));
  }
  SayMultivariateNotes(run, multivariate);
  if (run.request.products.tree != TreeWork::kNone && c.varieties >= 3) SayCopheneticCorrelation(run, analyses);
  return kDone;
}

// The stages of a collection with missing values, once they are counted:
// the count on standard error, each trait standardized over its present
// values, the distances over the traits each pair shares.
int RunGappedStages(const BatchRun& run, Collection& c, std::vector<double>& as_read, const GapsFound& gaps,
                    const RunOutputs& planned, OutputSet& outputs) {
  if (gaps.kind == GapsFound::kCompatibleNamed) return RefuseCompatibleGaps(run, gaps.missing);
  if (gaps.kind == GapsFound::kOverMemory) return FailOverMemory(run, gaps.plan);
  SayMissingCount(run, gaps.missing);
  const GappedTraitStop stop = StandardizeWithGaps(c);
  if (stop.kind != GappedTraitStop::kNone) return FailGappedTraitStop(run, c, stop);
  if (run.request.products.PairSearch()) return FinishPairSearch(run, c, gaps.plan.jobs, planned, outputs);
  Multivariate multivariate;
  if (const int failed = ComponentsBeforeDistances(run, c, as_read, multivariate); failed != kDone) return failed;
  GappedRunDistances made = ComputeGappedRunDistances(c, run.request, gaps.plan);
  if (made.kind == GappedRunDistances::kNoDistance) return FailNoDistance(run, c, made.no_distance);
  return WriteRun(run, c, as_read, multivariate, made.distances, gaps.plan.jobs, planned, outputs);
}

// The stages from reading DATA to every output in place, once DATA and the
// outputs are open.
int RunStages(const BatchRun& run, DataFile& data, const RunOutputs& planned, OutputSet& outputs) {
  Collection c;
  const ReadOutcome read = ReadDataFile(data, run.request, c);
  if (read.kind != ReadOutcome::kRead) return FailRead(run, read, c);
  if (const int refused = RefuseGroupsOfTooFew(run, c); refused != kDone) return refused;
  // The components and the groups' means start from the values as read.
  std::vector<double> as_read = KeepsValuesAsRead(run.line) ? c.values : std::vector<double>();
  const GapsFound gaps = FindGaps(c, run.request);
  if (gaps.kind != GapsFound::kNone) return RunGappedStages(run, c, as_read, gaps, planned, outputs);
  const Standardized standardized = StandardizeTraits(c, read.plan.arithmetic);
  WarnAboutSpreads(run, c, standardized.spreads_off);
  if (standardized.stop.kind != TraitStop::kNone) return FailTraitStop(run, c, standardized.stop);
  if (run.request.products.PairSearch()) return FinishPairSearch(run, c, read.plan.jobs, planned, outputs);
  Multivariate multivariate;
  if (const int failed = ComponentsBeforeDistances(run, c, as_read, multivariate); failed != kDone) return failed;
  RunDistances distances = ComputeRunDistances(c, run.request, read.plan);
  return WriteRun(run, c, as_read, multivariate, distances, read.plan.jobs, planned, outputs);
}

int Run(const BatchRun& run) {
  const RunOutputs planned = OutputsOf(run.line);
  if (const int refused = RefuseSharedFiles(run, planned.names); refused != kDone) return refused;
  DataFile data;
  const DataFile::Opened opened = data.Open(run.data_name);
  if (opened != DataFile::Opened::kOpen) return FailDataFile(run, opened);
  // Every output's temporary file is made before the work starts: one that
  // cannot be created ends the run before any is written.
  OutputSet outputs(planned.names);
  const int cannot_create = outputs.Open(run.standard_output);
  if (cannot_create >= 0) {
    data.Close();
    return Fail(About(run, planned.names[static_cast<std::size_t>(cannot_create)].name)
                    .Say("cannot create the output file", texts::kJaCannotCreateOutput));
  }
  return RunStages(run, data, planned, outputs);
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
  const BatchRun run{line, style, line.files[0], RequestOf(line, jobs),
                     (closed & 2u) != 0 ? platform::kInvalidHandle : platform::StandardOutput()};
  // A signal that ends the run removes its temporary files and says so.
  MessageLine stopped(style);
  stopped.Say("stopped by a signal; no output file was replaced", texts::kJaStoppedBySignal);
  platform::RemoveOnEndSignals(stopped.Text() + "\n");
  // Memory that runs out in spite of the check (names far longer than
  // foreseen, other programs' use) ends the run with one line; the data file
  // is closed and the output files being written are removed as the stack
  // unwinds.
  try {
    return Run(run);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  } catch (const std::system_error&) {
  }
  return Fail(About(run, run.data_name).Say("not enough memory to finish the run", texts::kJaOutOfMemory));
}

}  // namespace kyori
