// Groups as CSV (analysis/group_tables.h): every byte of the worked example,
// a grouping without widths, names that need quotes, values that are no
// number.
#include "analysis/group_tables.h"

#include <gtest/gtest.h>

#include <sstream>

#include "analysis/linkage.h"
#include "tests/double_bits.h"

namespace kyori::analysis {
namespace {

// Four varieties on a line at 0, 1, 3 and 7.
const Distances kLine{4, {1, 3, 7, 2, 6, 4}};

Grouping GroupsOfTheLine(int k) {
  Linkage linkage;
  EXPECT_EQ(ComputeLinkage(kLine, LinkageMethod::kAverage, &linkage), DistancesProblem::kNone);
  Grouping grouping;
  EXPECT_EQ(GroupVarieties(TreeFromLinkage(linkage), kLine, k, &grouping), GroupsProblem::kNone);
  return grouping;
}

TEST(GroupTablesTest, TheWorkedExample) {
  const Grouping grouping = GroupsOfTheLine(2);
  std::ostringstream groups;
  WriteGroupsTable(grouping, {"A", "B", "C", "D"}, groups);
  EXPECT_EQ(groups.str(),
            "\xEF\xBB\xBF,group,silhouette_width,nearest_group\r\n"
            "A,2,0.7142857142857143,1\r\n"
            "B,2,0.75,1\r\n"
            "C,2,0.375,1\r\n"
            "D,1,0,2\r\n");
  std::vector<GroupSummary> summaries;
  ASSERT_TRUE(SummarizeGroups(grouping, kLine, 1, {0, 1, 3, 7}, &summaries));
  std::ostringstream means;
  WriteGroupMeansTable(summaries, {"T"}, means);
  EXPECT_EQ(means.str(),
            "\xEF\xBB\xBF,size,silhouette,within_distance,T mean,T sd\r\n"
            "1,1,0,NA,7,NA\r\n"
            "2,3,0.6130952380952381,2,1.3333333333333333,1.5275252316519468\r\n");
}

TEST(GroupTablesTest, AGroupingWithoutWidthsAndNamesThatNeedQuotes) {
  std::ostringstream groups;
  WriteGroupsTable(GroupsOfTheLine(1), {"a,b", "\"q\"", " lead"}, groups);
  EXPECT_EQ(groups.str(),
            "\xEF\xBB\xBF,group,silhouette_width,nearest_group\r\n"
            "\"a,b\",1,NA,NA\r\n"
            "\"\"\"q\"\"\",1,NA,NA\r\n"
            "\" lead\",1,NA,NA\r\n"
            ",1,NA,NA\r\n");
  GroupSummary s;
  s.size = 2;
  s.silhouette = testing::kNaN;
  s.within = 0.5;
  s.mean = {1e21, testing::kNaN};
  s.sd = {0.1, testing::kInf};
  std::ostringstream means;
  WriteGroupMeansTable({s}, {"x,y", "長さ"}, means);
  EXPECT_EQ(means.str(),
            "\xEF\xBB\xBF,size,silhouette,within_distance,\"x,y mean\",\"x,y sd\",長さ mean,長さ sd\r\n"
            "1,2,NA,0.5,1e+21,0.1,NA,Inf\r\n");
}

}  // namespace
}  // namespace kyori::analysis
