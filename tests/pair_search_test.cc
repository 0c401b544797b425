// The neighbours and the near duplicates found without the triangle,
// against the triangle itself: every pair's distance from the accurate
// arithmetic (ComputeDistances) or the arithmetic of missing values
// (ComputeGappedDistances), sorted by (distance, index) for the neighbours
// and filtered by the distance for the duplicates, compared index for index
// and bit for bit. The collections are made to press on the single-precision
// pass: exact ties, repeated varieties, values that float cannot tell apart,
// values so small they are taken as 0, an outlier whose norm dwarfs the rest.
#include "batch/duplicate_pairs.h"
#include "batch/nearest_neighbours.h"
#include "batch/pair_scan.h"
#include "batch/pair_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "batch/collection_arithmetic.h"
#include "batch/gapped_distances.h"
#include "batch/missing_values.h"
#include "kernels/condensed_index.h"
#include "tests/double_bits.h"

namespace kyori {
namespace {

using testing::BitsOf;

enum class Shape {
  kNormal,     // independent normal values
  kIntegers,   // values 0, 1, 2: many pairs at exactly the same distance
  kRepeated,   // every variety given three times: distance 0 ties
  kCrowded,    // one point plus 1e-9 noise: float sees them all alike
  kTiny,       // most values equal, some off by 1e-21: standardized below 2^-60
  kOutlier,    // normal values and one variety a million away
  kGapped,     // normal values, a fifth of them missing
};

// An unstandardized collection of `shape`.
Collection Generate(Shape shape, int n, int m, unsigned seed) {
  Collection c;
  c.varieties = n;
  c.traits = m;
  c.variety_count = n;
  c.trait_count = m;
  c.values.resize(static_cast<std::size_t>(n) * m);
  std::mt19937 random(seed);
  std::normal_distribution<double> normal;
  std::uniform_int_distribution<int> small(0, 2);
  std::uniform_int_distribution<int> fifth(0, 4);
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k < m; ++k) {
      double& v = c.Value(i, k);
      switch (shape) {
        case Shape::kIntegers: v = small(random); break;
        case Shape::kRepeated: v = (i % 3 == 0) ? normal(random) : c.Value(i - i % 3, k); break;
        case Shape::kCrowded: v = 1 + 1e-9 * normal(random); break;
        case Shape::kTiny: v = (i % 7 == 0) ? normal(random) : 1e-21 * small(random); break;
        case Shape::kOutlier: v = (i == n / 2) ? 1e6 : normal(random); break;
        case Shape::kGapped: v = fifth(random) == 0 ? std::nan("") : normal(random); break;
        case Shape::kNormal: v = normal(random); break;
      }
    }
  }
  return c;
}

// Standardized as a run does it, and the triangle of its distances.
struct Standard {
  Collection c;
  std::vector<double> distances;  // condensed
};

Standard Prepare(Shape shape, int n, int m, unsigned seed, int min_common = 1) {
  Standard s{Generate(shape, n, m, seed), {}};
  if (shape == Shape::kGapped) {
    EXPECT_EQ(StandardizeWithGaps(s.c).kind, GappedTraitStop::kNone);
    s.distances = ComputeGappedDistances(s.c, min_common, 1).roots;
  } else {
    EXPECT_EQ(StandardizeCollection(s.c, Arithmetic::kAccurate).kind, TraitStop::kNone);
    s.distances = ComputeDistances(s.c, Arithmetic::kAccurate, 1).roots;
  }
  return s;
}

double TriangleDistance(const Standard& s, int i, int j) {
  const int a = std::min(i, j);
  const int b = std::max(i, j);
  return s.distances[CondensedIndex(static_cast<std::size_t>(s.c.varieties), a, b)];
}

