// A collection from the bytes of its data file to its report: reading
// (batch/collection_reader.h), both arithmetics' standardization and distances
// (batch/collection_arithmetic.h) and the report (batch/collection_report.h),
// against values worked out by hand.
//
// The small collection: three varieties, two traits,
//   x: 1 10    y: 2 30    z: 3 20
// Trait A has mean 2 and standard deviation 1, trait B mean 20 and standard
// deviation 10, so both arithmetics standardize exactly:
//   x: -1 -1   y: 0 1     z: 1 0
// and the squared distances are x-y 1 + 4 = 5, x-z 4 + 1 = 5, y-z 1 + 1 = 2.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "batch/collection.h"
#include "batch/collection_arithmetic.h"
#include "batch/collection_reader.h"
#include "batch/collection_report.h"
#include "batch/gapped_distances.h"
#include "batch/missing_values.h"
#include "io/channels.h"
#include "io/file_writer.h"
#include "platform/platform.h"
#include "tests/test_files.h"
#include "text/byte_string.h"

namespace kyori {
namespace {

using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;

constexpr int32_t kChannel = 1;
constexpr const char* kSmall = "3 2\r\nA,B\r\nx,1 10\r\ny,2 30\r\nz,3 20\r\n";

class CollectionPipelineTest : public ::testing::Test {
 protected:
  void SetUp() override { InitRuntime(); }
  void TearDown() override { ResetChannels(); }

  // Reads `bytes` as a data file, as batch mode does: the counts, then the body.
  Collection Read(const std::string& bytes) {
    const std::string path = folder_.File("data.txt");
    WriteWholeFile(path, bytes);
    OpenChannel(TextFromBytes(path), kOpenRead, kChannel);
    EXPECT_TRUE(ChannelIsOpen(kChannel));
    Collection c;
    ReadCollectionCounts(kChannel, c);
    ReadCollectionBody(kChannel, c);
    CloseChannel(kChannel);
    return c;
  }

  // The whole report of a standardized collection and its triangle.
  std::string Report(const Collection& c, DistanceTriangle& d, int jobs, NanCell nan = NanCell::kZero) {
    const ReportCells cells = PackCells(d, nullptr, jobs, nan);
    const std::string path = folder_.File("report.txt");
    const platform::FileHandle file = platform::OpenFile(path.c_str(), platform::OpenMode::kCreate);
    EXPECT_NE(file, platform::kInvalidHandle);
    {
      FileWriter out(file);
      WriteCollectionReport(c, cells, ReportHeadings{"H1 ", "H2 "}, jobs, out);
      EXPECT_TRUE(out.Flush());
    }
    platform::CloseFile(file);
    return ReadWholeFile(path);
  }

