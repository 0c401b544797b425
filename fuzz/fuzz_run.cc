// Fuzz target: the whole calculator run on any data file bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* failure =
      kyori::fuzz::RunOnDataFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (failure != nullptr) {
    std::fprintf(stderr, "fuzz_run: %s\n", failure);
    std::abort();
  }
  return 0;
}
