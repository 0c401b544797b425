// The files a batch run writes, and what each is made from: OUTPUT (the
// report, or the distances' table by --format), then the standardized
// values' table (--standardized), the matrix (--phylip), the tree (--tree)
// and the picture (--svg) when asked, written into one OutputSet
// (frontend/output_set.h). Both tables are CSV unless --format=tsv.
//
// Example: `kyori --svg=p.svg --tree=t.nwk in.txt out.txt` writes
//   {OUTPUT "out.txt" kReport, --tree "t.nwk" kTree, --svg "p.svg" kPicture};
// `kyori --format=tsv --standardized=z.tsv in.txt d.tsv` writes
//   {OUTPUT "d.tsv" kDistanceTable, --standardized "z.tsv" kValuesTable};
// `kyori --pca=r --groups=g.csv in.txt out.txt` writes
//   {OUTPUT "out.txt" kReport, --pca "r_scores.csv" kPcaScores, --pca
//    "r_loadings.csv" kPcaLoadings, --pca "r_variance.csv" kPcaVariance,
//    --pca "r_biplot.svg" kBiplot, --groups "g.csv" kGroups}.
#ifndef KYORI_FRONTEND_BATCH_OUTPUTS_H_
#define KYORI_FRONTEND_BATCH_OUTPUTS_H_

#include <vector>

#include "batch/collection.h"
#include "batch/collection_report.h"
#include "batch/name_encoding.h"
#include "batch/table_writer.h"
#include "frontend/batch_analyses.h"
#include "frontend/batch_multivariate.h"
#include "frontend/command_line.h"
#include "frontend/output_set.h"

namespace kyori {

// What each output of a run is.
enum class OutputKind {
  kReport,
  kDistanceTable,
  kValuesTable,
  kPhylip,
  kTree,
  kPicture,
  kPcaScores,    // --pca's four files
  kPcaLoadings,
  kPcaVariance,
  kBiplot,
  kGroups,       // --groups
  kGroupMeans,   // --group-means
  kNpy64,        // --matrix: the distances as .npy, float64 or float32
  kNpy32,
  kPairs,        // OUTPUT of a run of the neighbours or the duplicates, written by frontend/pair_run.h
};

// The outputs, in the order they are named in messages: names[k] is of
// kind kinds[k].
struct RunOutputs {
  std::vector<OutputName> names;
  std::vector<OutputKind> kinds;
};

// OUTPUT (line.files[1]), then each file an option asks for; --pca=PREFIX
// names four (batch_multivariate.h PcaFileNames).
RunOutputs OutputsOf(const CommandLine& line);

// The style of the run's tables: tab-separated for --format=tsv, else
// comma-separated; the names read by the encoding the data file's reader
// found (`names`).
TableStyle TableStyleOf(OutputFormat format, NameEncoding names);

// What the outputs are made from.
struct OutputSources {
  const Collection& c;        // standardized
  const ReportCells& cells;
  const ReportHeadings& headings;
  const Analyses& analyses;   // for the distances' table, the matrix, the tree and the picture
  TableStyle table;           // for the tables
  int jobs;                   // threads for the report and the tables
  const Multivariate& multivariate;  // for the components' and the groups' files
};

// Writes every output into its file of `files` (opened for `outputs`), those
// written in place last, then puts all in place together. Returns -1, or
// the index of the output whose writing, or putting in place, failed (none
// is then replaced).
int WriteOutputs(const RunOutputs& outputs, const OutputSources& sources, OutputSet& files);

}  // namespace kyori

#endif  // KYORI_FRONTEND_BATCH_OUTPUTS_H_
