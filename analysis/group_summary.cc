#include "analysis/group_summary.h"

#include <cmath>
#include <limits>
#include <utility>

namespace kyori::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The mean and sample standard deviation of the present values of one
// trait (`column`, n values) among the members of group g.
void TraitMoments(const double* column, const std::vector<int>& group, int g, double* mean, double* sd) {
  double sum = 0;
  int present = 0;
  for (std::size_t i = 0; i < group.size(); ++i) {
    if (group[i] == g && !std::isnan(column[i])) {
      sum += column[i];
      ++present;
    }
  }
  *mean = present > 0 ? sum / present : kNaN;
  double squares = 0;
  for (std::size_t i = 0; i < group.size(); ++i) {
    if (group[i] == g && !std::isnan(column[i])) squares += (column[i] - *mean) * (column[i] - *mean);
  }
  *sd = present > 1 ? std::sqrt(squares / (present - 1)) : kNaN;
}

// Each group's mean distance between its members (index g - 1).
std::vector<double> WithinDistances(const Distances& d, const std::vector<int>& group, int k) {
  std::vector<double> sums(k, 0.0);
  std::vector<double> pairs(k, 0.0);
  std::size_t at = 0;
  for (int i = 0; i < d.n; ++i) {
    for (int j = i + 1; j < d.n; ++j, ++at) {
      if (group[i] != group[j]) continue;
      sums[group[i] - 1] += d.condensed[at];
      pairs[group[i] - 1] += 1;
    }
  }
  for (int g = 0; g < k; ++g) sums[g] = pairs[g] > 0 ? sums[g] / pairs[g] : kNaN;
  return sums;
}

}  // namespace

bool SummarizeGroups(const Grouping& grouping, const Distances& d, int traits, const std::vector<double>& values,
                     std::vector<GroupSummary>* summaries) {
  summaries->clear();
  const int n = d.n;
  const int k = grouping.k;
  if (static_cast<int>(grouping.group.size()) != n || traits < 0 || k < 1 ||
      d.condensed.size() != CondensedSize(n) ||
      values.size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(traits)) {
    return false;
  }
  for (int g : grouping.group) {
    if (g < 1 || g > k) return false;
  }
  std::vector<GroupSummary> result(k);
  const std::vector<double> within = WithinDistances(d, grouping.group, k);
  const std::vector<double>& widths = grouping.silhouette.width;
  for (int g = 1; g <= k; ++g) {
    GroupSummary& s = result[g - 1];
    double width_sum = 0;
    for (int i = 0; i < n; ++i) {
      if (grouping.group[i] != g) continue;
      ++s.size;
      if (!widths.empty()) width_sum += widths[i];
    }
    s.silhouette = widths.empty() || s.size == 0 ? kNaN : width_sum / s.size;
    s.within = within[g - 1];
    s.mean.resize(traits);
    s.sd.resize(traits);
    for (int j = 0; j < traits; ++j) {
      TraitMoments(values.data() + static_cast<std::size_t>(j) * n, grouping.group, g, &s.mean[j], &s.sd[j]);
    }
  }
  *summaries = std::move(result);
  return true;
}

}  // namespace kyori::analysis