// The neighbours by sorting every distance of the triangle.
std::vector<Neighbour> ReferenceNeighbours(const Standard& s, int k) {
  const int n = s.c.varieties;
  std::vector<Neighbour> result(static_cast<std::size_t>(n) * k);
  for (int i = 0; i < n; ++i) {
    std::vector<Neighbour> all;
    for (int j = 0; j < n; ++j) {
      if (j != i && !std::isnan(TriangleDistance(s, i, j))) all.push_back({TriangleDistance(s, i, j), j});
    }
    std::sort(all.begin(), all.end(), [](const Neighbour& a, const Neighbour& b) {
      return a.distance < b.distance || (a.distance == b.distance && a.index < b.index);
    });
    for (int r = 0; r < k && r < static_cast<int>(all.size()); ++r) result[static_cast<std::size_t>(i) * k + r] = all[r];
  }
  return result;
}

std::string ShapeName(Shape shape) {
  static const char* const names[] = {"normal", "integers", "repeated", "crowded", "tiny", "outlier", "gapped"};
  return names[static_cast<int>(shape)];
}

struct NeighbourCase {
  Shape shape;
  int n;
  int m;
  int k;
  int jobs;
};

TEST(FindNeighbours, EqualTheSortedTriangle) {
  const NeighbourCase cases[] = {
      {Shape::kNormal, 2, 1, 1, 1},      {Shape::kNormal, 5, 3, 4, 2},     {Shape::kNormal, 5, 3, 9, 1},
      {Shape::kNormal, 700, 20, 10, 2},  {Shape::kNormal, 300, 1, 3, 3},   {Shape::kNormal, 130, 37, 129, 2},
      {Shape::kIntegers, 400, 3, 10, 2}, {Shape::kIntegers, 257, 1, 40, 1}, {Shape::kRepeated, 300, 5, 2, 2},
      {Shape::kRepeated, 99, 4, 7, 3},   {Shape::kCrowded, 300, 6, 10, 2}, {Shape::kTiny, 350, 4, 10, 2},
      {Shape::kOutlier, 500, 8, 5, 2},   {Shape::kGapped, 200, 6, 10, 2},  {Shape::kGapped, 60, 2, 70, 1},
  };
  for (const NeighbourCase& t : cases) {
    SCOPED_TRACE(ShapeName(t.shape) + " n=" + std::to_string(t.n) + " m=" + std::to_string(t.m) +
                 " k=" + std::to_string(t.k) + " jobs=" + std::to_string(t.jobs));
    const Standard s = Prepare(t.shape, t.n, t.m, 11u * t.n + t.m);
    const PairSearchData data = PreparePairSearch(s.c, 1);
    EXPECT_EQ(data.gaps, t.shape == Shape::kGapped);
    const std::vector<Neighbour> found = FindNeighbours(data, t.k, t.jobs);
    const std::vector<Neighbour> expected = ReferenceNeighbours(s, t.k);
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t x = 0; x < found.size(); ++x) {
      ASSERT_EQ(found[x].index, expected[x].index) << "variety " << x / t.k << " rank " << x % t.k + 1;
      if (found[x].index >= 0) {
        ASSERT_EQ(BitsOf(found[x].distance), BitsOf(expected[x].distance)) << x;
      }
    }
  }
}

// With two traits in common asked for, a pair with fewer has no distance and
// is never a neighbour: some varieties then have fewer than K.
TEST(FindNeighbours, PairsWithoutADistanceAreLeftOut) {
  const Standard s = Prepare(Shape::kGapped, 80, 3, 5, 2);
  const PairSearchData data = PreparePairSearch(s.c, 2);
  const std::vector<Neighbour> found = FindNeighbours(data, 79, 2);
  const std::vector<Neighbour> expected = ReferenceNeighbours(s, 79);
  int missing = 0;
  for (std::size_t x = 0; x < found.size(); ++x) {
    ASSERT_EQ(found[x].index, expected[x].index) << x;
    missing += found[x].index < 0;
  }
  EXPECT_GT(missing, 0);
}

std::vector<ClosePair> AllClosePairs(const PairSearchData& data, double most) {
  std::vector<ClosePair> all;
  for (int first = 0; first < data.varieties; first += kScanBlock) {
    const std::vector<ClosePair> block =
        ClosePairsOfBlock(data, most, first, std::min(kScanBlock, data.varieties - first));
    all.insert(all.end(), block.begin(), block.end());
  }
  return all;
}

