// The stages of a run with missing values (batch/pipeline_gaps.h): the read
// stage given missing texts, when a collection takes these stages, their
// plan, and the cells and distances they make, checked against the
// arithmetic of missing values (batch/missing_values.h,
// batch/gapped_distances.h) and the report's cells of its roots.
#include "batch/pipeline_gaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "batch/table_reader.h"
#include "convert/number_to_text.h"
#include "io/channels.h"
#include "kernels/report_cells.h"
#include "tests/double_bits.h"
#include "tests/test_files.h"
#include "text/byte_string.h"

namespace kyori {
namespace {

using testing::BitsOf;
using testing::TempFolder;
using testing::WriteWholeFile;

constexpr std::uint64_t kStack = (std::uint64_t{8} << 20) + 4096;
constexpr std::uint64_t kLargeMachine = std::uint64_t{1} << 50;
constexpr const char* kGaps = "v,A,B\nx,1,10\ny,NA,30\nz,3,NA\nw,5,20\n";

RunRequest Request(int jobs, std::uint64_t memory = kLargeMachine) {
  RunRequest request;
  request.jobs = jobs;
  request.machine.memory_bytes = memory;
  request.machine.thread_stack_bytes = kStack;
  return request;
}

RunShape GappedShape(const RunRequest& request, int jobs) {
  RunShape shape;
  shape.arithmetic = Arithmetic::kAccurate;
  shape.gaps = true;
  shape.matrix = request.products.matrix;
  shape.tree = request.products.tree;
  shape.picture = request.products.picture;
  shape.jobs = jobs;
  shape.thread_stack_bytes = kStack;
  return shape;
}

std::vector<std::string> CellTexts(const ReportCells& cells) {
  std::vector<std::string> texts;
  for (const uint32_t packed : cells.packed) {
    char text[CellWidth];
    texts.emplace_back(text, UnpackCell(packed, text));
  }
  return texts;
}

// The report's cell of a distance, from its root: NA for none, the zero
// cell below the threshold, else the first 8 characters of its text.
std::string CellOfRoot(double root) {
  if (std::isnan(root)) return "NA";
  if (root < DistanceZeroThreshold) return "0.000000";
  char text[kNumberTextMax];
  const int length = NumberToChars(root, text);
  return std::string(text, static_cast<std::size_t>(std::min(length, CellWidth)));
}

class PipelineGapsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitRuntime(); }
  void TearDown() override { ResetChannels(); }

  Collection Read(const std::string& table) {
    Collection c;
    EXPECT_TRUE(ReadTable(table, TableDelimiter::kAuto, c, MissingTexts::Usual()).ok());
    return c;
  }

  ReadOutcome ReadStage(const std::string& bytes, const RunRequest& request, Collection& c) {
    const std::string path = folder_.File("data.txt");
    WriteWholeFile(path, bytes);
    DataFile data;
    EXPECT_EQ(data.Open(path), DataFile::Opened::kOpen);
    return ReadDataFile(data, request, c);
  }

  TempFolder folder_;
};

// A table of `varieties` x `traits` whose values are missing where
// (i * 7 + j * 3) % every == 0, the others spread unevenly.
std::string TableWithGaps(int varieties, int traits, int every) {
  std::string bytes = "v";
  for (int j = 0; j < traits; ++j) bytes += ",t" + std::to_string(j);
  bytes += "\n";
  for (int i = 0; i < varieties; ++i) {
    bytes += "x" + std::to_string(i);
    for (int j = 0; j < traits; ++j) {
      bytes += (i * 7 + j * 3) % every == 0 ? ",NA" : "," + std::to_string((i * 37 + j * 11) % 101) + ".25";
    }
    bytes += "\n";
  }
  return bytes;
}

// The read stage reads the request's missing texts, in the kyori layout and
// in a table; without them those texts are the faults they always were.
TEST_F(PipelineGapsTest, TheReadStageTakesTheRequestsMissingTexts) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* label;
    std::string bytes;
    MissingTexts missing;
    ReadOutcome::Kind kind;
    std::vector<double> values;  // by trait, when read
  } cases[] = {
      {"the kyori layout", "3 1\nA\nx,1\ny,-\nz,3\n", MissingTexts::Usual(), ReadOutcome::kRead, {1, nan, 3}},
      {"the kyori layout, no list", "3 1\nA\nx,1\ny,-\nz,3\n", {}, ReadOutcome::kLayoutFault, {}},
      {"a table", "v,A\nx,1\ny,\nz,3\n", MissingTexts::Usual(), ReadOutcome::kRead, {1, nan, 3}},
      {"a table, no list", "v,A\nx,1\ny,\nz,3\n", {}, ReadOutcome::kTableFault, {}},
      {"a table, the caller's list", "v,A\nx,1\ny,-99\nz,3\n", {{"-99"}}, ReadOutcome::kRead, {1, nan, 3}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.label);
    RunRequest request = Request(1);
    request.missing = k.missing;
    Collection c;
    EXPECT_EQ(ReadStage(k.bytes, request, c).kind, k.kind);
    if (k.kind != ReadOutcome::kRead) continue;
    ASSERT_EQ(c.values.size(), k.values.size());
    for (std::size_t v = 0; v < k.values.size(); ++v) {
      EXPECT_EQ(std::isnan(c.values[v]) ? -1 : c.values[v], std::isnan(k.values[v]) ? -1 : k.values[v]) << v;
    }
  }
}

