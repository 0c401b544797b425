#include "analysis/neighbor_joining.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "analysis/neighbor_joining_reference.h"
#include "analysis/nj_arithmetic.h"
#include "platform/parallel_for.h"

namespace kyori::analysis {
namespace {

constexpr double kUnit = 0x1p-53;  // the unit roundoff of a double
// The bounds below hold while every distance times n stays below this; a
// matrix that gets beyond it is joined by the reference instead.
constexpr double kSafeMagnitude = 1e200;
// Rounds with fewer clusters scan on one thread: starting threads costs more.
constexpr int kThreadedClusters = 1024;
// Rows handed to a thread at a time.
constexpr int kRowsPerBlock = 64;
// More candidates than this in a round (a matrix of many exact ties): the
// round computes every row sum and scans every pair as the reference does.
constexpr std::size_t kMostCandidates = 4096;

// An entry of a row's sorted list: the distance rounded down to a float (so
// never above the double) and the tree node of the other cluster.
struct Entry {
  float d;
  int node;
};

float FloatBelow(double d) {
  float f = static_cast<float>(d);
  if (static_cast<double>(f) > d) f = std::nextafter(f, -std::numeric_limits<float>::infinity());
  return f;
}

struct Candidate {
  double q;  // the criterion from the estimated row sums
  int i;     // slots
  int j;
};

// What the threads of one round's search find: their least estimated
// criterion and the pairs within the window of it.
struct Found {
  double best = std::numeric_limits<double>::infinity();
  std::vector<Candidate> pairs;
  bool overflow = false;
};

// The working state. A cluster lives in a slot: its row of `dist` (the full
// square, n x n), its sorted list of the older clusters, its estimated row
// sum. `order` lists the live slots in the reference's position order: the
// newest inner node first, then the older ones, then the leaves by number.
class Joiner {
 public:
  Joiner(const Distances& d, int jobs);
  // Fills *tree; false (and *tree unusable) when the distances grew past
  // kSafeMagnitude, for the reference to join instead.
  bool Run(Tree* tree);

 private:
  double At(int i, int j) const { return dist_[static_cast<std::size_t>(i) * n_ + j]; }
  double& At(int i, int j) { return dist_[static_cast<std::size_t>(i) * n_ + j]; }
  bool InRange() const { return dmax_ * n_ < kSafeMagnitude; }
  void StartRows();
  void SortRow(int slot, std::vector<Entry>* row) const;
  double Window(int m) const;
  double StartingBest(double scale);
  void ScanRow(int slot, double scale, double tmax, double window, double reach, Found* found);
  Found Search(int m, double window);
  double ExactRowSum(int slot) const;
  std::pair<int, int> Resolve(int m, Found* found, double window);
  std::pair<int, int> ExactRound(int m);
  void Join(int m, int a, int b, int new_node, Tree* tree);
  void ReplaceOrder(int a, int b);
  void MakeRoomForRow(int m);

