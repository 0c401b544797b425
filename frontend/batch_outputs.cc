#include "frontend/batch_outputs.h"

#include <string>

#include "batch/npy_matrix.h"

namespace kyori {
namespace {

// The file of the components or the groups that an output kind is.
MultivariateFile MultivariateFileOf(OutputKind kind) {
  switch (kind) {
    case OutputKind::kPcaScores: return MultivariateFile::kScores;
    case OutputKind::kPcaLoadings: return MultivariateFile::kLoadings;
    case OutputKind::kPcaVariance: return MultivariateFile::kVariance;
    case OutputKind::kBiplot: return MultivariateFile::kBiplot;
    case OutputKind::kGroups: return MultivariateFile::kGroups;
    default: return MultivariateFile::kGroupMeans;
  }
}

// Writes one output into its file; false when a write failed.
bool WriteOne(OutputKind kind, const OutputSources& from, OutputFile& file) {
  switch (kind) {
    case OutputKind::kReport:
      WriteCollectionReport(from.c, from.cells, from.headings, from.jobs, file.Writer());
      break;
    case OutputKind::kDistanceTable:
      if (!WriteDistanceTable(from.analyses.distances.condensed, from.c.variety_names, from.table, from.jobs,
                              file.Writer())) {
        return false;
      }
      break;
    case OutputKind::kValuesTable:
      if (!WriteValuesTable(from.c, from.table, from.jobs, file.Writer())) return false;
      break;
    case OutputKind::kPhylip:
      WriteAnalysisFile(from.analyses, AnalysisFile::kMatrix, file.Stream());
      break;
    case OutputKind::kTree:
      WriteAnalysisFile(from.analyses, AnalysisFile::kTree, file.Stream());
      break;
    case OutputKind::kPicture:
      WriteAnalysisFile(from.analyses, AnalysisFile::kPicture, file.Stream());
      break;
    case OutputKind::kNpy64:
    case OutputKind::kNpy32:
      WriteNpyVector(from.analyses.distances.condensed,
                     kind == OutputKind::kNpy64 ? NpyPrecision::kFloat64 : NpyPrecision::kFloat32, file.Writer());
      break;
    case OutputKind::kPairs:
      return false;  // written by the pair search, never from these sources
    default:
      if (!WriteMultivariateFile(from.multivariate, MultivariateFileOf(kind), file.Stream())) {
        return false;
      }
      break;
  }
  return file.Finish();
}

}  // namespace

RunOutputs OutputsOf(const CommandLine& line) {
  RunOutputs outputs;
  auto add = [&](const char* option, const std::string& name, OutputKind kind) {
    if (name.empty()) return;
    outputs.names.push_back({option, name});
    outputs.kinds.push_back(kind);
  };
  add("OUTPUT", line.files[1],
      line.format == OutputFormat::kReport ? OutputKind::kReport : OutputKind::kDistanceTable);
  add("--standardized", line.standardized, OutputKind::kValuesTable);
  add("--phylip", line.phylip, OutputKind::kPhylip);
  add("--tree", line.tree, OutputKind::kTree);
  add("--svg", line.svg, OutputKind::kPicture);
  add("--matrix", line.matrix,
      line.matrix_precision == NpyPrecision::kFloat32 ? OutputKind::kNpy32 : OutputKind::kNpy64);
  if (!line.pca.empty()) {
    const std::vector<std::string> pca = PcaFileNames(line.pca);
    add("--pca", pca[0], OutputKind::kPcaScores);
    add("--pca", pca[1], OutputKind::kPcaLoadings);
    add("--pca", pca[2], OutputKind::kPcaVariance);
    add("--pca", pca[3], OutputKind::kBiplot);
  }
  add("--groups", line.groups, OutputKind::kGroups);
  add("--group-means", line.group_means, OutputKind::kGroupMeans);
  if (line.neighbours > 0 || line.duplicates >= 0) outputs.kinds[0] = OutputKind::kPairs;
  return outputs;
}

TableStyle TableStyleOf(OutputFormat format, NameEncoding names) {
  TableStyle style;
  style.delimiter = format == OutputFormat::kTsv ? '\t' : ',';
  switch (names) {
    case NameEncoding::kUtf8: style.names = NamesEncoding::kUtf8; break;
    case NameEncoding::kCp932: style.names = NamesEncoding::kCp932; break;
    case NameEncoding::kEach: style.names = NamesEncoding::kDetect; break;
  }
  return style;
}

int WriteOutputs(const RunOutputs& outputs, const OutputSources& sources, OutputSet& files) {
  for (const int k : files.WriteOrder()) {
    if (!WriteOne(outputs.kinds[static_cast<std::size_t>(k)], sources, files.File(k))) return k;
  }
  return files.Commit();
}

}  // namespace kyori
