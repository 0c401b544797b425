#include "numeric/elementary.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace kyori {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The 32-bit range as doubles: a value v fits when -2^31 <= v < 2^31.
constexpr double kInt32Bottom = -2147483648.0;
constexpr double kInt32Top = 2147483648.0;

// Magnitudes the linear exponent search reaches: 2^e for e in [-1023, 1023]
// is a finite, non-zero double, so |x| in [2^-1024, 2^1023) is found.
constexpr double kSearchLowest = 0x1p-1024;
constexpr double kSearchBeyond = 0x1p+1023;
// Brings a tiny magnitude up into the searchable range, exactly.
constexpr int32_t kTinyLift = 64;
constexpr double kTinyLiftFactor = 0x1p+64;

// The layout of a double: 52 fraction bits under an 11-bit exponent field;
// a mantissa in [0.5, 1) has the stored exponent 1022.
constexpr int kFractionBits = 52;
constexpr uint64_t kExponentMask = 0x7ff;
constexpr int32_t kHalfBias = 1022;
constexpr double kSmallestNormal = 0x1p-1022;

// The linear search over e for a magnitude in [2^-1024, 2^1023).
double SearchMantissa(double x, int32_t* exponent) {
  int32_t e = 0;
  const int32_t step = AbsValue(x) >= 1 ? 1 : -1;
  for (;;) {
    const double m = x / IntegerPower(2, e);
    const double size = AbsValue(m);
    if (size >= 0.5 && size < 1) {
      *exponent = e;
      return m;
    }
    e += step;
  }
}

// For a normal double the search above ends at the one e with
// 2^(e-1) <= |x| < 2^e, which is the stored binary exponent less 1022; the
// mantissa x / 2^e is x with that exponent field set to 1022, exactly the
// quotient the search divides out. Read from the bits, without the steps.
double MantissaFromBits(double x, int32_t* exponent) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const int32_t stored = static_cast<int32_t>((bits >> kFractionBits) & kExponentMask);
  *exponent = stored - kHalfBias;
  bits = (bits & ~(kExponentMask << kFractionBits)) | (uint64_t{kHalfBias} << kFractionBits);
  double m;
  std::memcpy(&m, &bits, sizeof m);
  return m;
}

// NaturalLog and Exponential for kRootLanes arguments side by side: the same
// operations in the same order as the single routines, for the arguments
// where those take their main path. Their divisions form one chain per
// argument; several chains overlap.
constexpr int kRootLanes = 4;

// Arguments of HalfPowers that take the lanes: x / Sqrt2Constant is a
// normal double below 2^1023, so its exponent is read from the bits and
// lies in [-1020, 1023], and 0.5 * ln x keeps Exponential in its range.
bool TakesRootLanes(double x) { return x >= 0x1p-1021 && x < 0x1p+1023; }

void NaturalLogLanes(const double* x, double* result) {
  double u[kRootLanes];
  int32_t e[kRootLanes];
  double s[kRootLanes];
  for (int p = 0; p < kRootLanes; ++p) {
    MantissaFromBits(x[p] / Sqrt2Constant, &e[p]);
    u[p] = x[p] / ScaleByPowerOfTwo(1, e[p]);
    u[p] = u[p] - 1;
    s[p] = 0;
  }
  for (int k = 9; k >= 1; --k) {
    for (int p = 0; p < kRootLanes; ++p) s[p] = (k * u[p]) / ((k * u[p]) / (s[p] + (2 * k + 1)) + 2);
  }
  for (int p = 0; p < kRootLanes; ++p) result[p] = (e[p] * Ln2Constant) + (u[p] / (s[p] + 1));
}

void ExponentialLanes(const double* x, double* result) {
  int32_t k[kRootLanes];
  double r[kRootLanes];
  double r2[kRootLanes];
  double g[kRootLanes];
  for (int p = 0; p < kRootLanes; ++p) {
    const double shifted = x[p] >= 0 ? x[p] / Ln2Constant + 0.5 : x[p] / Ln2Constant - 0.5;
    k[p] = FloorToInt(shifted);
    r[p] = x[p] - (k[p] * Ln2Constant);
    r2[p] = r[p] * r[p];
    g[p] = r2[p] / 22;
  }
  for (int i = 18; i >= 6; i -= 4) {
    for (int p = 0; p < kRootLanes; ++p) g[p] = r2[p] / (i + g[p]);
  }
  for (int p = 0; p < kRootLanes; ++p) {
    const double q = ((g[p] + 2) + r[p]) / ((g[p] + 2) - r[p]);
    result[p] = ScaleByPowerOfTwo(q, k[p]);
  }
}

// Power(x[p], 0.5) for kRootLanes arguments that all take the lanes.
void HalfPowerLanes(const double* x, double* result) {
  constexpr double kHalf = 1.0 / 2.0;
  double t[kRootLanes];
  NaturalLogLanes(x, t);
  for (int p = 0; p < kRootLanes; ++p) t[p] = kHalf * t[p];
  ExponentialLanes(t, result);
}

}  // namespace