  TempFolder folder_;
};

std::vector<std::string> Views(const std::vector<ByteString>& texts) {
  std::vector<std::string> views;
  for (const ByteString& t : texts) views.emplace_back(t.View());
  return views;
}

float SingleOfBits(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// ---- Reading

struct ReadCase {
  const char* label;
  std::string bytes;
  double variety_count, trait_count;
  int varieties, traits;
  std::vector<std::string> trait_names, variety_names;
  std::vector<double> values;  // by trait
};

TEST_F(CollectionPipelineTest, ReadsCountsNamesAndValuesByTrait) {
  const ReadCase cases[] = {
      {"the small collection", kSmall, 3, 2, 3, 2, {"A", "B"}, {"x", "y", "z"}, {1, 2, 3, 10, 30, 20}},
      {"LF line ends, commas between values", "2 2\nA,B\nx,1,2\ny,3,4\n", 2, 2, 2, 2, {"A", "B"}, {"x", "y"},
       {1, 3, 2, 4}},
      {"a quoted name holding a comma, its quotes kept", "2 1\nT\n\"a,b\",5\nc,6\n", 2, 1, 2, 1, {"T"},
       {"\"a,b\"", "c"}, {5, 6}},
      {"the file ends in the values: the rest stay empty and 0", "3 2\r\nA,B\r\nx,1 2\r\ny,3", 3, 2, 3, 2,
       {"A", "B"}, {"x", "y", ""}, {1, 3, 0, 2, 0, 0}},
      {"counts 2.5 and 1.5 kept as read, looped over as 2 and 1", "2.5 1.5\r\nT\r\na,1\r\nb,4\r\nc,9\r\n", 2.5,
       1.5, 2, 1, {"T"}, {"a", "b"}, {1, 4}},
      {"varieties without traits", "2 0\r\nx\r\ny\r\n", 2, 0, 2, 0, {}, {"x", "y"}, {}},
      {"NULs: no number, no variety", std::string(64, '\0'), 0, 0, 0, 0, {}, {}, {}},
      {"a negative count of varieties", "-2 1\r\nT\r\nx,1\r\n", -2, 1, 0, 1, {"T"}, {}, {}},
  };
  for (const ReadCase& r : cases) {
    SCOPED_TRACE(r.label);
    const Collection c = Read(r.bytes);
    EXPECT_EQ(c.variety_count, r.variety_count);
    EXPECT_EQ(c.trait_count, r.trait_count);
    EXPECT_EQ(c.varieties, r.varieties);
    EXPECT_EQ(c.traits, r.traits);
    EXPECT_EQ(Views(c.trait_names), r.trait_names);
    EXPECT_EQ(Views(c.variety_names), r.variety_names);
    EXPECT_EQ(c.values, r.values);
  }
}

// ---- Standardization and distances

TEST_F(CollectionPipelineTest, BothArithmeticsStandardizeTheSmallCollectionExactly) {
  for (const Arithmetic arithmetic : {Arithmetic::kCompatible, Arithmetic::kAccurate}) {
    SCOPED_TRACE(arithmetic == Arithmetic::kAccurate ? "accurate" : "compatible");
    Collection c = Read(kSmall);
    EXPECT_TRUE(CompareSpreads(c, 1e-6).empty());
    const TraitStop stop = StandardizeCollection(c, arithmetic);
    EXPECT_EQ(stop.kind, TraitStop::kNone);
    EXPECT_EQ(c.values, (std::vector<double>{-1, 0, 1, -1, 1, 0}));
  }
}

TEST_F(CollectionPipelineTest, TheTriangleHoldsEachPairOnce) {
  Collection c = Read(kSmall);
  ASSERT_EQ(StandardizeCollection(c, Arithmetic::kCompatible).kind, TraitStop::kNone);
  DistanceTriangle compatible = ComputeDistances(c, Arithmetic::kCompatible, 2);
  ASSERT_EQ(compatible.square_bits.size(), 3u);
  EXPECT_FALSE(compatible.rooted);
  // Pairs in the order x-y, x-z, y-z: the squared distances in single.
  EXPECT_EQ(SingleOfBits(compatible.square_bits[CondensedIndex(3, 0, 1)]), 5.0f);
  EXPECT_EQ(SingleOfBits(compatible.square_bits[CondensedIndex(3, 0, 2)]), 5.0f);
  EXPECT_EQ(SingleOfBits(compatible.square_bits[CondensedIndex(3, 1, 2)]), 2.0f);
  // The program's own root is within an ulp or so of the true one.
  const std::vector<double> roots = CondensedDistances(compatible, 1);
  const double expected[] = {std::sqrt(5.0), std::sqrt(5.0), std::sqrt(2.0)};
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(roots[k], expected[k], 1e-15) << k;

  Collection a = Read(kSmall);
  ASSERT_EQ(StandardizeCollection(a, Arithmetic::kAccurate).kind, TraitStop::kNone);
  const DistanceTriangle accurate = ComputeDistances(a, Arithmetic::kAccurate, 3);
  ASSERT_TRUE(accurate.rooted);
  EXPECT_EQ(accurate.roots, std::vector<double>(std::begin(expected), std::end(expected)));
}

// The trait of the arithmetic header: 2000.1 .. 2000.4. Its deviations'
// squares (0.05 in all) are lost beside a single-precision sum of squares of
// 1.6e7: the compatible arithmetic finds no spread at all and stops at the
// trait as identical. The accurate spread is sqrt(0.05 / 3) =
// 0.12909944487358..., and the standardized values are
// +-0.15 / 0.1290994 = +-1.161895... and +-0.05 / 0.1290994 = +-0.387298...
TEST_F(CollectionPipelineTest, TheArithmeticsDifferWhereSinglePrecisionCannotHoldTheSpread) {
  const std::string bytes = "4 1\r\nT\r\na,2000.1\r\nb,2000.2\r\nc,2000.3\r\nd,2000.4\r\n";
  Collection c = Read(bytes);
  const std::vector<SpreadDifference> found = CompareSpreads(c, 1e-6);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].trait, 0);
  EXPECT_TRUE(found[0].compatible_identical);
  EXPECT_NEAR(found[0].accurate, std::sqrt(0.05 / 3), 1e-12);

