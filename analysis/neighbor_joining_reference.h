// Neighbour-joining the plain way: each round computes every row sum in full
// and scans every Q, O(n^3) time and two condensed matrices of memory. It
// gives exactly the tree that NeighborJoining (neighbor_joining.h) gives, bit
// for bit: it is the plain statement of what that faster search must find,
// the yardstick the tests hold it to, and what NeighborJoining falls back on
// for distances too large for its error bounds.
//
// Example: ReferenceNeighborJoining({4, {3, 4, 5, 5, 6, 5}}, &tree) gives the
// tree of neighbor_joining.h's example, ((0:1,1:2):1,2:2,3:3);
#ifndef KYORI_ANALYSIS_NEIGHBOR_JOINING_REFERENCE_H_
#define KYORI_ANALYSIS_NEIGHBOR_JOINING_REFERENCE_H_

#include "analysis/condensed.h"
#include "analysis/tree.h"

namespace kyori::analysis {

// The contract of NeighborJoining: kNone and *tree filled, or the problem of
// `d` and *tree empty. Each round's row sums and its scan for the least Q
// are split across `jobs` threads; the tree is the same for every number.
DistancesProblem ReferenceNeighborJoining(const Distances& d, Tree* tree, int jobs = 1);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_NEIGHBOR_JOINING_REFERENCE_H_
