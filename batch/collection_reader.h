// Reading a data file into a Collection, field by field with the input
// statement on a channel: the same fields, splitting and conversions as the
// dialogue's reading, without its echo.
//
// Reading runs in two steps so that the caller can refuse the counts (the
// capacity, the memory they need) before anything is stored:
//   ReadCollectionCounts  the variety count and the trait count;
//   ReadCollectionBody    the trait names, then each variety's name and
//                         values, into storage sized by the counts.
// Example: "3 2\nA,B\nx,1 2\ny,3 4\nz,5 6\n" gives counts 3 and 2, trait
// names A and B, variety names x, y, z and values by trait 1 3 5 | 2 4 6.
#ifndef KYORI_BATCH_COLLECTION_READER_H_
#define KYORI_BATCH_COLLECTION_READER_H_

#include <cstdint>

#include "batch/collection.h"

namespace kyori {

// Reads the two counts from `channel` into `c` and sets its loop counts.
void ReadCollectionCounts(int32_t channel, Collection& c);

// Sizes the storage for the counts and reads every name and value; leaves
// `channel` open.
void ReadCollectionBody(int32_t channel, Collection& c);

// Sizes the storage for the loop counts: every name empty, every value 0.
// Example: varieties 3, traits 2 -> 2 trait names, 3 variety names, 6 values.
void SizeCollectionStorage(Collection& c);

}  // namespace kyori

#endif  // KYORI_BATCH_COLLECTION_READER_H_
