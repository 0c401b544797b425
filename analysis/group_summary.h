// What each group of varieties is like (groups.h): its size, how well its
// members sit in it, how far apart they are, and every trait's mean and
// spread in the data's own units.
//
// For group g:
//   size        its members
//   silhouette  the mean silhouette width of its members (cluster's
//               clus.avg.widths); NaN when the grouping has no widths
//               (k = 1 or k = n)
//   within      the mean distance between two of its members, over its
//               size (size - 1) / 2 pairs; NaN for a lone member
//   mean[j]     trait j's mean over the members' present values
//   sd[j]       their sample standard deviation (divisor present - 1); NaN
//               with fewer than two present values
// A missing value (NaN) is left out of its trait's mean and spread; a trait
// none of whose members has a value gets NaN for both. Means and spreads
// take two passes in double, members in variety order.
//
// Example: points 0, 1, 3, 7 as one trait, groups {2, 2, 2, 1} (groups.h):
//   group 1: size 1, silhouette 0, within NaN, mean 7, sd NaN
//   group 2: size 3, silhouette (5/7 + 0.75 + 0.375) / 3, within (1 + 3 + 2) / 3 = 2,
//            mean 4/3, sd 1.5275252316519468
#ifndef KYORI_ANALYSIS_GROUP_SUMMARY_H_
#define KYORI_ANALYSIS_GROUP_SUMMARY_H_

#include <vector>

#include "analysis/condensed.h"
#include "analysis/groups.h"

namespace kyori::analysis {

struct GroupSummary {
  int size = 0;
  double silhouette = 0;
  double within = 0;
  std::vector<double> mean;  // one per trait
  std::vector<double> sd;    // one per trait
};

// One summary per group (index g - 1 for group g) of `grouping`, made from
// `d` and from the varieties' unstandardized `values` (`traits` of them, laid
// out by trait: variety i, trait j at values[j*n + i]). Returns false,
// leaving *summaries empty, when d.n, the grouping and the values do not
// agree in size or a group number is outside 1 .. k.
bool SummarizeGroups(const Grouping& grouping, const Distances& d, int traits, const std::vector<double>& values,
                     std::vector<GroupSummary>* summaries);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_GROUP_SUMMARY_H_
