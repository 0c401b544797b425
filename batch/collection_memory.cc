#include "batch/collection_memory.h"

#include <algorithm>

#include "batch/collection_report.h"
#include "batch/gapped_distances.h"
#include "batch/nearest_neighbours.h"
#include "batch/pair_tables.h"
#include "batch/row_stream.h"
#include "batch/table_writer.h"

namespace kyori {
namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

// The program, its libraries, the data file's and the output files' buffers
// (1 MiB each), and what the allocator keeps aside.
constexpr std::uint64_t kProgramBytes = 32 * kMiB;

// A name read: its text of up to 64 bytes in its own block, its handle, its
// entry in the registry of live texts.
constexpr std::uint64_t kNameBytes = 192;

// Per variety, in the analyses (a name counted as above, at most three bytes
// of UTF-8 for each of its bytes):
constexpr std::uint64_t kUtf8NameBytes = 256;      // the names in UTF-8
constexpr std::uint64_t kTreeBytes = 192;          // two tree nodes and their lists of children
constexpr std::uint64_t kLinkageBytes = 128;       // slots, sizes, chain, merges, their sort, cluster names
constexpr std::uint64_t kJoiningBytes = 128;       // the square's diagonal, row sums and bounds, positions
constexpr std::uint64_t kMatrixBytes = 1152;       // names made safe, the sets that keep them apart, a line
constexpr std::uint64_t kPictureBytes = 1024;      // the tree copied or rooted afresh, placings, names
constexpr std::uint64_t kPictureFixedBytes = 8 * kMiB;  // the heatmap's sums, its pixels, the PNG, its text
constexpr std::uint64_t kCopheneticBytes = 64;     // each cluster's members, or each walk's marks
constexpr std::uint64_t kNewickBytes = 16;         // the walk's stack
constexpr std::uint64_t kNewickFixedBytes = 128 * 1024;  // the text written at a time

constexpr std::uint64_t kGroupBytes = 64;         // a cut's groups, widths, nearest groups, leaf order
constexpr std::uint64_t kBiplotBytes = 1024;      // a point's name cleaned, cut and placed
constexpr std::uint64_t kBiplotFixedBytes = 1 * kMiB;  // the axes, the arrows, the text written at a time

// An entry of a table's index of variety names: its node (the name's view,
// its line, the link, the hash) with the allocator's overhead, and its bucket.
constexpr std::uint64_t kNameIndexBytes = 96;

// What the tree method holds while it builds the tree, beside the distances.
std::uint64_t TreeMethodBytes(TreeWork tree, std::uint64_t n, std::uint64_t pairs) {
  switch (tree) {
    case TreeWork::kNone: return 0;
    case TreeWork::kSpanningTree: return n * kLinkageBytes;
    case TreeWork::kChain: return pairs * sizeof(double) + n * kLinkageBytes;
    case TreeWork::kNeighborJoining: return pairs * (2 * sizeof(double) + sizeof(float)) + n * kJoiningBytes;
  }
  return 0;
}

// The tables' writers, when the run writes a table.
std::uint64_t TablesBytes(int varieties, int traits, const RunShape& shape) {
  if (!shape.distance_table && !shape.values_table) return 0;
  return TableMemory(varieties, traits, std::max(shape.jobs, 1));
}

// What the groups hold while they are cut, measured and summarized: per
// variety its groups and silhouette in the cut at hand and the best so far,
// per group each trait's mean and spread.
std::uint64_t GroupsBytes(std::uint64_t n, std::uint64_t m, const RunShape& shape) {
  if (!shape.groups && !shape.group_means) return 0;
  const std::uint64_t k = shape.group_count > 0 ? static_cast<std::uint64_t>(shape.group_count) : 10;
  return n * kGroupBytes + (shape.group_means ? k * (m * 2 * sizeof(double) + kGroupBytes) : 0);
}

// The principal components kept to the end of the run once computed: their
// loadings and scores (min(n, m) components), the names in UTF-8 (the
// groups' too), and the values as read for the groups' means.
std::uint64_t MultivariateKeptBytes(std::uint64_t n, std::uint64_t m, const RunShape& shape) {
  std::uint64_t kept = shape.group_means ? n * m * sizeof(double) : 0;
  if (shape.pca || shape.groups || shape.group_means) kept += (n + m) * kUtf8NameBytes;
  if (shape.pca) kept += (n + m) * std::min(n, m) * sizeof(double);
  return kept;
}

// The analyses' stage beyond the triangle's packed cells and roots.
std::uint64_t AnalysesBytes(int varieties, int traits, std::uint64_t pairs, const RunShape& shape) {
  const std::uint64_t n = static_cast<std::uint64_t>(std::max(varieties, 0));
  std::uint64_t most = std::max(shape.matrix ? n * kMatrixBytes : 0, TablesBytes(varieties, traits, shape));
  std::uint64_t held = n * kUtf8NameBytes;
  if (shape.tree != TreeWork::kNone) {
    held += n * kTreeBytes;
    most = std::max(most, TreeMethodBytes(shape.tree, n, pairs));
    most = std::max(most, n * kNewickBytes + kNewickFixedBytes);
    if (shape.picture) most = std::max(most, n * kPictureBytes + kPictureFixedBytes);
    most = std::max(most, pairs * sizeof(double) + n * kCopheneticBytes);
  }
  most = std::max(most, GroupsBytes(n, static_cast<std::uint64_t>(std::max(traits, 0)), shape));
  if (shape.pca) most = std::max(most, n * kBiplotBytes + kBiplotFixedBytes);
  return held + most;
}

// The neighbours' or the duplicates' stage: the values laid out for the
// search, then the neighbours and their table, or the duplicates' stream.
std::uint64_t PairSearchStageBytes(int varieties, int traits, const RunShape& shape) {
  const int jobs = std::max(shape.jobs, 1);
  std::uint64_t stage = PairSearchBytes(varieties, traits);
  if (shape.neighbours > 0) {
    const std::size_t row_bytes = static_cast<std::size_t>(shape.neighbours) * 64;
    stage += NeighbourBytes(varieties, shape.neighbours, jobs) +
             RowStreamMemory(varieties, row_bytes, 16, jobs);
  } else {
    stage += DuplicateStreamBytes(varieties, jobs);
  }
  return stage;
}

}  // namespace

