// What batch mode makes of a run's distances beside the report: the tree of
// the method asked for (--tree, and the picture's tree), the distance matrix
// in PHYLIP's format (--phylip), the picture of the tree beside a heatmap
// (--svg), and the tree's cophenetic correlation. The names go into these
// files in UTF-8.
//
// Example: varieties x, y, z at distances x-y 2.236, x-z 2.236, y-z 1.414,
// average linkage: PrepareAnalyses joins y and z at 1.414, then x at 2.236;
// WriteAnalysisFile(kTree) writes
// "(x:2.23606797749979,(y:1.414213562373095,z:1.414213562373095):0.8218544151266949);"
// and the cophenetic correlation is 1 (the tree keeps every distance).
#ifndef KYORI_FRONTEND_BATCH_ANALYSES_H_
#define KYORI_FRONTEND_BATCH_ANALYSES_H_

#include <ostream>
#include <string>
#include <vector>

#include "analysis/condensed.h"
#include "analysis/tree.h"
#include "batch/collection.h"
#include "batch/collection_memory.h"
#include "frontend/command_line.h"

namespace kyori {

// The working memory of the tree a method builds, for the memory plan:
// kSingle a spanning tree, kNeighborJoining its matrices, the other linkages
// a chain over a copy of the distances.
TreeWork TreeWorkOf(TreeMethod method);

// What a run's analysis files are written from.
struct Analyses {
  analysis::Distances distances;
  analysis::Tree tree;             // when a tree was built
  std::vector<std::string> names;  // the varieties' names in UTF-8
  std::vector<int> groups;         // each variety's group (1 ..) when groups were made, for the
                                   // picture's colours; else empty
};

// Takes over the run's distances (in the triangle's order) beside the
// collection's names, checks them, and builds the tree of `method` when
// `build_tree` (neighbour-joining with `jobs` threads). kNone when done;
// else what is wrong with the distances, and no tree. A NaN (a pair without
// a distance, of varieties with missing values) passes only when no tree is
// built: the distance table writes it NA.
analysis::DistancesProblem PrepareAnalyses(const Collection& c, std::vector<double> distances, bool build_tree,
                                           TreeMethod method, int jobs, Analyses& out);

enum class AnalysisFile { kMatrix, kTree, kPicture };

// Writes one analysis file to `out`; its failures are left in `out`. The
// picture colours the groups, when there are any.
void WriteAnalysisFile(const Analyses& analyses, AnalysisFile file, std::ostream& out);

// How well the tree's heights keep the distances (Pearson's correlation of
// the cophenetic distances with the distances); for a tree of 3 varieties or
// more.
double CopheneticCorrelationOf(const Analyses& analyses);

}  // namespace kyori

#endif  // KYORI_FRONTEND_BATCH_ANALYSES_H_