  ASSERT_EQ(StandardizeCollection(c, Arithmetic::kAccurate).kind, TraitStop::kNone);
  const double outer = 0.15 / std::sqrt(0.05 / 3);
  const double inner = 0.05 / std::sqrt(0.05 / 3);
  const double expected[] = {-outer, -inner, inner, outer};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(c.Value(i, 0), expected[i], 1e-9) << i;

  Collection compatible = Read(bytes);
  const TraitStop stop = StandardizeCollection(compatible, Arithmetic::kCompatible);
  EXPECT_EQ(stop.kind, TraitStop::kIdentical);
  EXPECT_EQ(stop.trait, 0);
}

TEST_F(CollectionPipelineTest, EachArithmeticStopsAtTheFirstTraitItCannotStandardize) {
  struct Case {
    const char* label;
    const char* bytes;
    Arithmetic arithmetic;
    TraitStop::Kind kind;
    int trait;
  };
  const std::string infinite = "3 2\r\nA,B\r\nx,1 " + std::string(400, '9') + "\r\ny,2 3\r\nz,4 5\r\n";
  const Case cases[] = {
      {"identical second trait, compatible", "3 3\r\nA,B,C\r\nx,1 5 1\r\ny,2 5 1\r\nz,3 5 1\r\n",
       Arithmetic::kCompatible, TraitStop::kIdentical, 1},
      {"identical second trait, accurate", "3 3\r\nA,B,C\r\nx,1 5 1\r\ny,2 5 1\r\nz,3 5 1\r\n",
       Arithmetic::kAccurate, TraitStop::kIdentical, 1},
      {"one variety: every trait identical", "1 2\r\nA,B\r\nx,1 2\r\n", Arithmetic::kAccurate,
       TraitStop::kIdentical, 0},
      {"an infinite value, accurate", infinite.c_str(), Arithmetic::kAccurate, TraitStop::kNotFinite, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.label);
    Collection c = Read(k.bytes);
    const TraitStop stop = StandardizeCollection(c, k.arithmetic);
    EXPECT_EQ(stop.kind, k.kind);
    EXPECT_EQ(stop.trait, k.trait);
  }
}

// ---- The report

TEST_F(CollectionPipelineTest, TheReportOfTheSmallCollection) {
  const std::string expected =
      "H1 \r\n"
      "-1 -1  \r\n"
      "0.000000 1  \r\n"
      "1 0.000000  \r\n"
      "H2 \r\n"
      "x  0.000000 2.236067 2.236067  \r\n"
      "y  2.236067 0.000000 1.414213  \r\n"
      "z  2.236067 1.414213 0.000000  \r\n";
  for (const Arithmetic arithmetic : {Arithmetic::kCompatible, Arithmetic::kAccurate}) {
    for (const int jobs : {1, 4}) {
      SCOPED_TRACE(std::string(arithmetic == Arithmetic::kAccurate ? "accurate" : "compatible") + ", jobs " +
                   std::to_string(jobs));
      Collection c = Read(kSmall);
      ASSERT_EQ(StandardizeCollection(c, arithmetic).kind, TraitStop::kNone);
      DistanceTriangle d = ComputeDistances(c, arithmetic, jobs);
      EXPECT_EQ(Report(c, d, jobs), expected);
      EXPECT_TRUE(d.square_bits.empty());  // the squares' storage became the cells
      EXPECT_TRUE(d.roots.empty());  // dropped once the cells are packed
    }
  }
}

// Varieties without traits: rows without cells, and every distance 0.
TEST_F(CollectionPipelineTest, TheReportOfVarietiesWithoutTraits) {
  Collection c = Read("2 0\r\nx\r\ny\r\n");
  ASSERT_EQ(StandardizeCollection(c, Arithmetic::kCompatible).kind, TraitStop::kNone);
  DistanceTriangle d = ComputeDistances(c, Arithmetic::kCompatible, 1);
  EXPECT_EQ(Report(c, d, 1),
            "H1 \r\n \r\n \r\nH2 \r\n"
            "x  0.000000 0.000000  \r\n"
            "y  0.000000 0.000000  \r\n");
}

// A report of many rows is formatted in batches across threads: the same
// bytes for every number of jobs, and each row where it belongs.
TEST_F(CollectionPipelineTest, ALargerReportIsTheSameForEveryNumberOfJobs) {
  std::string bytes = "301 2\r\nA,B\r\n";
  for (int i = 0; i < 301; ++i) bytes += "v" + std::to_string(i) + "," + std::to_string(i) + " " + std::to_string(i % 7) + "\r\n";
  std::string first;
  for (const int jobs : {1, 2, 5}) {
    Collection c = Read(bytes);
    ASSERT_EQ(StandardizeCollection(c, Arithmetic::kCompatible).kind, TraitStop::kNone);
    DistanceTriangle d = ComputeDistances(c, Arithmetic::kCompatible, jobs);
    const std::string report = Report(c, d, jobs);
    if (first.empty()) {
      first = report;
      EXPECT_NE(report.find("\r\nv300  "), std::string::npos);
      const std::string last_cell = "0.000000  \r\n";  // v300's distance to itself
      EXPECT_EQ(report.substr(report.size() - last_cell.size()), last_cell);
      continue;
    }
    EXPECT_EQ(report, first) << "jobs " << jobs;
  }
}

// A run with analyses keeps the distances the cells are made of. Over
// several chunks of pairs and threads, the cells are the same either way,
// and the distances kept are every pair's distance in the triangle's order.
TEST_F(CollectionPipelineTest, KeepingTheDistancesLeavesTheCellsAsTheyAre) {
  std::string bytes = "301 2\r\nA,B\r\n";
  for (int i = 0; i < 301; ++i) bytes += "v" + std::to_string(i) + "," + std::to_string(i % 11) + " " + std::to_string(i % 7) + "\r\n";
  for (const Arithmetic arithmetic : {Arithmetic::kCompatible, Arithmetic::kAccurate}) {
    SCOPED_TRACE(arithmetic == Arithmetic::kAccurate ? "accurate" : "compatible");
    Collection c = Read(bytes);
    ASSERT_EQ(StandardizeCollection(c, arithmetic).kind, TraitStop::kNone);

    DistanceTriangle alone = ComputeDistances(c, arithmetic, 3);
    ASSERT_GT(alone.Pairs(), 2 * kPairChunk);
    const std::vector<double> expected = CondensedDistances(alone, 1);
    const ReportCells cells = PackCells(alone, nullptr, 3);

    DistanceTriangle kept = ComputeDistances(c, arithmetic, 3);
    std::vector<double> distances;
    EXPECT_EQ(PackCells(kept, &distances, 3).packed, cells.packed);
    EXPECT_EQ(distances, expected);
    EXPECT_TRUE(kept.square_bits.empty() && kept.roots.empty());
  }
}

// An accurate report alone is made straight into its cells, without the
// roots: the same cells as the roots give, for every number of jobs, over
// several chunks of pairs, pairs of equal varieties (the zero cell, cut
// from its text) among them.
TEST_F(CollectionPipelineTest, AccurateCellsMadeWithoutTheRootsAreTheRootsCells) {
  std::string bytes = "301 3\r\nA,B,C\r\n";
  for (int i = 0; i < 301; ++i) {
    // Every 30th variety the same again.
    bytes += "v" + std::to_string(i) + "," + std::to_string(i % 10) + " " + std::to_string(i % 6) + " " +
             std::to_string((i % 5) * 1000 + 0.25 * (i % 2)) + "\r\n";
  }
  Collection c = Read(bytes);
  ASSERT_EQ(StandardizeCollection(c, Arithmetic::kAccurate).kind, TraitStop::kNone);
  DistanceTriangle roots = ComputeDistances(c, Arithmetic::kAccurate, 1);
  ASSERT_GT(roots.Pairs(), 2 * kPairChunk);
  ASSERT_NE(std::find(roots.roots.begin(), roots.roots.end(), 0.0), roots.roots.end());
  const std::vector<uint32_t> expected = PackCells(roots, nullptr, 1).packed;
  for (const int jobs : {1, 2, 3}) EXPECT_EQ(ComputeAccurateCells(c, jobs), expected) << "jobs " << jobs;
}

// ---- Missing values

// Four varieties, two traits, with gaps:
//   A: x 1, y -, z 3, w 5     mean 3, sd 2    -> -1 NA 0 1
//   B: x 10, y 30, z -, w 20  mean 20, sd 10  -> -1 1 NA 0
// x-y share B: sqrt(2/1 * 4); x-z and y-w and z-w share one trait with a
// difference of 1: sqrt(2); x-w both: sqrt(5); y-z nothing: NA.
Collection WithGaps() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Collection c;
  c.varieties = 4;
  c.traits = 2;
  c.variety_count = 4;
  c.trait_count = 2;
  for (const char* name : {"A", "B"}) c.trait_names.push_back(TextFromBytes(name));
  for (const char* name : {"x", "y", "z", "w"}) c.variety_names.push_back(TextFromBytes(name));
  c.values = {1, nan, 3, 5, 10, 30, nan, 20};
  return c;
}

