// The distances between all pairs of a collection's varieties, one triangle:
// pair (i, j), i < j, at index CondensedIndex(n, i, j), each pair once.
//
// A triangle holds the distances in the form its arithmetic computes them
// (batch/collection_arithmetic.h), one or the other:
//   squares  compatible: each pair's squared distance in single precision,
//            4 bytes a pair; its distance is the program's own root,
//            Power(squared, 0.5), of the single widened to double
//   roots    accurate: the distances themselves in double, 8 bytes a pair
//
// Example: three varieties whose squared distances are x-y 5, x-z 5, y-z 2:
//   compatible  square_bits = bits of {5f, 5f, 2f}, roots = {}, rooted false;
//               CondensedDistances gives {2.236067977..., 2.236067977...,
//               1.414213562...}, each within an ulp or so of the true root
//   accurate    square_bits = {}, roots = {sqrt(5), sqrt(5), sqrt(2)},
//               rooted true
#ifndef KYORI_BATCH_DISTANCE_TRIANGLE_H_
#define KYORI_BATCH_DISTANCE_TRIANGLE_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kernels/condensed_index.h"
#include "platform/platform.h"

namespace kyori {

struct DistanceTriangle {
  // The squared distances, each single held as its bits: the report's cells
  // (PackCells, batch/collection_report.h) take over this storage, four bytes
  // for four bytes, so that a compatible report needs no more than 4 bytes a
  // pair.
  std::vector<uint32_t> square_bits;
  std::vector<double> roots;  // the distances, when `rooted`
  bool rooted = false;

  float Square(std::size_t pair) const { return std::bit_cast<float>(square_bits[pair]); }
  std::size_t Pairs() const { return rooted ? roots.size() : square_bits.size(); }
};

// Reads a triangle's distances a range of pairs at a time, each as the
// report prints it before the cut: a root as it is, a square through the
// program's root. Keeps its working room (a chunk of widened squares)
// from one range to the next; one reader for each thread.
//   DistanceReader reader(d);
//   reader.Read(0, 3, out);  // the three distances of the example above
class DistanceReader {
 public:
  explicit DistanceReader(const DistanceTriangle& d) : d_(&d) {}

  // The distances of pairs [begin, end) into out[0 .. end - begin).
  void Read(std::size_t begin, std::size_t end, double* out);

  // The most bytes a reader holds for ranges of up to `pairs` pairs.
  static constexpr std::uint64_t WorkingBytes(std::size_t pairs) { return pairs * sizeof(double); }

 private:
  const DistanceTriangle* d_;
  std::vector<double> widened_;
};

// Every distance, in the triangle's order, the ranges split across `jobs`
// threads (DistanceReader): a copy of the roots, or the program's roots of
// the squares. Empty for a triangle that holds neither.
std::vector<double> CondensedDistances(const DistanceTriangle& d, int jobs);

// Makes `v` hold `count` zeros, its storage's pages advised large before
// they are first touched (platform::AdviseLargePages): a triangle's
// vectors are tens of megabytes, filled once.
//   SizeTriangleVector(square_bits, 12497500)  // 5000 varieties
template <typename T>
void SizeTriangleVector(std::vector<T>& v, std::size_t count) {
  v.reserve(count);
  platform::AdviseLargePages(v.data(), count * sizeof(T));
  v.resize(count);
}

// The pairs are read in chunks of this many, one chunk per task.
inline constexpr std::size_t kPairChunk = std::size_t{1} << 14;

}  // namespace kyori

#endif  // KYORI_BATCH_DISTANCE_TRIANGLE_H_
