#include "analysis/neighbor_joining.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/neighbor_joining_reference.h"
#include "analysis/nj_arithmetic.h"
#include "platform/parallel_for.h"

namespace kyori::analysis {
namespace {

constexpr double kUnit = 0x1p-53;   // the unit roundoff of a double
constexpr double kFloatUnit = 0x1p-24;  // and of a float
// The bounds below hold while every distance times n stays below this (the
// floats of the triangle and of the row sums stay finite); a matrix that
// gets beyond it is joined by the reference instead.
constexpr double kSafeMagnitude = 1e30;
// Rounds with fewer clusters scan on one thread: starting threads costs more.
constexpr int kThreadedClusters = 768;
// Rows handed to a thread at a time.
constexpr int kRowsPerBlock = 16;
// More candidates than this in a round (a matrix of many exact ties): the
// round computes every row sum and scans every pair as the reference does.
constexpr std::size_t kMostCandidates = 4096;

struct Candidate {
  double q;  // the criterion from the estimated row sums
  int i;     // slots
  int j;
};

// The least of scale * d[k] - t[k] over k < count, in floats; a column with
// t = -infinity (a joined cluster) gives +infinity.
float LeastInRow(const float* d, const float* t, int count, float scale) {
  float least = std::numeric_limits<float>::infinity();
  int k = 0;
#if defined(__SSE2__)
  const __m128 s = _mm_set1_ps(scale);
  __m128 low = _mm_set1_ps(least);
  __m128 high = low;
  for (; k + 8 <= count; k += 8) {
    low = _mm_min_ps(low, _mm_sub_ps(_mm_mul_ps(s, _mm_loadu_ps(d + k)), _mm_loadu_ps(t + k)));
    high = _mm_min_ps(high, _mm_sub_ps(_mm_mul_ps(s, _mm_loadu_ps(d + k + 4)), _mm_loadu_ps(t + k + 4)));
  }
  alignas(16) float lanes[4];
  _mm_store_ps(lanes, _mm_min_ps(low, high));
  for (float v : lanes) least = std::min(least, v);
#endif
  for (; k < count; ++k) least = std::min(least, scale * d[k] - t[k]);
  return least;
}

// The working state. A cluster lives in a slot: its row of `dist_` (the full
// square, n x n, doubles), its estimated row sum. `order_` lists the live
// slots in the reference's position order: the newest inner node first, then
// the older ones, then the leaves by number. The search runs over a lower
// triangle of floats in columns of its own (`column_of_slot_`), packed again
// whenever a quarter of its columns are of joined clusters.
class Joiner {
 public:
  Joiner(const Distances& d, int jobs);
  // Fills *tree; false (and *tree unusable) when the distances grew past
  // kSafeMagnitude, for the reference to join instead.
  bool Run(Tree* tree, JoiningPath* path);

 private:
  double At(int i, int j) const { return dist_[static_cast<std::size_t>(i) * n_ + j]; }
  double& At(int i, int j) { return dist_[static_cast<std::size_t>(i) * n_ + j]; }
  float* TriangleRow(int c) { return &triangle_[static_cast<std::size_t>(c) * (c - 1) / 2]; }
  bool InRange() const { return dmax_ * n_ < kSafeMagnitude; }
  void Pack();
  double Window(int m, double* float_error) const;
  std::vector<Candidate> Search(int m, double window, double float_error, bool* overflow);
  void RowCandidates(int c, double scale, double window, double* best, std::vector<Candidate>* out) const;
  double ExactRowSum(int slot) const;
  std::pair<int, int> Resolve(int m, const std::vector<Candidate>& candidates);
  std::pair<int, int> ExactRound(int m);
  void Join(int m, int a, int b, int new_node, Tree* tree);
  void ReplaceOrder(int a, int b);

