// What batch mode makes of a run beside the distances' files: the principal
// components of the traits (--pca=PREFIX: PREFIX_scores.csv,
// PREFIX_loadings.csv, PREFIX_variance.csv, PREFIX_biplot.svg) and the
// varieties in groups cut from the run's tree (--groups, --group-means, --k).
//
// The components are those of the values as read, each trait standardized
// afresh in double precision over its present values (a missing value then
// counts as 0, the trait's mean), whatever arithmetic the report takes: the
// components are the same for a file in the kyori layout and the same
// numbers as a table. The groups are cut from the tree the run builds
// (--method, a linkage) at the distances the report prints before the cut,
// and their means and spreads are in the data's own units.
//
// Example: the three varieties x (1, 10), y (2, 30), z (3, 20), traits A
// and B: standardized x (-1, -1), y (0, 1), z (1, 0); the components'
// variances 1.5 and 0.5 (75 % and 25 %), PC1's loadings (0.7071, 0.7071).
// Cut into groups (average linkage), only k = 2 exists: {x} and {y, z}
// (numbered in the tree's leaf order), chosen with an average silhouette
// width of 0.2450 (x alone 0, y and z each 0.3675).
#ifndef KYORI_FRONTEND_BATCH_MULTIVARIATE_H_
#define KYORI_FRONTEND_BATCH_MULTIVARIATE_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/group_summary.h"
#include "analysis/groups.h"
#include "analysis/pca.h"
#include "batch/collection.h"
#include "batch/missing_values.h"
#include "frontend/batch_analyses.h"
#include "frontend/command_line.h"
#include "frontend/messages.h"

namespace kyori {

// The names of the four files of --pca=PREFIX, in the order they are
// written: PREFIX_scores.csv, PREFIX_loadings.csv, PREFIX_variance.csv,
// PREFIX_biplot.svg.
//   "out/rice" -> "out/rice_scores.csv", ..., "out/rice_biplot.svg"
std::vector<std::string> PcaFileNames(const std::string& prefix);

// Whether the run keeps a copy of the values as read before they are
// standardized: for the components (--pca) and the groups' means.
bool KeepsValuesAsRead(const CommandLine& line);

// The least number of varieties the groups of `line` need: k + 1 for --k,
// else 3 (k = 2 is the least that is chosen, and it needs a third variety).
int VarietiesForGroups(const CommandLine& line);

// The components, the groups and their summaries of one run.
struct Multivariate {
  bool has_pca = false;
  analysis::Pca pca;
  std::vector<std::string> variety_names;  // in UTF-8
  std::vector<std::string> trait_names;    // in UTF-8
  bool has_groups = false;
  analysis::Grouping grouping;
  std::vector<analysis::GroupSummary> summaries;  // with --group-means
  bool count_chosen = false;  // the number of groups was chosen by the silhouette (no --k)
};

// What computing the components found.
struct PcaStage {
  enum Kind {
    kDone,
    kOneTrait,    // the biplot needs two components
    kTraitStop,   // a trait could not be standardized (`stop`)
    kProblem,     // the decomposition refused the values (`problem`)
  } kind = kDone;
  GappedTraitStop stop;
  analysis::PcaProblem problem = analysis::PcaProblem::kNone;
};

// The components of `c`'s values as read (`as_read`, laid out as c.values),
// each trait standardized over its present values, into out.pca, with the
// trait names in UTF-8. out.pca.replaced counts the missing values taken as
// 0, and the names in UTF-8. Refuses a collection of one trait (kOneTrait)
// before any work.
PcaStage ComputeRunPca(const Collection& c, const std::vector<double>& as_read, Multivariate& out);

// What cutting the tree into groups found.
struct GroupsStage {
  enum Kind {
    kDone,
    kTooFewVarieties,  // fewer than VarietiesForGroups
    kProblem,          // the tree or the distances refused (`problem`)
  } kind = kDone;
  analysis::GroupsProblem problem = analysis::GroupsProblem::kNone;
};

// The groups of `line` (--k, or the k of the largest average silhouette
// width, out.count_chosen) cut from analyses.tree, with each group's summary from `as_read`
// when --group-means asks, into `out`; analyses.groups is set for the
// picture's colours.
GroupsStage GroupRun(const CommandLine& line, const Collection& c, const std::vector<double>& as_read,
                     Analyses& analyses, Multivariate& out);

enum class MultivariateFile { kScores, kLoadings, kVariance, kBiplot, kGroups, kGroupMeans };

// Writes one file to `out`: the components' tables and biplot (coloured by
// the groups when there are groups), the groups' table, their means. False
// when the biplot cannot be drawn; other failures are left in `out`.
bool WriteMultivariateFile(const Multivariate& multivariate, MultivariateFile file, std::ostream& out);

// The line saying how many missing values the components took as the
// trait's mean:
//   "kyori: in.csv: principal components: 37 missing values taken as the trait's mean"
MessageLine PcaMissingLine(MessageStyle style, const std::string& data_name, std::int64_t replaced);

// The line saying which number of groups was chosen:
//   "kyori: groups: 3, chosen by the largest average silhouette width (0.412345)"
MessageLine GroupsChosenLine(MessageStyle style, const analysis::Grouping& grouping);

}  // namespace kyori

#endif  // KYORI_FRONTEND_BATCH_MULTIVARIATE_H_
