// The arithmetic of one neighbour-joining round, written once so that every
// search for the pair to join computes each value with the same operations in
// the same order, and so the same bits (see neighbor_joining.h for the
// round). With m clusters, s = m - 2, S_i the row sums:
//   JoinCriterion(s, d_ij, S_i, S_j) = (s*d_ij - S_i) - S_j, i the earlier
//     position: (s*d - S_i) - S_j and (s*d - S_j) - S_i may differ in the
//     last bit, so the order of the operands is part of the value;
//   JoinBranch(d_ab, S_a, S_b, m): a's branch (d_ab + (S_a - S_b)/(m-2))/2,
//     b's the same with the sign of the shift turned;
//   JoinedDistance(d_ka, d_kb, d_ab) = (d_ka + d_kb - d_ab)/2.
// Example: JoinCriterion(2, 3, 12, 14) = -20; JoinBranch(3, 12, 14, 4) gives
// {1, 2}; JoinedDistance(4, 5, 3) = 3.
#ifndef KYORI_ANALYSIS_NJ_ARITHMETIC_H_
#define KYORI_ANALYSIS_NJ_ARITHMETIC_H_

#include <utility>

namespace kyori::analysis {

inline double JoinCriterion(double scale, double d_ij, double sum_i, double sum_j) {
  return scale * d_ij - sum_i - sum_j;
}

// {branch of a, branch of b} for the pair a, b (a at the earlier position).
inline std::pair<double, double> JoinBranches(double d_ab, double sum_a, double sum_b, int m) {
  const double shift = (sum_a - sum_b) / (m - 2);
  return {(d_ab + shift) / 2, (d_ab - shift) / 2};
}

inline double JoinedDistance(double d_ka, double d_kb, double d_ab) { return (d_ka + d_kb - d_ab) / 2; }

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_NJ_ARITHMETIC_H_
