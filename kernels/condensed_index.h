// The condensed layout of a symmetric matrix of distances between n
// varieties: the upper triangle, row by row. For 0 <= i < j < n the pair
// (i, j) sits at n*i - i*(i+1)/2 + (j-i-1); batch mode's triangle and every
// analysis take their distances in this order.
//
// Examples, n = 4: the six pairs are d01 d02 d03 d12 d13 d23, so
//   CondensedIndex(4, 1, 3) == 4 and CondensedIndex(4, 3, 1) == 4;
//   CondensedSize(4) == 6, CondensedSize(1) == 0.
#ifndef KYORI_KERNELS_CONDENSED_INDEX_H_
#define KYORI_KERNELS_CONDENSED_INDEX_H_

#include <cstddef>

namespace kyori {

// n(n-1)/2; 0 for n < 2.
inline std::size_t CondensedSize(std::ptrdiff_t n) {
  return n < 2 ? 0 : static_cast<std::size_t>(n) * static_cast<std::size_t>(n - 1) / 2;
}

// Position of the pair {i, j} (i != j, either order, both below n).
inline std::size_t CondensedIndex(std::size_t n, std::size_t i, std::size_t j) {
  if (i > j) {
    const std::size_t t = i;
    i = j;
    j = t;
  }
  return n * i - i * (i + 1) / 2 + (j - i - 1);
}

}  // namespace kyori

#endif  // KYORI_KERNELS_CONDENSED_INDEX_H_