  int n_;
  int jobs_;
  std::vector<double> dist_;
  std::vector<double> sum_;    // estimated row sums T
  std::vector<double> error_;  // |T - the true row sum| <= error
  double dmax_ = 0;            // no |distance| so far above it
  std::vector<std::vector<Entry>> rows_;
  std::vector<int> start_;  // entries before it are of joined clusters
  std::size_t entries_ = 0;  // held by all rows' lists
  std::vector<int> node_of_slot_;
  std::vector<int> slot_of_node_;  // -1 once joined
  std::vector<int> order_;
  std::vector<int> position_;
  std::vector<double> exact_;  // this round's row sums as the reference adds them
  std::vector<int> exact_round_;
  int round_ = 0;
};

Joiner::Joiner(const Distances& d, int jobs)
    : n_(d.n),
      jobs_(jobs),
      dist_(static_cast<std::size_t>(d.n) * d.n),
      sum_(d.n),
      error_(d.n),
      rows_(d.n),
      start_(d.n, 0),
      node_of_slot_(d.n),
      slot_of_node_(2 * static_cast<std::size_t>(d.n), -1),
      order_(d.n),
      position_(d.n),
      exact_(d.n),
      exact_round_(d.n, -1) {
  std::size_t k = 0;
  for (int i = 0; i < n_; ++i) {
    At(i, i) = 0;
    for (int j = i + 1; j < n_; ++j, ++k) {
      At(i, j) = At(j, i) = d.condensed[k];
      dmax_ = std::max(dmax_, d.condensed[k]);
    }
    node_of_slot_[i] = slot_of_node_[i] = order_[i] = position_[i] = i;
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

void Joiner::SortRow(int slot, std::vector<Entry>* row) const {
  (void)slot;
  std::sort(row->begin(), row->end(), [](const Entry& x, const Entry& y) { return x.d < y.d; });
}

// Leaf i lists the leaves before it, so that every pair sits in the list of
// its newer member only.
void Joiner::StartRows() {
  ParallelFor((n_ + kRowsPerBlock - 1) / kRowsPerBlock, jobs_, [&](long block, int) {
    const int end = static_cast<int>(std::min<long>(n_, (block + 1) * kRowsPerBlock));
    for (int i = static_cast<int>(block) * kRowsPerBlock; i < end; ++i) {
      std::vector<Entry>& row = rows_[i];
      row.resize(i);
      for (int j = 0; j < i; ++j) row[j] = {FloatBelow(At(i, j)), j};
      SortRow(i, &row);
    }
  });
  entries_ = static_cast<std::size_t>(n_) * (n_ - 1) / 2;
}

// The window around the least estimated criterion that holds the least true
// criterion (see the header): twice a bound on |true - estimated| for any
// pair, with room for the rounding of the comparisons themselves.
double Joiner::Window(int m) const {
  double emax = 0;
  for (int slot : order_) emax = std::max(emax, error_[slot]);
  const double s = m - 2;
  const double gamma = m * kUnit / (1 - m * kUnit);
  const double sums = (m - 1) * dmax_;  // >= sum |d| over a row
  const double magnitude = (s + 2.1 * (m - 1)) * dmax_ + 2 * emax;
  return 4 * (gamma * sums + emax) + 32 * kUnit * magnitude + 0x1p-1070;
}

// The least estimated criterion over the first live entry of every row: a
// pair's value, so the least of all pairs is at most this.
double Joiner::StartingBest(double scale) {
  double best = std::numeric_limits<double>::infinity();
  for (int i : order_) {
    const std::vector<Entry>& row = rows_[i];
    int& k = start_[i];
    while (k < static_cast<int>(row.size()) && slot_of_node_[row[k].node] < 0) ++k;
    if (k == static_cast<int>(row.size())) continue;
    const int j = slot_of_node_[row[k].node];
    best = std::min(best, JoinCriterion(scale, At(i, j), sum_[i], sum_[j]));
  }
  return best;
}

// Walks row i's list in rising distance until the lower bound
// s*f - T_i - max T passes the window above the best so far; every live pair
// on the way within the window is kept. The joined clusters met on the way
// are dropped from the list (the live entries before the stop move up to it).
void Joiner::ScanRow(int i, double scale, double tmax, double window, double reach, Found* found) {
  std::vector<Entry>& row = rows_[i];
  const int len = static_cast<int>(row.size());
  const double ti = sum_[i];
  const double* di = &dist_[static_cast<std::size_t>(i) * n_];
  int k = start_[i];
  int dead = 0;
  for (; k < len; ++k) {
    const Entry e = row[k];
    if (scale * e.d - ti - tmax > found->best + reach) break;
    const int j = slot_of_node_[e.node];
    if (j < 0) {
      ++dead;
      continue;
    }
    const double q = JoinCriterion(scale, di[j], ti, sum_[j]);
    if (q > found->best + window) continue;
    if (q < found->best) found->best = q;
    if (found->overflow) continue;
    found->pairs.push_back({q, i, j});
    if (found->pairs.size() > kMostCandidates) {
      std::erase_if(found->pairs, [&](const Candidate& c) { return c.q > found->best + window; });
      found->overflow = found->pairs.size() > kMostCandidates / 2;
    }
  }
  if (dead == 0) return;
  int w = k;
  for (int r = k - 1; r >= start_[i]; --r) {
    if (slot_of_node_[row[r].node] >= 0) row[--w] = row[r];
  }
  start_[i] = w;
}

Found Joiner::Search(int m, double window) {
  const double scale = m - 2;
  double tmax = -std::numeric_limits<double>::infinity();
  for (int slot : order_) tmax = std::max(tmax, sum_[slot]);
  const double start = StartingBest(scale);
  // The bound's own rounding: 16 u times the magnitude, inside the window's room.
  const double reach = window + window / 2;
  const int blocks = (m + kRowsPerBlock - 1) / kRowsPerBlock;
  std::vector<Found> found(static_cast<std::size_t>(blocks));
  ParallelFor(blocks, m >= kThreadedClusters ? jobs_ : 1, [&](long block, int) {
    Found& f = found[static_cast<std::size_t>(block)];
    f.best = start;
    const int end = static_cast<int>(std::min<long>(m, (block + 1) * kRowsPerBlock));
    for (int p = static_cast<int>(block) * kRowsPerBlock; p < end; ++p) {
      ScanRow(order_[p], scale, tmax, window, reach, &f);
    }
  });
  Found all;
  for (const Found& f : found) all.best = std::min(all.best, f.best);
  for (Found& f : found) {
    all.overflow = all.overflow || f.overflow;
    for (const Candidate& c : f.pairs) {
      if (c.q <= all.best + window) all.pairs.push_back(c);
    }
  }
  all.overflow = all.overflow || all.pairs.size() > kMostCandidates;
  return all;
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
std::pair<int, int> Joiner::Resolve(int m, Found* found, double window) {
  (void)window;
  if (found->overflow || found->pairs.empty()) return ExactRound(m);
  ++round_;
  const double scale = m - 2;
  double best_q = 0;
  int best_p = -1;
  int best_r = -1;
  for (Candidate c : found->pairs) {
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

// The lists hold at most n(n-1)/2 entries: when a new row would pass that,
// every list drops its joined clusters and gives back the room.
void Joiner::MakeRoomForRow(int m) {
  const std::size_t limit = static_cast<std::size_t>(n_) * (n_ - 1) / 2;
  if (entries_ + static_cast<std::size_t>(m) <= limit) return;
  entries_ = 0;
  for (int slot : order_) {
    std::vector<Entry>& row = rows_[slot];
    std::vector<Entry> live;
    live.reserve(row.size() - start_[slot]);
    for (std::size_t k = start_[slot]; k < row.size(); ++k) {
      if (slot_of_node_[row[k].node] >= 0) live.push_back(row[k]);
    }
    row.swap(live);
    start_[slot] = 0;
    entries_ += row.size();
  }
}

// Joins slots a and b (a at the earlier position) into new_node, which takes
// a's slot: the branches, the new distances (row and column), the estimated
// sums with their error bounds, the position order and the new sorted list.
void Joiner::Join(int m, int a, int b, int new_node, Tree* tree) {
  const double d_ab = At(a, b);
  const auto [branch_a, branch_b] = JoinBranches(d_ab, exact_[a], exact_[b], m);
  Attach(tree, new_node, node_of_slot_[a], branch_a);
  Attach(tree, new_node, node_of_slot_[b], branch_b);
  slot_of_node_[node_of_slot_[a]] = slot_of_node_[node_of_slot_[b]] = -1;
  node_of_slot_[b] = -1;
  node_of_slot_[a] = new_node;
  slot_of_node_[new_node] = a;

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

  entries_ -= rows_[a].size() + rows_[b].size();
  std::vector<Entry>().swap(rows_[a]);
  std::vector<Entry>().swap(rows_[b]);
  start_[a] = start_[b] = 0;
  MakeRoomForRow(m);
  std::vector<Entry>& row = rows_[a];
  row.reserve(static_cast<std::size_t>(m - 2));
  for (int k : order_) {
    if (k != a) row.push_back({FloatBelow(At(a, k)), node_of_slot_[k]});
  }
  SortRow(a, &row);
  entries_ += row.size();
}

bool Joiner::Run(Tree* tree) {
  if (!InRange()) return false;
  StartRows();
  int new_node = n_;
  for (int m = n_; m > 3; --m, ++new_node) {
    const double window = Window(m);
    Found found = Search(m, window);
    auto [a, b] = Resolve(m, &found, window);
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
  *tree = Tree();
  const DistancesProblem problem = CheckDistances(d);
  if (problem != DistancesProblem::kNone) return problem;
  if (d.n < 4) return ReferenceNeighborJoining(d, tree, jobs);
  tree->leaves = d.n;
  tree->ultrametric = false;
  tree->nodes.resize(2 * static_cast<std::size_t>(d.n) - 2);
  for (int i = 0; i < d.n; ++i) tree->nodes[i].leaf = i;
  bool done = false;
  {
    Joiner joiner(d, jobs);
    done = joiner.Run(tree);
  }
  if (!done) return ReferenceNeighborJoining(d, tree, jobs);
  return problem;
}

}  // namespace kyori::analysis
