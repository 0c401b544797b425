// The memory plan of a batch run: the bytes a pair each combination of
// options holds at its peak, the worked example of the header, and the
// number of threads that fit under a limit.
#include "batch/collection_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "batch/collection_report.h"
#include "batch/gapped_distances.h"

namespace kyori {
namespace {

constexpr std::uint64_t kStack = (std::uint64_t{8} << 20) + 4096;

RunShape Shape(Arithmetic arithmetic, bool matrix, TreeWork tree, bool picture, int jobs = 1, bool gaps = false) {
  RunShape shape;
  shape.gaps = gaps;
  shape.arithmetic = arithmetic;
  shape.matrix = matrix;
  shape.tree = tree;
  shape.picture = picture;
  shape.jobs = jobs;
  shape.thread_stack_bytes = kStack;
  return shape;
}

// `shape` writing CSV or TSV tables: the distances' table instead of the
// report, and the standardized values' table.
RunShape Tables(RunShape shape, bool distance_table, bool values_table) {
  shape.report = !distance_table;
  shape.distance_table = distance_table;
  shape.values_table = values_table;
  return shape;
}

double Pairs(int n) { return static_cast<double>(n) * (n - 1) / 2; }

// The growth from 20,000 to 30,000 varieties over the growth of the pairs:
// the bytes a pair, up to the terms that grow with the varieties alone.
double BytesAPair(const RunShape& shape) {
  const double low = static_cast<double>(PeakBytes(20000, 1, shape));
  const double high = static_cast<double>(PeakBytes(30000, 1, shape));
  return (high - low) / (Pairs(30000) - Pairs(20000));
}

TEST(CollectionMemoryTest, BytesAPairAtThePeakOfEachCombination) {
  constexpr Arithmetic kC = Arithmetic::kCompatible;
  constexpr Arithmetic kA = Arithmetic::kAccurate;
  const struct {
    const char* name;
    RunShape shape;
    double bytes;
  } cases[] = {
      // the squares' bits, which become the cells
      {"compatible", Shape(kC, false, TreeWork::kNone, false), 4},
      // the roots beside the cells while they are packed
      {"accurate", Shape(kA, false, TreeWork::kNone, false), 12},
      // the roots kept for the matrix beside the cells
      {"compatible, matrix", Shape(kC, true, TreeWork::kNone, false), 12},
      {"accurate, matrix", Shape(kA, true, TreeWork::kNone, false), 12},
      // and a working copy for the chain, or the cophenetic distances (for
      // single linkage too, whose tree takes no more than a line of values)
      {"compatible, single linkage", Shape(kC, false, TreeWork::kSpanningTree, false), 20},
      {"compatible, average linkage", Shape(kC, false, TreeWork::kChain, false), 20},
      {"accurate, average linkage, picture, matrix", Shape(kA, true, TreeWork::kChain, true), 20},
      {"compatible, single linkage, picture", Shape(kC, false, TreeWork::kSpanningTree, true), 20},
      // and neighbour-joining's square of doubles and triangle of floats
      {"compatible, nj", Shape(kC, false, TreeWork::kNeighborJoining, false), 32},
      {"accurate, nj, picture", Shape(kA, false, TreeWork::kNeighborJoining, true), 32},
      // with gaps, the accurate arithmetic's, whatever the shape says
      {"gaps", Shape(kC, false, TreeWork::kNone, false, 1, true), 12},
      {"gaps, average linkage", Shape(kC, false, TreeWork::kChain, false, 1, true), 20},
      // the distances' table instead of the report: no cells; compatible
      // roots taken beside the squares, accurate roots handed over
      {"compatible, distances' table", Tables(Shape(kC, false, TreeWork::kNone, false), true, false), 12},
      {"accurate, distances' table", Tables(Shape(kA, false, TreeWork::kNone, false), true, true), 8},
      {"accurate, distances' table, matrix", Tables(Shape(kA, true, TreeWork::kNone, false), true, false), 8},
      {"accurate, distances' table, average linkage", Tables(Shape(kA, false, TreeWork::kChain, false), true, false),
       16},
      // the values' table beside the report holds nothing a pair
      {"compatible, values' table", Tables(Shape(kC, false, TreeWork::kNone, false), false, true), 4},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(BytesAPair(c.shape), c.bytes, 0.1) << c.name;
  }
}

// The tables' writers are counted: with few varieties and many traits, the
// values' table (rows of up to 25 bytes a value) holds more than the report
// (rows of 9) or the distances.
TEST(CollectionMemoryTest, TheTablesWritersAreCounted) {
  for (const Arithmetic arithmetic : {Arithmetic::kCompatible, Arithmetic::kAccurate}) {
    const RunShape plain = Shape(arithmetic, false, TreeWork::kNone, false, 4);
    EXPECT_GT(PeakBytes(100, 30000, Tables(plain, false, true)), PeakBytes(100, 30000, plain));
    EXPECT_GT(PeakBytes(100, 30000, Tables(plain, true, false)), PeakBytes(100, 30000, plain));
  }
}

TEST(CollectionMemoryTest, TheHeadersExample) {
  EXPECT_EQ(PeakBytes(8000, 1, Shape(Arithmetic::kAccurate, false, TreeWork::kNone, false)), 419794752u);
  EXPECT_EQ(PeakBytes(8000, 1, Shape(Arithmetic::kAccurate, false, TreeWork::kChain, false)), 679682624u);
}

// With gaps the triangle's stage holds what the accurate one does, and
// the present values of a trait and the masks of present traits beside it.
TEST(CollectionMemoryTest, GapsAddTheirWorkingRoomToTheAccurateTriangle) {
  const TriangleMemory gapped = GappedDistancesMemory(8000, 1, false, 1);
  EXPECT_EQ(gapped.peak, 384704128u);
  EXPECT_EQ(gapped.kept, 127984000u);
  EXPECT_EQ(gapped.peak - DistancesMemory(8000, Arithmetic::kAccurate, false, 1).peak, 8000u * 8);
  // Many traits and threads: the sums and masks exceed the chunk buffers.
  const TriangleMemory wide = GappedDistancesMemory(5000, 20000, true, 8);
  EXPECT_EQ(wide.peak, 5000ull * 4999 / 2 * 12 + 5000 * 8 + GappedDistancesWorkingBytes(5000, 20000, 8));
  EXPECT_GT(GappedDistancesWorkingBytes(5000, 20000, 8), PackCellsBufferBytes(8));
  EXPECT_EQ(wide.kept, 5000ull * 4999 / 2 * 12);
  const RunShape shape = Shape(Arithmetic::kCompatible, false, TreeWork::kNone, false, 8, true);
  RunShape accurate = shape;
  accurate.gaps = false;
  accurate.arithmetic = Arithmetic::kAccurate;
  EXPECT_EQ(PeakBytes(5000, 20000, shape) - PeakBytes(5000, 20000, accurate),
            GappedDistancesWorkingBytes(5000, 20000, 8) + 5000 * 8 -
                std::max(DistanceSumsBytes(5000, Arithmetic::kAccurate, 8), PackCellsBufferBytes(8)));
}

TEST(CollectionMemoryTest, EachThreadAddsAtLeastItsStack) {
  const RunShape one = Shape(Arithmetic::kCompatible, false, TreeWork::kChain, false, 1);
  const RunShape many = Shape(Arithmetic::kCompatible, false, TreeWork::kChain, false, 1024);
  EXPECT_GE(PeakBytes(100, 3, many) - PeakBytes(100, 3, one), 1023 * kStack);
}

TEST(CollectionMemoryTest, JobsWithinTakesTheMostThreadsThatFit) {
  RunShape shape = Shape(Arithmetic::kAccurate, false, TreeWork::kNeighborJoining, false, 3);
  const std::uint64_t three = PeakBytes(8000, 1, shape);
  shape.jobs = 1;
  const std::uint64_t one = PeakBytes(8000, 1, shape);
  shape.jobs = 64;
  EXPECT_EQ(JobsWithin(8000, 1, shape, three), 3);
  EXPECT_EQ(JobsWithin(8000, 1, shape, three - 1), 2);
  EXPECT_EQ(JobsWithin(8000, 1, shape, one), 1);
  EXPECT_EQ(JobsWithin(8000, 1, shape, one - 1), 0);
  EXPECT_EQ(JobsWithin(8000, 1, shape, UINT64_MAX), 64);
}

}  // namespace
}  // namespace kyori

