// The program's own elementary functions on doubles. Square roots are
// exp(0.5 * ln x) through Exponential and NaturalLog below, range reduction
// plus a fixed-depth continued fraction, every intermediate result rounded to
// a double in the order written. The printed digits of the report depend on
// these exact sequences, so no library mathematics routine is used: for
// instance Power(2, 0.5) is one unit in the last place below the true root.
//
// Every routine terminates on every input, NaN, infinities and subnormals
// included.
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
// x to the power n by repeated squaring; 1 / acc for negative n.
double IntegerPower(double x, int32_t n);
// e to the power x.
double Exponential(double x);
// ln x; 0 for x not above 0.
double NaturalLog(double x);
// x times 2 to the power k, by repeated multiplication.
double ScaleByPowerOfTwo(double x, int32_t k);
// The mantissa m with 0.5 <= |m| < 1 and the exponent e with x = m * 2^e,
// found by a linear search over e; x = 0 gives 0 and e = 0.
double SplitMantissaExponent(double x, int32_t* exponent);
// The largest 32-bit integer not above x.
int32_t FloorToInt(double x);
// x when x is not below 0, else -1 * x (a NaN counts as below 0).
double AbsValue(double x);
// x unchanged: an integer goes through it before it is compared with a double.
double ToDouble(double x);

}  // namespace kyori

#endif  // KYORI_NUMERIC_ELEMENTARY_H_
