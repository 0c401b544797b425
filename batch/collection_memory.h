// The memory a batch run holds at its peak, from the counts and the options
// alone, so that a run that cannot fit is refused before its data are read,
// and a run that fits only with fewer threads runs with fewer.
//
// The run goes through stages, and the plan is the largest of them, with
// what every stage holds besides:
//   always    the program and its buffers (32 MiB), the values (8 bytes
//             each), the names (about 192 bytes each, for names of up to 64
//             bytes), and each thread's stack beyond the calling thread's
//   reading   a table file's bytes, held whole while its values are read,
//             and the index of its variety names (TableReadingBytes); a
//             file in the kyori layout is streamed and holds nothing more
//   triangle  the distances computed, their roots taken, their cells packed
//             when a report is written (DistancesMemory: 4 to 12 bytes a pair;
//             with missing values GappedDistancesMemory)
//   report    the packed cells (and the roots for the analyses) while the
//             rows are formatted (ReportMemory)
//   tables    the CSV or TSV tables' name cells and batches of rows
//             (TableMemory), beside the analyses when the distances' table
//             is written
//   components  with --pca, before the triangle: the values as read and
//             PcaWorkingBytes; the components' loadings and scores and the
//             names in UTF-8 are then held to the end (as are the values
//             as read, for the groups' means)
//   analyses  the packed cells, the distances handed over (8 bytes a pair),
//             the names in UTF-8 and the tree, and the most of:
//               the tables     as above
//               the matrix     the names made safe and one line of numbers
//               linkage        average, complete, ward: a working copy of the
//                              distances (8 bytes a pair); single: O(n)
//               nj             the full square of the distances and a triangle
//                              of floats to search (20 bytes a pair)
//               the picture    a copy of the tree, its rooting at the
//                              midpoint, the names, the heatmap (8 MiB)
//               cophenetic     the tree's distances (8 bytes a pair)
//               the groups     each cut's groups and silhouette, and each
//                              group's trait means and spreads
//               the biplot     the names placed and cut
//   neighbours, duplicates (in place of the stages above but reading)
//             the values laid out for the search (PairSearchBytes), and
//             the neighbours found (16 bytes each, K a variety) with each
//             thread's block, and their table's stream; or the duplicates'
//             stream of blocks (DuplicateStreamBytes)
// Text whose size the counts do not tell (a name of 10,000 bytes) is beyond
// the plan; running out then ends the run with the memory message.
//
// Example: 8000 varieties (31,996,000 pairs), one trait, accurate, no tree,
// one thread: 12 bytes a pair at the triangle's peak (383,952,000), 688,128
// of chunk buffers, 33,554,432 for the program, 64,000 of values and
// 1,536,192 of names: 419,794,752 bytes (400.4 MiB). With --tree (average)
// the analyses hold 20 bytes a pair and the tree: 679,682,624 bytes.
#ifndef KYORI_BATCH_COLLECTION_MEMORY_H_
#define KYORI_BATCH_COLLECTION_MEMORY_H_

#include <cstdint>

#include "batch/collection_arithmetic.h"

