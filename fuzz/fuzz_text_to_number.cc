// Fuzz target: TextToNumber on any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_text_to_number.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* failure =
      kyori::fuzz::ConvertTextToNumber(std::string_view(reinterpret_cast<const char*>(data), size));
  if (failure != nullptr) {
    std::fprintf(stderr, "fuzz_text_to_number: %s\n", failure);
    std::abort();
  }
  return 0;
}
