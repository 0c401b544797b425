// What the read stage found wrong with a data file, as the words of one
// message line, after "kyori: FILE: ": in English or Japanese as the line's
// style has it, the file's bytes (names, cells, fields) escaped and
// converted as every name is.
//
// Examples (English):
//   the kyori layout: line 7: value of 穂長 for コシヒカリ is "abc", not a number
//   a table:          line 4: the row x has 3 cells, the header 4
//                     line 5: value of 穂長 for コシヒカリ is "18.2", not a
//                       number; the decimal mark is a comma
//   one variety:      line 2: the table holds one variety (x); standardizing
//                       needs at least two
// and in Japanese: 7行目：コシヒカリの穂長の値が"abc"で，数ではありません
#ifndef KYORI_FRONTEND_READ_MESSAGES_H_
#define KYORI_FRONTEND_READ_MESSAGES_H_

#include <cstdint>

#include "batch/layout_error.h"
#include "batch/table_reader.h"
#include "frontend/messages.h"

namespace kyori {

// A fault of the kyori layout found by strict reading (any kind but kNone).
void SayLayoutError(MessageLine& message, const LayoutError& error);

// A fault of a table (any kind but kNone and kEmptyFile); `chosen` when the
// user chose the delimiter (--input=csv or tsv).
void SayTableError(MessageLine& message, const TableRead& read, bool chosen);

// A table of the one variety `name` on `line`.
void SayOneVariety(MessageLine& message, std::int64_t line, std::string_view name, NameEncoding encoding);

}  // namespace kyori

#endif  // KYORI_FRONTEND_READ_MESSAGES_H_
