// Principal components (analysis/pca.h): the worked example, the sign rule
// whatever sign the eigen-solver hands back, the two routes giving the same
// components, components without variance, missing values and refusals.
// The comparison with R's prcomp on real data is tests/analysis/
// multivariate_reference.R.
#include "analysis/pca.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

// Each of the m traits of `values` (by trait) standardized in place.
void StandardizeTraits(int n, int m, std::vector<double>* values) {
  for (int j = 0; j < m; ++j) {
    double* trait = values->data() + static_cast<std::size_t>(j) * n;
    double mean = 0;
    for (int i = 0; i < n; ++i) mean += trait[i] / n;
    double squares = 0;
    for (int i = 0; i < n; ++i) squares += (trait[i] - mean) * (trait[i] - mean);
    const double sd = std::sqrt(squares / (n - 1));
    for (int i = 0; i < n; ++i) trait[i] = (trait[i] - mean) / sd;
  }
}

// n x m standardized values (by trait), from normal draws mixed so that the
// traits correlate; `repeats` traits at the end copy the first ones.
std::vector<double> Standardized(int n, int m, unsigned seed, int repeats = 0) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal;
  std::vector<double> values(static_cast<std::size_t>(n) * m);
  for (int j = 0; j < m; ++j) {
    for (int i = 0; i < n; ++i) {
      values[j * n + i] = j >= m - repeats ? values[(j - (m - repeats)) * n + i]
                                           : normal(random) + (j > 0 ? 0.6 * values[(j - 1) * n + i] : 0.0);
    }
  }
  StandardizeTraits(n, m, &values);
  return values;
}

Pca Components(int n, int m, const std::vector<double>& values, PcaRoute route = PcaRoute::kAuto) {
  Pca pca;
  EXPECT_EQ(ComputePca(n, m, values, &pca, route), PcaProblem::kNone);
  return pca;
}

// The first loading within 1e-9 of the largest magnitude, as pca.h has it.
int SignLoading(const Pca& pca, int c) {
  double largest = 0;
  for (int j = 0; j < pca.traits; ++j) largest = std::max(largest, std::fabs(pca.Loading(j, c)));
  int j = 0;
  while (std::fabs(pca.Loading(j, c)) < largest * (1 - 1e-9)) ++j;
  return j;
}

void ExpectOrthonormalLoadings(const Pca& pca) {
  for (int a = 0; a < pca.components; ++a) {
    for (int b = 0; b < pca.components; ++b) {
      double dot = 0;
      for (int j = 0; j < pca.traits; ++j) dot += pca.Loading(j, a) * pca.Loading(j, b);
      EXPECT_NEAR(dot, a == b ? 1.0 : 0.0, 1e-12) << "components " << a << ", " << b;
    }
  }
}

TEST(PcaTest, TheWorkedExampleByBothRoutes) {
  const std::vector<double> values = {-1, 0, 1, 1, -1, 0};
  const double h = std::sqrt(0.5);
  for (PcaRoute route : {PcaRoute::kTraits, PcaRoute::kVarieties}) {
    const Pca pca = Components(3, 2, values, route);
    ASSERT_EQ(pca.components, 2);
    EXPECT_EQ(pca.replaced, 0);
    const double expected_sdev[] = {std::sqrt(1.5), h};
    const double expected_percent[] = {75, 25};
    const double expected_cumulative[] = {75, 100};
    for (int c = 0; c < 2; ++c) {
      EXPECT_NEAR(pca.sdev[c], expected_sdev[c], 1e-15);
      EXPECT_NEAR(pca.eigenvalues[c], expected_sdev[c] * expected_sdev[c], 1e-15);
      EXPECT_NEAR(pca.percent[c], expected_percent[c], 1e-13);
      EXPECT_NEAR(pca.cumulative[c], expected_cumulative[c], 1e-13);
    }
    EXPECT_EQ(pca.cumulative[1], 100);
    const double loadings[] = {h, -h, h, h};
    const double scores[] = {-2 * h, h, h, 0, -h, h};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(pca.loadings[k], loadings[k], 1e-15) << k;
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(pca.scores[k], scores[k], 1e-15) << k;
  }
}

