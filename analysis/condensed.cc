#include "analysis/condensed.h"

#include <cmath>

namespace kyori::analysis {

Distances DistancesFromSquare(int n, const std::vector<double>& square) {
  Distances d;
  d.n = n;
  d.condensed.reserve(CondensedSize(n));
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      d.condensed.push_back(square[static_cast<std::size_t>(i) * n + j]);
    }
  }
  return d;
}

namespace {

// CheckDistances, with NaN a problem or not.
DistancesProblem Check(const Distances& d, bool nan_allowed) {
  if (d.n < 1) return DistancesProblem::kNoVarieties;
  if (d.condensed.size() != CondensedSize(d.n)) return DistancesProblem::kWrongSize;
  for (double v : d.condensed) {
    if (!std::isfinite(v) && !(nan_allowed && std::isnan(v))) return DistancesProblem::kNotFinite;
  }
  for (double v : d.condensed) {
    if (v < 0) return DistancesProblem::kNegative;
  }
  return DistancesProblem::kNone;
}

}  // namespace

DistancesProblem CheckDistances(const Distances& d) { return Check(d, false); }

DistancesProblem CheckDistancesWithGaps(const Distances& d) { return Check(d, true); }

const char* DescribeProblem(DistancesProblem problem) {
  switch (problem) {
    case DistancesProblem::kNone: return "no problem";
    case DistancesProblem::kNoVarieties: return "there are no varieties";
    case DistancesProblem::kWrongSize: return "the number of distances does not fit the number of varieties";
    case DistancesProblem::kNotFinite: return "a distance is not finite";
    case DistancesProblem::kNegative: return "a distance is negative";
  }
  return "unknown problem";
}

}  // namespace kyori::analysis