TEST_F(CollectionPipelineTest, TheReportOfACollectionWithGaps) {
  const std::string expected =
      "H1 \r\n"
      "-1 -1  \r\n"
      "NA 1  \r\n"
      "0.000000 NA  \r\n"
      "1 0.000000  \r\n"
      "H2 \r\n"
      "x  0.000000 2.828427 1.414213 2.236067  \r\n"
      "y  2.828427 0.000000 NA 1.414213  \r\n"
      "z  1.414213 NA 0.000000 1.414213  \r\n"
      "w  2.236067 1.414213 1.414213 0.000000  \r\n";
  for (const int jobs : {1, 3}) {
    SCOPED_TRACE("jobs " + std::to_string(jobs));
    Collection c = WithGaps();
    ASSERT_EQ(StandardizeWithGaps(c).kind, GappedTraitStop::kNone);
    DistanceTriangle d = ComputeGappedDistances(c, 1, jobs);
    EXPECT_EQ(Report(c, d, jobs, NanCell::kMissing), expected);
  }
}

// Over several chunks of pairs and threads, the cells made for missing
// values differ from the usual ones exactly where a pair has no distance,
// and the distances kept are the triangle's, NaN where it has NaN.
TEST_F(CollectionPipelineTest, OnlyThePairsWithoutADistanceBecomeNA) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Collection c;
  c.varieties = c.variety_count = 301;
  c.traits = c.trait_count = 2;
  c.values.resize(2 * 301);
  for (int i = 0; i < 301; ++i) {
    c.Value(i, 0) = i % 5 == 0 ? nan : i % 11;
    c.Value(i, 1) = i % 7 == 0 ? nan : i % 13;
  }
  ASSERT_EQ(StandardizeWithGaps(c).kind, GappedTraitStop::kNone);
  DistanceTriangle usual = ComputeGappedDistances(c, 1, 3);
  ASSERT_GT(usual.Pairs(), 2 * kPairChunk);
  const std::vector<double> expected = CondensedDistances(usual, 1);
  const ReportCells zero_cells = PackCells(usual, nullptr, 3);

  DistanceTriangle gapped = ComputeGappedDistances(c, 1, 3);
  std::vector<double> distances;
  const ReportCells cells = PackCells(gapped, &distances, 3, NanCell::kMissing);
  ASSERT_EQ(cells.packed.size(), expected.size());
  std::size_t missing = 0;
  for (std::size_t k = 0; k < expected.size(); ++k) {
    if (std::isnan(expected[k])) {
      ++missing;
      EXPECT_EQ(cells.packed[k], kPackedMissingCell) << k;
    } else {
      EXPECT_EQ(cells.packed[k], zero_cells.packed[k]) << k;
    }
  }
  EXPECT_EQ(missing, CountNoDistances(ComputeGappedDistances(c, 1, 1), 301).pairs);
  EXPECT_GT(missing, 0u);
  ASSERT_EQ(distances.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(std::isnan(distances[k]) ? -1.0 : distances[k], std::isnan(expected[k]) ? -1.0 : expected[k]) << k;
  }
  EXPECT_EQ(cells.nan, NanCell::kMissing);
  EXPECT_EQ(zero_cells.nan, NanCell::kZero);
}

}  // namespace
}  // namespace kyori
