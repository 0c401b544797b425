// The fast search of NeighborJoining against the plain scan of
// ReferenceNeighborJoining: the same Newick bytes (17 significant digits, so
// every bit of every branch) on many generated matrices, ties of every kind
// included, for one and for several threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/neighbor_joining.h"
#include "analysis/neighbor_joining_reference.h"
#include "analysis/newick.h"
#include "analysis/tree.h"

namespace kyori::analysis {
namespace {

// Every node's parent and branch bits, in node order: what the Newick text
// shows and more (a branch printed alike could still differ in its bits).
std::string Newick(const Tree& tree) {
  std::vector<std::string> names;
  for (int i = 0; i < tree.leaves; ++i) names.push_back("v" + std::to_string(i));
  std::ostringstream out;
  WriteNewick(tree, names, out);
  return out.str();
}

std::string Shape(const Tree& tree) {
  std::ostringstream out;
  out << tree.root << ':';
  for (const TreeNode& node : tree.nodes) {
    std::uint64_t bits;
    static_assert(sizeof bits == sizeof node.branch_length);
    std::memcpy(&bits, &node.branch_length, sizeof bits);
    out << node.parent << '/' << std::hex << bits << std::dec << ' ';
  }
  return out.str();
}

Distances FromPoints(const std::vector<std::vector<double>>& points) {
  const int n = static_cast<int>(points.size());
  Distances d{n, {}};
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      double s = 0;
      for (std::size_t t = 0; t < points[i].size(); ++t) s += (points[i][t] - points[j][t]) * (points[i][t] - points[j][t]);
      d.condensed.push_back(std::sqrt(s));
    }
  }
  return d;
}

// The kinds of matrix that make ties and near ties.
enum class Kind {
  kSmallWholes,   // whole distances 0..3: many exact ties of Q
  kTenths,        // 0.1 .. 0.9: Q equal in reals, apart by rounding
  kDuplicates,    // Euclidean, with every variety repeated a few times (zeros)
  kEuclidean,     // ordinary data
  kAllEqual,      // every Q ties, every round
  kTreeMetric,    // path lengths of a random tree with whole branches
};

Distances Generate(Kind kind, int n, std::mt19937* random) {
  std::uniform_int_distribution<int> whole(0, 3);
  std::uniform_int_distribution<int> tenth(1, 9);
  std::normal_distribution<double> normal;
  Distances d{n, std::vector<double>(CondensedSize(n))};
  switch (kind) {
    case Kind::kSmallWholes:
      for (double& v : d.condensed) v = whole(*random);
      return d;
    case Kind::kTenths:
      for (double& v : d.condensed) v = tenth(*random) / 10.0;
      return d;
    case Kind::kAllEqual:
      for (double& v : d.condensed) v = 0.7;
      return d;
    case Kind::kDuplicates:
    case Kind::kEuclidean: {
      const int distinct = kind == Kind::kDuplicates ? std::max(2, n / 3) : n;
      std::vector<std::vector<double>> base(distinct, std::vector<double>(3));
      for (auto& p : base) {
        for (double& x : p) x = normal(*random);
      }
      std::vector<std::vector<double>> points;
      for (int i = 0; i < n; ++i) points.push_back(base[std::uniform_int_distribution<int>(0, distinct - 1)(*random)]);
      return FromPoints(points);
    }
    case Kind::kTreeMetric: {
      // Leaves hung one by one on random edges of a growing tree; paths by
      // walking up to the common ancestor.
      std::vector<int> parent{-1};
      std::vector<double> up{0};
      std::vector<int> leaf_node;
      for (int i = 0; i < n; ++i) {
        const int at = std::uniform_int_distribution<int>(0, static_cast<int>(parent.size()) - 1)(*random);
        parent.push_back(at);
        up.push_back(1 + whole(*random));
        leaf_node.push_back(static_cast<int>(parent.size()) - 1);
      }
      auto depth = [&](int v) {
        double s = 0;
        for (; v >= 0; v = parent[v]) s += up[v];
        return s;
      };
      std::size_t k = 0;
      for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
          std::vector<int> above;
          for (int v = leaf_node[i]; v >= 0; v = parent[v]) above.push_back(v);
          int v = leaf_node[j];
          while (std::find(above.begin(), above.end(), v) == above.end()) v = parent[v];
          d.condensed[k++] = depth(leaf_node[i]) + depth(leaf_node[j]) - 2 * depth(v);
        }
      }
      return d;
    }
  }
  return d;
}

