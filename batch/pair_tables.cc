#include "batch/pair_tables.h"

#include <algorithm>
#include <string>

#include "batch/duplicate_pairs.h"
#include "batch/pair_scan.h"
#include "batch/row_stream.h"
#include "platform/parallel_for.h"
#include "text/csv_cells.h"

namespace kyori {
namespace {

// The rows written at a time.
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
  const int threads = std::max(jobs, 1);
  // A block's pairs are held compactly (16 bytes each) until they are
  // written, one batch of `threads` blocks at a time, in order.
  std::vector<std::vector<ClosePair>> found(static_cast<std::size_t>(threads));
  std::uint64_t total = 0;
  std::string rows;
  for (int batch = 0; batch < blocks && !out.Failed(); batch += threads) {
    const int count = std::min(threads, blocks - batch);
    ParallelFor(count, threads, [&](long k, int) {
      const int first = (batch + static_cast<int>(k)) * kScanBlock;
      found[static_cast<std::size_t>(k)] =
          ClosePairsOfBlock(data, most, first, std::min(kScanBlock, data.varieties - first));
    });
    for (int k = 0; k < count; ++k) {
      std::vector<ClosePair>& pairs = found[static_cast<std::size_t>(k)];
      total += pairs.size();
      for (const ClosePair& p : pairs) {
        AppendName(names, p.first, encoding, rows);
        rows += ',';
        AppendName(names, p.second, encoding, rows);
        rows += ',';
        AppendNumber(p.distance, rows);
        rows += kCsvRowEnd;
        if (rows.size() >= kBlockRowBytes) {
          out.Write(rows);
          rows.clear();
        }
      }
      std::vector<ClosePair>().swap(pairs);
    }
  }
  out.Write(rows);
  return total;
}

std::uint64_t DuplicateStreamBytes(int, int jobs) {
  const std::uint64_t working = kQueriesAtOnce * kScanTile * sizeof(float) + kScanBlock * 64;
  return kBlockRowBytes + static_cast<std::uint64_t>(std::max(jobs, 1)) * working;
}

}  // namespace kyori
