// The neighbours' and the near duplicates' tables (CSV, UTF-8 with a
// byte-order mark, rows ending in CR LF, names and numbers as
// written_cells.h makes them), each row one pair, for spreadsheets, R and
// pandas (read_csv reads the distances as numbers, the names as text).
//
// Neighbours: a header, then for each variety in the data file's order its
// neighbours nearest first, rank from 1:
//   "\xEF\xBB\xBF" "variety,rank,neighbour,distance\r\n"
//   "a,1,b,1\r\n" "a,2,c,1\r\n" "b,1,c,0\r\n" ...
// Duplicates: a header, then each pair (i < j) in the order (i, j):
//   "\xEF\xBB\xBF" "variety,other,distance\r\n" "b,c,0\r\n"
// The neighbours' rows are streamed (row_stream.h); the duplicates are
// found a batch of blocks at a time (a block for each thread) and written in
// order before the next batch. The same bytes for every number of jobs;
// failures are left in `out`.
#ifndef KYORI_BATCH_PAIR_TABLES_H_
#define KYORI_BATCH_PAIR_TABLES_H_

#include <cstdint>
#include <vector>

#include "batch/nearest_neighbours.h"
#include "batch/pair_search.h"
#include "batch/written_cells.h"
#include "io/file_writer.h"
#include "text/byte_string.h"

namespace kyori {

// `neighbours` as FindNeighbours gives them, `k` a variety; a missing
// neighbour (index -1) has no row.
void WriteNeighbourTable(const std::vector<Neighbour>& neighbours, int k, const std::vector<ByteString>& names,
                         NamesEncoding encoding, int jobs, FileWriter& out);

// Finds the pairs within `most` (duplicate_pairs.h) a block at a time and
// writes each block's rows as it is found; returns the number of pairs.
std::uint64_t WriteDuplicateTable(const PairSearchData& data, double most, const std::vector<ByteString>& names,
                                  NamesEncoding encoding, int jobs, FileWriter& out);

// The most bytes the duplicates' stream holds in a run where few pairs are
// listed: the rows written at a time and each thread's block's working
// room. A D under which most pairs are close holds, beyond this, the pairs
// of each thread's block until they are written: up to 16 bytes for each
// of kScanBlock x n pairs a thread (2 KiB a variety).
std::uint64_t DuplicateStreamBytes(int varieties, int jobs);

}  // namespace kyori

#endif  // KYORI_BATCH_PAIR_TABLES_H_
