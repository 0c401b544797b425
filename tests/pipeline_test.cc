// Batch mode's pipeline stage by stage (batch/pipeline.h, batch/data_file.h):
// what each stage takes, and what it finds or makes, on small data files and
// on counts judged against a made-up machine.
#include "batch/pipeline.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/layout_error_text.h"
#include "io/channels.h"
#include "kernels/report_cells.h"
#include "tests/test_files.h"
#include "text/byte_string.h"

namespace kyori {
namespace {

using testing::TempFolder;
using testing::WriteWholeFile;

constexpr std::uint64_t kStack = (std::uint64_t{8} << 20) + 4096;
constexpr std::uint64_t kLargeMachine = std::uint64_t{1} << 50;
constexpr const char* kSmall = "3 2\r\nA,B\r\nx,1 10\r\ny,2 30\r\nz,3 20\r\n";

RunRequest Request(Arithmetic arithmetic, int jobs, std::uint64_t memory = kLargeMachine) {
  RunRequest request;
  request.arithmetic = arithmetic == Arithmetic::kAccurate ? ArithmeticChoice::kAccurate : ArithmeticChoice::kCompatible;
  request.jobs = jobs;
  request.machine.memory_bytes = memory;
  request.machine.thread_stack_bytes = kStack;
  return request;
}

Collection Counts(double varieties, double traits) {
  Collection c;
  c.variety_count = varieties;
  c.trait_count = traits;
  c.varieties = static_cast<int>(std::floor(varieties));
  c.traits = static_cast<int>(std::floor(traits));
  return c;
}

RunShape ShapeOf(const RunRequest& request, int jobs) {
  RunShape shape;
  shape.arithmetic =
      request.arithmetic == ArithmeticChoice::kAccurate ? Arithmetic::kAccurate : Arithmetic::kCompatible;
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

class PipelineTest : public ::testing::Test {
 protected:
  void SetUp() override { InitRuntime(); }
  void TearDown() override { ResetChannels(); }

  std::string Write(const std::string& bytes, const char* name = "data.txt") {
    const std::string path = folder_.File(name);
    WriteWholeFile(path, bytes);
    return path;
  }

  TempFolder folder_;
};

// ---- Opening the data file

TEST_F(PipelineTest, OpeningTellsAFileWithBytesFromOneThatCannotBeUsed) {
  const std::string folder = folder_.File("folder");
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  const struct {
    const char* label;
    std::string name;
    DataFile::Opened opened;
  } cases[] = {
      {"a data file", Write(kSmall), DataFile::Opened::kOpen},
      {"a missing file", folder_.File("missing.txt"), DataFile::Opened::kCannotOpen},
      {"a folder", folder, DataFile::Opened::kCannotOpen},
      {"a file of no byte", Write("", "empty.txt"), DataFile::Opened::kEmpty},
  };
  int32_t channel = 0;
  for (const auto& k : cases) {
    SCOPED_TRACE(k.label);
    DataFile data;
    EXPECT_EQ(data.Open(k.name), k.opened);
    channel = data.Channel();
    EXPECT_EQ(ChannelIsOpen(channel), k.opened == DataFile::Opened::kOpen);
  }
  EXPECT_FALSE(ChannelIsOpen(channel));  // closed with its DataFile
}

// The byte looked at to tell an empty file is read again: "12" stays 12.
TEST_F(PipelineTest, TheFirstByteLookedAtIsStillRead) {
  std::string bytes = "12 1\r\nT\r\n";
  for (int i = 0; i < 12; ++i) bytes += "v" + std::to_string(i) + "," + std::to_string(i) + "\r\n";
  DataFile data;
  ASSERT_EQ(data.Open(Write(bytes)), DataFile::Opened::kOpen);
  Collection c;
  const ReadOutcome read = ReadDataFile(data, Request(Arithmetic::kCompatible, 1), c);
  EXPECT_EQ(read.kind, ReadOutcome::kRead);
  EXPECT_EQ(c.variety_count, 12);
  EXPECT_EQ(c.varieties, 12);
  EXPECT_FALSE(ChannelIsOpen(data.Channel()));
}

// ---- The plan of the counts

TEST_F(PipelineTest, ThePlanRefusesCountsBeyondTheCapacityOrTheMemory) {
  RunRequest with_nj = Request(Arithmetic::kAccurate, 1);
  with_nj.products.tree = TreeWork::kNeighborJoining;
  const RunRequest plain = Request(Arithmetic::kAccurate, 1);
  const std::uint64_t fits_plain = PeakBytes(8000, 1, ShapeOf(plain, 1));
  const struct {
    const char* label;
    Collection counts;
    RunRequest request;
    std::uint64_t memory;
    RunPlan::Verdict verdict;
  } cases[] = {
      {"32767 varieties", Counts(32767, 1), plain, kLargeMachine, RunPlan::kFits},
      {"32767.5 varieties, looped over as 32767", Counts(32767.5, 1), plain, kLargeMachine, RunPlan::kFits},
      {"32768 varieties", Counts(32768, 1), plain, kLargeMachine, RunPlan::kOverCapacity},
      {"32768 traits", Counts(2, 32768), plain, kLargeMachine, RunPlan::kOverCapacity},
      {"just the memory of the run", Counts(8000, 1), plain, fits_plain, RunPlan::kFits},
      {"a byte less", Counts(8000, 1), plain, fits_plain - 1, RunPlan::kOverMemory},
      {"the same memory with a tree by neighbour-joining", Counts(8000, 1), with_nj, fits_plain,
       RunPlan::kOverMemory},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.label);
    RunRequest request = k.request;
    request.machine.memory_bytes = k.memory;
    const RunPlan plan = PlanRun(k.counts, request);
    EXPECT_EQ(plan.verdict, k.verdict);
    EXPECT_EQ(plan.limit, k.memory);
    if (k.verdict == RunPlan::kOverMemory) {
      EXPECT_EQ(plan.needed, PeakBytes(k.counts.varieties, k.counts.traits, ShapeOf(request, 1)));
    }
  }
}

TEST_F(PipelineTest, ThePlanLowersTheThreadsToThoseThatFit) {
  RunRequest request = Request(Arithmetic::kCompatible, 4);
  request.products.matrix = true;
  request.machine.memory_bytes = PeakBytes(8000, 3, ShapeOf(request, 2));
  const RunPlan plan = PlanRun(Counts(8000, 3), request);
  EXPECT_EQ(plan.verdict, RunPlan::kFits);
  EXPECT_EQ(plan.jobs, 2);
  EXPECT_EQ(plan.needed, request.machine.memory_bytes);
}

// ---- Reading

TEST_F(PipelineTest, ReadingStopsBeforeTheBodyWhenThePlanRefusesTheCounts) {
  const struct {
    const char* label;
    std::string bytes;
    std::uint64_t memory;
    ReadOutcome::Kind kind;
    std::size_t names_read;
  } cases[] = {
      {"the small collection", kSmall, kLargeMachine, ReadOutcome::kRead, 3},
      {"too little memory", kSmall, 1024, ReadOutcome::kOverMemory, 0},
      {"beyond the capacity", "40000 1\r\nT\r\nx,1\r\n", kLargeMachine, ReadOutcome::kOverCapacity, 0},
      {"NULs: a table of a control byte", std::string(64, '\0'), kLargeMachine, ReadOutcome::kTableFault, 0},
      {"a count of 0 varieties", "0 2\r\nA,B\r\n", kLargeMachine, ReadOutcome::kNoVarieties, 0},
      {"a negative count of varieties", "-2 1\r\nT\r\nx,1\r\n", kLargeMachine, ReadOutcome::kNoVarieties, 0},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.label);
    DataFile data;
    ASSERT_EQ(data.Open(Write(k.bytes)), DataFile::Opened::kOpen);
    Collection c;
    const ReadOutcome read = ReadDataFile(data, Request(Arithmetic::kCompatible, 1, k.memory), c);
    EXPECT_EQ(read.kind, k.kind);
    EXPECT_EQ(c.variety_names.size(), k.names_read);
    EXPECT_FALSE(ChannelIsOpen(data.Channel()));
    if (k.kind == ReadOutcome::kOverMemory) {
      EXPECT_GT(read.plan.needed, read.plan.limit);
    }
  }
}

// The reader and the arithmetic each file is taken in, and where a fault is.
TEST_F(PipelineTest, EachFileIsReadByItsReaderInItsArithmetic) {
  auto layout = [](int varieties, int traits) {
    std::string bytes = std::to_string(varieties) + " " + std::to_string(traits) + "\r\n";
    for (int j = 0; j < traits; ++j) bytes += (j ? ",T" : "T") + std::to_string(j);
    bytes += "\r\n";
    for (int i = 0; i < varieties; ++i) {
      bytes += "v" + std::to_string(i) + ",";
      for (int j = 0; j < traits; ++j) bytes += std::to_string((i * 7 + j) % 11) + (j + 1 < traits ? " " : "\r\n");
    }
    return bytes;
  };
  const std::string table = "v,A,B\nx,1,10\ny,2,30\nz,3,20\n";
  const std::string utf8 = "\xE5\x93\x81\xE7\xA8\xAE,A\n\xC3\xA9,1\ny,2\n";  // 品種 é
  const std::string cp932 = "\x95\x69\x8E\xED,A\n\xC3\xA9,1\ny,2\n";            // 品種 ﾃｩ
  const struct {
    const char* label;
    std::string bytes;
    InputChoice input;
    ArithmeticChoice arithmetic;
    ReadOutcome::Kind kind;
    bool table;
    Arithmetic taken;
    std::int64_t line;  // of the fault
    NameEncoding names;
  } cases[] = {
      {"the kyori layout, 300 x 2", layout(300, 2), InputChoice::kAuto, ArithmeticChoice::kAuto, ReadOutcome::kRead,
       false, Arithmetic::kCompatible, 0, NameEncoding::kEach},
      {"the kyori layout, 301 x 2", layout(301, 2), InputChoice::kAuto, ArithmeticChoice::kAuto, ReadOutcome::kRead,
       false, Arithmetic::kAccurate, 0, NameEncoding::kEach},
      {"the kyori layout, 3 x 301", layout(3, 301), InputChoice::kAuto, ArithmeticChoice::kAuto, ReadOutcome::kRead,
       false, Arithmetic::kAccurate, 0, NameEncoding::kEach},
      {"301 x 2, compatible asked", layout(301, 2), InputChoice::kLayout, ArithmeticChoice::kCompatible,
       ReadOutcome::kRead, false, Arithmetic::kCompatible, 0, NameEncoding::kEach},
      {"a table", table, InputChoice::kAuto, ArithmeticChoice::kAuto, ReadOutcome::kRead, true, Arithmetic::kAccurate,
       0, NameEncoding::kUtf8},
      {"a table, compatible asked", table, InputChoice::kCsv, ArithmeticChoice::kCompatible, ReadOutcome::kRead, true,
       Arithmetic::kCompatible, 0, NameEncoding::kUtf8},
      {"a table of UTF-8 names", utf8, InputChoice::kAuto, ArithmeticChoice::kAuto, ReadOutcome::kRead, true,
       Arithmetic::kAccurate, 0, NameEncoding::kUtf8},
      {"a table of Shift-JIS names", cp932, InputChoice::kAuto, ArithmeticChoice::kAuto, ReadOutcome::kRead, true,
       Arithmetic::kAccurate, 0, NameEncoding::kCp932},
      {"a table read as the kyori layout", table, InputChoice::kLayout, ArithmeticChoice::kAuto,
       ReadOutcome::kLayoutFault, false, Arithmetic::kCompatible, 1, NameEncoding::kEach},
      {"the kyori layout read as a table", layout(3, 2), InputChoice::kCsv, ArithmeticChoice::kAuto,
       ReadOutcome::kTableFault, true, Arithmetic::kCompatible, 1, NameEncoding::kEach},  // no trait column
      {"a bad value", "3 1\nT\nx,1\ny,abc\nz,3\n", InputChoice::kAuto, ArithmeticChoice::kAuto,
       ReadOutcome::kLayoutFault, false, Arithmetic::kCompatible, 4, NameEncoding::kEach},
      {"a bad cell", "v,A\nx,1\n\ny,abc\n", InputChoice::kAuto, ArithmeticChoice::kAuto, ReadOutcome::kTableFault,
       true, Arithmetic::kAccurate, 4, NameEncoding::kEach},
      {"one variety, after a blank line and a quoted header", "\"v\n\",A\n\nx,1\n", InputChoice::kAuto,
       ArithmeticChoice::kAuto, ReadOutcome::kOneVariety, true, Arithmetic::kAccurate, 4, NameEncoding::kUtf8},
      {"blanks and line ends", " \r\n\t\n", InputChoice::kAuto, ArithmeticChoice::kAuto, ReadOutcome::kEmptyTable,
       true, Arithmetic::kCompatible, 0, NameEncoding::kEach},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.label);
    DataFile data;
    ASSERT_EQ(data.Open(Write(k.bytes)), DataFile::Opened::kOpen);
    RunRequest request = Request(Arithmetic::kCompatible, 1);
    request.input = k.input;
    request.arithmetic = k.arithmetic;
    Collection c;
    const ReadOutcome read = ReadDataFile(data, request, c);
    EXPECT_FALSE(ChannelIsOpen(data.Channel()));
    ASSERT_EQ(read.kind, k.kind) << LayoutErrorText(read.layout);
    EXPECT_EQ(read.table, k.table);
    if (k.kind == ReadOutcome::kRead || k.kind == ReadOutcome::kOneVariety) {
      EXPECT_EQ(read.plan.arithmetic, k.taken);
      EXPECT_EQ(c.name_encoding, k.names);
    }
    if (k.kind == ReadOutcome::kLayoutFault) {
      EXPECT_EQ(read.layout.line, k.line);
    } else if (k.kind == ReadOutcome::kTableFault) {
      EXPECT_EQ(read.table_read.error.line, k.line);
    } else if (k.kind == ReadOutcome::kOneVariety) {
      EXPECT_EQ(read.line, k.line);
    }
  }
}