TEST_F(PipelineGapsTest, OnlyACollectionWithGapsTakesTheseStages) {
  const struct {
    const char* label;
    std::string table;
    ArithmeticChoice arithmetic;
    std::uint64_t memory;
    GapsFound::Kind kind;
    std::uint64_t missing;
    int traits;
  } cases[] = {
      {"no gaps", "v,A,B\nx,1,10\ny,2,30\n", ArithmeticChoice::kAuto, kLargeMachine, GapsFound::kNone, 0, 0},
      {"no gaps, compatible named", "v,A,B\nx,1,10\ny,2,30\n", ArithmeticChoice::kCompatible, kLargeMachine,
       GapsFound::kNone, 0, 0},
      {"gaps, auto", kGaps, ArithmeticChoice::kAuto, kLargeMachine, GapsFound::kGaps, 2, 2},
      {"gaps, accurate named", kGaps, ArithmeticChoice::kAccurate, kLargeMachine, GapsFound::kGaps, 2, 2},
      {"gaps, compatible named", kGaps, ArithmeticChoice::kCompatible, kLargeMachine, GapsFound::kCompatibleNamed,
       2, 2},
      {"gaps, too little memory", kGaps, ArithmeticChoice::kAuto, 1024, GapsFound::kOverMemory, 2, 2},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.label);
    const Collection c = Read(k.table);
    RunRequest request = Request(3, k.memory);
    request.arithmetic = k.arithmetic;
    const GapsFound found = FindGaps(c, request);
    EXPECT_EQ(found.kind, k.kind);
    EXPECT_EQ(found.missing.missing, k.missing);
    EXPECT_EQ(found.missing.traits, k.traits);
    EXPECT_EQ(found.missing.values, 2u * c.varieties);
    if (k.kind == GapsFound::kGaps || k.kind == GapsFound::kOverMemory) {
      EXPECT_EQ(found.plan.arithmetic, Arithmetic::kAccurate);
      EXPECT_EQ(found.plan.needed, PeakBytes(c.varieties, c.traits, GappedShape(request, found.plan.jobs)));
      EXPECT_EQ(found.plan.limit, k.memory);
    }
  }
}

// The gapped stages are planned afresh, with the threads that fit them.
TEST_F(PipelineGapsTest, ThePlanOfTheGappedStagesLowersTheThreadsToThoseThatFit) {
  Collection c = Read(TableWithGaps(300, 3, 5));
  RunRequest request = Request(4);
  request.products.tree = TreeWork::kChain;
  request.machine.memory_bytes = PeakBytes(c.varieties, c.traits, GappedShape(request, 2));
  const GapsFound found = FindGaps(c, request);
  EXPECT_EQ(found.kind, GapsFound::kGaps);
  EXPECT_EQ(found.plan.jobs, 2);
  EXPECT_EQ(found.plan.needed, request.machine.memory_bytes);
}

// The header's example, cell by cell.
TEST_F(PipelineGapsTest, TheHeadersExample) {
  const std::vector<std::string> cells = {"2.828427", "1.414213", "2.236067", "NA", "1.414213", "1.414213"};
  for (const bool tree : {false, true}) {
    SCOPED_TRACE(tree ? "a tree" : "the report alone");
    Collection c = Read(kGaps);
    RunRequest request = Request(2);
    if (tree) request.products.tree = TreeWork::kChain;
    const GapsFound found = FindGaps(c, request);
    ASSERT_EQ(found.kind, GapsFound::kGaps);
    ASSERT_EQ(StandardizeWithGaps(c).kind, GappedTraitStop::kNone);
    const GappedRunDistances made = ComputeGappedRunDistances(c, request, found.plan);
    EXPECT_EQ(made.kind, tree ? GappedRunDistances::kNoDistance : GappedRunDistances::kMade);
    EXPECT_EQ(CellTexts(made.distances.cells), cells);
    EXPECT_EQ(made.distances.cells.nan, NanCell::kMissing);
    EXPECT_EQ(made.distances.distances.size(), tree ? 6u : 0u);
    EXPECT_EQ(made.no_distance.pairs, 1u);
    EXPECT_EQ(made.no_distance.first, 1);
    EXPECT_EQ(made.no_distance.second, 2);
  }
}

