// Hierarchical clustering of varieties from their distances: average
// (UPGMA), single, complete and Ward linkage, with the result laid out as a
// linkage matrix: merge k joins clusters `first` and `second` (first <
// second) at `height` into a cluster of `size` varieties whose id is n + k;
// varieties are the clusters 0 .. n-1. Merges are in order of height.
//
// Example: four varieties on a line at 0, 1, 3 and 7, average linkage:
//   condensed {1, 3, 7, 2, 6, 4}
//   merges    {0, 1, 1.0, 2}   cluster 4 = {0, 1}
//             {2, 4, 2.5, 3}   cluster 5 = {0, 1, 2}: (3 + 2) / 2
//             {3, 5, 17/3, 4}  the root: (7 + 6 + 4) / 3
//
// Cluster distances after a merge of x and y, for every other cluster i
// (sizes nx, ny, ni; Lance-Williams form):
//   single    min(d_xi, d_yi)
//   complete  max(d_xi, d_yi)
//   average   (nx d_xi + ny d_yi) / (nx + ny)
//   ward      sqrt(((ni+nx) d_xi^2 + (ni+ny) d_yi^2 - ni d_xy^2) / (nx+ny+ni)),
//             for Euclidean distances: the increase of the within-cluster
//             sum of squares, as a distance. A negative radicand (only
//             possible for distances that are not Euclidean, or by rounding
//             at 0) gives 0.
// Each formula is evaluated in the order written, so the heights agree with
// SciPy's `linkage` to the last bit on ordinary data.
//
// Algorithms: a nearest-neighbour chain for average, complete and ward; a
// minimum spanning tree (Prim's, dense) for single. Both take O(n^2) time;
// the chain keeps one working copy of the condensed distances, the tree only
// O(n) beside the input.
//
// Ties decide which of equally distant clusters merge first, and so the ids
// and sometimes the shape of the tree. The rule, the same as SciPy's:
//  - Chain (average, complete, ward): clusters live in slots 0 .. n-1. An
//    empty chain starts at the lowest live slot. From the chain's tip x the
//    next link is the live slot nearest to x, scanning slots in increasing
//    order and taking only a strictly smaller distance; the scan starts
//    from the distance to the link before x, so that link wins a tie (and
//    then x and it merge), otherwise the lowest slot wins. A merge of slots
//    x < y keeps the new cluster in slot y and frees slot x.
//  - Single: the tree grows from variety 0; each step adds the variety
//    outside the tree nearest to the variety added last or to any earlier
//    one (its best distance is replaced only by a strictly smaller one),
//    the lowest index among equals. Each step is a merge at that distance.
//  - Then, for both: the merges are sorted by height, stably (equal heights
//    keep the order in which they were found), and renamed: a merge names
//    the current clusters holding its two slots (or varieties), the smaller
//    id first, and merge k makes cluster n + k.
#ifndef KYORI_ANALYSIS_LINKAGE_H_
#define KYORI_ANALYSIS_LINKAGE_H_

#include <string_view>
#include <vector>

#include "analysis/condensed.h"

namespace kyori::analysis {

enum class LinkageMethod { kAverage, kSingle, kComplete, kWard };

// "average", "single", "complete", "ward".
const char* LinkageMethodName(LinkageMethod method);

// The method for one of those names; false (and *method untouched) otherwise.
bool LinkageMethodFromName(std::string_view name, LinkageMethod* method);

struct Merge {
  int first = 0;      // cluster id, first < second
  int second = 0;
  double height = 0;  // the distance of the two clusters when merged
  int size = 0;       // varieties in the merged cluster
};

struct Linkage {
  int n = 0;                  // varieties
  std::vector<Merge> merges;  // n - 1 merges; none for n = 1
};

// Clusters the varieties of `d` (see condensed.h for what it must hold).
// Returns kNone and fills *linkage, or the problem of `d` and leaves
// *linkage with n = 0 and no merges.
DistancesProblem ComputeLinkage(const Distances& d, LinkageMethod method, Linkage* linkage);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_LINKAGE_H_
