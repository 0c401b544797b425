// Every variety's K nearest others, by the accurate arithmetic's distances
// (batch/pair_search.h), without the triangle of distances: the collection
// is taken a block of varieties at a time against all the others, the
// blocks shared among threads.
//
// The neighbours of variety i are the K varieties j != i with a distance
// that come first by (distance, j): nearest first, and of two at the same
// distance (the same double) the one earlier in the data file first. A pair
// without a distance (missing values) is never a neighbour; a variety with
// fewer than K others at a distance has fewer neighbours, and K beyond
// n - 1 gives every other variety.
//
// Without missing values the candidates are found in single precision and
// their distances recomputed in double; the bound of pair_search.h makes
// the result the same as comparing every exact distance: for variety i, let
// U_j = approx_ij + b_ij and L_j = approx_ij - b_ij (b_ij the bound), so that
// L_j <= D_ij^2 <= U_j. The K-th smallest U over any K varieties, T, is at
// least the square of the K-th neighbour's distance (K varieties have
// D^2 <= T); a neighbour j has D_ij at most that distance, so L_j <= T.
// Every j with L_j <= T is computed exactly, which includes all K
// neighbours. T only falls as varieties are taken, so a variety left out
// on a larger T is left out on the final one too.
//
// Example: one trait, standardized values a -1, b 0, c 0, d 1 (exact
// distances a-b 1, a-c 1, a-d 2, b-c 0, b-d 1, c-d 1), K = 2:
//   a: b 1, c 1     b: c 0, a 1     c: b 0, a 1     d: b 1, c 1
#ifndef KYORI_BATCH_NEAREST_NEIGHBOURS_H_
#define KYORI_BATCH_NEAREST_NEIGHBOURS_H_

#include <cstdint>
#include <vector>

#include "batch/pair_search.h"

namespace kyori {

// One neighbour: its index (-1 for none) and its distance.
struct Neighbour {
  double distance = 0;
  std::int32_t index = -1;
};

// The most varieties the neighbours and duplicates take: beyond the
// report's capacity, as neither holds the triangle.
inline constexpr int kPairSearchCapacity = 1000000;

// The most neighbours a variety is asked for.
inline constexpr int kMostNeighbours = 1000;

// The neighbours of every variety of `data`, `k` a variety (k >= 1):
// result[i * k + r] is the (r + 1)-th neighbour of i, index -1 where i has
// fewer than r + 1. The blocks are shared by `jobs` threads; the result is
// the same for every number of jobs.
std::vector<Neighbour> FindNeighbours(const PairSearchData& data, int k, int jobs);

// The bytes FindNeighbours holds beside `data`: the result (16 bytes a
// neighbour) and each thread's block of approximate distances and
// candidates.
//   1000 varieties, k 10, 2 threads -> 160,000 + 2 * NeighbourWorkingBytes
std::uint64_t NeighbourBytes(int varieties, int k, int jobs);

}  // namespace kyori

#endif  // KYORI_BATCH_NEAREST_NEIGHBOURS_H_