TEST(NeighborJoiningSearchTest, SameTreeAsThePlainScan) {
  const Kind kinds[] = {Kind::kSmallWholes, Kind::kTenths,   Kind::kDuplicates,
                        Kind::kEuclidean,   Kind::kAllEqual, Kind::kTreeMetric};
  const int sizes[] = {4, 5, 6, 9, 17, 40, 97};
  std::mt19937 random(2026);
  for (Kind kind : kinds) {
    for (int n : sizes) {
      for (int repeat = 0; repeat < 6; ++repeat) {
        const Distances d = Generate(kind, n, &random);
        Tree expected;
        ASSERT_EQ(ReferenceNeighborJoining(d, &expected), DistancesProblem::kNone);
        for (int jobs : {1, 2}) {
          Tree tree;
          JoiningPath path;
          ASSERT_EQ(NeighborJoining(d, &tree, jobs, &path), DistancesProblem::kNone);
          ASSERT_FALSE(path.plain_scan);  // the search itself, not its fallback
          ASSERT_EQ(Newick(tree), Newick(expected));
          ASSERT_EQ(Shape(tree), Shape(expected))
              << "kind " << static_cast<int>(kind) << ", n " << n << ", repeat " << repeat << ", jobs " << jobs;
          for (std::size_t v = 0; v < tree.nodes.size(); ++v) {
            ASSERT_EQ(tree.nodes[v].children, expected.nodes[v].children) << v;
          }
        }
      }
    }
  }
}

// Large enough for threads to share the search of the triangle, and for
// rounds with thousands of candidates (all distances equal) to take the full
// scan on threads too.
TEST(NeighborJoiningSearchTest, SameTreeOnLargerMatrices) {
  std::mt19937 random(7);
  for (Kind kind : {Kind::kEuclidean, Kind::kSmallWholes, Kind::kAllEqual}) {
    const Distances d = Generate(kind, 900, &random);
    Tree expected;
    ASSERT_EQ(ReferenceNeighborJoining(d, &expected, 2), DistancesProblem::kNone);
    for (int jobs : {1, 2}) {
      Tree tree;
      JoiningPath path;
      ASSERT_EQ(NeighborJoining(d, &tree, jobs, &path), DistancesProblem::kNone);
      EXPECT_EQ(Shape(tree), Shape(expected)) << "kind " << static_cast<int>(kind) << ", jobs " << jobs;
      EXPECT_FALSE(path.plain_scan);
      if (kind == Kind::kEuclidean) {
        // Ordinary data: no round needs the full scan, and a round's
        // candidates are few.
        EXPECT_EQ(path.full_rounds, 0);
        EXPECT_LE(path.most_candidates, 64);
      } else if (kind == Kind::kAllEqual) {
        EXPECT_GT(path.full_rounds, 0);
      }
    }
  }
}

// Distances far beyond ordinary data (the plain scan's sums overflow to
// infinity, its Q to NaN) and far below it (subnormal): the same tree all the
// same, bit for bit.
TEST(NeighborJoiningSearchTest, ExtremeMagnitudes) {
  std::mt19937 random(11);
  for (double scale : {1e300, 1e190, 1e-300, 4.9e-324}) {
    Distances d = Generate(Kind::kEuclidean, 30, &random);
    for (double& v : d.condensed) v *= scale;
    Tree expected;
    ASSERT_EQ(ReferenceNeighborJoining(d, &expected), DistancesProblem::kNone);
    Tree tree;
    JoiningPath path;
    ASSERT_EQ(NeighborJoining(d, &tree, 1, &path), DistancesProblem::kNone);
    EXPECT_EQ(Shape(tree), Shape(expected)) << scale;
    // Past the floats' range the plain scan joins; below it the search does.
    EXPECT_EQ(path.plain_scan, scale > 1e20) << scale;
  }
}

}  // namespace
}  // namespace kyori::analysis