// A table is held whole while it is read: the plan counts its bytes, so a
// wide table whose values are few beside its text still fits only where
// the machine holds the text.
TEST_F(PipelineTest, ThePlanCountsTheTableHeldWhileItIsRead) {
  std::string table = "v";
  for (int j = 0; j < 2000; ++j) table += ",T" + std::to_string(j);
  for (int i = 0; i < 3; ++i) {
    table += "\nv" + std::to_string(i);
    for (int j = 0; j < 2000; ++j) table += ",1234567.125e-3" + std::string(200, ' ');
  }
  const std::string path = Write(table, "wide.csv");
  RunRequest request = Request(Arithmetic::kAccurate, 1);
  request.input = InputChoice::kAuto;
  RunShape shape = ShapeOf(request, 1);
  const std::uint64_t without_text = PeakBytes(3, 2000, shape);
  for (const std::uint64_t memory : {without_text, without_text + 2 * table.size()}) {
    request.machine.memory_bytes = memory;
    DataFile data;
    ASSERT_EQ(data.Open(path), DataFile::Opened::kOpen);
    Collection c;
    const ReadOutcome read = ReadDataFile(data, request, c);
    if (memory == without_text) {
      EXPECT_EQ(read.kind, ReadOutcome::kOverMemory);
      EXPECT_GE(read.plan.needed, without_text + table.size());
      EXPECT_TRUE(c.values.empty());
    } else {
      EXPECT_EQ(read.kind, ReadOutcome::kRead) << read.plan.needed << " " << memory;
      EXPECT_EQ(c.varieties, 3);
    }
  }
}

