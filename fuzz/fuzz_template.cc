// Fuzz target: FormatWithTemplate on any template and slot values.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* failure =
      kyori::fuzz::FormatTemplate(std::string_view(reinterpret_cast<const char*>(data), size));
  if (failure != nullptr) {
    std::fprintf(stderr, "fuzz_template: %s\n", failure);
    std::abort();
  }
  return 0;
}
