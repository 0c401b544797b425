// One input of the table-reader fuzz target: any bytes read as a table file.
//
// Layout of an input: byte 0 picks the delimiter choice (its low two bits:
// 0 and 3 auto, 1 csv, 2 tsv) and, by its bit 2, reading with the usual
// missing texts (MissingTexts::Usual()); every byte after it is the file.
//
// Checks: a table that is read has 1 to 32767 varieties and traits, storage
// of exactly that size, finite values (or the quiet NaN of a missing value
// when read with the list), variety names that are not empty,
// not repeated and without line breaks, and a delimiter and decimal mark
// that go together; reading it again with the choice that names its
// delimiter (tsv for a tab, else csv) gives the same table, bit for bit; a
// table read without the list is read the same with it. A
// fault leaves the collection empty, has a line (0 only for an empty file)
// within the file's lines, and texts cut to their limit. Once the
// collections are released, the count of live texts is what it was before.
// FirstFieldIsNumber runs on every file.
#ifndef KYORI_FUZZ_FUZZ_TABLE_READER_H_
#define KYORI_FUZZ_FUZZ_TABLE_READER_H_

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string_view>

#include "batch/collection.h"
#include "batch/missing_texts.h"
#include "batch/table_lines.h"
#include "batch/table_reader.h"
#include "text/byte_string.h"

namespace kyori::fuzz {

inline bool SameTables(const Collection& a, const Collection& b) {
  if (a.varieties != b.varieties || a.traits != b.traits || a.values.size() != b.values.size()) return false;
  for (std::size_t k = 0; k < a.values.size(); ++k) {
    if (std::memcmp(&a.values[k], &b.values[k], sizeof(double)) != 0) return false;
  }
  for (std::size_t k = 0; k < a.variety_names.size(); ++k) {
    if (a.variety_names[k].View() != b.variety_names[k].View()) return false;
  }
  for (std::size_t k = 0; k < a.trait_names.size(); ++k) {
    if (a.trait_names[k].View() != b.trait_names[k].View()) return false;
  }
  return true;
}

// Returns nullptr when a table that was read holds, else what went wrong.
inline const char* CheckTable(const TableRead& read, const Collection& c, bool missing) {
  if (c.varieties < 1 || c.varieties > kTableMaxCount || c.traits < 1 || c.traits > kTableMaxCount) {
    return "a table was read with counts out of range";
  }
  if (c.variety_count != c.varieties || c.trait_count != c.traits ||
      c.variety_names.size() != static_cast<std::size_t>(c.varieties) ||
      c.trait_names.size() != static_cast<std::size_t>(c.traits) ||
      c.values.size() != static_cast<std::size_t>(c.varieties) * static_cast<std::size_t>(c.traits)) {
    return "a table's storage does not match its counts";
  }
  for (const double value : c.values) {
    if (!std::isfinite(value) && !(missing && std::isnan(value))) return "a table holds a value that is not finite";
  }
  std::set<std::string_view> names;
  for (const ByteString& name : c.variety_names) {
    if (name.Size() == 0) return "a variety name is empty";
    if (name.View().find_first_of("\r\n") != std::string_view::npos) return "a variety name holds a line break";
    if (!names.insert(name.View()).second) return "a variety name repeats";
  }
  const char d = read.format.delimiter;
  if ((d != ',' && d != ';' && d != '\t') || read.format.decimal_mark != (d == ';' ? ',' : '.')) {
    return "the delimiter and decimal mark do not go together";
  }
  return nullptr;
}

// Returns nullptr when a fault holds, else what went wrong.
inline const char* CheckFault(const TableError& error, std::string_view file, const Collection& c) {
  if (c.varieties != 0 || c.traits != 0 || !c.values.empty() || !c.variety_names.empty() ||
      !c.trait_names.empty()) {
    return "a fault left the collection filled";
  }
  if ((error.line == 0) != (error.kind == TableErrorKind::kEmptyFile)) return "a fault has no line";
  if (error.line < 0 || error.line > LineAtOffset(file, file.size())) return "a fault's line is beyond the file";
  constexpr std::size_t kMost = kTableErrorTextMax + 3;
  if (error.found.size() > kMost || error.variety.size() > kMost || error.trait.size() > kMost) {
    return "a fault's text is longer than its limit";
  }
  return nullptr;
}

inline const char* ReadTableInput(std::string_view input) {
  if (input.empty()) return nullptr;
  constexpr TableDelimiter kChoices[4] = {TableDelimiter::kAuto, TableDelimiter::kCsv, TableDelimiter::kTsv,
                                          TableDelimiter::kAuto};
  const TableDelimiter choice = kChoices[static_cast<unsigned char>(input[0]) & 3u];
  const bool missing = (static_cast<unsigned char>(input[0]) & 4u) != 0;
  const MissingTexts texts = missing ? MissingTexts::Usual() : MissingTexts();
  const std::string_view file = input.substr(1);
  InitRuntime();
  const int32_t live_before = LiveByteStringCount();
  FirstFieldIsNumber(file);
  const char* failure = nullptr;
  {
    Collection table;
    const TableRead read = ReadTable(file, choice, table, texts);
    if (!read.ok()) {
      failure = CheckFault(read.error, file, table);
    } else if ((failure = CheckTable(read, table, missing)) == nullptr) {
      Collection again;
      const TableDelimiter named = read.format.delimiter == '\t' ? TableDelimiter::kTsv : TableDelimiter::kCsv;
      const TableRead second = ReadTable(file, named, again, texts);
      if (!second.ok() || second.format.delimiter != read.format.delimiter || !SameTables(table, again)) {
        failure = "the choice that names the delimiter reads another table";
      }
      Collection listed;
      if (failure == nullptr && !missing &&
          (!ReadTable(file, choice, listed, MissingTexts::Usual()).ok() || !SameTables(table, listed))) {
        failure = "the usual missing texts change a table that holds none of them";
      }
    }
  }
  if (failure == nullptr && LiveByteStringCount() != live_before) failure = "reading left live texts behind";
  return failure;
}

}  // namespace kyori::fuzz

#endif  // KYORI_FUZZ_FUZZ_TABLE_READER_H_
