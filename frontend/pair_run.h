// OUTPUT of a run of the neighbours (--neighbours=K) or the duplicates
// (--duplicates=D), the run's only output: the collection, once
// standardized, laid out for the search (batch/pair_search.h), then the
// neighbours found and written, or the duplicates found and written a
// block at a time (batch/pair_tables.h).
//
// Example: `kyori --duplicates=0 in.csv d.csv` on a collection where
// varieties b and c have the same values writes d.csv with the row
// "b,c,0" and gives the count 1.
#ifndef KYORI_FRONTEND_PAIR_RUN_H_
#define KYORI_FRONTEND_PAIR_RUN_H_

#include <cstdint>

#include "batch/collection.h"
#include "frontend/output_file.h"

namespace kyori {

struct PairOutput {
  bool finished = false;    // written and on the disk (OutputFile::Finish)
  std::uint64_t pairs = 0;  // the duplicates: the pairs listed
};

// Writes OUTPUT for `neighbours` (K >= 1), else for `duplicates` (D >= 0),
// with `jobs` threads; the pairs need `min_common` traits in common when
// values are missing.
PairOutput WritePairOutput(const Collection& c, int neighbours, double duplicates, int min_common, int jobs,
                           OutputFile& file);

}  // namespace kyori

#endif  // KYORI_FRONTEND_PAIR_RUN_H_
