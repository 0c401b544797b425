#include "frontend/batch_multivariate.h"

#include <cstdio>
#include <utility>

#include "analysis/biplot.h"
#include "analysis/cut.h"
#include "analysis/group_tables.h"
#include "analysis/pca_tables.h"
#include "batch/name_encoding.h"
#include "frontend/batch_texts.h"

namespace kyori {
namespace {

std::vector<std::string> InUtf8(const std::vector<ByteString>& names, NameEncoding encoding) {
  std::vector<std::string> converted;
  converted.reserve(names.size());
  for (const ByteString& name : names) converted.push_back(NameInUtf8(name.View(), encoding));
  return converted;
}

bool WantsGroups(const CommandLine& line) { return !line.groups.empty() || !line.group_means.empty(); }

}  // namespace

std::vector<std::string> PcaFileNames(const std::string& prefix) {
  return {prefix + "_scores.csv", prefix + "_loadings.csv", prefix + "_variance.csv", prefix + "_biplot.svg"};
}

bool KeepsValuesAsRead(const CommandLine& line) { return !line.pca.empty() || !line.group_means.empty(); }

int VarietiesForGroups(const CommandLine& line) { return line.group_count > 0 ? line.group_count + 1 : 3; }

PcaStage ComputeRunPca(const Collection& c, const std::vector<double>& as_read, Multivariate& out) {
  PcaStage stage;
  if (c.traits < 2) {
    stage.kind = PcaStage::kOneTrait;
    return stage;
  }
  // The values standardized afresh, in double precision, over each trait's
  // present values; the names are not needed for it.
  Collection z;
  z.variety_count = c.variety_count;
  z.trait_count = c.trait_count;
  z.varieties = c.varieties;
  z.traits = c.traits;
  z.values = as_read;
  stage.stop = StandardizeWithGaps(z);
  if (stage.stop.kind != GappedTraitStop::kNone) {
    stage.kind = PcaStage::kTraitStop;
    return stage;
  }
  stage.problem = analysis::ComputePca(z.varieties, z.traits, z.values, &out.pca);
  if (stage.problem != analysis::PcaProblem::kNone) {
    stage.kind = PcaStage::kProblem;
    return stage;
  }
  out.has_pca = true;
  out.variety_names = InUtf8(c.variety_names, c.name_encoding);
  out.trait_names = InUtf8(c.trait_names, c.name_encoding);
  return stage;
}

GroupsStage GroupRun(const CommandLine& line, const Collection& c, const std::vector<double>& as_read,
                     Analyses& analyses, Multivariate& out) {
  GroupsStage stage;
  if (!WantsGroups(line)) return stage;
  if (c.varieties < VarietiesForGroups(line)) {
    stage.kind = GroupsStage::kTooFewVarieties;
    return stage;
  }
  int k = line.group_count;
  if (k == 0) {
    analysis::GroupCountChoice choice;
    stage.problem = analysis::ChooseGroupCount(analyses.tree, analyses.distances, &choice);
    k = choice.k;
    out.count_chosen = true;
  }
  if (stage.problem == analysis::GroupsProblem::kNone) {
    stage.problem = analysis::GroupVarieties(analyses.tree, analyses.distances, k, &out.grouping);
  }
  if (stage.problem == analysis::GroupsProblem::kNone && !line.group_means.empty() &&
      !analysis::SummarizeGroups(out.grouping, analyses.distances, c.traits, as_read, &out.summaries)) {
    stage.problem = analysis::GroupsProblem::kBadDistances;
  }
  if (stage.problem != analysis::GroupsProblem::kNone) {
    stage.kind = GroupsStage::kProblem;
    return stage;
  }
  if (!out.has_pca) {
    out.variety_names = analyses.names;
    out.trait_names = InUtf8(c.trait_names, c.name_encoding);
  }
  out.has_groups = true;
  analyses.groups = out.grouping.group;
  return stage;
}

bool WriteMultivariateFile(const Multivariate& multivariate, MultivariateFile file, std::ostream& out) {
  const std::vector<std::string>& variety_names = multivariate.variety_names;
  switch (file) {
    case MultivariateFile::kScores:
      analysis::WritePcaScores(multivariate.pca, variety_names, out);
      return true;
    case MultivariateFile::kLoadings:
      analysis::WritePcaLoadings(multivariate.pca, multivariate.trait_names, out);
      return true;
    case MultivariateFile::kVariance:
      analysis::WritePcaVariance(multivariate.pca, out);
      return true;
    case MultivariateFile::kBiplot: {
      analysis::BiplotOptions options;
      if (multivariate.has_groups) options.groups = multivariate.grouping.group;
      return analysis::WriteBiplot(multivariate.pca, variety_names, multivariate.trait_names, options, out);
    }
    case MultivariateFile::kGroups:
      analysis::WriteGroupsTable(multivariate.grouping, variety_names, out);
      return true;
    case MultivariateFile::kGroupMeans:
      analysis::WriteGroupMeansTable(multivariate.summaries, multivariate.trait_names, out);
      return true;
  }
  return false;
}

MessageLine PcaMissingLine(MessageStyle style, const std::string& data_name, std::int64_t replaced) {
  MessageLine message(style);
  message.Data(data_name).Plain(": ");
  message.Say("principal components: ", texts::kJaPcaMissingBefore).Plain(std::to_string(replaced));
  message.Say(replaced == 1 ? " missing value taken as the trait's mean" : " missing values taken as the trait's mean",
              texts::kJaPcaMissingAfter);
  return message;
}

MessageLine GroupsChosenLine(MessageStyle style, const analysis::Grouping& grouping) {
  char width[32];
  std::snprintf(width, sizeof width, "%.6f", grouping.silhouette.average);
  MessageLine message(style);
  message.Say("groups: ", texts::kJaGroupsChosen).Plain(std::to_string(grouping.k));
  message.Say(", chosen by the largest average silhouette width (", texts::kJaGroupsChosenWidth).Plain(width);
  message.Say(")", texts::kJaGroupsChosenEnd);
  return message;
}

}  // namespace kyori
