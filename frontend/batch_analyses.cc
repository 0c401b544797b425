#include "frontend/batch_analyses.h"

#include <utility>

#include "analysis/linkage.h"
#include "analysis/neighbor_joining.h"
#include "analysis/newick.h"
#include "analysis/phylip.h"
#include "analysis/svg.h"
#include "batch/name_encoding.h"
#include "text/byte_string.h"

namespace kyori {
namespace {

std::vector<std::string> NamesInUtf8(const Collection& c) {
  std::vector<std::string> names;
  names.reserve(c.variety_names.size());
  for (const ByteString& name : c.variety_names) names.push_back(NameInUtf8(name.View(), c.name_encoding));
  return names;
}

analysis::DistancesProblem BuildTree(TreeMethod method, int jobs, Analyses& out) {
  analysis::LinkageMethod linkage_method = analysis::LinkageMethod::kAverage;
  if (!LinkageMethodOf(method, &linkage_method)) return analysis::NeighborJoining(out.distances, &out.tree, jobs);
  analysis::Linkage linkage;
  const analysis::DistancesProblem problem = analysis::ComputeLinkage(out.distances, linkage_method, &linkage);
  if (problem == analysis::DistancesProblem::kNone) out.tree = analysis::TreeFromLinkage(linkage);
  return problem;
}

}  // namespace

TreeWork TreeWorkOf(TreeMethod method) {
  switch (method) {
    case TreeMethod::kNeighborJoining: return TreeWork::kNeighborJoining;
    case TreeMethod::kSingle: return TreeWork::kSpanningTree;
    default: return TreeWork::kChain;
  }
}

analysis::DistancesProblem PrepareAnalyses(const Collection& c, std::vector<double> distances, bool build_tree,
                                           TreeMethod method, int jobs, Analyses& out) {
  out.distances.n = c.varieties;
  out.distances.condensed = std::move(distances);
  out.names = NamesInUtf8(c);
  // Without a tree a pair without a distance (NaN) is written NA in the
  // distance table; a tree needs every distance.
  const analysis::DistancesProblem problem =
      build_tree ? analysis::CheckDistances(out.distances) : analysis::CheckDistancesWithGaps(out.distances);
  if (problem != analysis::DistancesProblem::kNone || !build_tree) return problem;
  return BuildTree(method, jobs, out);
}

void WriteAnalysisFile(const Analyses& analyses, AnalysisFile file, std::ostream& out) {
  switch (file) {
    case AnalysisFile::kMatrix:
      analysis::WritePhylip(analyses.distances, analyses.names, out);
      break;
    case AnalysisFile::kTree:
      analysis::WriteNewick(analyses.tree, analyses.names, out);
      break;
    case AnalysisFile::kPicture: {
      analysis::SvgOptions options;
      options.groups = analyses.groups;
      analysis::WriteSvg(analyses.tree, analyses.distances, analyses.names, options, out);
      break;
    }
  }
}

double CopheneticCorrelationOf(const Analyses& analyses) {
  return analysis::CopheneticCorrelation(analyses.distances.condensed, analysis::CopheneticDistances(analyses.tree));
}

}  // namespace kyori