// ---- Standardization

// The trait 2000.1 .. 2000.4: the compatible arithmetic cannot hold its
// spread and stops at it; the accurate one standardizes it and lists nothing.
TEST_F(PipelineTest, OnlyTheCompatibleArithmeticListsTheSpreadsThatAreOff) {
  const std::string bytes = "4 2\r\nT,U\r\na,2000.1 1\r\nb,2000.2 2\r\nc,2000.3 3\r\nd,2000.4 5\r\n";
  for (const Arithmetic arithmetic : {Arithmetic::kCompatible, Arithmetic::kAccurate}) {
    const bool compatible = arithmetic == Arithmetic::kCompatible;
    SCOPED_TRACE(compatible ? "compatible" : "accurate");
    DataFile data;
    ASSERT_EQ(data.Open(Write(bytes)), DataFile::Opened::kOpen);
    Collection c;
    ASSERT_EQ(ReadDataFile(data, Request(arithmetic, 1), c).kind, ReadOutcome::kRead);
    const Standardized found = StandardizeTraits(c, arithmetic);
    ASSERT_EQ(found.spreads_off.size(), compatible ? 1u : 0u);
    EXPECT_EQ(found.stop.kind, compatible ? TraitStop::kIdentical : TraitStop::kNone);
    if (compatible) {
      EXPECT_EQ(found.spreads_off[0].trait, 0);
      EXPECT_TRUE(found.spreads_off[0].compatible_identical);
      EXPECT_EQ(found.stop.trait, 0);
    }
  }
}

