// Fuzz target: file input statements with any mix of target kinds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_data_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* failure =
      kyori::fuzz::ReadStatements(std::string_view(reinterpret_cast<const char*>(data), size));
  if (failure != nullptr) {
    std::fprintf(stderr, "fuzz_data_reader: %s\n", failure);
    std::abort();
  }
  return 0;
}
