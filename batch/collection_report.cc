#include "batch/collection_report.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/number_to_text.h"
#include "kernels/condensed_index.h"
#include "kernels/quick_cell.h"
#include "kernels/report_cells.h"
#include "numeric/elementary.h"
#include "platform/parallel_for.h"

namespace kyori {
namespace {

constexpr std::string_view kRowEnd = " \r\n";
// About this many bytes of formatted rows make a batch; two batches are
// held, one being written while the next is formatted.
constexpr std::size_t kBatchBytes = std::size_t{2} << 20;

// Distance rows are formatted this many at a time: the cells of one column
// for rows i .. i + 7 below the diagonal sit side by side in the triangle
// (pairs (j, i) .. (j, i + 7)), so a block reads them as one run.
constexpr int kDistanceRowBlock = 8;

// The rows of a batch of rows of `row_bytes`, a whole number of blocks of
// `block_rows`.
std::size_t RowsAtOnce(std::size_t row_bytes, int jobs, int block_rows) {
  const std::size_t rows =
      std::max<std::size_t>(static_cast<std::size_t>(jobs) * 4, kBatchBytes / std::max<std::size_t>(row_bytes, 1));
  const std::size_t block = static_cast<std::size_t>(block_rows);
  return (rows + block - 1) / block * block;
}

std::size_t ValueRowBytes(int traits) { return static_cast<std::size_t>(traits) * (CellWidth + 1) + kRowEnd.size(); }
std::size_t DistanceRowBytes(int varieties) { return static_cast<std::size_t>(varieties) * (CellWidth + 1) + 64; }

// Formats rows [0, rows) in batches and writes each batch in row order.
// `format_block(first, count, worker, texts)` formats rows first .. first +
// count - 1 (count at most `block_rows`) into texts[0 .. count); the blocks
// of a batch are split across `jobs` threads, and while they are formatted
// one of the threads writes the batch before (two batches are held, each
// in its own set of texts), so that the writing overlaps the formatting.
template <typename FormatBlock>
void StreamRows(int rows, int block_rows, std::size_t row_bytes, int jobs, FileWriter& out,
                FormatBlock format_block) {
  if (jobs < 1) jobs = 1;
  const int batch = static_cast<int>(RowsAtOnce(row_bytes, jobs, block_rows));
  const std::size_t held = static_cast<std::size_t>(std::min(batch, std::max(rows, 1)));
  std::vector<std::string> texts[2] = {std::vector<std::string>(held), std::vector<std::string>(held)};
  int waiting = 0;  // rows formatted into texts[1 - fill], not yet written
  int fill = 0;
  for (int first = 0; (first < rows || waiting > 0) && !out.Failed(); first += batch) {
    const int count = std::clamp(rows - first, 0, batch);
    const long blocks = (count + block_rows - 1) / block_rows;
    std::vector<std::string>& into = texts[fill];
    const std::vector<std::string>& from = texts[1 - fill];
    const long write_task = waiting > 0 ? 1 : 0;
    ParallelFor(blocks + write_task, jobs, [&](long k, int worker) {
      if (k < write_task) {
        for (int r = 0; r < waiting; ++r) out.Write(from[static_cast<std::size_t>(r)]);
        return;
      }
      const int start = static_cast<int>(k - write_task) * block_rows;
      format_block(first + start, std::min(block_rows, count - start), worker, &into[static_cast<std::size_t>(start)]);
    });
    waiting = count;
    fill = 1 - fill;
  }
}

// The cells of `values`, each with its blank, then the row end, into `text`.
void AppendCellRow(const double* values, int count, ZeroRule rule, NanCell nan, std::string& text) {
  const std::size_t start = text.size();
  text.resize(start + static_cast<std::size_t>(count) * (CellWidth + 1) + kRowEnd.size());
  char* end = AppendCells(values, count, rule, text.data() + start, nan);
  end = std::copy(kRowEnd.begin(), kRowEnd.end(), end);
  text.resize(static_cast<std::size_t>(end - text.data()));
}

// Rows first .. first + count - 1 of the distance table, each its name, two
// blanks, its cells and the row end, into texts[0 .. count).
void FormatDistanceRows(const Collection& c, const uint32_t* packed, int first, int count, std::string* texts) {
  const std::size_t n = static_cast<std::size_t>(c.varieties);
  char* ends[kDistanceRowBlock];
  for (int r = 0; r < count; ++r) {
    const std::string_view name = c.variety_names[static_cast<std::size_t>(first + r)].View();
    std::string& text = texts[r];
    const std::size_t size = name.size() + 2 + n * (CellWidth + 1) + kRowEnd.size();
    if (text.size() < size) text.resize(size);
    char* end = std::copy(name.begin(), name.end(), text.data());
    *end++ = ' ';
    *end++ = ' ';
    ends[r] = end;
  }
  const std::size_t top = static_cast<std::size_t>(first);
  const std::size_t rows = static_cast<std::size_t>(count);
  // Columns before the block: pair (j, first + r) at one index plus r.
  for (std::size_t j = 0; j < top; ++j) {
    const uint32_t* column = packed + CondensedIndex(n, j, top);
    for (std::size_t r = 0; r < rows; ++r) {
      ends[r] = UnpackCell(column[r], ends[r]);
      *ends[r]++ = ' ';
    }
  }
  for (std::size_t r = 0; r < rows; ++r) {
    const std::size_t row = top + r;
    char* end = ends[r];
    // The block's own columns, the diagonal among them.
    for (std::size_t j = top; j < top + rows; ++j) {
      if (j == row) {
        end = std::copy(kZeroCell.begin(), kZeroCell.end(), end);  // a variety's distance to itself
      } else {
        end = UnpackCell(packed[CondensedIndex(n, row, j)], end);
      }
      *end++ = ' ';
    }
    // Columns after the block: pairs (row, j), one after the other.
    if (top + rows < n) {
      const uint32_t* cells = packed + CondensedIndex(n, row, top + rows);
      for (std::size_t j = 0; j < n - top - rows; ++j) {
        end = UnpackCell(cells[j], end);
        *end++ = ' ';
      }
    }
    end = std::copy(kRowEnd.begin(), kRowEnd.end(), end);
    texts[r].resize(static_cast<std::size_t>(end - texts[r].data()));
  }
}

void WriteHeading(std::string_view heading, FileWriter& out) {
  out.Write(heading);
  out.Write("\r\n");
}

// One worker's buffers for a chunk of pairs, made the first time the worker
// needs them and kept for its later chunks: the distances read.
struct PackingBuffers {
  explicit PackingBuffers(const DistanceTriangle& d) : reader(d) {}
  DistanceReader reader;
  std::vector<double> values;
};

// The bytes a pair's share of a chunk is counted at: its distance, and the
// room its text and the text's length took when every cell was cut from
// its text (now only the few that QuickDistanceCell refuses are, one at a
// time), kept as the plan's bound.
constexpr std::uint64_t kPackingBytesAPair = sizeof(double) + kNumberTextMax + sizeof(int);

// The cells of pairs [begin, end) into cells[begin .. end), and with
// `distances` their distances into distances[begin .. end): the distances
// of the whole range are read before the first cell is written, so `cells`
// may be the storage of the squares being read.
void PackChunk(std::size_t begin, std::size_t end, PackingBuffers& b, NanCell nan, uint32_t* cells,
               double* distances) {
  const std::size_t count = end - begin;
  b.values.resize(kPairChunk);
  b.reader.Read(begin, end, b.values.data());
  if (distances != nullptr) std::copy(b.values.begin(), b.values.begin() + static_cast<std::ptrdiff_t>(count), distances + begin);
  for (std::size_t at = 0; at < count; ++at) cells[begin + at] = PackedDistanceCell(b.values[at], nan);
}

// PackChunk for squares whose distances are not kept. A square's distance,
// the program's root, lies within kHalfPowerSingleError of the correctly
// rounded root for the squares of distances from about 1e-4 to 1e7
// (numeric/elementary.h), inside the tolerance of QuickDistanceCell: where
// the correctly rounded root has a quick cell, the program's root has the
// same one. Only the other pairs take the program's root. Each square is
// read before its cell takes its place.
static_assert(kHalfPowerSingleError <= kQuickTolerance);
void PackSquaresChunk(std::size_t begin, std::size_t end, const DistanceTriangle& d, NanCell nan, uint32_t* cells) {
  for (std::size_t pair = begin; pair < end; ++pair) {
    const double square = static_cast<double>(d.Square(pair));
    if (square >= kHalfPowerSinglesLowest && square < kHalfPowerSinglesBeyond &&
        QuickDistanceCell(std::sqrt(square), &cells[pair])) {
      continue;
    }
    cells[pair] = PackedDistanceCell(Power(square, 1.0 / 2.0), nan);
  }
}

}  // namespace

ReportCells PackCells(DistanceTriangle& d, std::vector<double>* distances, int jobs, NanCell nan) {
  ReportCells cells;
  cells.nan = nan;
  const std::size_t pairs = d.Pairs();
  // Squares are overwritten by their cells, chunk by chunk; roots are read
  // into cells of their own, and handed over as they are.
  std::vector<uint32_t>& out = d.rooted ? cells.packed : d.square_bits;
  SizeTriangleVector(out, pairs);
  double* read_into = nullptr;
  if (distances != nullptr && !d.rooted) {
    distances->clear();
    SizeTriangleVector(*distances, pairs);
    read_into = distances->data();
  }
  const long chunks = static_cast<long>((pairs + kPairChunk - 1) / kPairChunk);
  std::vector<PackingBuffers> buffers(static_cast<std::size_t>(std::max(1L, std::min<long>(chunks, jobs))),
                                      PackingBuffers(d));
  ParallelFor(chunks, jobs, [&](long k, int worker) {
    const std::size_t begin = static_cast<std::size_t>(k) * kPairChunk;
    const std::size_t end = std::min(pairs, begin + kPairChunk);
    if (d.rooted || read_into != nullptr) {
      PackChunk(begin, end, buffers[static_cast<std::size_t>(worker)], nan, out.data(), read_into);
    } else {
      PackSquaresChunk(begin, end, d, nan, out.data());
    }
  });
  if (!d.rooted) cells.packed = std::move(d.square_bits);
  if (distances != nullptr && d.rooted) *distances = std::move(d.roots);
  d = DistanceTriangle();
  return cells;
}

std::uint64_t PackCellsBufferBytes(int jobs) {
  const std::uint64_t threads = jobs < 1 ? 1 : static_cast<std::uint64_t>(jobs);
  return threads * (DistanceReader::WorkingBytes(kPairChunk) + kPairChunk * kPackingBytesAPair);
}

void WriteCollectionReport(const Collection& c, const ReportCells& cells, const ReportHeadings& headings,
                           int jobs, FileWriter& out) {
  const int n = c.varieties;
  const int m = c.traits;
  if (jobs < 1) jobs = 1;
  std::vector<std::vector<double>> scratch(static_cast<std::size_t>(jobs),
                                           std::vector<double>(static_cast<std::size_t>(m)));

  WriteHeading(headings.standardized, out);
  StreamRows(n, 1, ValueRowBytes(m), jobs, out, [&](int i, int, int worker, std::string* text) {
    double* row = scratch[static_cast<std::size_t>(worker)].data();
    for (int j = 0; j < m; ++j) row[j] = c.Value(i, j);
    text->clear();
    AppendCellRow(row, m, ZeroRule::kStandardized, cells.nan, *text);
  });
  WriteHeading(headings.results, out);
  StreamRows(n, kDistanceRowBlock, DistanceRowBytes(n), jobs, out,
             [&](int first, int count, int, std::string* texts) {
               FormatDistanceRows(c, cells.packed.data(), first, count, texts);
             });
}

std::uint64_t ReportMemory(int varieties, int traits, int jobs) {
  if (jobs < 1) jobs = 1;
  const std::uint64_t rows = static_cast<std::uint64_t>(std::max(varieties, 1));
  const std::uint64_t values = static_cast<std::uint64_t>(jobs) * static_cast<std::uint64_t>(std::max(traits, 0)) * sizeof(double);
  const std::uint64_t value_rows = std::min<std::uint64_t>(rows, RowsAtOnce(ValueRowBytes(traits), jobs, 1)) *
                                   (ValueRowBytes(traits) + sizeof(std::string));
  const std::uint64_t distance_rows =
      std::min<std::uint64_t>(rows, RowsAtOnce(DistanceRowBytes(varieties), jobs, kDistanceRowBlock)) *
      (2 * DistanceRowBytes(varieties) + sizeof(std::string));
  return values + 2 * std::max(value_rows, distance_rows);  // two batches held
}

}  // namespace kyori
