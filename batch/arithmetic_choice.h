// The arithmetic a batch run takes (--arithmetic), once the data file's
// counts are known.
//
// kAuto takes the compatible arithmetic, whose report is the dialogue's to
// the byte, for a report of a data file in the kyori layout of at most 300
// varieties and 300 traits (by its counts): the files the dialogue reads,
// written as it writes them. Everything else (every table file; a file in
// the kyori layout beyond 300; the distances written as a CSV or TSV table
// instead of the report, which no dialogue's file is compared with) takes
// the accurate arithmetic. kCompatible and kAccurate are taken at any size.
//
// Examples (kAuto):
//   the kyori layout, 12 x 5, the report       -> kCompatible
//   the kyori layout, 12 x 5, a CSV table      -> kAccurate
//   the kyori layout, 301 x 3, the report      -> kAccurate
//   a table, 12 x 5, the report                -> kAccurate
#ifndef KYORI_BATCH_ARITHMETIC_CHOICE_H_
#define KYORI_BATCH_ARITHMETIC_CHOICE_H_

#include "batch/collection.h"
#include "batch/collection_arithmetic.h"

namespace kyori {

enum class ArithmeticChoice { kAuto, kCompatible, kAccurate };

// The most varieties, and the most traits, that kAuto reads in the
// compatible arithmetic: the dialogue's capacity.
inline constexpr double kCompatibleAutoCount = 300;

// The arithmetic for `choice` and a collection of the counts of `counts`
// (its contents are not read), read from a table or from the kyori layout,
// whose distances are written as the report or (`report` false) as a table.
Arithmetic ChooseArithmetic(ArithmeticChoice choice, bool table, bool report, const Collection& counts);

}  // namespace kyori

#endif  // KYORI_BATCH_ARITHMETIC_CHOICE_H_
