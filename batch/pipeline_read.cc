// The read stage of batch/pipeline.h: the kyori layout read strictly as it
// streams, or a table file read whole and then cell by cell.
#include <string>
#include <string_view>

#include "batch/pipeline.h"
#include "batch/strict_layout_reader.h"
#include "batch/table_cells.h"

namespace kyori {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A refusal of the plan, or nothing (kRead) when the run fits.
ReadOutcome::Kind RefusalOf(RunPlan::Verdict verdict) {
  switch (verdict) {
    case RunPlan::kFits: return ReadOutcome::kRead;
    case RunPlan::kOverCapacity: return ReadOutcome::kOverCapacity;
    case RunPlan::kOverMemory: return ReadOutcome::kOverMemory;
  }
  return ReadOutcome::kRead;
}

ReadOutcome::Kind LayoutFaultKind(const LayoutError& error) {
  if (error.ok()) return ReadOutcome::kRead;
  return error.kind == LayoutErrorKind::kNoVariety ? ReadOutcome::kNoVarieties : ReadOutcome::kLayoutFault;
}

ReadOutcome ReadLayout(DataFile& data, const RunRequest& request, Collection& c) {
  ReadOutcome outcome;
  StrictLayoutReader reader(data.Channel(), request.missing);
  outcome.layout = reader.ReadCounts(c);
  if ((outcome.kind = LayoutFaultKind(outcome.layout)) != ReadOutcome::kRead) return outcome;
  outcome.plan = PlanRun(c, request);
  if ((outcome.kind = RefusalOf(outcome.plan.verdict)) != ReadOutcome::kRead) return outcome;
  outcome.layout = reader.ReadBody(c);
  outcome.kind = LayoutFaultKind(outcome.layout);
  return outcome;
}

// Nothing but a byte-order mark, blanks and line ends: no table, and no
// data file in the kyori layout either.
bool HoldsNoText(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  return bytes.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// The counts of a measured table, as a Collection of no names and values.
Collection TableCounts(const TableShape& shape) {
  Collection counts;
  counts.varieties = static_cast<int>(shape.rows);
  counts.traits = static_cast<int>(shape.columns - 1);
  counts.variety_count = counts.varieties;
  counts.trait_count = counts.traits;
  return counts;
}

// The line of the row after the header: in a table of one variety, its row.
std::int64_t SecondRowLine(std::string_view bytes, const TableFormat& format) {
  if (format.byte_order_mark) bytes.remove_prefix(kUtf8Mark.size());
  TableCells cells(bytes, format.delimiter);
  while (cells.Next() == TableCells::Step::kCell) {
    if (cells.EndsRow()) break;
  }
  return cells.Next() == TableCells::Step::kCell ? cells.Line() : 0;
}

ReadOutcome ReadTableBytes(std::string_view bytes, std::uint64_t held, TableDelimiter delimiter,
                           const RunRequest& request, Collection& c) {
  ReadOutcome outcome;
  outcome.table = true;
  outcome.table_read =
      MeasureTableFile(bytes, delimiter, request.products.PairSearch() ? kPairSearchCapacity : kTableMaxCount);
  if (outcome.table_read.error.kind == TableErrorKind::kEmptyFile || HoldsNoText(bytes)) {
    outcome.kind = ReadOutcome::kEmptyTable;
    return outcome;
  }
  if (!outcome.table_read.ok()) {
    outcome.kind = ReadOutcome::kTableFault;
    return outcome;
  }
  const TableShape& shape = outcome.table_read.shape;
  outcome.plan = PlanRun(TableCounts(shape), request,
                         {true, TableReadingBytes(held, static_cast<int>(shape.rows))});
  if ((outcome.kind = RefusalOf(outcome.plan.verdict)) != ReadOutcome::kRead) return outcome;
  outcome.table_read = FillTableFile(bytes, outcome.table_read, c, request.missing);
  if (!outcome.table_read.ok()) {
    outcome.kind = ReadOutcome::kTableFault;
  } else if (shape.rows == 1) {
    outcome.kind = ReadOutcome::kOneVariety;
    outcome.line = SecondRowLine(bytes, outcome.table_read.format);
  }
  return outcome;
}

ReadOutcome ReadTable(DataFile& data, TableDelimiter delimiter, const RunRequest& request, Collection& c) {
  std::string bytes;
  if (!data.ReadAll(&bytes)) {
    ReadOutcome outcome;
    outcome.table = true;
    outcome.kind = ReadOutcome::kCannotRead;
    return outcome;
  }
  data.Close();
  return ReadTableBytes(bytes, bytes.capacity(), delimiter, request, c);
}

}  // namespace

ReadOutcome ReadDataFile(DataFile& data, const RunRequest& request, Collection& c) {
  const std::string_view first = request.input == InputChoice::kAuto ? data.FirstFieldBytes() : std::string_view();
  const InputReader reader = ChooseInputReader(request.input, first);
  ReadOutcome outcome = reader.table ? ReadTable(data, reader.delimiter, request, c) : ReadLayout(data, request, c);
  data.Close();
  return outcome;
}

}  // namespace kyori
