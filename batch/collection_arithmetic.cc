#include "batch/collection_arithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/parallel_for.h"
#include "kernels/report_cells.h"
#include "kernels/squared_distances.h"
#include "kernels/standardize_trait.h"
#include "convert/number_to_text.h"
#include "numeric/elementary.h"

namespace kyori {
namespace {

bool AllFinite(const double* x, int n) {
  for (int i = 0; i < n; ++i) {
    if (!std::isfinite(x[i])) return false;
  }
  return true;
}

bool AllEqual(const double* x, int n) {
  for (int i = 1; i < n; ++i) {
    if (x[i] != x[0]) return false;
  }
  return true;
}

// Two passes in double: the mean, then the sum of squared deviations, over
// the values scaled by 2^-exponent, which brings the largest magnitude into
// [0.5, 1). The squares then neither overflow nor underflow, however large or
// small the values (1e160 or 1e-170); and as scaling by a power of two is
// exact, the results are bit for bit those of the unscaled steps wherever
// these stay in range, as they do for any measured trait.
struct AccurateMoments {
  int exponent;
  double mean;       // of the scaled values
  double deviation;  // of the scaled values: sample standard deviation, divisor n - 1

  double Standardized(double x) const { return (std::ldexp(x, -exponent) - mean) / deviation; }
  double Deviation() const { return std::ldexp(deviation, exponent); }
};

AccurateMoments MomentsOf(const double* x, int n) {
  double largest = 0;
  for (int i = 0; i < n; ++i) largest = std::max(largest, std::fabs(x[i]));
  int exponent = 0;
  std::frexp(largest, &exponent);
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += std::ldexp(x[i], -exponent);
  const double mean = sum / n;
  double squares = 0;
  for (int i = 0; i < n; ++i) {
    const double d = std::ldexp(x[i], -exponent) - mean;
    squares += d * d;
  }
  return {exponent, mean, std::sqrt(squares / (n - 1))};
}

TraitStop StandardizeCompatible(Collection& c) {
  for (int j = 0; j < c.traits; ++j) {
    double mean = 0;
    float spread = 0;
    if (!StandardizeTraitValues(c.Trait(j), 1, c.varieties, c.variety_count, mean, spread)) {
      return {TraitStop::kIdentical, j};
    }
  }
  return {};
}

TraitStop StandardizeAccurate(Collection& c) {
  const int n = c.varieties;
  for (int j = 0; j < c.traits; ++j) {
    double* x = c.Trait(j);
    if (!AllFinite(x, n)) return {TraitStop::kNotFinite, j};
    if (AllEqual(x, n)) return {TraitStop::kIdentical, j};
    const AccurateMoments m = MomentsOf(x, n);
    for (int i = 0; i < n; ++i) x[i] = m.Standardized(x[i]);
  }
  return {};
}

// Fills the triangle block by block: block b holds the rows
// b * kRowsAtOnce .. + kRowsAtOnce - 1, each row's pairs with the varieties
// after it. Blocks are handed out to the workers as they come free.
template <typename Sum, typename Accumulate, typename Store>
void FillTriangle(const Collection& c, int jobs, Accumulate accumulate, Store store) {
  const int n = c.varieties;
  const long blocks = (n + kRowsAtOnce - 1) / kRowsAtOnce;
  if (jobs < 1) jobs = 1;
  std::vector<std::vector<Sum>> scratch(static_cast<std::size_t>(jobs),
                                        std::vector<Sum>(static_cast<std::size_t>(kRowsAtOnce) * (n + 1)));
  ParallelFor(blocks, jobs, [&](long block, int worker) {
    const int first = static_cast<int>(block) * kRowsAtOnce;
    const int rows = std::min(kRowsAtOnce, n - first);
    Sum* sums[kRowsAtOnce];
    for (int r = 0; r < kRowsAtOnce; ++r) sums[r] = scratch[worker].data() + static_cast<std::size_t>(r) * (n + 1);
    accumulate(c.values.data(), n, c.traits, first, rows, sums);
    for (int r = 0; r < rows; ++r) {
      const int i = first + r;
      for (int k = i + 1; k < n; ++k) store(CondensedIndex(n, i, k), sums[r][k - first]);
    }
  });
}

}  // namespace

TraitStop StandardizeCollection(Collection& c, Arithmetic arithmetic) {
  return arithmetic == Arithmetic::kAccurate ? StandardizeAccurate(c) : StandardizeCompatible(c);
}

std::vector<SpreadDifference> CompareSpreads(const Collection& c, double tolerance) {
  std::vector<SpreadDifference> found;
  const int n = c.varieties;
  for (int j = 0; j < c.traits; ++j) {
    const double* x = c.Trait(j);
    if (!AllFinite(x, n) || AllEqual(x, n)) continue;
    const double accurate = MomentsOf(x, n).Deviation();
    double mean = 0;
    float spread = 0;
    SpreadDifference d;
    d.trait = j;
    d.accurate = accurate;
    if (!TraitMeanAndSpread(x, 1, n, c.variety_count, mean, spread)) {
      d.compatible_identical = true;
      d.relative = 1;
      found.push_back(d);
      continue;
    }
    d.compatible = static_cast<double>(spread);
    d.relative = std::fabs(d.compatible - accurate) / accurate;
    if (d.relative > tolerance) found.push_back(d);
  }
  return found;
}

DistanceTriangle ComputeDistances(const Collection& c, Arithmetic arithmetic, int jobs) {
  DistanceTriangle d;
  const std::size_t n = static_cast<std::size_t>(c.varieties);
  const std::size_t pairs = n < 2 ? 0 : n * (n - 1) / 2;
  d.varieties = c.varieties;
  d.arithmetic = arithmetic;
  if (arithmetic == Arithmetic::kCompatible) {
    d.words.resize(pairs);
    uint32_t* out = d.words.data();
    FillTriangle<float>(c, jobs, AccumulateSquaredRows<float>,
                        [out](std::size_t at, float v) { std::memcpy(out + at, &v, sizeof v); });
  } else {
    d.roots.resize(pairs);
    d.rooted = true;
    double* out = d.roots.data();
    FillTriangle<double>(c, jobs, AccumulateSquaredRows<double>,
                         [out](std::size_t at, double v) { out[at] = std::sqrt(v); });
  }
  return d;
}

namespace {

// The pairs are taken in chunks of this many, one chunk per task.
constexpr std::size_t kChunk = 1 << 14;

long ChunkCount(std::size_t pairs) { return static_cast<long>((pairs + kChunk - 1) / kChunk); }

// One worker's buffers for a chunk, made the first time the worker needs
// them and kept for its later chunks: the widened squares and the distances
// (DistancesOfChunk), the texts and their lengths (PackCells).
struct ChunkBuffers {
  std::vector<double> widened;
  std::vector<double> values;
  std::vector<char> texts;
  std::vector<int> lengths;
};

// The bytes a worker's buffers hold at most.
constexpr std::uint64_t kChunkBufferBytes = kChunk * (sizeof(double) * 2 + kNumberTextMax + sizeof(int));

// One set of buffers for each worker that can take part.
std::vector<ChunkBuffers> BuffersFor(long chunks, int jobs) {
  return std::vector<ChunkBuffers>(static_cast<std::size_t>(std::max(1L, std::min<long>(chunks, jobs))));
}

// The distances of pairs [begin, end) into `out`: the roots, or the
// program's roots of the squared distances.
void DistancesOfChunk(const DistanceTriangle& d, std::size_t begin, std::size_t end, double* out,
                      ChunkBuffers& buffers) {
  if (d.rooted) {
    std::copy(d.roots.begin() + static_cast<std::ptrdiff_t>(begin), d.roots.begin() + static_cast<std::ptrdiff_t>(end), out);
    return;
  }
  buffers.widened.resize(kChunk);
  for (std::size_t t = begin; t < end; ++t) {
    float squared;
    std::memcpy(&squared, &d.words[t], sizeof squared);
    buffers.widened[t - begin] = static_cast<double>(squared);
  }
  HalfPowers(buffers.widened.data(), out, static_cast<int>(end - begin));  // Power(squared, 0.5) for each
}

}  // namespace

std::vector<double> CondensedDistances(const DistanceTriangle& d, int jobs) {
  if (d.rooted) return d.roots;
  std::vector<double> out(d.words.size());
  const long chunks = ChunkCount(out.size());
  std::vector<ChunkBuffers> buffers = BuffersFor(chunks, jobs);
  ParallelFor(chunks, jobs, [&](long k, int worker) {
    const std::size_t begin = static_cast<std::size_t>(k) * kChunk;
    DistancesOfChunk(d, begin, std::min(out.size(), begin + kChunk), out.data() + begin, buffers[worker]);
  });
  return out;
}

void TakeRoots(DistanceTriangle& d, int jobs) {
  if (d.rooted) return;
  d.roots = CondensedDistances(d, jobs);
  d.rooted = true;
}

void PackCells(DistanceTriangle& d, bool drop_roots, int jobs) {
  const std::size_t pairs = d.rooted ? d.roots.size() : d.words.size();
  d.words.resize(pairs);
  const long chunks = ChunkCount(pairs);
  std::vector<ChunkBuffers> buffers = BuffersFor(chunks, jobs);
  ParallelFor(chunks, jobs, [&](long k, int worker) {
    const std::size_t begin = static_cast<std::size_t>(k) * kChunk;
    const std::size_t end = std::min(pairs, begin + kChunk);
    ChunkBuffers& b = buffers[worker];
    b.values.resize(kChunk);
    b.texts.resize(kChunk * kNumberTextMax);
    b.lengths.resize(kChunk);
    DistancesOfChunk(d, begin, end, b.values.data(), b);
    NumbersToChars(b.values.data(), static_cast<int>(end - begin), b.texts.data(), b.lengths.data());
    for (std::size_t t = begin; t < end; ++t) {
      const std::size_t at = t - begin;
      const FormattedCell cell = CellFor(b.values[at], ZeroRule::kDistance, b.texts.data() + at * kNumberTextMax, b.lengths[at]);
      // A distance is a finite number of at least 0, or NaN: its cell always packs.
      if (!PackCell(cell, &d.words[t])) std::abort();
    }
  });
  d.packed = true;
  if (drop_roots) {
    d.roots = std::vector<double>();
    d.rooted = false;
  }
}

TriangleMemory DistancesMemory(int varieties, Arithmetic arithmetic, bool keep_roots, int jobs) {
  const std::uint64_t n = varieties < 0 ? 0 : static_cast<std::uint64_t>(varieties);
  const std::uint64_t pairs = n < 2 ? 0 : n * (n - 1) / 2;
  const std::uint64_t threads = jobs < 1 ? 1 : static_cast<std::uint64_t>(jobs);
  const std::uint64_t sum_bytes = arithmetic == Arithmetic::kAccurate ? sizeof(double) : sizeof(float);
  const std::uint64_t rows_of_sums = threads * kRowsAtOnce * (n + 1) * sum_bytes;  // FillTriangle
  const bool both = arithmetic == Arithmetic::kAccurate || keep_roots;
  TriangleMemory memory;
  memory.peak = pairs * (both ? sizeof(uint32_t) + sizeof(double) : sizeof(uint32_t)) +
                std::max(rows_of_sums, threads * kChunkBufferBytes);
  memory.kept = pairs * (keep_roots ? sizeof(uint32_t) + sizeof(double) : sizeof(uint32_t));
  return memory;
}

}  // namespace kyori
