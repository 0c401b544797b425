// The files a batch run writes, and what each is made from: OUTPUT (the
// report), then the matrix (--phylip), the tree (--tree) and the picture
// (--svg) when asked, written into one OutputSet (frontend/output_set.h).
//
// Example: `kyori --svg=p.svg --tree=t.nwk in.txt out.txt` writes
//   {OUTPUT "out.txt" kReport, --tree "t.nwk" kTree, --svg "p.svg" kPicture}.
#ifndef KYORI_FRONTEND_BATCH_OUTPUTS_H_
#define KYORI_FRONTEND_BATCH_OUTPUTS_H_

#include <vector>

#include "batch/collection.h"
#include "batch/collection_report.h"
#include "frontend/batch_analyses.h"
#include "frontend/command_line.h"
#include "frontend/output_set.h"

namespace kyori {

// What each output of a run is.
enum class OutputKind { kReport, kPhylip, kTree, kPicture };

// The outputs, in the order they are named in messages: names[k] is of
// kind kinds[k].
struct RunOutputs {
  std::vector<OutputName> names;
  std::vector<OutputKind> kinds;
};

// OUTPUT (line.files[1]), then each file an option asks for.
RunOutputs OutputsOf(const CommandLine& line);

// What the outputs are made from.
struct OutputSources {
  const Collection& c;        // standardized
  const ReportCells& cells;
  const ReportHeadings& headings;
  const Analyses& analyses;   // for the matrix, the tree and the picture
  int jobs;                   // threads for the report
};

// Writes every output into its file of `files` (opened for `outputs`), those
// written in place last, then puts all in place together. Returns -1, or
// the index of the output whose writing, or putting in place, failed (none
// is then replaced).
int WriteOutputs(const RunOutputs& outputs, const OutputSources& sources, OutputSet& files);

}  // namespace kyori

#endif  // KYORI_FRONTEND_BATCH_OUTPUTS_H_
