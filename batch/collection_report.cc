#include "batch/collection_report.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/number_to_text.h"
#include "kernels/condensed_index.h"
#include "kernels/report_cells.h"
#include "platform/parallel_for.h"

namespace kyori {
namespace {

constexpr std::string_view kRowEnd = " \r\n";
// About this many bytes of formatted rows are held at a time.
constexpr std::size_t kBatchBytes = std::size_t{4} << 20;

std::size_t RowsAtOnce(std::size_t row_bytes, int jobs) {
  return std::max<std::size_t>(static_cast<std::size_t>(jobs) * 4, kBatchBytes / std::max<std::size_t>(row_bytes, 1));
}

std::size_t ValueRowBytes(int traits) { return static_cast<std::size_t>(traits) * (CellWidth + 1) + kRowEnd.size(); }
std::size_t DistanceRowBytes(int varieties) { return static_cast<std::size_t>(varieties) * (CellWidth + 1) + 64; }

// Formats rows [0, rows) with `format_row(row, text)` in batches across
// `jobs` threads and writes each batch in row order.
template <typename FormatRow>
void StreamRows(int rows, std::size_t row_bytes, int jobs, FileWriter& out, FormatRow format_row) {
  if (jobs < 1) jobs = 1;
  const int batch = static_cast<int>(RowsAtOnce(row_bytes, jobs));
  std::vector<std::string> texts(static_cast<std::size_t>(std::min(batch, std::max(rows, 1))));
  for (int first = 0; first < rows && !out.Failed(); first += batch) {
    const int count = std::min(batch, rows - first);
    ParallelFor(count, jobs, [&](long k, int worker) { format_row(first + static_cast<int>(k), worker, texts[k]); });
    for (int k = 0; k < count; ++k) out.Write(texts[static_cast<std::size_t>(k)]);
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

void WriteHeading(std::string_view heading, FileWriter& out) {
  out.Write(heading);
  out.Write("\r\n");
}

// One worker's buffers for a chunk of pairs, made the first time the worker
// needs them and kept for its later chunks: the distances read, their texts
// and the texts' lengths.
struct PackingBuffers {
  explicit PackingBuffers(const DistanceTriangle& d) : reader(d) {}
  DistanceReader reader;
  std::vector<double> values;
  std::vector<char> texts;
  std::vector<int> lengths;
};

constexpr std::uint64_t kPackingBytesAPair = sizeof(double) + kNumberTextMax + sizeof(int);

// The cells of pairs [begin, end) into cells[begin .. end), and with
// `distances` their distances into distances[begin .. end): the distances
// of the whole range are read before the first cell is written, so `cells`
// may be the storage of the squares being read.
void PackChunk(std::size_t begin, std::size_t end, PackingBuffers& b, NanCell nan, uint32_t* cells,
               double* distances) {
  const std::size_t count = end - begin;
  b.values.resize(kPairChunk);
  b.texts.resize(kPairChunk * kNumberTextMax);
  b.lengths.resize(kPairChunk);
  b.reader.Read(begin, end, b.values.data());
  if (distances != nullptr) std::copy(b.values.begin(), b.values.begin() + static_cast<std::ptrdiff_t>(count), distances + begin);
  NumbersToChars(b.values.data(), static_cast<int>(count), b.texts.data(), b.lengths.data());
  for (std::size_t at = 0; at < count; ++at) {
    const FormattedCell cell =
        CellFor(b.values[at], ZeroRule::kDistance, b.texts.data() + at * kNumberTextMax, b.lengths[at], nan);
    // A distance is a finite number of at least 0, or NaN: its cell always packs.
    if (!PackCell(cell, &cells[begin + at])) std::abort();
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
  out.resize(pairs);
  double* read_into = nullptr;
  if (distances != nullptr && !d.rooted) {
    distances->assign(pairs, 0.0);
    read_into = distances->data();
  }
  const long chunks = static_cast<long>((pairs + kPairChunk - 1) / kPairChunk);
  std::vector<PackingBuffers> buffers(static_cast<std::size_t>(std::max(1L, std::min<long>(chunks, jobs))),
                                      PackingBuffers(d));
  ParallelFor(chunks, jobs, [&](long k, int worker) {
    const std::size_t begin = static_cast<std::size_t>(k) * kPairChunk;
    PackChunk(begin, std::min(pairs, begin + kPairChunk), buffers[static_cast<std::size_t>(worker)], nan,
              out.data(), read_into);
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
  StreamRows(n, ValueRowBytes(m), jobs, out,
             [&](int i, int worker, std::string& text) {
               double* row = scratch[worker].data();
               for (int j = 0; j < m; ++j) row[j] = c.Value(i, j);
               text.clear();
               AppendCellRow(row, m, ZeroRule::kStandardized, cells.nan, text);
             });
  WriteHeading(headings.results, out);
  const std::size_t size = static_cast<std::size_t>(n);
  StreamRows(n, DistanceRowBytes(n), jobs, out, [&](int i, int, std::string& text) {
    const std::size_t row = static_cast<std::size_t>(i);
    const std::string_view name = c.variety_names[row].View();
    text.resize(name.size() + 2 + size * (CellWidth + 1) + kRowEnd.size());
    char* end = std::copy(name.begin(), name.end(), text.data());
    *end++ = ' ';
    *end++ = ' ';
    for (std::size_t j = 0; j < size; ++j) {
      if (j == row) {
        end = std::copy(kZeroCell.begin(), kZeroCell.end(), end);  // a variety's distance to itself
      } else {
        end = UnpackCell(cells.packed[CondensedIndex(size, row, j)], end);
      }
      *end++ = ' ';
    }
    end = std::copy(kRowEnd.begin(), kRowEnd.end(), end);
    text.resize(static_cast<std::size_t>(end - text.data()));
  });
}

std::uint64_t ReportMemory(int varieties, int traits, int jobs) {
  if (jobs < 1) jobs = 1;
  const std::uint64_t rows = static_cast<std::uint64_t>(std::max(varieties, 1));
  const std::uint64_t values = static_cast<std::uint64_t>(jobs) * static_cast<std::uint64_t>(std::max(traits, 0)) * sizeof(double);
  const std::uint64_t value_rows = std::min<std::uint64_t>(rows, RowsAtOnce(ValueRowBytes(traits), jobs)) *
                                   (ValueRowBytes(traits) + sizeof(std::string));
  const std::uint64_t distance_rows = std::min<std::uint64_t>(rows, RowsAtOnce(DistanceRowBytes(varieties), jobs)) *
                                      (2 * DistanceRowBytes(varieties) + sizeof(std::string));
  return values + std::max(value_rows, distance_rows);
}

}  // namespace kyori
