// Distances between n varieties, kept as the upper triangle of the symmetric
// matrix, row by row: for 0 <= i < j < n the distance of i and j sits at
// n*i - i*(i+1)/2 + (j-i-1). For n = 4 the six values are
//   d01 d02 d03 d12 d13 d23      (CondensedIndex(4, 1, 3) == 4).
// Every function in analysis/ takes its distances in this form.
//
// The clustering and tree functions need n >= 1, exactly n(n-1)/2 values, and
// every value finite and >= 0 (zeros and ties are fine). CheckDistances says
// which of these a matrix breaks; a function given such a matrix returns that
// problem and computes nothing, so NaN or infinite values from odd data never
// reach the arithmetic.
#ifndef KYORI_ANALYSIS_CONDENSED_H_
#define KYORI_ANALYSIS_CONDENSED_H_

#include <cstddef>
#include <vector>

#include "kernels/condensed_index.h"

namespace kyori::analysis {

struct Distances {
  int n = 0;                      // number of varieties
  std::vector<double> condensed;  // n(n-1)/2 values in the order above
};

// CondensedSize(n) and CondensedIndex(n, i, j), the layout above.
using kyori::CondensedIndex;
using kyori::CondensedSize;

// The distance of i and j; 0 when i == j.
inline double DistanceAt(const Distances& d, int i, int j) {
  return i == j ? 0.0 : d.condensed[CondensedIndex(d.n, i, j)];
}

// The upper triangle of an n x n matrix held row by row (square[i*n + j]);
// the diagonal and the lower triangle are not read.
Distances DistancesFromSquare(int n, const std::vector<double>& square);

enum class DistancesProblem {
  kNone,
  kNoVarieties,  // n < 1
  kWrongSize,    // condensed.size() != n(n-1)/2
  kNotFinite,    // a NaN or an infinity
  kNegative,     // a value below 0
};

// The first problem found, in the order of the enum; kNone for a usable matrix.
DistancesProblem CheckDistances(const Distances& d);

// The same, but a NaN is no problem: it stands for a pair that has no
// distance (of varieties with missing values and no trait in common), which
// a picture of the distances can show and a tree cannot be built from.
//   {3, {1, NaN, 2}} -> kNone;  {3, {1, Inf, 2}} -> kNotFinite
DistancesProblem CheckDistancesWithGaps(const Distances& d);

// A short English phrase for a problem, e.g. "a distance is not finite".
const char* DescribeProblem(DistancesProblem problem);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_CONDENSED_H_