// Every distance D of the triangle, and the limits around it: D itself is
// within D, the double below it is not.
TEST(ClosePairs, EqualTheFilteredTriangle) {
  const Shape shapes[] = {Shape::kNormal, Shape::kIntegers, Shape::kRepeated, Shape::kCrowded,
                          Shape::kTiny,   Shape::kOutlier,  Shape::kGapped};
  for (const Shape shape : shapes) {
    const Standard s = Prepare(shape, 300, 4, 7);
    const PairSearchData data = PreparePairSearch(s.c, 1);
    std::vector<double> sorted = s.distances;
    std::erase_if(sorted, [](double d) { return std::isnan(d); });
    std::sort(sorted.begin(), sorted.end());
    const double at = sorted[sorted.size() / 50];
    for (const double most : {0.0, at, std::nextafter(at, 0.0), sorted[0], sorted.back(), 1e300}) {
      SCOPED_TRACE(ShapeName(shape) + " within " + std::to_string(most));
      std::vector<ClosePair> expected;
      for (int i = 0; i < s.c.varieties; ++i) {
        for (int j = i + 1; j < s.c.varieties; ++j) {
          if (TriangleDistance(s, i, j) <= most) expected.push_back({i, j, TriangleDistance(s, i, j)});
        }
      }
      const std::vector<ClosePair> found = AllClosePairs(data, most);
      ASSERT_EQ(found.size(), expected.size());
      for (std::size_t x = 0; x < found.size(); ++x) {
        ASSERT_EQ(found[x].first, expected[x].first);
        ASSERT_EQ(found[x].second, expected[x].second);
        ASSERT_EQ(BitsOf(found[x].distance), BitsOf(expected[x].distance));
      }
    }
  }
}

// The bound the search rests on: every approximate squared distance within
// SearchBound of the square of the exact one, on collections chosen to make
// the approximation worst (many traits that cancel, an outlier, tiny values).
TEST(SearchBound, HoldsForEveryPair) {
  const struct {
    Shape shape;
    int n;
    int m;
  } cases[] = {{Shape::kNormal, 200, 300}, {Shape::kCrowded, 120, 40}, {Shape::kTiny, 150, 3},
               {Shape::kOutlier, 160, 50}, {Shape::kIntegers, 100, 1}};
  for (const auto& t : cases) {
    SCOPED_TRACE(ShapeName(t.shape));
    const Standard s = Prepare(t.shape, t.n, t.m, 3);
    const PairSearchData data = PreparePairSearch(s.c, 1);
    const SearchBound bound = BoundOf(data);
    std::vector<float> buffer(static_cast<std::size_t>(kQueriesAtOnce) * data.padded);
    float* approx[kQueriesAtOnce];
    for (int q = 0; q < kQueriesAtOnce; ++q) approx[q] = buffer.data() + static_cast<std::size_t>(q) * data.padded;
    double worst = 0;  // the largest error as a share of its bound
    for (int first = 0; first < data.varieties; first += kQueriesAtOnce) {
      QueryGroup group;
      LoadQueries(data, first, &group);
      ApproximateSquares(data, group, 0, data.padded, approx);
      for (int q = 0; q < kQueriesAtOnce && first + q < data.varieties; ++q) {
        for (int j = 0; j < data.varieties; ++j) {
          const double d = first + q == j ? 0.0 : TriangleDistance(s, first + q, j);
          const double exact = d * d;
          const double error = std::fabs(approx[q][j] - exact);
          ASSERT_LE(error, bound.Of(data, first + q, j)) << first + q << " " << j;
          worst = std::max(worst, error / bound.Of(data, first + q, j));
        }
      }
    }
    EXPECT_GT(worst, 0.0);  // the approximation does err: the check is not idle
  }
}

}  // namespace
}  // namespace kyori
