// Silhouette widths: how well each variety sits in its group, from the
// distances, as R's cluster::silhouette computes them.
//
// For variety i in group A (of size |A|):
//   a(i)  the mean distance from i to the other members of A
//   b(i)  the least, over the other groups C, of the mean distance from i to
//         the members of C; that C is i's nearest other group (the
//         lowest-numbered of equally near ones)
//   s(i)  (b(i) - a(i)) / max(a(i), b(i)), in [-1, 1]: near 1 when i is far
//         closer to its own group than to any other, near 0 between two,
//         negative when another group is closer; 0 when i is alone in its
//         group (a(i) does not exist) and when a(i) == b(i).
// The average width is the mean of s(i) over all varieties. Each mean
// distance is the sum over the other varieties in index order, divided by
// their count, the order and the arithmetic of cluster::silhouette.
//
// Widths exist for 2 <= k <= n - 1 groups only (cluster::silhouette gives
// NA otherwise: with one group there is no other, with n every group is a
// single variety).
//
// Example, points 0, 1, 3, 7 in groups {1, 1, 2, 2}:
//   variety 0: a = 1, b = (3 + 7) / 2 = 5,   s = 4 / 5 = 0.8,     nearest 2
//   variety 2: a = 4, b = (3 + 2) / 2 = 2.5, s = -1.5 / 4 = -0.375, nearest 1
//   variety 3: a = 4, b = (7 + 6) / 2 = 6.5, s = 2.5 / 6.5,          nearest 1
//   widths 0.8, 0.75, -0.375, 0.38461538461538464; average 0.38990384615384616
// O(n^2) time (each pair read twice), O(k) memory beside the result.
#ifndef KYORI_ANALYSIS_SILHOUETTE_H_
#define KYORI_ANALYSIS_SILHOUETTE_H_

#include <vector>

#include "analysis/condensed.h"

namespace kyori::analysis {

struct Silhouette {
  std::vector<double> width;  // s(i) of each variety
  std::vector<int> nearest;   // the nearest other group of each variety, 1 .. k
  double average = 0;         // the mean width
};

// The silhouette of the varieties of `d` in the groups `groups` (variety i in
// group groups[i], numbered 1 .. k, every group holding a variety). Returns
// false, leaving *silhouette empty, when k is outside 2 .. n - 1, the groups
// are not so, or `d` has a problem (condensed.h).
bool ComputeSilhouette(const Distances& d, const std::vector<int>& groups, int k, Silhouette* silhouette);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_SILHOUETTE_H_