double Power(double x, double y) {
  if (y >= -2147483647.0 && y <= 2147483647.0 && y == ToDouble(FloorToInt(y))) {
    return IntegerPower(x, FloorToInt(y));
  }
  if (x > 0) {
    const double t = y * NaturalLog(x);
    return Exponential(t);
  }
  return 0;
}

double IntegerPower(double x, int32_t n) {
  // |n| as a double and back; -2^31 has no 32-bit magnitude, so 64 bits.
  int64_t m = static_cast<int64_t>(AbsValue(static_cast<double>(n)));
  double acc = 1;
  while (m != 0) {
    if (m % 2 != 0) acc = x * acc;
    x = x * x;
    m = m / 2;
  }
  if (n >= 0) return acc;
  return 1 / acc;
}

double Exponential(double x) {
  double shifted;
  if (x >= 0) {
    shifted = x / Ln2Constant + 0.5;
  } else {
    shifted = x / Ln2Constant - 0.5;
  }
  // Beyond a 32-bit k the result is far past overflow or underflow.
  if (!(shifted >= kInt32Bottom && shifted < kInt32Top)) {
    if (x > 0) return kInfinity;
    if (x < 0) return 0;
    return x;  // NaN
  }
  const int32_t k = FloorToInt(shifted);
  const double r = x - (k * Ln2Constant);
  const double r2 = r * r;
  double g = r2 / 22;
  for (int i = 18; i >= 6; i -= 4) g = r2 / (i + g);
  const double q = ((g + 2) + r) / ((g + 2) - r);
  return ScaleByPowerOfTwo(q, k);
}

double NaturalLog(double x) {
  if (!(x > 0)) return 0;
  if (x == kInfinity) return kInfinity;
  int32_t e = 0;
  SplitMantissaExponent(x / Sqrt2Constant, &e);
  double u;
  if (e > 1023) {
    // 2^1024 is no double: divide by 2 first, then by 2^1023, both exact.
    u = (x * 0.5) / ScaleByPowerOfTwo(1, e - 1);
  } else {
    u = x / ScaleByPowerOfTwo(1, e);
  }
  u = u - 1;
  double s = 0;
  for (int p = 9; p >= 1; --p) {
    s = (p * u) / ((p * u) / (s + (2 * p + 1)) + 2);
  }
  return (e * Ln2Constant) + (u / (s + 1));
}

double ScaleByPowerOfTwo(double x, int32_t k) {
  double f = 2;
  // The magnitude of k as unsigned, so that -2^31 negates safely.
  uint32_t steps = static_cast<uint32_t>(k);
  if (k < 0) {
    f = 0.5;
    steps = 0u - steps;
  }
  while (steps != 0) {
    if (steps & 1u) x = x * f;
    f = f * f;
    steps >>= 1;
  }
  return x;
}

double SplitMantissaExponent(double x, int32_t* exponent) {
  if (x == 0) {
    *exponent = 0;
    return 0;
  }
  if (x != x || x == kInfinity || x == -kInfinity) {
    *exponent = 0;
    return x;
  }
  const double size = AbsValue(x);
  if (size >= kSearchBeyond) {
    // Every finite double from 2^1023 on has the exponent 1024.
    *exponent = 1024;
    return (x * 0.5) * 0x1p-1023;
  }
  if (size < kSearchLowest) {
    const double m = SearchMantissa(x * kTinyLiftFactor, exponent);
    *exponent -= kTinyLift;
    return m;
  }
  if (size < kSmallestNormal) return SearchMantissa(x, exponent);
  return MantissaFromBits(x, exponent);
}

int32_t FloorToInt(double x) {
  if (x >= kInt32Top) return INT32_MAX;
  if (!(x >= kInt32Bottom)) return INT32_MIN;  // below the range, or NaN
  int32_t t = static_cast<int32_t>(x);
  if (x < 0 && x < t) t = t - 1;
  return t;
}

double AbsValue(double x) {
  if (x >= 0) return x;
  return x * -1;
}

double ToDouble(double x) { return x; }

void HalfPowers(const double* x, double* result, int count) {
  int k = 0;
  for (; k + kRootLanes <= count; k += kRootLanes) {
    bool lanes = true;
    for (int p = 0; p < kRootLanes; ++p) lanes = lanes && TakesRootLanes(x[k + p]);
    if (lanes) {
      HalfPowerLanes(x + k, result + k);
    } else {
      for (int p = 0; p < kRootLanes; ++p) result[k + p] = Power(x[k + p], 1.0 / 2.0);
    }
  }
  for (; k < count; ++k) result[k] = Power(x[k], 1.0 / 2.0);
}

}  // namespace kyori
