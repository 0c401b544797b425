// Finding close pairs of a standardized collection without its triangle of
// distances: the shared ground of the nearest neighbours
// (nearest_neighbours.h) and the near duplicates (duplicate_pairs.h).
//
// The distance of a pair is the accurate arithmetic's, bit for bit: the
// double sum, in trait order, of the squared differences, and its square
// root; with missing values, batch/gapped_distances.h's (the sum over the
// traits both varieties have, times m / c, and no distance, NaN, below
// max(1, min_common) traits in common). ExactDistance computes it.
//
// Computing it for all n^2 pairs in double is the slow part; so, for a
// collection without missing values, a first pass works in single
// precision on the values rounded to float, with SSE2 when the machine has
// it:
//   approx(i, j) = (|x_i|^2 + |x_j|^2) - 2 <x_i, x_j>     (float)
// and every pair whose true distance could matter is taken on to the exact
// distance. Which pairs could matter follows from a bound on the error of
// the approximation:
//   |approx(i, j) - D(i, j)^2| <= c * (N_i + N_j) + A
// where D is the exact distance as computed (in double), N_i = |x_i|^2 (of
// the double values), c = (4m + 32) * 2^-24 and A = m * 2^-46 (SearchBound).
//
// Why the bound holds (u = 2^-24, P = N_i + N_j, s the sum in real numbers
// of the squared differences of the double values):
//   - Each value is rounded to float (relative error u), except that a
//     value below 2^-60 in magnitude is taken as 0, which moves each term
//     (x - y)^2 by at most 2^-60 * (2|x - y| + 2^-60) <= 2^-48 (standardized
//     values are below sqrt(n) <= 2^10 in magnitude for n <= 10^6): that is A
//     with room to spare, and no product of two floats kept is subnormal.
//     With the rounded values s moves by at most 3u N_i + 3u N_j + 2 * 3u *
//     sum|x y| <= 6u P (sum|x y| <= P / 2).
//   - The dot product and the norms are sums of m products in float, in any
//     order: each within gamma_m = m u / (1 - m u) of their sums of
//     magnitudes, together at most 2 * gamma_m * (1 + 3u) P <= 2.01 m u P
//     (m u <= 32767 u < 0.002).
//   - The two float operations at the end (the sum of the norms, then
//     minus twice the dot product, the doubling exact) round results of
//     magnitude at most 1.01 P and 2.1 P (s <= 2P): 3.11 u P.
//   - D^2, from the double sum and its root, is within (m + 8) 2^-52 * 2P
//     of s: below 0.001 u P.
//   So |approx - D^2| <= (2.01 m + 9.2) u P, about half of c P. The other
//   half covers the double arithmetic that applies the bound, and the norms
//   N_i computed in double.
//
// A collection with missing values has no such pass: its pairs are all
// computed exactly (slower, the same results).
#ifndef KYORI_BATCH_PAIR_SEARCH_H_
#define KYORI_BATCH_PAIR_SEARCH_H_

#include <cstdint>
#include <vector>

#include "batch/collection.h"

namespace kyori {

// The values of a standardized collection laid out for the search.
struct PairSearchData {
  int varieties = 0;
  int traits = 0;
  int need = 1;  // max(1, min_common): the traits a pair shares for a distance
  bool gaps = false;  // a value is missing: every pair is computed exactly
  std::vector<double> rows;  // by variety: rows[i * traits + k]
  // Without gaps, the single-precision pass's data: the values rounded to
  // float by trait, each trait's row `padded` long (varieties rounded up to
  // a multiple of 8, the padding 0), the float norms (the padding +inf, so
  // that a padded column is never near anything) and the double norms.
  int padded = 0;
  std::vector<float> columns;  // columns[k * padded + j]
  std::vector<float> float_norms;
  std::vector<double> norms;
  double largest_norm = 0;
};

// Lays out the values of `c` (standardized; a NaN is a missing value).
PairSearchData PreparePairSearch(const Collection& c, int min_common);

// The bytes PreparePairSearch holds for a collection of this shape, beside
// the collection: the rows in double, the float columns and the norms.
//   1000 x 20 -> 160,000 + 80,000 + 12,000 = 252,000
std::uint64_t PairSearchBytes(int varieties, int traits);

// The distance of varieties i and j as the accurate arithmetic computes it
// (0 for a collection of no traits, as in the report); with missing values,
// NaN when the pair has no distance.
double ExactDistance(const PairSearchData& data, int i, int j);

// ExactDistance of variety i to each of [first, first + count) into
// out[0 .. count), the same doubles: with SSE2, four pairs' sums are
// formed side by side, each still in trait order, and a missing trait adds
// 0 (0 * 0 + sum is sum, a sum never being -0) instead of a branch. For a
// collection with missing values, where every pair is computed this way.
//   one trait, values a -1, b 0, c NaN, d 1: i = a, first = b, count = 3
//   -> 1, NaN, 2
void ExactDistancesFrom(const PairSearchData& data, int i, int first, int count, double* out);

// The bound on |approx(i, j) - D(i, j)^2| above.
struct SearchBound {
  double scale = 0;  // c
  double floor = 0;  // A
  double Of(const PairSearchData& data, int i, int j) const {
    return scale * (data.norms[static_cast<std::size_t>(i)] + data.norms[static_cast<std::size_t>(j)]) + floor;
  }
};
SearchBound BoundOf(const PairSearchData& data);

// The smallest float not below `limit` plus the bound of query i against
// the largest norm: every pair (i, j) whose lower bound approx - Of(i, j)
// is at most `limit` has approx <= this float.
float FloatLimit(const PairSearchData& data, const SearchBound& bound, int i, double limit);

// Four varieties, first .. first + 3, as the single-precision pass takes
// them: their float values by trait and their float norms (0 for those
// beyond the collection, whose results are ignored).
inline constexpr int kQueriesAtOnce = 4;
struct QueryGroup {
  int first = 0;
  // values[(k * kQueriesAtOnce + q) * 4 + lane]: each value four times, so
  // that the pass loads it ready to multiply four columns at once
  std::vector<float> values;
  float norm[kQueriesAtOnce] = {};
};
void LoadQueries(const PairSearchData& data, int first, QueryGroup* group);

// The approximate squared distances of the group's four varieties to the
// varieties [begin, begin + count), with begin and count multiples of 8
// and begin + count <= padded: approx[q][t] for variety begin + t. A padded
// column's is +inf (or NaN), never at most a finite limit.
void ApproximateSquares(const PairSearchData& data, const QueryGroup& group, int begin, int count,
                        float* const* approx);

}  // namespace kyori

#endif  // KYORI_BATCH_PAIR_SEARCH_H_