namespace kyori {

// The tree a run builds, by how much working memory its method takes.
enum class TreeWork {
  kNone,             // no tree and no picture
  kSpanningTree,     // single linkage
  kChain,            // average, complete, ward linkage
  kNeighborJoining,  // nj
};

struct RunShape {
  Arithmetic arithmetic = Arithmetic::kCompatible;
  bool report = true;           // the report is written, from the packed cells
  bool distance_table = false;  // the distances' CSV or TSV table is written
  bool values_table = false;    // the standardized values' table is written
  bool matrix = false;   // a PHYLIP matrix is written
  TreeWork tree = TreeWork::kNone;
  bool picture = false;  // a picture is drawn (its tree is `tree`)
  int neighbours = 0;    // the K nearest of each variety, in place of the triangle
  bool duplicates = false;  // the pairs within a distance, in place of the triangle
  bool gaps = false;     // the values have gaps: the accurate stages of missing
                         // values, whatever `arithmetic` says
  int jobs = 1;          // threads, the calling one included
  std::uint64_t thread_stack_bytes = 0;  // platform::ThreadStackBytes()
  std::uint64_t reading_bytes = 0;       // what reading holds (TableReadingBytes), freed after it
  bool pca = false;          // the principal components are computed (PcaWorkingBytes) and kept
  bool groups = false;       // the varieties are put in groups (`tree` is a linkage's)
  bool group_means = false;  // each group's summary, from the values as read
  int group_count = 0;       // the groups asked for; 0: chosen among 2 .. 10
};

// What computing the principal components of `varieties` x `traits` holds
// beside the collection: the values standardized afresh, their matrix, with
// s = min(varieties, traits) the s x s product, its eigen-decomposition and
// its eigenvectors, and the loadings and scores twice (as computed and as
// kept), 8 bytes each.
//   1000 x 50 -> 8 x (2 x 50,000 + 3 x 2,500 + 2 x 1,050 x 50) = 1,700,000
std::uint64_t PcaWorkingBytes(int varieties, int traits);

// What reading a table holds beside its values and names: the file's bytes
// as held (`file_bytes`, the capacity of their buffer) and the index of its
// `varieties` names, 96 bytes each, that finds a name given twice.
//   a file of 1,000,000 bytes, 2000 varieties -> 1,192,000
std::uint64_t TableReadingBytes(std::uint64_t file_bytes, int varieties);

// What the distances' stage holds beside the collection, with `jobs`
// threads: ComputeDistances, then PackCells, which keeps the distances when
// `keep_roots`. `peak` is the most at any time, `kept` what is still held
// once the cells are packed. A pair takes 4 bytes as its squared distance or
// as its cell and 8 as its root; the peak holds both at once (compatible:
// the roots kept beside the squares that become the cells; accurate: the
// cells packed beside the roots), except in a compatible run without roots,
// whose cells take the squares' place. Each thread adds its rows of sums
// (DistanceSumsBytes) or its buffers for one chunk of cells
// (PackCellsBufferBytes), the larger. Without `cells` (no report) the
// distances alone are kept, 8 bytes a pair: the accurate roots handed over,
// or the compatible roots taken beside the squares, which are then freed.
//
// An accurate report whose distances nobody else takes is made straight
// into its cells (ComputeAccurateCells), 4 bytes a pair; the plan still
// counts the roots beside the cells at its peak, a bound above it.
//
// Example: 8000 varieties (31,996,000 pairs), accurate, no roots kept, one
// thread: peak 12 bytes a pair (383,952,000) plus 688,128 bytes of chunk
// buffers (more than the 256,032 of sums); kept 4 bytes a pair (127,984,000).
struct TriangleMemory {
  std::uint64_t peak = 0;
  std::uint64_t kept = 0;
};
TriangleMemory DistancesMemory(int varieties, Arithmetic arithmetic, bool keep_roots, int jobs, bool cells = true);

// The same for a collection with missing values: standardized over each
// trait's present values (a copy of them, 8 bytes a variety), then
// ComputeGappedDistances (the roots, and GappedDistancesWorkingBytes beside
// them) and PackCells as in the accurate arithmetic. The copy is counted
// with the triangle's peak, though it is gone before the triangle is made.
//   8000 varieties, 1 trait, no roots kept, one thread: peak 12 bytes a pair
//   (383,952,000), 64,000 of present values and 688,128 of chunk buffers
//   (more than the 256,032 of sums and 64,000 of masks): 384,704,128; kept
//   4 bytes a pair (127,984,000).
TriangleMemory GappedDistancesMemory(int varieties, int traits, bool keep_roots, int jobs);

// The most bytes a run of this shape holds at once, for a collection of
// `varieties` x `traits`.
std::uint64_t PeakBytes(int varieties, int traits, const RunShape& shape);

// The most threads, from shape.jobs down to 1, whose run fits in `limit`
// bytes; 0 when not even one thread fits.
//   PeakBytes with 3 jobs as the limit, shape.jobs = 64 -> 3.
int JobsWithin(int varieties, int traits, RunShape shape, std::uint64_t limit);

}  // namespace kyori

#endif  // KYORI_BATCH_COLLECTION_MEMORY_H_
