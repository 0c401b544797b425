// Principal components of the standardized traits: the directions in trait
// space along which the varieties spread the most, each with its share of
// the whole spread.
//
// Input: n varieties x m traits of standardized values (each trait mean 0,
// sample standard deviation 1), laid out by trait as batch mode holds them:
// the value of variety i for trait j at values[j*n + i]. A missing value
// (NaN) is taken as 0, the trait's mean, and counted in `replaced`.
//
// With z that n x m matrix, the components are the eigenvectors of
//   R = z^T z / (n - 1)          (m x m; the correlation matrix of the traits
//                                 when nothing is missing)
// in order of decreasing eigenvalue, k = min(n, m) of them. For component c:
//   eigenvalue  the variance of the varieties along it
//   sdev        sqrt(eigenvalue)
//   percent     100 * eigenvalue / (sum of all k eigenvalues)
//   cumulative  100 * (eigenvalues 1 .. c) / (sum of all k); the last is 100
//   loadings    its unit eigenvector, one value per trait
//   scores      z x loadings, one value per variety
// These are the sdev, rotation and x of R's prcomp(x, scale. = TRUE) for the
// unstandardized x (which standardizes x the same way first).
//
// Signs: an eigenvector is defined up to its sign. So that every run, on
// every machine and by either route below, gives the same picture, each
// component is turned so that its loading of largest magnitude is positive;
// its scores turn with it. Where loadings tie for the largest the first of
// them is made positive, loadings within 1e-9 of the largest magnitude
// (relative) counting as tied: two loadings equal but for rounding must not
// let the rounding choose the sign.
//
// Zero components. Centring leaves z a rank of at most n - 1, so with
// n <= m the last component, and with traits that repeat each other more of
// them, have no variance. An eigenvalue below lambda_1 * max(n, m) * 2^-52
// cannot be told from rounding (the first eigenvalue's own error is of that
// size) and is reported as exactly 0, sdev 0; the loadings of such
// components are some orthonormal completion of the others (they span what
// the data leaves free, and any basis of it is as good), their scores 0 up
// to rounding.
//
// Route. The eigenvectors are found by Eigen's SelfAdjointEigenSolver, on
// the smaller of two symmetric matrices:
//   m <= n  R itself (m x m);
//   n <  m  the Gram matrix G = z z^T / (n - 1) (n x n), which has the same
//           nonzero eigenvalues: for G u = lambda u with |u| = 1, the loading
//           is z^T u / sqrt((n - 1) lambda), a unit eigenvector of R.
// A dense symmetric eigen-decomposition takes O(size^3) time and size^2
// memory, so 200 varieties with 5,000 traits decompose a 200 x 200 matrix
// rather than a 5,000 x 5,000 one. Either route can be asked for (the tests
// compare them); both give the same components where both apply.
//
// Determinism: the products are Eigen's blocked ones; their blocking depends
// on the cache sizes, which are fixed here rather than read off the machine,
// so the order of every sum, and so every bit, is the same on every machine
// running the same build. Nothing runs in parallel.
//
// Example, 3 varieties, 2 traits, values {-1, 0, 1,  1, -1, 0}:
//   R = [[1, -0.5], [-0.5, 1]], eigenvalues 1.5 and 0.5
//   sdev        1.2247448713915890  0.70710678118654757
//   percent     75  25;   cumulative  75  100
//   loadings    PC1 ( 0.7071, -0.7071)  (the two tie in magnitude: the
//               PC2 ( 0.7071,  0.7071)   first is made positive)
//   scores      PC1 (-1.4142, 0.7071, 0.7071)
//               PC2 ( 0,     -0.7071, 0.7071)
#ifndef KYORI_ANALYSIS_PCA_H_
#define KYORI_ANALYSIS_PCA_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kyori::analysis {

struct Pca {
  int varieties = 0;          // n
  int traits = 0;             // m
  int components = 0;         // k = min(n, m)
  std::int64_t replaced = 0;  // missing values taken as 0
  std::vector<double> sdev;         // k values, decreasing
  std::vector<double> eigenvalues;  // k values, decreasing
  std::vector<double> percent;      // k values
  std::vector<double> cumulative;   // k values
  std::vector<double> loadings;     // m x k by component: trait j, component c at c*m + j
  std::vector<double> scores;       // n x k by component: variety i, component c at c*n + i

  double Loading(int trait, int component) const {
    return loadings[static_cast<std::size_t>(component) * traits + trait];
  }
  double Score(int variety, int component) const {
    return scores[static_cast<std::size_t>(component) * varieties + variety];
  }
};

enum class PcaRoute {
  kAuto,       // kTraits when m <= n, else kVarieties
  kTraits,     // the m x m matrix R
  kVarieties,  // the n x n Gram matrix G
};

enum class PcaProblem {
  kNone,
  kTooFewVarieties,  // n < 2
  kNoTraits,         // m < 1
  kWrongSize,        // values.size() != n * m
  kNotFinite,        // an infinite value
  kNoConvergence,    // the eigen-solver gave up (its iteration limit, 30 per row)
};

// The components of `values` (n = varieties, m = traits, as above). Returns
// kNone and fills *pca, or the first problem in the order of the enum and
// leaves *pca empty (counts 0, no values).
PcaProblem ComputePca(int varieties, int traits, const std::vector<double>& values, Pca* pca,
                      PcaRoute route = PcaRoute::kAuto);

// A short English phrase for a problem, e.g. "a value is infinite".
const char* DescribePcaProblem(PcaProblem problem);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_PCA_H_
