// The program's own elementary functions on doubles. Square roots are
// exp(0.5 * ln x) through Exponential and NaturalLog below, range reduction
// plus a fixed-depth continued fraction, every intermediate result rounded to
// a double in the order written. The printed digits of the report depend on
// these exact sequences, so no library mathematics routine is used: for
// instance Power(2, 0.5) is one unit in the last place below the true root.
//
// Every routine terminates on every input, NaN, infinities and subnormals
// included. Beyond the range the calculator meets:
// - FloorToInt saturates: x >= 2^31 gives 2147483647; x < -2^31 and NaN give
//   -2147483648.
// - SplitMantissaExponent gives the exact mantissa and exponent for every
//   finite x: magnitudes from 2^1023 on have e = 1024 (no power of two of the
//   search is finite there); magnitudes below 2^-1024 are first scaled up by
//   2^64 exactly, searched, and given e - 64. An infinity or NaN comes back
//   unchanged as its own mantissa with e = 0.
// - NaturalLog(+infinity) is +infinity; for x from about 1.27e308 on
//   (exponent 1024) x is halved before its division by 2^1023, which is
//   exact, so the largest double has a finite logarithm.
// - Exponential of an x whose x / ln 2 lies outside the 32-bit range is
//   +infinity for a positive x, 0 for a negative one, and a NaN stays NaN.
//   Inside that range the sequence runs as written (it overflows to
//   infinity, or underflows to 0, well before the range ends).
// - Power therefore gives: Power(x, NaN) NaN for x > 0; Power(x, +inf) is
//   +inf for x > 1, 0 for 0 < x < 1, NaN for x = 1; Power(x, -inf) the
//   reverse; Power(NaN, y) is 0 for a non-integral y.
// - IntegerPower accepts every 32-bit n, -2147483648 included.
#ifndef KYORI_NUMERIC_ELEMENTARY_H_
#define KYORI_NUMERIC_ELEMENTARY_H_

#include <cstdint>

namespace kyori {

// ln 2 and the square root of 2, the nearest doubles.
inline constexpr double Ln2Constant = 0x1.62e42fefa39efp-1;    // 3FE62E42FEFA39EF
inline constexpr double Sqrt2Constant = 0x1.6a09e667f3bcdp+0;  // 3FF6A09E667F3BCD

// x to the power y: IntegerPower for an integral y in [-2147483647,
// 2147483647]; otherwise Exponential(y * NaturalLog(x)) for x > 0, else 0.
double Power(double x, double y);
// result[k] = Power(x[k], 0.5) for k in [0, count), bit for bit; several
// arguments are taken side by side, for a row of square roots.
void HalfPowers(const double* x, double* result, int count);
// For every single x from kHalfPowerSinglesLowest up to (not including)
// kHalfPowerSinglesBeyond, widened to double, Power(x, 0.5) lies within
// kHalfPowerSingleError * sqrt(x) of the correctly rounded root sqrt(x):
// it is off by at most about 3e-13 of it, the most just below a power of
// four. Those singles are the squares of the distances from about 1e-4 to
// 1e7. tests/half_powers_test.cc checks a spread of them, and all of them
// (about 620 million) with KYORI_EVERY_SINGLE=1.
//   x = 0.49996 (0x3EFFFAF0 as a single): Power 0.70707..., within 3e-13
inline constexpr double kHalfPowerSinglesLowest = 0x1p-27;
inline constexpr double kHalfPowerSinglesBeyond = 0x1p+47;
inline constexpr double kHalfPowerSingleError = 1e-12;
// x to the power n by repeated squaring; 1 / acc for negative n.
double IntegerPower(double x, int32_t n);
// e to the power x.
double Exponential(double x);
// ln x; 0 for x not above 0.
double NaturalLog(double x);
// x times 2 to the power k, by repeated multiplication.
double ScaleByPowerOfTwo(double x, int32_t k);
// The mantissa m with 0.5 <= |m| < 1 and the exponent e with x = m * 2^e,
// the ones a linear search over e from 0 finds (read from the bits for a
// normal double, where nothing else can come out); x = 0 gives 0 and e = 0.
double SplitMantissaExponent(double x, int32_t* exponent);
// The largest 32-bit integer not above x.
int32_t FloorToInt(double x);
// x when x is not below 0, else -1 * x (a NaN counts as below 0).
double AbsValue(double x);
// x unchanged: an integer goes through it before it is compared with a double.
double ToDouble(double x);

}  // namespace kyori

#endif  // KYORI_NUMERIC_ELEMENTARY_H_