namespace kyori {
namespace {

// The principal components: the worked example, and their working room
// taken before the triangle, from the values as read.
TEST(CollectionMemoryTest, PrincipalComponentsHoldTheirWorkingRoom) {
  EXPECT_EQ(PcaWorkingBytes(1000, 50), 1700000u);
  EXPECT_EQ(PcaWorkingBytes(50, 1000), 1700000u);  // the smaller side's square either way
  // Few varieties and many traits: the components' stage is the run's peak,
  // with the values as read and the loadings, scores and names kept.
  const RunShape plain = Shape(Arithmetic::kAccurate, false, TreeWork::kNone, false);
  RunShape pca = plain;
  pca.pca = true;
  const std::uint64_t n = 100, m = 30000;
  EXPECT_GE(PeakBytes(100, 30000, pca) - PeakBytes(100, 30000, plain),
            PcaWorkingBytes(100, 30000) + n * m * 8 + (n + m) * n * 8);
  // The values as read are held once when the groups' means keep them too.
  RunShape both = pca;
  both.group_means = true;
  both.tree = TreeWork::kChain;
  RunShape means_only = both;
  means_only.pca = false;
  EXPECT_LT(PeakBytes(100, 30000, both) - PeakBytes(100, 30000, means_only),
            PcaWorkingBytes(100, 30000) + 2 * n * m * 8 + (n + m) * n * 8 + (n + m) * 256);
}

// A run of the capacity's square fits on a machine of 24 GiB without the
// components; with them no number of threads does, so the plan refuses it
// with the memory message instead of the decomposition running out.
TEST(CollectionMemoryTest, ComponentsOfTheLargestSquareAreRefused) {
  const std::uint64_t limit = std::uint64_t{24} << 30;
  const RunShape plain = Shape(Arithmetic::kAccurate, false, TreeWork::kNone, false, 2);
  RunShape pca = plain;
  pca.pca = true;
  EXPECT_GE(JobsWithin(32767, 32767, plain, limit), 1);
  EXPECT_EQ(JobsWithin(32767, 32767, pca, limit), 0);
}

// The groups' means grow with the number of groups asked for and the
// traits: 32766 groups of 20,000 traits' means and spreads are 10 GB.
TEST(CollectionMemoryTest, GroupMeansGrowWithTheGroupsAskedFor) {
  RunShape chosen = Shape(Arithmetic::kAccurate, false, TreeWork::kChain, false);
  chosen.groups = true;
  chosen.group_means = true;
  RunShape many = chosen;
  many.group_count = 32766;
  EXPECT_GE(PeakBytes(32767, 20000, many) - PeakBytes(32767, 20000, chosen),
            (32766ull - 10) * 20000 * 16 - 32767ull * 20000 * 8);
  RunShape groups_only = chosen;
  groups_only.group_means = false;
  EXPECT_GT(PeakBytes(1000, 50, chosen), PeakBytes(1000, 50, groups_only));
  EXPECT_GT(PeakBytes(1000, 50, groups_only), PeakBytes(1000, 50, Shape(Arithmetic::kAccurate, false, TreeWork::kChain, false)));
}

}  // namespace
}  // namespace kyori
