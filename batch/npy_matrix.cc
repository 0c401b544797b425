#include "batch/npy_matrix.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <string_view>

namespace kyori {
namespace {

constexpr std::size_t kAlignment = 64;
constexpr std::size_t kPreamble = 10;  // magic, version, header length

// Appends the `bytes` low bytes of `bits`, least significant first.
void AppendLittleEndian(std::uint64_t bits, int bytes, char* out) {
  for (int b = 0; b < bytes; ++b) out[b] = static_cast<char>((bits >> (8 * b)) & 0xFF);
}

}  // namespace

std::string NpyHeader(std::uint64_t count, NpyPrecision precision) {
  std::string dict = "{'descr': '";
  dict += precision == NpyPrecision::kFloat64 ? "<f8" : "<f4";
  dict += "', 'fortran_order': False, 'shape': (" + std::to_string(count) + ",), }";
  const std::size_t unpadded = kPreamble + dict.size() + 1;  // with the '\n'
  const std::size_t total = (unpadded + kAlignment - 1) / kAlignment * kAlignment;
  dict.append(total - unpadded, ' ');
  dict += '\n';
  std::string header = "\x93NUMPY";
  header += '\x01';
  header += '\x00';
  char length[2];
  AppendLittleEndian(dict.size(), 2, length);
  header.append(length, 2);
  return header + dict;
}

void WriteNpyVector(const std::vector<double>& distances, NpyPrecision precision, FileWriter& out) {
  out.Write(NpyHeader(distances.size(), precision));
  const int width = precision == NpyPrecision::kFloat64 ? 8 : 4;
  constexpr std::size_t kChunk = 8192;
  char bytes[kChunk * 8];
  for (std::size_t first = 0; first < distances.size() && !out.Failed(); first += kChunk) {
    const std::size_t count = std::min(kChunk, distances.size() - first);
    for (std::size_t k = 0; k < count; ++k) {
      const double d = distances[first + k];
      const std::uint64_t bits = width == 8 ? std::bit_cast<std::uint64_t>(d)
                                            : std::bit_cast<std::uint32_t>(static_cast<float>(d));
      AppendLittleEndian(bits, width, bytes + k * static_cast<std::size_t>(width));
    }
    out.Write(std::string_view(bytes, count * static_cast<std::size_t>(width)));
  }
}

}  // namespace kyori
