// Neighbour-joining (Saitou and Nei, with Studier and Keppler's criterion):
// an unrooted tree whose path lengths fit the distances.
//
// Each round, with m clusters in the working matrix (positions 1 .. m):
//   S_i = sum of d_ij over j != i                (row sums, once per round)
//   Q_ij = (m - 2) d_ij - S_i - S_j              (for i < j)
//   the pair with the smallest Q joins into a new node u:
//     branch i-u = (d_ij + (S_i - S_j)/(m - 2)) / 2
//     branch j-u = (d_ij - (S_i - S_j)/(m - 2)) / 2
//     d_uk = (d_ik + d_jk - d_ij) / 2            for every other k
// until three clusters are left; they hang from the base node with
//   (d_12 + d_13 - d_23)/2, (d_12 + d_23 - d_13)/2, (d_23 + d_13 - d_12)/2.
// Negative branch lengths are kept as computed. O(n^3) time, two condensed
// matrices of memory.
//
// Ties, and the order of every sum, follow R's ape::nj, so branch lengths
// and topology agree with it to the last bit on ordinary data:
//  - S_i adds the distances to the later positions first (j = i+1 .. m),
//    then those to the earlier ones (j = 1 .. i-1), each in order;
//  - Q is scanned row by row (i ascending, then j ascending) and only a
//    strictly smaller value replaces the best, so the first pair wins a tie;
//  - after a join the new node takes position 1 and the others keep their
//    order behind it.
//
// The result (see tree.h): leaves 0 .. n-1, one inner node per join in the
// order made (children: the pair, in position order), the base last as the
// root with its three children in position order. Small n:
//   n = 3  the base with the three leaves (a star);
//   n = 2  a root with both leaves, each at half the distance (path = d);
//   n = 1  the lone leaf.
//
// Example, four varieties with d01 = 3, d02 = 4, d03 = 5, d12 = 5, d13 = 6,
// d23 = 5 (condensed {3, 4, 5, 5, 6, 5}): S = {12, 14, 14, 16}; the least
// Q = 2*3 - 12 - 14 = -20 joins 0 and 1 (tied with 2 and 3, which come
// later) with branches 1 and 2; then u is at 3 from 2 and 4 from 3, and the
// base gives u 1, variety 2 2, variety 3 3. Newick: ((0:1,1:2):1,2:2,3:3);
#ifndef KYORI_ANALYSIS_NEIGHBOR_JOINING_H_
#define KYORI_ANALYSIS_NEIGHBOR_JOINING_H_

#include "analysis/condensed.h"
#include "analysis/tree.h"

namespace kyori::analysis {

// Joins the varieties of `d` (see condensed.h for what it must hold).
// Returns kNone and fills *tree, or the problem of `d` and leaves *tree
// empty (no nodes, root -1).
// Each round's row sums and its scan for the least Q are split across `jobs`
// threads; the tree is the same for every number of jobs.
DistancesProblem NeighborJoining(const Distances& d, Tree* tree, int jobs = 1);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_NEIGHBOR_JOINING_H_
