// The arithmetic a batch run takes (--arithmetic), once the data file's
// counts are known.
//
// kAuto takes the compatible arithmetic, whose report is the dialogue's to
// the byte, for a data file in the kyori layout of at most 300 varieties and
// 300 traits (by its counts): the files the dialogue reads. Everything else
// (every table file; a file in the kyori layout beyond 300) takes the
// accurate arithmetic. kCompatible and kAccurate are taken at any size.
//
// Examples (kAuto):
//   the kyori layout, 12 x 5      -> kCompatible
//   the kyori layout, 301 x 3     -> kAccurate
//   a table, 12 x 5               -> kAccurate
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
// (its contents are not read), read from a table or from the kyori layout.
Arithmetic ChooseArithmetic(ArithmeticChoice choice, bool table, const Collection& counts);

}  // namespace kyori

#endif  // KYORI_BATCH_ARITHMETIC_CHOICE_H_
