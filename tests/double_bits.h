// Doubles for tests: the awkward values every numeric routine must finish on,
// and the bit pattern by which tests compare doubles.
#ifndef KYORI_TESTS_DOUBLE_BITS_H_
#define KYORI_TESTS_DOUBLE_BITS_H_

#include <cstdint>
#include <cstring>
#include <limits>

namespace kyori::testing {

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double kLargest = std::numeric_limits<double>::max();
inline constexpr double kSmallestSubnormal = std::numeric_limits<double>::denorm_min();

inline uint64_t BitsOf(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

}  // namespace kyori::testing

#endif  // KYORI_TESTS_DOUBLE_BITS_H_
