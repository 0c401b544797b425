// The accurate distances of 5,000 varieties by 50 traits, complete and with
// 10 % of the values missing (ComputeDistances against
// ComputeGappedDistances), with 1 and 2 threads. Items are pairs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "batch/collection.h"
#include "batch/collection_arithmetic.h"
#include "batch/gapped_distances.h"
#include "batch/missing_values.h"

namespace kyori {
namespace {

constexpr int kVarieties = 5000;
constexpr int kTraits = 50;

// Measured-looking traits, standardized; each value missing with
// probability `gaps`.
Collection Standardized(double gaps) {
  Collection c;
  c.varieties = kVarieties;
  c.traits = kTraits;
  c.variety_count = kVarieties;
  c.trait_count = kTraits;
  c.values.resize(static_cast<std::size_t>(kVarieties) * kTraits);
  std::mt19937_64 random(17);
  std::normal_distribution<double> value(100, 15);
  std::uniform_real_distribution<double> draw(0, 1);
  for (double& v : c.values) v = draw(random) < gaps ? std::numeric_limits<double>::quiet_NaN() : value(random);
  if (StandardizeWithGaps(c).kind != GappedTraitStop::kNone) std::abort();
  return c;
}

// The least of the repetitions: on a machine shared with other work, the
// run least disturbed.
double Least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void BM_CompleteDistances(benchmark::State& state) {
  const Collection c = Standardized(0);
  const int jobs = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ComputeDistances(c, Arithmetic::kAccurate, jobs).roots.data());
  state.SetItemsProcessed(state.iterations() * kVarieties * (kVarieties - 1) / 2);
}
BENCHMARK(BM_CompleteDistances)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", Least);

void BM_GappedDistances(benchmark::State& state) {
  const Collection c = Standardized(0.1);
  const int jobs = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ComputeGappedDistances(c, 1, jobs).roots.data());
  state.SetItemsProcessed(state.iterations() * kVarieties * (kVarieties - 1) / 2);
}
BENCHMARK(BM_GappedDistances)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", Least);

}  // namespace
}  // namespace kyori
