// Fuzz target: NumberToText on any 64-bit pattern.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_number_to_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* failure =
      kyori::fuzz::ConvertNumberToText(std::string_view(reinterpret_cast<const char*>(data), size));
  if (failure != nullptr) {
    std::fprintf(stderr, "fuzz_number_to_text: %s\n", failure);
    std::abort();
  }
  return 0;
}
