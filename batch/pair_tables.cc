#include "batch/pair_tables.h"

#include <algorithm>
#include <string>

#include "batch/duplicate_pairs.h"
#include "batch/pair_scan.h"
#include "batch/row_stream.h"
#include "text/csv_cells.h"

namespace kyori {
namespace {

// The expected bytes of one block's rows, for the stream's batches.
constexpr std::size_t kBlockRowBytes = std::size_t{1} << 20;

void AppendName(const std::vector<ByteString>& names, int index, NamesEncoding encoding, std::string& row) {
  row += NameCell(names[static_cast<std::size_t>(index)].View(), ',', encoding);
}

void AppendNumber(double value, std::string& row) {
  char cell[kMaxNumberCell];
  row.append(cell, NumberCell(value, cell));
}

}  // namespace

void WriteNeighbourTable(const std::vector<Neighbour>& neighbours, int k, const std::vector<ByteString>& names,
                         NamesEncoding encoding, int jobs, FileWriter& out) {
  out.Write(kUtf8ByteOrderMark);
  out.Write("variety,rank,neighbour,distance");
  out.Write(kCsvRowEnd);
  const int rows = static_cast<int>(names.size());
  const std::size_t row_bytes = static_cast<std::size_t>(k) * 64;
  StreamRows(rows, 16, row_bytes, jobs, out, [&](int first, int count, std::string* texts) {
    for (int r = 0; r < count; ++r) {
      const int i = first + r;
      std::string& text = texts[r];
      text.clear();
      const std::string name = NameCell(names[static_cast<std::size_t>(i)].View(), ',', encoding);
      for (int rank = 0; rank < k; ++rank) {
        const Neighbour& n = neighbours[static_cast<std::size_t>(i) * static_cast<std::size_t>(k) + rank];
        if (n.index < 0) break;
        text += name;
        text += ',';
        text += std::to_string(rank + 1);
        text += ',';
        AppendName(names, n.index, encoding, text);
        text += ',';
        AppendNumber(n.distance, text);
        text += kCsvRowEnd;
      }
    }
  });
}

std::uint64_t WriteDuplicateTable(const PairSearchData& data, double most, const std::vector<ByteString>& names,
                                  NamesEncoding encoding, int jobs, FileWriter& out) {
  out.Write(kUtf8ByteOrderMark);
  out.Write("variety,other,distance");
  out.Write(kCsvRowEnd);
  const int blocks = (data.varieties + kScanBlock - 1) / kScanBlock;
  std::vector<std::uint64_t> counts(static_cast<std::size_t>(blocks), 0);
  StreamRows(blocks, 1, kBlockRowBytes, jobs, out, [&](int block, int, std::string* text) {
    const int first = block * kScanBlock;
    const std::vector<ClosePair> pairs =
        ClosePairsOfBlock(data, most, first, std::min(kScanBlock, data.varieties - first));
    counts[static_cast<std::size_t>(block)] = pairs.size();
    text->clear();
    for (const ClosePair& p : pairs) {
      AppendName(names, p.first, encoding, *text);
      *text += ',';
      AppendName(names, p.second, encoding, *text);
      *text += ',';
      AppendNumber(p.distance, *text);
      *text += kCsvRowEnd;
    }
  });
  std::uint64_t total = 0;
  for (const std::uint64_t c : counts) total += c;
  return total;
}

std::uint64_t DuplicateStreamBytes(int varieties, int jobs) {
  const int blocks = (std::max(varieties, 1) + kScanBlock - 1) / kScanBlock;
  const std::uint64_t working = kQueriesAtOnce * kScanTile * sizeof(float) + kScanBlock * 64;
  return RowStreamMemory(blocks, kBlockRowBytes, 1, jobs) +
         static_cast<std::uint64_t>(std::max(jobs, 1)) * working;
}

}  // namespace kyori