// ---- Distances

// The small collection standardizes exactly (x -1 -1, y 0 1, z 1 0): its
// squared distances are 5, 5 and 2.
TEST_F(PipelineTest, TheDistancesAreHandedOutOnlyForProductsThatNeedThem) {
  const std::vector<std::string> cells = {"2.236067", "2.236067", "1.414213"};
  const std::vector<double> roots = {std::sqrt(5.0), std::sqrt(5.0), std::sqrt(2.0)};
  for (const Arithmetic arithmetic : {Arithmetic::kCompatible, Arithmetic::kAccurate}) {
    for (const bool matrix : {false, true}) {
      SCOPED_TRACE(std::string(arithmetic == Arithmetic::kAccurate ? "accurate" : "compatible") +
                   (matrix ? ", a matrix" : ", the report alone"));
      RunRequest request = Request(arithmetic, 2);
      request.products.matrix = matrix;
      DataFile data;
      ASSERT_EQ(data.Open(Write(kSmall)), DataFile::Opened::kOpen);
      Collection c;
      const ReadOutcome read = ReadDataFile(data, request, c);
      ASSERT_EQ(read.kind, ReadOutcome::kRead);
      ASSERT_EQ(read.plan.arithmetic, arithmetic);
      ASSERT_EQ(read.plan.jobs, 2);
      ASSERT_EQ(StandardizeTraits(c, arithmetic).stop.kind, TraitStop::kNone);
      const RunDistances made = ComputeRunDistances(c, request, read.plan);
      EXPECT_EQ(CellTexts(made.cells), cells);
      ASSERT_EQ(made.distances.size(), matrix ? 3u : 0u);
      for (std::size_t k = 0; k < made.distances.size(); ++k) EXPECT_NEAR(made.distances[k], roots[k], 1e-15) << k;
    }
  }
}

