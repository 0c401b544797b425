#include "analysis/pca.h"

#include <Eigen/Core>
#include <Eigen/Eigenvalues>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

namespace kyori::analysis {
namespace {

using Matrix = Eigen::MatrixXd;  // column-major, as the values are laid out
using Solver = Eigen::SelfAdjointEigenSolver<Matrix>;

// The products' blocking from fixed cache sizes (see pca.h, Determinism).
void FixBlocking() {
  static const bool fixed = [] {
    Eigen::setCpuCacheSizes(32 * 1024, 256 * 1024, 2 * 1024 * 1024);
    return true;
  }();
  (void)fixed;
}

PcaProblem CheckInput(int n, int m, const std::vector<double>& values) {
  if (n < 2) return PcaProblem::kTooFewVarieties;
  if (m < 1) return PcaProblem::kNoTraits;
  if (values.size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(m)) return PcaProblem::kWrongSize;
  for (double v : values) {
    if (std::isinf(v)) return PcaProblem::kNotFinite;
  }
  return PcaProblem::kNone;
}

// z, with each NaN taken as 0 and counted.
Matrix ValuesMatrix(int n, int m, const std::vector<double>& values, std::int64_t* replaced) {
  Matrix z(n, m);
  double* out = z.data();
  *replaced = 0;
  for (std::size_t k = 0; k < values.size(); ++k) {
    const bool missing = std::isnan(values[k]);
    *replaced += missing;
    out[k] = missing ? 0.0 : values[k];
  }
  return z;
}

// The lower triangle of a^T a / (n - 1): a is z^T for the Gram matrix, z for R.
Matrix CrossProduct(const Matrix& a, int n) {
  Matrix product = Matrix::Zero(a.cols(), a.cols());
  product.selfadjointView<Eigen::Lower>().rankUpdate(a.transpose(), 1.0 / (n - 1));
  return product;
}

// The k largest eigenvalues, decreasing, those too small to tell from
// rounding made 0; their eigenvectors in the same order.
bool LargestPairs(const Matrix& lower, int k, double zero_scale, std::vector<double>* eigenvalues,
                  Matrix* vectors) {
  const Solver solver(lower, Eigen::ComputeEigenvectors);
  if (solver.info() != Eigen::Success) return false;
  const Eigen::Index size = lower.rows();
  eigenvalues->assign(k, 0.0);
  *vectors = Matrix(size, k);
  const double first = std::max(solver.eigenvalues()(size - 1), 0.0);
  const double zero = first * zero_scale * DBL_EPSILON;
  for (int c = 0; c < k; ++c) {
    const double value = solver.eigenvalues()(size - 1 - c);
    (*eigenvalues)[c] = value > zero ? value : 0.0;
    vectors->col(c) = solver.eigenvectors().col(size - 1 - c);
  }
  return true;
}

// Columns from..k-1 of *loadings replaced by unit vectors orthogonal to
// every column before them: each time the trait axis that lies farthest
// outside the columns so far (the first of equals), less its projection on
// them, the projection taken off twice for accuracy.
void CompleteBasis(int from, Matrix* loadings) {
  const Eigen::Index m = loadings->rows();
  for (Eigen::Index c = from; c < loadings->cols(); ++c) {
    const auto before = loadings->leftCols(c);
    Eigen::Index axis = 0;
    double outside = -1;
    for (Eigen::Index j = 0; j < m; ++j) {
      const double left = 1.0 - before.row(j).squaredNorm();
      if (left > outside) {
        outside = left;
        axis = j;
      }
    }
    Eigen::VectorXd v = Eigen::VectorXd::Unit(m, axis);
    for (int pass = 0; pass < 2; ++pass) v -= before * (before.transpose() * v);
    loadings->col(c) = v / v.norm();
  }
}

bool LoadingsFromTraits(const Matrix& z, int k, std::vector<double>* eigenvalues, Matrix* loadings) {
  const double scale = std::max(z.rows(), z.cols());
  return LargestPairs(CrossProduct(z, static_cast<int>(z.rows())), k, scale, eigenvalues, loadings);
}

bool LoadingsFromVarieties(const Matrix& z, int k, std::vector<double>* eigenvalues, Matrix* loadings) {
  const int n = static_cast<int>(z.rows());
  const double scale = std::max(z.rows(), z.cols());
  Matrix u;
  if (!LargestPairs(CrossProduct(z.transpose(), n), k, scale, eigenvalues, &u)) return false;
  int recovered = 0;
  while (recovered < k && (*eigenvalues)[recovered] > 0) ++recovered;
  *loadings = Matrix(z.cols(), k);
  if (recovered > 0) loadings->leftCols(recovered).noalias() = z.transpose() * u.leftCols(recovered);
  for (int c = 0; c < recovered; ++c) loadings->col(c).normalize();
  CompleteBasis(recovered, loadings);
  return true;
}

constexpr double kTiedLoading = 1e-9;

// Each column turned so that its first entry within kTiedLoading of the
// largest magnitude is positive.
void ApplySignRule(Matrix* loadings) {
  for (Eigen::Index c = 0; c < loadings->cols(); ++c) {
    const double largest = loadings->col(c).cwiseAbs().maxCoeff();
    Eigen::Index first = 0;
    while (std::fabs((*loadings)(first, c)) < largest * (1 - kTiedLoading)) ++first;
    if ((*loadings)(first, c) < 0) loadings->col(c) *= -1.0;
  }
}

void FillShares(Pca* pca) {
  double total = 0;
  for (double value : pca->eigenvalues) total += value;
  double running = 0;
  for (double value : pca->eigenvalues) {
    running += value;
    pca->sdev.push_back(std::sqrt(value));
    pca->percent.push_back(total > 0 ? 100 * (value / total) : 0.0);
    pca->cumulative.push_back(total > 0 ? 100 * (running / total) : 0.0);
  }
}

}  // namespace

PcaProblem ComputePca(int varieties, int traits, const std::vector<double>& values, Pca* pca, PcaRoute route) {
  *pca = Pca();
  const PcaProblem problem = CheckInput(varieties, traits, values);
  if (problem != PcaProblem::kNone) return problem;
  FixBlocking();
  Pca result;
  const Matrix z = ValuesMatrix(varieties, traits, values, &result.replaced);
  const int k = std::min(varieties, traits);
  if (route == PcaRoute::kAuto) route = traits <= varieties ? PcaRoute::kTraits : PcaRoute::kVarieties;
  Matrix loadings;
  const bool solved = route == PcaRoute::kTraits ? LoadingsFromTraits(z, k, &result.eigenvalues, &loadings)
                                                 : LoadingsFromVarieties(z, k, &result.eigenvalues, &loadings);
  if (!solved) return PcaProblem::kNoConvergence;
  ApplySignRule(&loadings);
  const Matrix scores = z * loadings;
  result.varieties = varieties;
  result.traits = traits;
  result.components = k;
  FillShares(&result);
  result.loadings.assign(loadings.data(), loadings.data() + loadings.size());
  result.scores.assign(scores.data(), scores.data() + scores.size());
  *pca = std::move(result);
  return PcaProblem::kNone;
}

const char* DescribePcaProblem(PcaProblem problem) {
  switch (problem) {
    case PcaProblem::kNone: return "no problem";
    case PcaProblem::kTooFewVarieties: return "fewer than two varieties";
    case PcaProblem::kNoTraits: return "no trait";
    case PcaProblem::kWrongSize: return "the values do not fill varieties x traits";
    case PcaProblem::kNotFinite: return "a value is infinite";
    case PcaProblem::kNoConvergence: return "the eigen-decomposition did not converge";
  }
  return "unknown problem";
}

}  // namespace kyori::analysis
