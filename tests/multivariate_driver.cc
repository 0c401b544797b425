// Test driver for the principal components and the groups of analysis/
// (pca.h, groups.h, group_summary.h and their writers): reads a table of
// unstandardized values, standardizes it and takes its distances as batch
// mode does (batch/missing_values.h, batch/gapped_distances.h: each trait
// over its present values, the accurate arithmetic), and writes one result,
// for the check against R (tests/analysis/multivariate_reference.R), the
// pictures' checks and the benchmark.
//
// Input: the counts n and m, then n rows of m values each, NA for a missing
// one; then optionally the n variety names and the m trait names, one per
// token, each as the hex digits of its bytes ("-" for an empty name):
//   3 2
//   1 10
//   2 NA
//   3 20
//   41 42 43 58 59
//
// Usage: multivariate_driver COMMAND [ARGUMENT...]. Numbers are written as
// %.17g (NA for a NaN), one to a line, each part after a line naming it.
//   pca [auto|traits|varieties]   "replaced R", "components K", then sdev,
//                  eigenvalues, percent, cumulative (K values each),
//                  loadings (m values for each component in turn) and scores
//                  (n values for each component in turn)
//   groups METHOD K      groups, widths, nearest (NA without widths), average,
//                        then order: the leaf order (0-based varieties)
//   choose METHOD        "k K", then averages (for 2, 3, ...)
//   summary METHOD K     for each group: "group G", then size, silhouette,
//                        within, the m means and the m sds
//   scores | loadings | variance          the CSV file, as written
//   grouptable METHOD K | meanstable METHOD K   the CSV file, as written
//   biplot [K]           the biplot, coloured by the groups of average
//                        linkage cut into K when K is given
//   tree METHOD K        the tree picture coloured by its K groups
//   time-pca             seconds ComputePca takes, the least of three (%.6f)
//   time-groups METHOD   seconds of the linkage and of ChooseGroupCount
//                        (least of three each), the k chosen
// METHOD is average, single, complete or ward. Exit status 1 when the
// analysis refuses the input (the reason on standard error), 2 for a bad
// command line or input.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/biplot.h"
#include "analysis/condensed.h"
#include "analysis/group_summary.h"
#include "analysis/group_tables.h"
#include "analysis/groups.h"
#include "analysis/linkage.h"
#include "analysis/pca.h"
#include "analysis/pca_tables.h"
#include "analysis/svg.h"
#include "analysis/tree.h"
#include "batch/collection.h"
#include "batch/distance_triangle.h"
#include "batch/gapped_distances.h"
#include "batch/missing_values.h"

