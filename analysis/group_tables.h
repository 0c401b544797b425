// Groups of varieties (groups.h, group_summary.h) as CSV tables, in the
// rules of pca_tables.h: UTF-8 with a byte-order mark, CR LF, an empty
// header cell over the names, names quoted where needed, numbers as the
// shortest text that reads back as the same double, NA for a value that
// does not exist.
//
//   groups  ,group,silhouette_width,nearest_group
//           one row per variety: its name, its group, its silhouette width
//           and its nearest other group (both NA when the grouping has no
//           widths: k = 1 or k = n)
//   means   ,size,silhouette,within_distance,X mean,X sd,Y mean,Y sd,...
//           one row per group, named by its number: its size, mean width,
//           mean distance within, and each trait's mean and standard
//           deviation in the data's own units (trait names X, Y, ...)
//
// Example, points 0, 1, 3, 7 named A, B, C, D as one trait T, k = 2
// (group_summary.h):
//   groups  "\xEF\xBB\xBF" ",group,silhouette_width,nearest_group\r\n"
//           "A,2,0.7142857142857143,1\r\n"  "B,2,0.75,1\r\n"
//           "C,2,0.375,1\r\n"               "D,1,0,2\r\n"
//   means   "\xEF\xBB\xBF" ",size,silhouette,within_distance,T mean,T sd\r\n"
//           "1,1,0,NA,7,NA\r\n"
//           "2,3,0.6130952380952381,2,1.3333333333333333,1.5275252316519468\r\n"
// Names where `names` is shorter are empty.
#ifndef KYORI_ANALYSIS_GROUP_TABLES_H_
#define KYORI_ANALYSIS_GROUP_TABLES_H_

#include <ostream>
#include <string>
#include <vector>

#include "analysis/group_summary.h"
#include "analysis/groups.h"

namespace kyori::analysis {

// Each variety's group; variety i named variety_names[i].
void WriteGroupsTable(const Grouping& grouping, const std::vector<std::string>& variety_names, std::ostream& out);

// Each group's summary (summaries[g - 1] for group g); trait j named
// trait_names[j].
void WriteGroupMeansTable(const std::vector<GroupSummary>& summaries, const std::vector<std::string>& trait_names,
                          std::ostream& out);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_GROUP_TABLES_H_
