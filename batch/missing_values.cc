#include "batch/missing_values.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "batch/accurate_moments.h"

namespace kyori {
namespace {

// The present values of x[0 .. n) into `present`, in order.
void GatherPresent(const double* x, int n, std::vector<double>& present) {
  present.clear();
  for (int i = 0; i < n; ++i) {
    if (!std::isnan(x[i])) present.push_back(x[i]);
  }
}

bool AnyInfinite(const std::vector<double>& x) {
  for (double v : x) {
    if (std::isinf(v)) return true;
  }
  return false;
}

bool AllEqual(const std::vector<double>& x) {
  for (double v : x) {
    if (v != x[0]) return false;
  }
  return true;
}

}  // namespace

MissingCount CountMissing(const Collection& c) {
  MissingCount count;
  count.values = static_cast<std::uint64_t>(c.varieties) * static_cast<std::uint64_t>(c.traits);
  for (int j = 0; j < c.traits; ++j) {
    const double* x = c.Trait(j);
    std::uint64_t missing = 0;
    for (int i = 0; i < c.varieties; ++i) missing += std::isnan(x[i]) ? 1 : 0;
    count.missing += missing;
    count.traits += missing != 0 ? 1 : 0;
  }
  return count;
}

GappedTraitStop StandardizeWithGaps(Collection& c) {
  const int n = c.varieties;
  std::vector<double> present;
  present.reserve(static_cast<std::size_t>(n));
  for (int j = 0; j < c.traits; ++j) {
    double* x = c.Trait(j);
    GatherPresent(x, n, present);
    const int count = static_cast<int>(present.size());
    if (AnyInfinite(present)) return {GappedTraitStop::kNotFinite, j, count};
    if (count < 2) return {GappedTraitStop::kTooFewValues, j, count};
    if (AllEqual(present)) return {GappedTraitStop::kIdentical, j, count};
    const AccurateMoments m = MomentsOf(present.data(), count);
    for (int i = 0; i < n; ++i) {
      if (!std::isnan(x[i])) x[i] = m.Standardized(x[i]);
    }
  }
  return {};
}

}  // namespace kyori
