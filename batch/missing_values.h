// Missing values of a collection: how many there are, and each trait
// standardized over the values it has.
//
// A missing value is held as a NaN among the collection's values (any NaN:
// the reader puts a quiet one there). Each trait's mean and standard
// deviation are those of its present values, in the accurate arithmetic
// (batch/accurate_moments.h): the present values in variety order, two
// passes in double, divisor (present - 1). A missing value stays the NaN it
// was; the others are standardized as in a complete collection.
//
// Example: a trait 1, NaN, 3, 5 (four varieties) has three present values,
// mean 3 and standard deviation 2: it becomes -1, NaN, 0, 1.
#ifndef KYORI_BATCH_MISSING_VALUES_H_
#define KYORI_BATCH_MISSING_VALUES_H_

#include <cstdint>

#include "batch/collection.h"

namespace kyori {

// How many of a collection's values are missing, and in how many traits,
// for a line such as "37 of 1200 values missing, in 4 traits".
struct MissingCount {
  std::uint64_t values = 0;   // varieties x traits
  std::uint64_t missing = 0;  // the NaNs among them
  int traits = 0;             // the traits with at least one missing value

  bool Any() const { return missing != 0; }
};

// Counts the NaNs among the values of c's `varieties` x `traits`.
//   traits A: 1 NaN 3, B: NaN NaN 2, C: 1 2 3 -> values 9, missing 3, traits 2
MissingCount CountMissing(const Collection& c);

// Why standardization with missing values stopped at a trait, if it did.
struct GappedTraitStop {
  enum Kind {
    kNone,
    kNotFinite,     // a present value is infinite
    kTooFewValues,  // fewer than two present values
    kIdentical,     // two or more present values, all equal
  } kind = kNone;
  int trait = -1;   // 0-based
  int present = 0;  // the trait's present values
};

// Standardizes every trait in place over its present values, in trait
// order; stops at the first trait that cannot be standardized, with the
// traits before it standardized and the rest as they were. The checks of a
// trait, in this order: an infinite value, fewer than two present values,
// present values all equal.
//
// On a collection without a NaN the values are those of
// StandardizeCollection(c, Arithmetic::kAccurate), bit for bit; a single
// variety's traits stop as kTooFewValues there (the complete collection's
// standardization calls them identical).
//
// Examples (one trait each, four varieties):
//   1 NaN 3 5         -> -1 NaN 0 1, kNone
//   NaN 7 NaN NaN     -> kTooFewValues, present 1
//   4 NaN 4 4         -> kIdentical, present 3
GappedTraitStop StandardizeWithGaps(Collection& c);

}  // namespace kyori

#endif  // KYORI_BATCH_MISSING_VALUES_H_