// Without a report (a CSV or TSV table instead) no cells are packed; the
// distances are those the report's run hands out, bit for bit.
TEST_F(PipelineTest, WithoutAReportOnlyTheDistancesAreMade) {
  for (const Arithmetic arithmetic : {Arithmetic::kCompatible, Arithmetic::kAccurate}) {
    SCOPED_TRACE(arithmetic == Arithmetic::kAccurate ? "accurate" : "compatible");
    std::vector<double> got[2];
    for (const bool report : {true, false}) {
      RunRequest request = Request(arithmetic, 2);
      request.products.report = report;
      request.products.distance_table = true;
      DataFile data;
      ASSERT_EQ(data.Open(Write(kSmall)), DataFile::Opened::kOpen);
      Collection c;
      const ReadOutcome read = ReadDataFile(data, request, c);
      ASSERT_EQ(read.kind, ReadOutcome::kRead);
      ASSERT_EQ(StandardizeTraits(c, arithmetic).stop.kind, TraitStop::kNone);
      RunDistances made = ComputeRunDistances(c, request, read.plan);
      EXPECT_EQ(made.cells.packed.size(), report ? 3u : 0u);
      got[report] = std::move(made.distances);
    }
    ASSERT_EQ(got[0].size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(std::bit_cast<uint64_t>(got[0][k]), std::bit_cast<uint64_t>(got[1][k])) << k;
  }
}

}  // namespace
}  // namespace kyori