// Over several chunks of pairs: each cell is the report's cell of the
// arithmetic's distance for its pair, each distance kept is that distance
// to the bit, and the pairs without one are the arithmetic's, for every
// least number of common traits and every number of threads.
TEST_F(PipelineGapsTest, TheCellsAndDistancesAreThoseOfTheArithmeticOfMissingValues) {
  Collection read = Read(TableWithGaps(301, 4, 6));
  ASSERT_EQ(StandardizeWithGaps(read).kind, GappedTraitStop::kNone);
  RunRequest request = Request(1);
  request.products.matrix = true;
  for (const int min_common : {1, 3}) {
    request.min_common = min_common;
    DistanceTriangle expected = ComputeGappedDistances(read, min_common, 1);
    ASSERT_GT(expected.Pairs(), 2 * kPairChunk);
    const NoDistanceCount none = CountNoDistances(expected, read.varieties);
    ASSERT_GT(none.pairs, 0u);
    for (const int jobs : {1, 3}) {
      SCOPED_TRACE("min_common " + std::to_string(min_common) + ", jobs " + std::to_string(jobs));
      RunPlan plan;
      plan.jobs = jobs;
      const GappedRunDistances made = ComputeGappedRunDistances(read, request, plan);
      EXPECT_EQ(made.kind, GappedRunDistances::kNoDistance);
      EXPECT_EQ(made.no_distance.pairs, none.pairs);
      EXPECT_EQ(made.no_distance.first, none.first);
      EXPECT_EQ(made.no_distance.second, none.second);
      const std::vector<std::string> cells = CellTexts(made.distances.cells);
      ASSERT_EQ(cells.size(), expected.roots.size());
      ASSERT_EQ(made.distances.distances.size(), expected.roots.size());
      for (std::size_t k = 0; k < cells.size(); ++k) {
        ASSERT_EQ(cells[k], CellOfRoot(expected.roots[k])) << k;
        const double kept = made.distances.distances[k];
        ASSERT_TRUE(std::isnan(expected.roots[k]) ? std::isnan(kept) : kept == expected.roots[k]) << k;
      }
    }
  }
}

// Every pair sharing a trait: the products can be made.
TEST_F(PipelineGapsTest, ProductsAreRefusedOnlyWhenAPairHasNoDistance) {
  Collection c = Read("v,A,B\nx,1,NA\ny,2,30\nz,4,20\n");
  ASSERT_EQ(StandardizeWithGaps(c).kind, GappedTraitStop::kNone);
  RunRequest request = Request(1);
  request.products.tree = TreeWork::kNeighborJoining;
  request.products.picture = true;
  const RunPlan plan;
  const GappedRunDistances made = ComputeGappedRunDistances(c, request, plan);
  EXPECT_EQ(made.kind, GappedRunDistances::kMade);
  EXPECT_EQ(made.no_distance.pairs, 0u);
  EXPECT_EQ(made.distances.distances.size(), 3u);
  // Asking for both traits in common leaves x without a distance to anyone.
  request.min_common = 2;
  const GappedRunDistances strict = ComputeGappedRunDistances(c, request, plan);
  EXPECT_EQ(strict.kind, GappedRunDistances::kNoDistance);
  EXPECT_EQ(strict.no_distance.pairs, 2u);
  EXPECT_EQ(strict.no_distance.first, 0);
  EXPECT_EQ(strict.no_distance.second, 1);
  EXPECT_EQ(CellTexts(strict.distances.cells)[2], CellTexts(made.distances.cells)[2]);  // y-z shares both
}

// The distance table alone writes a pair without a distance as NA: the run
// is made, the NaN kept among the distances handed out, which are the
// arithmetic's roots bit for bit; without a report no cells are packed.
TEST_F(PipelineGapsTest, TheDistanceTableAloneTakesPairsWithoutADistance) {
  Collection c = Read(kGaps);
  RunRequest request = Request(2);
  request.products.report = false;
  request.products.distance_table = true;
  const GapsFound found = FindGaps(c, request);
  ASSERT_EQ(found.kind, GapsFound::kGaps);
  ASSERT_EQ(StandardizeWithGaps(c).kind, GappedTraitStop::kNone);
  const GappedRunDistances made = ComputeGappedRunDistances(c, request, found.plan);
  EXPECT_EQ(made.kind, GappedRunDistances::kMade);
  EXPECT_EQ(made.no_distance.pairs, 1u);
  EXPECT_TRUE(made.distances.cells.packed.empty());
  const DistanceTriangle expected = ComputeGappedDistances(c, 1, 1);
  ASSERT_EQ(made.distances.distances.size(), 6u);
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(BitsOf(made.distances.distances[k]), BitsOf(expected.roots[k])) << k;
  }
  EXPECT_TRUE(std::isnan(made.distances.distances[3]));  // y-z
}

}  // namespace
}  // namespace kyori