  int n_;
  int jobs_;
  std::vector<double> dist_;
  std::vector<double> sum_;    // estimated row sums T
  std::vector<double> error_;  // |T - the true row sum| <= error
  double dmax_ = 0;            // no |distance| so far above it
  std::vector<int> node_of_slot_;
  std::vector<int> order_;
  std::vector<int> position_;
  std::vector<double> exact_;  // this round's row sums as the reference adds them
  std::vector<int> exact_round_;
  int round_ = 0;
  // The triangle: row c holds columns 0 .. c-1.
  int width_ = 0;
  std::vector<float> triangle_;
  std::vector<float> column_sum_;  // T of each column; -infinity once joined
  std::vector<float> row_least_;   // no live entry of a row below it
  std::vector<int> slot_of_column_;  // -1 once joined
  std::vector<int> column_of_slot_;
};

Joiner::Joiner(const Distances& d, int jobs)
    : n_(d.n),
      jobs_(jobs),
      dist_(static_cast<std::size_t>(d.n) * d.n),
      sum_(d.n),
      error_(d.n),
      node_of_slot_(d.n),
      order_(d.n),
      position_(d.n),
      exact_(d.n),
      exact_round_(d.n, -1),
      column_of_slot_(d.n, -1) {
  std::size_t k = 0;
  for (int i = 0; i < n_; ++i) {
    At(i, i) = 0;
    for (int j = i + 1; j < n_; ++j, ++k) {
      At(i, j) = At(j, i) = d.condensed[k];
      dmax_ = std::max(dmax_, d.condensed[k]);
    }
    node_of_slot_[i] = order_[i] = position_[i] = i;
  }
  // The estimates start as plain sums; |error| <= (n-2) u sum|d| <= the bound.
  for (int i = 0; i < n_; ++i) {
    double t = 0;
    double a = 0;
    for (int j = 0; j < n_; ++j) {
      t += At(i, j);
      a += std::fabs(At(i, j));
    }
    sum_[i] = t;
    error_[i] = (n_ + 2) * 0x1p-52 * a;
  }
}

// Lays the triangle out again over the live clusters only, in slot order.
void Joiner::Pack() {
  std::vector<int> slots;
  for (int slot = 0; slot < n_; ++slot) {
    if (node_of_slot_[slot] >= 0) slots.push_back(slot);
  }
  width_ = static_cast<int>(slots.size());
  std::vector<float>().swap(triangle_);
  triangle_.resize(static_cast<std::size_t>(width_) * (width_ - 1) / 2);
  slot_of_column_ = slots;
  column_sum_.assign(static_cast<std::size_t>(width_), 0);
  std::fill(column_of_slot_.begin(), column_of_slot_.end(), -1);
  for (int c = 0; c < width_; ++c) column_of_slot_[slots[c]] = c;
  row_least_.assign(static_cast<std::size_t>(width_), std::numeric_limits<float>::infinity());
  ParallelFor(width_, jobs_, [&](long c, int) {
    float* row = TriangleRow(static_cast<int>(c));
    const double* source = &dist_[static_cast<std::size_t>(slots[c]) * n_];
    for (int k = 0; k < c; ++k) {
      row[k] = static_cast<float>(source[slots[k]]);
      row_least_[c] = std::min(row_least_[c], row[k]);
    }
  });
}

// The window around the least estimated criterion that holds the least true
// criterion (see the header): twice a bound on |true - estimated| for any
// pair, with room for the rounding of the comparisons themselves. Also the
// bound on |float criterion - estimated criterion| (*float_error).
double Joiner::Window(int m, double* float_error) const {
  double emax = 0;
  double tmax = 0;
  for (int slot : order_) {
    emax = std::max(emax, error_[slot]);
    tmax = std::max(tmax, std::fabs(sum_[slot]));
  }
  const double s = m - 2;
  const double gamma = m * kUnit / (1 - m * kUnit);
  const double sums = (m - 1) * dmax_;  // >= sum |d| over a row
  const double magnitude = (s + 2.1 * (m - 1)) * dmax_ + 2 * emax;
  *float_error = 8 * kFloatUnit * (s * dmax_ + 2 * tmax) + (s + 8) * 0x1p-149 + 4 * kUnit * magnitude;
  return 4 * (gamma * sums + emax) + 32 * kUnit * magnitude + 0x1p-1070;
}

// The pairs of triangle row c (with the clusters of the earlier columns)
// whose estimated criterion is within the window of the least so far.
void Joiner::RowCandidates(int c, double scale, double window, double* best, std::vector<Candidate>* out) const {
  const int i = slot_of_column_[c];
  const double ti = sum_[i];
  const double* di = &dist_[static_cast<std::size_t>(i) * n_];
  for (int k = 0; k < c; ++k) {
    const int j = slot_of_column_[k];
    if (j < 0) continue;
    const double q = JoinCriterion(scale, di[j], ti, sum_[j]);
    if (q > *best + window) continue;
    if (q < *best) *best = q;
    out->push_back({q, i, j});
  }
}

// Every row's least criterion in floats; the rows within the float bounds of
// the least of them hold every pair within the window of the least estimated
// criterion, and those pairs are the candidates.
std::vector<Candidate> Joiner::Search(int m, double window, double float_error, bool* overflow) {
  const float scale = static_cast<float>(m - 2);
  // A lower bound of each row's least, in the same float operations (and
  // rounding is monotone): scale * its least entry - the largest T of the
  // columns before it - its own T.
  std::vector<float> bound(static_cast<std::size_t>(width_), std::numeric_limits<float>::infinity());
  float before = -std::numeric_limits<float>::infinity();
  int first = -1;
  for (int c = 0; c < width_; ++c) {
    if (slot_of_column_[c] >= 0 && c > 0) {
      bound[c] = (scale * row_least_[c] - before) - column_sum_[c];
      if (first < 0 || bound[c] < bound[first]) first = c;
    }
    before = std::max(before, column_sum_[c]);
  }
  std::vector<float> least(static_cast<std::size_t>(width_), std::numeric_limits<float>::infinity());
  least[first] = LeastInRow(TriangleRow(first), column_sum_.data(), first, scale) - column_sum_[first];
  // Rows whose bound is past this hold nothing within reach of the least.
  const double cut = least[first] + window + 3 * float_error;
  const int blocks = (width_ + kRowsPerBlock - 1) / kRowsPerBlock;
  ParallelFor(blocks, m >= kThreadedClusters ? jobs_ : 1, [&](long block, int) {
    const int end = static_cast<int>(std::min<long>(width_, (block + 1) * kRowsPerBlock));
    for (int c = static_cast<int>(block) * kRowsPerBlock; c < end; ++c) {
      if (bound[c] > cut || c == first) continue;
      least[c] = LeastInRow(TriangleRow(c), column_sum_.data(), c, scale) - column_sum_[c];
    }
  });
  const double floor = *std::min_element(least.begin(), least.end());
  const double reach = floor + window + 3 * float_error;
  std::vector<Candidate> candidates;
  double best = std::numeric_limits<double>::infinity();
  *overflow = false;
  for (int c = 0; c < width_; ++c) {
    if (least[c] > reach) continue;
    RowCandidates(c, m - 2, window, &best, &candidates);
    if (candidates.size() > kMostCandidates) {
      std::erase_if(candidates, [&](const Candidate& x) { return x.q > best + window; });
      if (candidates.size() > kMostCandidates / 2) {
        *overflow = true;
        return {};
      }
    }
  }
  std::erase_if(candidates, [&](const Candidate& x) { return x.q > best + window; });
  return candidates;
}

// Row sum of a slot as the reference adds it: the later positions in order,
// then the earlier ones.
double Joiner::ExactRowSum(int slot) const {
  const int p = position_[slot];
  const int m = static_cast<int>(order_.size());
  const double* row = &dist_[static_cast<std::size_t>(slot) * n_];
  double sum = 0;
  for (int q = p + 1; q < m; ++q) sum += row[order_[q]];
  for (int q = 0; q < p; ++q) sum += row[order_[q]];
  return sum;
}

// The reference's pair among the candidates: the least criterion from the
// exact row sums, the first in position order among equals.
std::pair<int, int> Joiner::Resolve(int m, const std::vector<Candidate>& candidates) {
  ++round_;
  const double scale = m - 2;
  double best_q = 0;
  int best_p = -1;
  int best_r = -1;
  for (Candidate c : candidates) {
    if (position_[c.i] > position_[c.j]) std::swap(c.i, c.j);
    for (int slot : {c.i, c.j}) {
      if (exact_round_[slot] != round_) {
        exact_[slot] = ExactRowSum(slot);
        exact_round_[slot] = round_;
      }
    }
    const double q = JoinCriterion(scale, At(c.i, c.j), exact_[c.i], exact_[c.j]);
    const int p = position_[c.i];
    const int r = position_[c.j];
    if (best_p < 0 || q < best_q || (q == best_q && (p < best_p || (p == best_p && r < best_r)))) {
      best_q = q;
      best_p = p;
      best_r = r;
    }
  }
  return {order_[best_p], order_[best_r]};
}

// A round the reference's way: every row sum, every pair in position order.
std::pair<int, int> Joiner::ExactRound(int m) {
  ++round_;
  const int jobs = m >= kThreadedClusters ? jobs_ : 1;
  ParallelFor((m + kRowsPerBlock - 1) / kRowsPerBlock, jobs, [&](long block, int) {
    const int end = static_cast<int>(std::min<long>(m, (block + 1) * kRowsPerBlock));
    for (int p = static_cast<int>(block) * kRowsPerBlock; p < end; ++p) {
      exact_[order_[p]] = ExactRowSum(order_[p]);
      exact_round_[order_[p]] = round_;
    }
  });
  const double scale = m - 2;
  struct Best {
    double q = 0;
    int p = -1;
    int r = -1;
  };
  std::vector<Best> found(static_cast<std::size_t>((m + kRowsPerBlock - 1) / kRowsPerBlock));
  ParallelFor(static_cast<long>(found.size()), jobs, [&](long block, int) {
    Best best;
    const int end = static_cast<int>(std::min<long>(m - 1, (block + 1) * kRowsPerBlock));
    for (int p = static_cast<int>(block) * kRowsPerBlock; p < end; ++p) {
      const int i = order_[p];
      for (int r = p + 1; r < m; ++r) {
        const int j = order_[r];
        const double q = JoinCriterion(scale, At(i, j), exact_[i], exact_[j]);
        if (best.p < 0 || q < best.q) best = {q, p, r};
      }
    }
    found[static_cast<std::size_t>(block)] = best;
  });
  Best best;
  for (const Best& b : found) {
    if (b.p >= 0 && (best.p < 0 || b.q < best.q)) best = b;
  }
  return {order_[best.p], order_[best.r]};
}

void Attach(Tree* tree, int parent, int child, double length) {
  tree->nodes[parent].children.push_back(child);
  tree->nodes[child].parent = parent;
  tree->nodes[child].branch_length = length;
}

// The new node takes the first position; the others keep their order.
void Joiner::ReplaceOrder(int a, int b) {
  std::vector<int> kept{a};
  kept.reserve(order_.size() - 1);
  for (int slot : order_) {
    if (slot != a && slot != b) kept.push_back(slot);
  }
  order_ = std::move(kept);
  for (int p = 0; p < static_cast<int>(order_.size()); ++p) position_[order_[p]] = p;
}

// Joins slots a and b (a at the earlier position) into new_node, which takes
// a's slot: the branches, the new distances (row and column, and in the
// triangle), the estimated sums with their error bounds, the position order.
void Joiner::Join(int m, int a, int b, int new_node, Tree* tree) {
  const double d_ab = At(a, b);
  const auto [branch_a, branch_b] = JoinBranches(d_ab, exact_[a], exact_[b], m);
  Attach(tree, new_node, node_of_slot_[a], branch_a);
  Attach(tree, new_node, node_of_slot_[b], branch_b);
  node_of_slot_[b] = -1;
  node_of_slot_[a] = new_node;

  double t = 0;
  double abs_sum = 0;
  for (int k : order_) {
    if (k == a || k == b) continue;
    const double d_ka = At(a, k);
    const double d_kb = At(b, k);
    const double d_ku = JoinedDistance(d_ka, d_kb, d_ab);
    At(a, k) = At(k, a) = d_ku;
    dmax_ = std::max(dmax_, std::fabs(d_ku));
    t += d_ku;
    abs_sum += std::fabs(d_ku);
    // Each of the three operations is off by at most u times its result.
    const double r1 = sum_[k] - d_ka;
    const double r2 = r1 - d_kb;
    sum_[k] = r2 + d_ku;
    error_[k] = (error_[k] + 0x1p-52 * (std::fabs(r1) + std::fabs(r2) + std::fabs(sum_[k]))) * (1 + 0x1p-40);
  }
  sum_[a] = t;
  error_[a] = (m + 2) * 0x1p-52 * abs_sum;
  ReplaceOrder(a, b);

  const int cb = column_of_slot_[b];
  slot_of_column_[cb] = -1;
  column_of_slot_[b] = -1;
  if (4 * (m - 1) < 3 * width_) {
    Pack();
  } else {
    const int ca = column_of_slot_[a];
    float* row = TriangleRow(ca);
    row_least_[ca] = std::numeric_limits<float>::infinity();
    for (int k = 0; k < ca; ++k) {
      if (slot_of_column_[k] < 0) continue;
      row[k] = static_cast<float>(At(a, slot_of_column_[k]));
      row_least_[ca] = std::min(row_least_[ca], row[k]);
    }
    // A joined column keeps its old value in a row's least: still a bound.
    for (int c = ca + 1; c < width_; ++c) {
      if (slot_of_column_[c] < 0) continue;
      float& entry = TriangleRow(c)[ca];
      entry = static_cast<float>(At(a, slot_of_column_[c]));
      row_least_[c] = std::min(row_least_[c], entry);
    }
  }
  for (int c = 0; c < width_; ++c) {
    const int slot = slot_of_column_[c];
    column_sum_[c] = slot < 0 ? -std::numeric_limits<float>::infinity() : static_cast<float>(sum_[slot]);
  }
}

bool Joiner::Run(Tree* tree, JoiningPath* path) {
  if (!InRange()) return false;
  Pack();
  for (int c = 0; c < width_; ++c) column_sum_[c] = static_cast<float>(sum_[slot_of_column_[c]]);
  int new_node = n_;
  for (int m = n_; m > 3; --m, ++new_node) {
    double float_error = 0;
    const double window = Window(m, &float_error);
    bool overflow = false;
    const std::vector<Candidate> candidates = Search(m, window, float_error, &overflow);
    auto [a, b] = overflow ? ExactRound(m) : Resolve(m, candidates);
    path->full_rounds += overflow;
    path->most_candidates = std::max(path->most_candidates, static_cast<int>(candidates.size()));
    if (position_[a] > position_[b]) std::swap(a, b);
    Join(m, a, b, new_node, tree);
    if (!InRange()) return false;
  }
  const int s1 = order_[0];
  const int s2 = order_[1];
  const int s3 = order_[2];
  const double d12 = At(s1, s2);
  const double d13 = At(s1, s3);
  const double d23 = At(s2, s3);
  tree->root = new_node;
  Attach(tree, new_node, node_of_slot_[s1], (d12 + d13 - d23) / 2);
  Attach(tree, new_node, node_of_slot_[s2], (d12 + d23 - d13) / 2);
  Attach(tree, new_node, node_of_slot_[s3], (d23 + d13 - d12) / 2);
  return true;
}

}  // namespace

DistancesProblem NeighborJoining(const Distances& d, Tree* tree, int jobs) {
  JoiningPath path;
  return NeighborJoining(d, tree, jobs, &path);
}

DistancesProblem NeighborJoining(const Distances& d, Tree* tree, int jobs, JoiningPath* path) {
  *tree = Tree();
  *path = JoiningPath();
  const DistancesProblem problem = CheckDistances(d);
  if (problem != DistancesProblem::kNone) return problem;
  path->plain_scan = true;
  if (d.n < 4) return ReferenceNeighborJoining(d, tree, jobs);
  tree->leaves = d.n;
  tree->ultrametric = false;
  tree->nodes.resize(2 * static_cast<std::size_t>(d.n) - 2);
  for (int i = 0; i < d.n; ++i) tree->nodes[i].leaf = i;
  JoiningPath searched;
  bool done = false;
  {
    Joiner joiner(d, jobs);
    done = joiner.Run(tree, &searched);
  }
  if (!done) return ReferenceNeighborJoining(d, tree, jobs);
  *path = searched;
  return problem;
}

}  // namespace kyori::analysis