// Negating one trait negates its row of R and so that entry of every
// eigenvector, and the solver may hand back either sign; after the sign rule
// each component must be the old one with that entry negated, turned as a
// whole exactly when that entry is the one the rule looks at.
TEST(PcaTest, TheSignRuleSettlesEverySignTheSolverMayGive) {
  struct Case {
    int n, m;
    PcaRoute route;
  };
  const Case cases[] = {{40, 6, PcaRoute::kTraits}, {40, 6, PcaRoute::kVarieties},
                        {9, 25, PcaRoute::kVarieties}, {9, 25, PcaRoute::kTraits}};
  for (const Case& c : cases) {
    const std::vector<double> values = Standardized(c.n, c.m, 3);
    const Pca pca = Components(c.n, c.m, values, c.route);
    for (int flipped = 0; flipped < c.m; flipped += 4) {
      std::vector<double> negated = values;
      for (int i = 0; i < c.n; ++i) negated[flipped * c.n + i] *= -1;
      const Pca other = Components(c.n, c.m, negated, c.route);
      for (int k = 0; k < pca.components; ++k) {
        if (pca.sdev[k] == 0) continue;  // any basis of what is left: no sign to compare
        EXPECT_GT(other.Loading(SignLoading(other, k), k), 0);
        const double turn = SignLoading(pca, k) == flipped ? -1 : 1;
        for (int j = 0; j < c.m; ++j) {
          EXPECT_NEAR(other.Loading(j, k), turn * (j == flipped ? -1 : 1) * pca.Loading(j, k), 1e-9)
              << c.n << " x " << c.m << ", trait " << flipped << " negated, component " << k;
        }
        for (int i = 0; i < c.n; ++i) EXPECT_NEAR(other.Score(i, k), turn * pca.Score(i, k), 1e-9);
      }
    }
  }
}

TEST(PcaTest, LoadingsTiedForTheLargestTurnTheFirstPositive) {
  // Two traits that correlate give the eigenvectors (1, -1) and (1, 1) over
  // sqrt 2, whatever the correlation: both entries tie, by either route.
  for (double slope : {0.5, -0.5, 0.9}) {
    std::vector<double> values = Standardized(30, 1, 5);
    const std::vector<double> other = Standardized(30, 1, 6);
    for (int i = 0; i < 30; ++i) values.push_back(slope * values[i] + other[i]);
    StandardizeTraits(30, 2, &values);
    for (PcaRoute route : {PcaRoute::kTraits, PcaRoute::kVarieties}) {
      const Pca pca = Components(30, 2, values, route);
      for (int c = 0; c < 2; ++c) {
        EXPECT_GT(pca.Loading(0, c), 0) << "slope " << slope << ", component " << c;
        EXPECT_NEAR(std::fabs(pca.Loading(0, c)), std::fabs(pca.Loading(1, c)), 1e-12);
      }
      EXPECT_LT(pca.Loading(1, 0) * pca.Loading(1, 1), 0);  // (1, 1) and (1, -1)
    }
  }
}

TEST(PcaTest, TheGramRouteGivesTheComponentsOfTheTraitRoute) {
  struct Case {
    int n, m, repeats;
  };
  // Both routes apply to every shape; each shape is also the other's
  // natural case (more varieties, more traits, as many, traits repeated).
  const Case cases[] = {{30, 12, 0}, {12, 30, 0}, {10, 10, 0}, {25, 8, 2}, {6, 40, 0}};
  for (const Case& c : cases) {
    const std::vector<double> values = Standardized(c.n, c.m, 11, c.repeats);
    const Pca traits = Components(c.n, c.m, values, PcaRoute::kTraits);
    const Pca varieties = Components(c.n, c.m, values, PcaRoute::kVarieties);
    ASSERT_EQ(traits.components, std::min(c.n, c.m));
    ASSERT_EQ(varieties.components, traits.components);
    for (int k = 0; k < traits.components; ++k) {
      SCOPED_TRACE(std::to_string(c.n) + " x " + std::to_string(c.m) + ", component " + std::to_string(k));
      EXPECT_NEAR(varieties.eigenvalues[k], traits.eigenvalues[k], 1e-12 * traits.eigenvalues[0]);
      EXPECT_EQ(varieties.sdev[k] == 0, traits.sdev[k] == 0);
      if (traits.sdev[k] == 0) continue;
      EXPECT_NEAR(varieties.sdev[k], traits.sdev[k], 1e-12);
      for (int j = 0; j < c.m; ++j) EXPECT_NEAR(varieties.Loading(j, k), traits.Loading(j, k), 1e-9);
      for (int i = 0; i < c.n; ++i) EXPECT_NEAR(varieties.Score(i, k), traits.Score(i, k), 1e-9);
    }
    ExpectOrthonormalLoadings(traits);
    ExpectOrthonormalLoadings(varieties);
  }
}

