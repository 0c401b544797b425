// Reading the data file's fields one at a time with the input statement: the
// field reading that the dialogue's data file and batch mode's collection
// reader share, so that both split and convert every field alike.
//
// Each call is one input statement on `channel` with exactly one target.
// Example: on a channel holding "3 2\n", ReadNumberField twice gives 3, then 2.
#ifndef KYORI_KERNELS_DATA_FIELDS_H_
#define KYORI_KERNELS_DATA_FIELDS_H_

#include <cstdint>

#include "text/byte_string.h"

namespace kyori {

// Fills the input statement's target list with the one target given.
void SetSingleTarget(void* address, int32_t kind);

// Reads the next field of `channel` as a number (KindFloat64) into *target;
// a read past the end of the file leaves *target as it was.
void ReadNumberField(int32_t channel, double* target);

// Reads the next field of `channel` as a name (KindText) into *target; a
// read past the end of the file leaves *target as it was.
void ReadNameField(int32_t channel, ByteString* target);

}  // namespace kyori

#endif  // KYORI_KERNELS_DATA_FIELDS_H_
