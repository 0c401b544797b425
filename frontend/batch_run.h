// Batch mode: `kyori [OPTIONS] DATA OUTPUT` from start to end, with no
// questions: DATA read, its report written to OUTPUT (the bytes the dialogue
// writes into its output file), then the tree, matrix and picture asked for.
// Silent on success; each failure is one line on standard error.
//
// The options become a request to batch mode's pipeline (batch/pipeline.h),
// whose stages do the work; each stage's outcome becomes its message here.
// The tree, matrix and picture are made by frontend/batch_analyses.h.
//
// The outputs (OUTPUT, and the tree, matrix and picture files) are written as
// one transaction (frontend/output_set.h): all put in place, or none.
//
// A data file with missing values (--missing: by default an empty table
// cell, NA, N/A, #N/A, NaN, ., - and ?) takes the gapped stages
// (batch/pipeline_gaps.h) after one line that counts them:
//   "kyori: field.csv: 37 of 1200 values missing, in 4 traits"
// A tree, matrix or picture with a pair of varieties that has no distance
// (no trait in common, or fewer than --min-common) is refused, naming the
// first such pair.
//
// Exit status: 0 done; 1 the data or a file could not be used (DATA cannot be
// opened, is empty or holds no variety, an output cannot be created or
// written, a trait cannot be standardized, the counts exceed the capacity or
// need more memory than the machine has, or memory ran out during the run, a
// tree, matrix or picture asked for where a pair has no distance); 2 two
// outputs, or an output and DATA, are one file, or missing values with
// --arithmetic=compatible.
#ifndef KYORI_FRONTEND_BATCH_RUN_H_
#define KYORI_FRONTEND_BATCH_RUN_H_

#include "frontend/command_line.h"
#include "frontend/messages.h"

namespace kyori {

int RunBatch(const CommandLine& line, MessageStyle style);

}  // namespace kyori

#endif  // KYORI_FRONTEND_BATCH_RUN_H_