TriangleMemory DistancesMemory(int varieties, Arithmetic arithmetic, bool keep_roots, int jobs, bool cells) {
  const std::uint64_t n = varieties < 0 ? 0 : static_cast<std::uint64_t>(varieties);
  const std::uint64_t pairs = n < 2 ? 0 : n * (n - 1) / 2;
  const bool accurate = arithmetic == Arithmetic::kAccurate;
  const std::uint64_t working = std::max(DistanceSumsBytes(varieties, arithmetic, jobs), PackCellsBufferBytes(jobs));
  TriangleMemory memory;
  if (!cells) {
    memory.peak = pairs * (accurate ? sizeof(double) : sizeof(uint32_t) + sizeof(double)) + working;
    memory.kept = pairs * sizeof(double);
    return memory;
  }
  const bool both = accurate || keep_roots;
  memory.peak = pairs * (both ? sizeof(uint32_t) + sizeof(double) : sizeof(uint32_t)) + working;
  memory.kept = pairs * (keep_roots ? sizeof(uint32_t) + sizeof(double) : sizeof(uint32_t));
  return memory;
}

TriangleMemory GappedDistancesMemory(int varieties, int traits, bool keep_roots, int jobs) {
  const std::uint64_t n = varieties < 0 ? 0 : static_cast<std::uint64_t>(varieties);
  const std::uint64_t pairs = n < 2 ? 0 : n * (n - 1) / 2;
  TriangleMemory memory;
  memory.peak = pairs * (sizeof(uint32_t) + sizeof(double)) + n * sizeof(double) +
                std::max(GappedDistancesWorkingBytes(varieties, traits, jobs), PackCellsBufferBytes(jobs));
  memory.kept = pairs * (keep_roots ? sizeof(uint32_t) + sizeof(double) : sizeof(uint32_t));
  return memory;
}

std::uint64_t PcaWorkingBytes(int varieties, int traits) {
  const std::uint64_t n = static_cast<std::uint64_t>(std::max(varieties, 0));
  const std::uint64_t m = static_cast<std::uint64_t>(std::max(traits, 0));
  const std::uint64_t s = std::min(n, m);
  return sizeof(double) * (2 * n * m + 3 * s * s + 2 * (n + m) * s);
}

std::uint64_t TableReadingBytes(std::uint64_t file_bytes, int varieties) {
  return file_bytes + static_cast<std::uint64_t>(std::max(varieties, 0)) * kNameIndexBytes;
}

std::uint64_t PeakBytes(int varieties, int traits, const RunShape& shape) {
  const std::uint64_t n = static_cast<std::uint64_t>(std::max(varieties, 0));
  const std::uint64_t m = static_cast<std::uint64_t>(std::max(traits, 0));
  const std::uint64_t pairs = n < 2 ? 0 : n * (n - 1) / 2;
  const int jobs = std::max(shape.jobs, 1);
  const bool analyses = shape.distance_table || shape.matrix || shape.tree != TreeWork::kNone;

  const std::uint64_t always = kProgramBytes + n * m * sizeof(double) + (n + m) * kNameBytes +
                               static_cast<std::uint64_t>(jobs - 1) * shape.thread_stack_bytes +
                               MultivariateKeptBytes(n, m, shape);
  if (shape.neighbours > 0 || shape.duplicates) {
    return always + std::max(shape.reading_bytes, PairSearchStageBytes(varieties, traits, shape));
  }
  const TriangleMemory triangle = shape.gaps ? GappedDistancesMemory(varieties, traits, analyses, jobs)
                                             : DistancesMemory(varieties, shape.arithmetic, analyses, jobs, shape.report);
  std::uint64_t stage = triangle.peak;
  // A run with gaps always packs the report's cells.
  if (shape.report || shape.gaps) stage = std::max(stage, triangle.kept + ReportMemory(varieties, traits, jobs));
  if (analyses) {
    stage = std::max(stage, triangle.kept + AnalysesBytes(varieties, traits, pairs, shape));
  } else {
    stage = std::max(stage, triangle.kept + TablesBytes(varieties, traits, shape));
  }
  // The components are computed before the triangle, from the values as
  // read (already counted when the groups' means keep them).
  if (shape.pca) {
    const std::uint64_t as_read = shape.group_means ? 0 : n * m * sizeof(double);
    stage = std::max(stage, as_read + PcaWorkingBytes(varieties, traits));
  }
  return always + std::max(stage, shape.reading_bytes);
}

int JobsWithin(int varieties, int traits, RunShape shape, std::uint64_t limit) {
  for (int jobs = std::max(shape.jobs, 1); jobs >= 1; --jobs) {
    shape.jobs = jobs;
    if (PeakBytes(varieties, traits, shape) <= limit) return jobs;
  }
  return 0;
}

}  // namespace kyori