TEST(PcaTest, ComponentsWithoutVarianceAreZero) {
  struct Case {
    int n, m, repeats;
    int zero;  // components without variance
  };
  // Centring leaves n - 1 dimensions; a repeated trait takes one more.
  const Case cases[] = {{5, 5, 0, 1}, {4, 9, 0, 1}, {20, 6, 2, 2}, {2, 3, 0, 1}};
  for (const Case& c : cases) {
    for (PcaRoute route : {PcaRoute::kTraits, PcaRoute::kVarieties}) {
      const Pca pca = Components(c.n, c.m, Standardized(c.n, c.m, 8, c.repeats), route);
      SCOPED_TRACE(std::to_string(c.n) + " x " + std::to_string(c.m));
      const int k = pca.components;
      for (int z = k - c.zero; z < k; ++z) {
        EXPECT_EQ(pca.eigenvalues[z], 0.0);
        EXPECT_EQ(pca.sdev[z], 0.0);
        EXPECT_EQ(pca.percent[z], 0.0);
        for (int i = 0; i < c.n; ++i) EXPECT_NEAR(pca.Score(i, z), 0.0, 1e-12);
      }
      EXPECT_GT(pca.sdev[k - c.zero - 1], 1e-3);
      EXPECT_EQ(pca.cumulative[k - 1], 100);
      // The whole spread is the m traits' variance of 1 each.
      double total = 0;
      for (double e : pca.eigenvalues) total += e;
      EXPECT_NEAR(total, c.m, 1e-12 * c.m);
      ExpectOrthonormalLoadings(pca);
    }
  }
}

TEST(PcaTest, MissingValuesCountAsTheTraitsMean) {
  const int n = 12, m = 4;
  std::vector<double> values = Standardized(n, m, 21);
  std::vector<double> gapped = values;
  for (std::size_t k : {1u, 5u, 17u, 30u, 47u}) {
    gapped[k] = testing::kNaN;
    values[k] = 0;
  }
  for (PcaRoute route : {PcaRoute::kTraits, PcaRoute::kVarieties}) {
    const Pca expected = Components(n, m, values, route);
    const Pca got = Components(n, m, gapped, route);
    EXPECT_EQ(got.replaced, 5);
    EXPECT_EQ(expected.replaced, 0);
    EXPECT_EQ(got.loadings, expected.loadings);
    EXPECT_EQ(got.scores, expected.scores);
    EXPECT_EQ(got.sdev, expected.sdev);
  }
}

TEST(PcaTest, RefusesWhatItCannotDecompose) {
  struct Case {
    int n, m;
    std::vector<double> values;
    PcaProblem problem;
  };
  const Case cases[] = {
      {1, 2, {0, 0}, PcaProblem::kTooFewVarieties},
      {0, 0, {}, PcaProblem::kTooFewVarieties},
      {3, 0, {}, PcaProblem::kNoTraits},
      {3, 2, {1, 0, -1, 1, 0}, PcaProblem::kWrongSize},
      {3, 1, {1, testing::kInf, -1}, PcaProblem::kNotFinite},
      {2, 1, {-testing::kInf, testing::kNaN}, PcaProblem::kNotFinite},
  };
  for (const Case& c : cases) {
    Pca pca;
    pca.components = 7;
    pca.scores = {1};
    EXPECT_EQ(ComputePca(c.n, c.m, c.values, &pca), c.problem) << DescribePcaProblem(c.problem);
    EXPECT_EQ(pca.components, 0);
    EXPECT_TRUE(pca.scores.empty());
    EXPECT_TRUE(pca.sdev.empty());
  }
}

}  // namespace
}  // namespace kyori::analysis
