// Test driver for analysis/: reads a distance matrix (and names) on standard
// input and writes one result on standard output, for the reference checks
// against SciPy and ape and for the benchmark.
//
// Input: the count n, then the n(n-1)/2 condensed distances (any blanks or
// line ends between), then optionally n names, one per line, each written as
// the hex digits of its bytes ("-" for an empty name):
//   3
//   1 2 2.5
//   41 42
//   e3818a
//   -
//
// Usage: analysis_driver COMMAND METHOD, METHOD one of average, single,
// complete, ward, nj. Commands:
//   tree     linkage methods: one line per merge "first second height size";
//            nj: one line per non-root node "parent child length"; node ids
//            as in analysis/tree.h. Then "cophenetic" and the condensed
//            cophenetic distances, one per line, then "correlation" and the
//            cophenetic correlation. Numbers as %.17g.
//   newick   the Newick text
//   phylip   the PHYLIP matrix (METHOD is ignored)
//   svg      the SVG picture
//   time     seconds the tree takes to build (no output of it), %.6f: the
//            least of three builds in this process, so that the first
//            touch of fresh memory is not counted
#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/condensed.h"
#include "analysis/linkage.h"
#include "analysis/neighbor_joining.h"
#include "analysis/newick.h"
#include "analysis/phylip.h"
#include "analysis/svg.h"
#include "analysis/tree.h"

namespace {

using namespace kyori::analysis;

std::string FromHex(const std::string& hex) {
  if (hex == "-") return "";
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

bool Read(Distances* d, std::vector<std::string>* names) {
  if (!(std::cin >> d->n) || d->n < 1) return false;
  d->condensed.resize(CondensedSize(d->n));
  for (double& v : d->condensed) {
    if (!(std::cin >> v)) return false;
  }
  std::string hex;
  while (std::cin >> hex) names->push_back(FromHex(hex));
  return true;
}

void PrintNumber(double v) { std::printf("%.17g\n", v); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: analysis_driver tree|newick|phylip|svg|time METHOD\n");
    return 2;
  }
  const std::string command = argv[1];
  const std::string method_name = argv[2];
  Distances d;
  std::vector<std::string> names;
  if (!Read(&d, &names)) {
    std::fprintf(stderr, "analysis_driver: bad input\n");
    return 2;
  }
  if (command == "phylip") {
    std::ostringstream text;
    if (!WritePhylip(d, names, text)) return 1;
    std::fputs(text.str().c_str(), stdout);
    return 0;
  }
  const bool nj = method_name == "nj";
  LinkageMethod method = LinkageMethod::kAverage;
  if (!nj && !LinkageMethodFromName(method_name, &method)) {
    std::fprintf(stderr, "analysis_driver: unknown method %s\n", method_name.c_str());
    return 2;
  }
  Linkage linkage;
  Tree tree;
  double least = 0;
  for (int run = 0; run < (command == "time" ? 3 : 1); ++run) {
    const auto start = std::chrono::steady_clock::now();
    const DistancesProblem problem = nj ? NeighborJoining(d, &tree) : ComputeLinkage(d, method, &linkage);
    if (problem != DistancesProblem::kNone) {
      std::fprintf(stderr, "analysis_driver: %s\n", DescribeProblem(problem));
      return 1;
    }
    if (!nj) tree = TreeFromLinkage(linkage);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (run == 0 || elapsed.count() < least) least = elapsed.count();
  }

  if (command == "time") {
    std::printf("%.6f\n", least);
  } else if (command == "tree") {
    if (nj) {
      for (std::size_t id = 0; id < tree.nodes.size(); ++id) {
        if (tree.nodes[id].parent < 0) continue;
        std::printf("%d %zu %.17g\n", tree.nodes[id].parent, id, tree.nodes[id].branch_length);
      }
    } else {
      for (const Merge& m : linkage.merges) {
        std::printf("%d %d %.17g %d\n", m.first, m.second, m.height, m.size);
      }
    }
    const std::vector<double> cophenetic = CopheneticDistances(tree);
    std::printf("cophenetic\n");
    for (double v : cophenetic) PrintNumber(v);
    std::printf("correlation\n");
    PrintNumber(CopheneticCorrelation(d.condensed, cophenetic));
  } else if (command == "newick") {
    std::ostringstream text;
    WriteNewick(tree, names, text);
    std::fwrite(text.str().data(), 1, text.str().size(), stdout);
  } else if (command == "svg") {
    SvgOptions options;
    options.title = nj ? "neighbour-joining" : std::string(LinkageMethodName(method)) + " linkage";
    std::ios::sync_with_stdio(false);
    if (!WriteSvg(tree, d, names, options, std::cout)) return 1;
    std::cout.flush();
  } else {
    std::fprintf(stderr, "analysis_driver: unknown command %s\n", command.c_str());
    return 2;
  }
  return 0;
}