namespace {

using namespace kyori;
using namespace kyori::analysis;

struct Input {
  Collection raw;
  Collection standardized;
  std::vector<std::string> variety_names;
  std::vector<std::string> trait_names;
};

bool ReadNumber(const std::string& token, double* value) {
  if (token == "NA") {
    *value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  char* end = nullptr;
  *value = std::strtod(token.c_str(), &end);
  return !token.empty() && *end == '\0';
}

std::string FromHex(const std::string& hex) {
  if (hex == "-") return "";
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

bool Read(Input* input) {
  Collection& c = input->raw;
  if (!(std::cin >> c.varieties >> c.traits) || c.varieties < 1 || c.traits < 0) return false;
  c.variety_count = c.varieties;
  c.trait_count = c.traits;
  c.values.resize(static_cast<std::size_t>(c.varieties) * c.traits);
  std::string token;
  for (int i = 0; i < c.varieties; ++i) {
    for (int j = 0; j < c.traits; ++j) {
      if (!(std::cin >> token) || !ReadNumber(token, &c.Value(i, j))) return false;
    }
  }
  std::vector<std::string> names;
  while (std::cin >> token) names.push_back(FromHex(token));
  if (!names.empty() && names.size() != static_cast<std::size_t>(c.varieties + c.traits)) return false;
  if (!names.empty()) {
    input->variety_names.assign(names.begin(), names.begin() + c.varieties);
    input->trait_names.assign(names.begin() + c.varieties, names.end());
  }
  Collection& z = input->standardized;  // names left out: the analyses take them as text
  z.variety_count = c.variety_count;
  z.trait_count = c.trait_count;
  z.varieties = c.varieties;
  z.traits = c.traits;
  z.values = c.values;
  return StandardizeWithGaps(input->standardized).kind == GappedTraitStop::kNone;
}

void Print(double v) {
  if (std::isnan(v)) {
    std::puts("NA");
  } else {
    std::printf("%.17g\n", v);
  }
}

void PrintPart(const char* name, const std::vector<double>& values) {
  std::puts(name);
  for (double v : values) Print(v);
}

int Refused(const char* what) {
  std::fprintf(stderr, "multivariate_driver: %s\n", what);
  return 1;
}

Distances DistancesOf(const Input& input) {
  const DistanceTriangle triangle = ComputeGappedDistances(input.standardized, 1, 2);
  return Distances{input.raw.varieties, CondensedDistances(triangle, 2)};
}

bool TreeOf(const Distances& d, const std::string& method_name, Tree* tree) {
  LinkageMethod method;
  Linkage linkage;
  if (!LinkageMethodFromName(method_name, &method) || ComputeLinkage(d, method, &linkage) != DistancesProblem::kNone) {
    return false;
  }
  *tree = TreeFromLinkage(linkage);
  return true;
}

template <typename Step>
double LeastSeconds(Step step) {
  double least = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    step();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (run == 0 || elapsed.count() < least) least = elapsed.count();
  }
  return least;
}

int RunPca(const Input& input, const std::vector<std::string>& args) {
  PcaRoute route = PcaRoute::kAuto;
  if (args.size() > 1 && args[1] == "traits") route = PcaRoute::kTraits;
  if (args.size() > 1 && args[1] == "varieties") route = PcaRoute::kVarieties;
  const Collection& z = input.standardized;
  Pca pca;
  const PcaProblem problem = ComputePca(z.varieties, z.traits, z.values, &pca, route);
  if (problem != PcaProblem::kNone) return Refused(DescribePcaProblem(problem));
  const std::string& command = args[0];
  if (command == "pca") {
    std::printf("replaced %lld\ncomponents %d\n", static_cast<long long>(pca.replaced), pca.components);
    PrintPart("sdev", pca.sdev);
    PrintPart("eigenvalues", pca.eigenvalues);
    PrintPart("percent", pca.percent);
    PrintPart("cumulative", pca.cumulative);
    PrintPart("loadings", pca.loadings);
    PrintPart("scores", pca.scores);
  } else if (command == "scores") {
    WritePcaScores(pca, input.variety_names, std::cout);
  } else if (command == "loadings") {
    WritePcaLoadings(pca, input.trait_names, std::cout);
  } else if (command == "variance") {
    WritePcaVariance(pca, std::cout);
  } else {  // biplot [K]
    BiplotOptions options;
    options.title = "biplot <&> \"'\x01";
    if (args.size() > 1) {
      Tree tree;
      Grouping grouping;
      const Distances d = DistancesOf(input);
      if (!TreeOf(d, "average", &tree) ||
          GroupVarieties(tree, d, std::atoi(args[1].c_str()), &grouping) != GroupsProblem::kNone) {
        return Refused("no groups");
      }
      options.groups = grouping.group;
    }
    if (!WriteBiplot(pca, input.variety_names, input.trait_names, options, std::cout)) return Refused("no biplot");
  }
  return 0;
}

int RunGroups(const Input& input, const std::vector<std::string>& args) {
  const std::string& command = args[0];
  const Distances d = DistancesOf(input);
  Tree tree;
  if (args.size() < 2 || !TreeOf(d, args[1], &tree)) return Refused("no tree");
  if (command == "choose") {
    GroupCountChoice choice;
    const GroupsProblem problem = ChooseGroupCount(tree, d, &choice);
    if (problem != GroupsProblem::kNone) return Refused(DescribeGroupsProblem(problem));
    std::printf("k %d\n", choice.k);
    PrintPart("averages", choice.averages);
    return 0;
  }
  Grouping grouping;
  const int k = args.size() > 2 ? std::atoi(args[2].c_str()) : 0;
  const GroupsProblem problem = GroupVarieties(tree, d, k, &grouping);
  if (problem != GroupsProblem::kNone) return Refused(DescribeGroupsProblem(problem));
  std::vector<GroupSummary> summaries;
  if (!SummarizeGroups(grouping, d, input.raw.traits, input.raw.values, &summaries)) return Refused("no summary");
  if (command == "groups") {
    const Silhouette& s = grouping.silhouette;
    PrintPart("groups", std::vector<double>(grouping.group.begin(), grouping.group.end()));
    PrintPart("widths", s.width.empty() ? std::vector<double>(d.n, NAN) : s.width);
    PrintPart("nearest", s.width.empty() ? std::vector<double>(d.n, NAN)
                                         : std::vector<double>(s.nearest.begin(), s.nearest.end()));
    PrintPart("average", {s.width.empty() ? NAN : s.average});
    const std::vector<int> order = LeafOrder(tree);
    PrintPart("order", std::vector<double>(order.begin(), order.end()));
  } else if (command == "summary") {
    for (std::size_t g = 0; g < summaries.size(); ++g) {
      std::printf("group %zu\n", g + 1);
      for (double v : {static_cast<double>(summaries[g].size), summaries[g].silhouette, summaries[g].within}) Print(v);
      for (double v : summaries[g].mean) Print(v);
      for (double v : summaries[g].sd) Print(v);
    }
  } else if (command == "grouptable") {
    WriteGroupsTable(grouping, input.variety_names, std::cout);
  } else if (command == "meanstable") {
    WriteGroupMeansTable(summaries, input.trait_names, std::cout);
  } else {  // tree
    SvgOptions options;
    options.title = args[1] + " linkage, " + std::to_string(k) + " groups <&>";
    options.groups = grouping.group;
    if (!WriteSvg(tree, d, input.variety_names, options, std::cout)) return Refused("no picture");
  }
  return 0;
}

int RunTimes(const Input& input, const std::vector<std::string>& args) {
  if (args[0] == "time-pca") {
    const Collection& z = input.standardized;
    Pca pca;
    std::printf("%.6f\n", LeastSeconds([&] { ComputePca(z.varieties, z.traits, z.values, &pca); }));
    return 0;
  }
  const Distances d = DistancesOf(input);
  Tree tree;
  if (args.size() < 2) return Refused("no method");
  const double linkage = LeastSeconds([&] { TreeOf(d, args[1], &tree); });
  GroupCountChoice choice;
  const double choose = LeastSeconds([&] { ChooseGroupCount(tree, d, &choice); });
  std::printf("linkage %.6f\nchoose %.6f\nk %d\n", linkage, choose, choice.k);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  Input input;
  if (args.empty() || !Read(&input)) {
    std::fprintf(stderr, "multivariate_driver: bad input (usage: multivariate_driver COMMAND [ARGUMENT...] < TABLE)\n");
    return 2;
  }
  std::ios::sync_with_stdio(false);
  const std::string& command = args[0];
  int status = 2;
  if (command == "pca" || command == "scores" || command == "loadings" || command == "variance" ||
      command == "biplot") {
    status = RunPca(input, args);
  } else if (command == "groups" || command == "choose" || command == "summary" || command == "grouptable" ||
             command == "meanstable" || command == "tree") {
    status = RunGroups(input, args);
  } else if (command == "time-pca" || command == "time-groups") {
    status = RunTimes(input, args);
  } else {
    std::fprintf(stderr, "multivariate_driver: unknown command %s\n", command.c_str());
  }
  std::cout.flush();
  std::fflush(stdout);
  return status;
}
