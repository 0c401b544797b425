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
// Negative branch lengths are kept as computed.
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
// The search. Computing every S_i in that order is itself n^2 additions a
// round, so each round works from estimates and computes the exact sums of
// a few rows only:
//  - T_i, an estimate of the true row sum, kept up to date in O(n) a round
//    (T_k - d_ka - d_kb + d_uk), with E_i, a bound on its error that grows
//    by the rounding of each such step;
//  - a lower triangle of the distances in floats, searched with SSE2 for
//    each row's least float criterion s*f_ij - T_j - T_i (skipping a row
//    whose bound s * its least entry - the largest T before it - T_i is
//    already beyond the reach below); the rows whose least is within reach
//    of the least of all (the window W below plus three times a bound F on
//    |float criterion - estimated criterion|) are read again in doubles;
//  - the pairs of those rows whose estimated criterion Q~ (doubles, from T)
//    is within W of the least Q~ are the candidates;
//  - the exact S of the candidates' rows (in the order above) and their
//    exact Q pick the pair: the least Q, the first in row order among equals.
// Why the pair is the one the plain scan finds: for any pair, the exact Q
// (from the sequentially added S) and Q~ differ by at most
// D = |S_i - T_i| + |S_j - T_j| + the rounding of both criteria, where
// |S_i - T_i| <= gamma_m * sum_j |d_ij| + E_i (the error of a sum added in
// any order, gamma_m = m u / (1 - m u), u = 2^-53) and each criterion's
// three roundings are at most u times its three partial results. W is at
// least 2D for every pair (computed from the largest |d| and E so far, with
// room for the rounding of the comparisons). Let p be the pair the plain
// scan joins and c the pair of the least Q~. Then
//   Q~(p) <= Q(p) + D <= Q(c) + D <= Q~(c) + 2D <= Q~(c) + W,
// and the same holds for every pair whose Q equals Q(p): all of them are
// candidates, so the least exact Q among the candidates is Q(p) and the
// first of those in row order is p. No candidate's row is left out of the
// second reading: a row's float least is at most the float criterion of its
// candidate, which is within F of its Q~, which is within W of the least
// Q~, itself within F of the least float criterion; rounding is monotone,
// so the row bound is at most the row's float least. Branch lengths and new
// distances use the exact S and the same operations as the plain scan
// (nj_arithmetic.h), so every value has the same bits. When a round has
// thousands of candidates (a matrix of exact ties), it computes every row
// sum and scans every pair instead; distances past about 1e30 / n, where
// the floats could overflow, are joined by the plain scan from the start.
// Time n^3/6 float criteria in SSE2 (four at a time) and O(n^2) in doubles;
// memory 20 bytes a pair (the full square of doubles, the float triangle):
// 2.6 GB for 16,000 varieties.
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
// Each round's search of the float triangle is split across `jobs` threads;
// the candidates do not depend on the split, so the tree is the same for
// every number of jobs.
DistancesProblem NeighborJoining(const Distances& d, Tree* tree, int jobs = 1);

// How a join went, for tests and measurements: whether the whole matrix
// went to the plain scan (too large for the bounds, or n < 4), how many
// rounds were searched in full (a matrix of exact ties), and the most
// candidates a round resolved. Ordinary data: {false, 0, 1 or a few}.
struct JoiningPath {
  bool plain_scan = false;
  int full_rounds = 0;
  int most_candidates = 0;
};
DistancesProblem NeighborJoining(const Distances& d, Tree* tree, int jobs, JoiningPath* path);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_NEIGHBOR_JOINING_H_
