#include "frontend/pair_run.h"

#include <vector>

#include "batch/nearest_neighbours.h"
#include "batch/pair_tables.h"
#include "frontend/batch_outputs.h"

namespace kyori {

PairOutput WritePairOutput(const Collection& c, int neighbours, double duplicates, int min_common, int jobs,
                           OutputFile& file) {
  PairOutput written;
  const PairSearchData data = PreparePairSearch(c, min_common);
  const NamesEncoding names = TableStyleOf(OutputFormat::kCsv, c.name_encoding).names;
  if (neighbours > 0) {
    const std::vector<Neighbour> found = FindNeighbours(data, neighbours, jobs);
    WriteNeighbourTable(found, neighbours, c.variety_names, names, jobs, file.Writer());
  } else {
    written.pairs = WriteDuplicateTable(data, duplicates, c.variety_names, names, jobs, file.Writer());
  }
  written.finished = file.Finish();
  return written;
}

}  // namespace kyori
