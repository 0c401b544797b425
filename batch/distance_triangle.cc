#include "batch/distance_triangle.h"

#include <algorithm>

#include "numeric/elementary.h"
#include "platform/parallel_for.h"

namespace kyori {

void DistanceReader::Read(std::size_t begin, std::size_t end, double* out) {
  const DistanceTriangle& d = *d_;
  if (d.rooted) {
    std::copy(d.roots.begin() + static_cast<std::ptrdiff_t>(begin), d.roots.begin() + static_cast<std::ptrdiff_t>(end), out);
    return;
  }
  if (widened_.size() < end - begin) widened_.resize(end - begin);
  for (std::size_t t = begin; t < end; ++t) widened_[t - begin] = static_cast<double>(d.Square(t));
  HalfPowers(widened_.data(), out, static_cast<int>(end - begin));  // Power(squared, 0.5) for each
}

std::vector<double> CondensedDistances(const DistanceTriangle& d, int jobs) {
  if (d.rooted) return d.roots;
  std::vector<double> out;
  SizeTriangleVector(out, d.square_bits.size());
  const long chunks = static_cast<long>((out.size() + kPairChunk - 1) / kPairChunk);
  std::vector<DistanceReader> readers(static_cast<std::size_t>(std::max(1L, std::min<long>(chunks, jobs))),
                                      DistanceReader(d));
  ParallelFor(chunks, jobs, [&](long k, int worker) {
    const std::size_t begin = static_cast<std::size_t>(k) * kPairChunk;
    readers[static_cast<std::size_t>(worker)].Read(begin, std::min(out.size(), begin + kPairChunk), out.data() + begin);
  });
  return out;
}

}  // namespace kyori
