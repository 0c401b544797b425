// A collection: the contents of one data file as plain data, for runs that
// are not the dialogue (no console echo, counts beyond the dialogue's 300).
//
// The counts are kept as read (doubles, as every count of the report's
// arithmetic is); `varieties` and `traits` are the passes of the loops over
// them (LoopCount: floor for counts of 1 or more, else 0). Values are laid
// out by trait: the value of variety i for trait j (both 0-based) is
// values[j * varieties + i]. Names and values that the file does not hold
// (it ends early) stay empty and 0, as in the dialogue. The names are kept as
// the file's bytes; `name_encoding` tells how to read them as characters.
#ifndef KYORI_BATCH_COLLECTION_H_
#define KYORI_BATCH_COLLECTION_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "batch/name_encoding.h"
#include "text/byte_string.h"

namespace kyori {

struct Collection {
  double variety_count = 0;
  double trait_count = 0;
  int varieties = 0;
  int traits = 0;
  std::vector<ByteString> trait_names;
  std::vector<ByteString> variety_names;
  std::vector<double> values;
  NameEncoding name_encoding = NameEncoding::kEach;

  double& Value(int variety, int trait) {
    return values[static_cast<std::size_t>(trait) * varieties + variety];
  }
  double Value(int variety, int trait) const {
    return values[static_cast<std::size_t>(trait) * varieties + variety];
  }
  const double* Trait(int trait) const { return values.data() + static_cast<std::size_t>(trait) * varieties; }
  double* Trait(int trait) { return values.data() + static_cast<std::size_t>(trait) * varieties; }
};

}  // namespace kyori

#endif  // KYORI_BATCH_COLLECTION_H_
