// What can be wrong with a table file, and where.
//
// ReadTable (batch/table_reader.h) gives one TableError: kNone when the table
// was read, else the first fault it met. Faults of the file's form (its
// encoding, quotes, rows of the wrong length, its counts) are found before
// faults of single cells (names, values), so a file with both is reported
// for its form first.
//
// Example: the row "Koshihikari,93.5,abc" on line 7 under the header
// "variety,height,weight" gives kind kNotANumber, line 7, column 3,
// found "abc", variety "Koshihikari", trait "weight".
#ifndef KYORI_BATCH_TABLE_ERROR_H_
#define KYORI_BATCH_TABLE_ERROR_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace kyori {

enum class TableErrorKind {
  kNone,
  // Form of the whole file.
  kEmptyFile,         // no row at all: no bytes, or a byte-order mark and blank lines
  kUtf16,             // starts with a UTF-16 byte-order mark
  kControlByte,       // found: a NUL or another control byte (not TAB, CR or LF)
  kBadEncoding,       // found: the first bytes that are neither UTF-8 nor code page 932
  kUnterminatedQuote, // found: the start of the quoted text; line: where the quote opens
  kTextAfterQuote,    // found: what follows a closing quote before the delimiter
  kNoTraitColumn,     // the header has the name column only
  kTooManyTraits,     // count: the trait columns; limit: kTableMaxCount
  kNoVariety,         // the header is the only row
  kTooManyVarieties,  // count: the rows; limit: kTableMaxCount
  kRaggedRow,         // count: the row's cells; limit: the header's; variety: its first cell
  // Single cells.
  kNameTooLong,           // count: the name's bytes; limit: kTableMaxNameBytes
  kEmptyVarietyName,      // the name cell is empty
  kVarietyNameLineBreak,  // found: a (quoted) name that holds CR or LF
  kDuplicateVarietyName,  // found: the name; first_line: where it was first
  kEmptyValue,            // an empty value cell (nothing but blanks)
  kNotANumber,            // found: the cell's text
  kNumberTooLarge,        // found: the cell's text, a number beyond the largest double
};

// The most varieties, and the most traits, a table may have.
inline constexpr std::int64_t kTableMaxCount = 32767;
// The longest name, trait or variety, in bytes.
inline constexpr std::int64_t kTableMaxNameBytes = 65535;

// Texts taken from the file (found, variety, trait) are its bytes when they
// have up to kTableErrorTextMax bytes; a longer one is cut at a character
// boundary of the file's encoding to at most that many and "..." follows.
// They may hold line breaks, tabs, and for kControlByte the control byte
// itself (a NUL too): escape them for display.
inline constexpr std::size_t kTableErrorTextMax = 64;

struct TableError {
  TableErrorKind kind = TableErrorKind::kNone;
  std::int64_t line = 0;    // 1-based; 0 for kEmptyFile
  std::int64_t column = 0;  // 1-based cell of the row (1 is the name); 0 when no one cell
  std::string found;
  std::string variety;      // the row's variety name, where there is one
  std::string trait;        // the column's trait name, where there is one
  std::int64_t count = 0;
  std::int64_t limit = 0;
  std::int64_t first_line = 0;
};

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_ERROR_H_
