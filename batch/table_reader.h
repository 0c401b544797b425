// Reading a table file into a Collection.
//
// A table is a header row, then one row per variety. The first column holds
// the variety names (its header cell may be any text, or empty); every other
// column is one trait, its header cell the trait's name. Cells are separated
// by the delimiter (batch/table_delimiter.h), quoted as RFC 4180 has it
// (batch/table_cells.h); rows end at CR LF, LF or CR, the last one with or
// without its line end; wholly empty lines are skipped. Every value cell
// holds a number (batch/table_value_cell.h), with the decimal comma in a
// table separated by semicolons. The bytes are UTF-8, with or without a
// byte-order mark, or code page 932 (batch/table_encoding.h).
//
// Names are kept as their bytes, without quotes and the byte-order mark, in
// the file's encoding (TableFormat says which, and so does the Collection's
// name_encoding). Trait names may be empty,
// may repeat and may hold line breaks: a trait is known by its column.
// Variety names may not be empty, repeat (compared byte for byte) or hold a
// line break: they name the rows of the report, one line each, and the
// leaves of a tree.
//
// A value cell may also hold a text that stands for a missing value, when
// the caller gives a list of them (batch/missing_texts.h): the value is then
// a quiet NaN. Without a list, as by default, every value cell holds a
// number; with MissingTexts::Usual() an empty cell, "NA", "N/A", "#N/A",
// "NaN", ".", "-" and "?" are missing, and a list of the caller's own
// replaces that one.
//
// At most kTableMaxCount varieties and kTableMaxCount traits, names of at
// most kTableMaxNameBytes. The bytes are
// read twice, once for the shape of the table and once for its cells, so
// that the values are stored in place: beyond them (8 bytes each) and the
// names, reading holds an index of the variety names (to find repeats) and
// at most a copy of one quoted cell.
//
// Example: the UTF-8 bytes
//   品種名,稈長,穂長\r\n
//   コシヒカリ,93.5,18.2\r\n
//   "Nipponbare, early",1.5e2,-0.25
// give traits 稈長 and 穂長, varieties コシヒカリ and Nipponbare, early;
// values by trait 93.5 150 | 18.2 -0.25; format UTF-8, no byte-order mark,
// delimiter ',', decimal mark '.'.
#ifndef KYORI_BATCH_TABLE_READER_H_
#define KYORI_BATCH_TABLE_READER_H_

#include <string_view>

#include "batch/collection.h"
#include "batch/missing_texts.h"
#include "batch/table_delimiter.h"
#include "batch/table_error.h"
#include "batch/table_format.h"
#include "batch/table_shape.h"

namespace kyori {

struct TableRead {
  TableError error;    // kind kNone when the table was read (or measured)
  TableFormat format;  // as far as it was found before any fault
  TableShape shape;    // once measured: shape.rows varieties, shape.columns - 1 traits
  bool ok() const { return error.kind == TableErrorKind::kNone; }
};

// Reading runs in two steps, so that a caller can refuse the counts (the
// capacity, the memory the values need) before anything is stored:
//   MeasureTableFile  the encoding, the delimiter and the shape, with every
//                     fault of the file's form; stores nothing;
//   FillTableFile     the names and values, with every fault of a cell.
// ReadTable does both. Needs InitRuntime (the names are ByteStrings).

// Measures the whole of a table file's `bytes`.
// `most_rows`: the most varieties taken (table_shape.h).
TableRead MeasureTableFile(std::string_view bytes, TableDelimiter choice, std::int64_t most_rows = kTableMaxCount);

// Reads the names and values of `bytes`, which `measured` (a successful
// MeasureTableFile of the same bytes) describes, into `collection`, which is
// replaced; on a fault it is left empty. Returns `measured` with the fault,
// if any; given a failed measure, returns it and leaves the collection empty.
// The texts of `missing` are read as missing values.
TableRead FillTableFile(std::string_view bytes, const TableRead& measured, Collection& collection,
                        const MissingTexts& missing = {});

// Both steps: the whole of a table file's `bytes` into `collection`, which
// is replaced; on a fault it is left empty.
//   ReadTable("v,a\nx,1\ny,NA\n", kAuto, c, MissingTexts::Usual()) -> values 1 NaN
//   ReadTable("v,a\nx,1\ny,NA\n", kAuto, c)                        -> kNotANumber
TableRead ReadTable(std::string_view bytes, TableDelimiter choice, Collection& collection,
                    const MissingTexts& missing = {});

// Whether the first field of `bytes` is a number (IsNumberNotation), as in
// a data file that starts with its two counts rather than a header row. The
// first field comes after a UTF-8 byte-order mark and any spaces, tabs and
// line ends, and runs to the next space, tab, comma or line end.
//   "3 2\nA,B\n..." -> true;   "variety,A,B\n" -> false;   ",A,B\n" -> false
bool FirstFieldIsNumber(std::string_view bytes);

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_READER_H_
