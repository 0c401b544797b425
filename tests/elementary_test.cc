#include "numeric/elementary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "tests/double_bits.h"

namespace kyori {
namespace {

using testing::kInf;
using testing::kLargest;
using testing::kNaN;
using testing::kSmallestSubnormal;

using testing::BitsOf;

// Equal bit patterns, except that any NaN matches any NaN.
void ExpectSameDouble(double expected, double actual, const char* what) {
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(actual)) << what << " gave " << actual;
    return;
  }
  EXPECT_EQ(BitsOf(expected), BitsOf(actual))
      << what << ": expected " << std::hexfloat << expected << ", got " << actual;
}

struct BinaryCase {
  double x;
  double y;
  double expected;
};

TEST(Power, TableValuesAreExact) {
  const BinaryCase cases[] = {
      {3, 2, 9},
      {0.1, 2, 0x1.47ae147ae147cp-7},  // 0.010000000000000002, 0.1 * 0.1 rounded
      {4, 0.5, 2},
      {2, 0.5, 0x1.6a09e667f3bccp+0},  // one unit below the nearest root ...bcd
      {0, 0.5, 0},
      {-1, 0.5, 0},
      {-4, 0.5, 0},
      {-2, 3, -8},
      {0, -1, kInf},
      {0, 0, 1},
      {-7.5, 0, 1},
      {5, -0.0, 1},
      {2, -2147483647.0, 0},      // integral, inside the range: repeated squaring
      {2, -2147483648.0, 0},      // outside the range: exp(y ln x), underflows
      {-2, 2147483648.0, 0},      // outside the range, base not above 0
  };
  for (const BinaryCase& c : cases) {
    ExpectSameDouble(c.expected, Power(c.x, c.y), "Power");
  }
}

TEST(Power, SquareIsOneRoundedProduct) {
  const double bases[] = {0.1, -1.7, 3.0000001, 1e-200, 1e200, -0x1.fffffffffffffp-1};
  for (double x : bases) ExpectSameDouble(x * x, Power(x, 2), "Power(x, 2)");
}

// Square roots of other values, worked out separately one rounded operation
// at a time. They miss the nearest root by up to a few hundred units in the
// last place (the exponential's reduction leaves |r| up to about 1.04 for a
// negative argument), and the report prints exactly these.
TEST(Power, SquareRootsFollowTheSequenceOfOperations) {
  const BinaryCase cases[] = {
      {3, 0.5, 0x1.bb67ae8584cabp+0},
      {5, 0.5, 0x1.1e3779b97f4a8p+1},
      {10, 0.5, 0x1.94c583ada5b52p+1},
      {0.3, 0.5, 0x1.186f174f8844dp-1},
      {1e-5, 0.5, 0x1.9e7c6e43390b5p-9},
      {123456.789, 0.5, 0x1.5f5d3b16948f9p+8},
      {0.0123, 0.5, 0x1.c644b43e6b6b5p-4},
      {7.0e20, 0.5, 0x1.8a3f6725a9581p+34},
  };
  for (const BinaryCase& c : cases) {
    ExpectSameDouble(c.expected, Power(c.x, c.y), "Power(x, 0.5)");
  }
}

// A fault in the sequence (a lost stage, a wrong constant) shows up as a
// relative error far above the sequence's own, which stays below 1e-12.
TEST(Power, SquareRootsStayCloseToTheRoot) {
  for (double x = 1e-9; x < 1e9; x *= 1.37) {
    EXPECT_NEAR(Power(x, 0.5), std::sqrt(x), std::sqrt(x) * 1e-12) << std::hexfloat << x;
  }
  for (double n = 1; n <= 300; ++n) {
    EXPECT_NEAR(Power(n * n, 0.5), n, n * 1e-12) << n;
  }
}

TEST(NaturalLog, TableValuesAreExact) {
  const double inputs[] = {1, 2, 0, -3, -0.0};
  const double expected[] = {0, 0x1.62e42fefa39efp-1, 0, 0, 0};
  for (int i = 0; i < 5; ++i) ExpectSameDouble(expected[i], NaturalLog(inputs[i]), "NaturalLog");
}

TEST(NaturalLog, StaysCloseToTheLogarithmAcrossTheRange) {
  for (double x = 1e-300; x < 1e300; x *= 7.3) {
    const double got = NaturalLog(x);
    EXPECT_NEAR(got, std::log(x), std::fabs(std::log(x)) * 1e-14 + 1e-15) << std::hexfloat << x;
  }
}

TEST(Exponential, TableValuesAreExact) {
  ExpectSameDouble(1, Exponential(0), "Exponential(0)");
  ExpectSameDouble(0x1.5bf0a8b145769p+1, Exponential(1), "Exponential(1)");    // 2.718281828459045
  ExpectSameDouble(0x1.78b56362cef37p-2, Exponential(-1), "Exponential(-1)");  // 0.3678794411714423
  // Worked out separately, one rounded operation at a time.
  ExpectSameDouble(0x1.5fc21041022b9p-12, Exponential(-8), "Exponential(-8)");
  ExpectSameDouble(0x1.a61298e1e069bp+0, Exponential(0.5), "Exponential(0.5)");
  ExpectSameDouble(0x1.ceb088b68e7fep+28, Exponential(20), "Exponential(20)");
  ExpectSameDouble(0x1.3494a9b171bfdp+144, Exponential(100), "Exponential(100)");
  ExpectSameDouble(0x1.26bb1bbb55515p+1, NaturalLog(10), "NaturalLog(10)");
  ExpectSameDouble(0x1.193ea7aad030ap+0, NaturalLog(3), "NaturalLog(3)");
  ExpectSameDouble(-0x1.5963447f87fb5p+9, NaturalLog(1e-300), "NaturalLog(1e-300)");
}

// The error of k * ln 2 grows with k, so the bound widens with |x|.
TEST(Exponential, StaysCloseToTheExponentialAcrossTheRange) {
  for (double x = -700; x < 700; x += 3.17) {
    const double bound = std::exp(x) * (1e-12 + std::fabs(x) * 1e-15);
    EXPECT_NEAR(Exponential(x), std::exp(x), bound) << x;
  }
}

TEST(FloorToInt, TableAndOutOfRange) {
  struct Case {
    double x;
    int32_t expected;
  };
  const Case cases[] = {
      {2.7, 2},
      {-2.7, -3},
      {-3, -3},
      {-0.0, 0},
      {kSmallestSubnormal, 0},
      {-kSmallestSubnormal, -1},
      {2147483647.0, INT32_MAX},
      {2147483647.75, INT32_MAX},
      {2147483648.0, INT32_MAX},  // the largest 32-bit integer not above x
      {1e300, INT32_MAX},
      {kLargest, INT32_MAX},
      {kInf, INT32_MAX},
      {-2147483647.5, -2147483648},
      {-2147483648.0, INT32_MIN},
      {-2147483648.5, INT32_MIN},  // below every 32-bit integer
      {-kLargest, INT32_MIN},
      {-kInf, INT32_MIN},
      {kNaN, INT32_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, FloorToInt(c.x)) << std::hexfloat << c.x;
  }
}

TEST(IntegerPower, TableValues) {
  struct Case {
    double x;
    int32_t n;
    double expected;
  };
  const Case cases[] = {
      {2, -3, 0.125},
      {0, 0, 1},
      {kNaN, 0, 1},
      {kInf, 0, 1},
      {0, -1, kInf},
      {-0.0, -1, -kInf},
      {-2, 3, -8},
      {-1, INT32_MAX, -1},
      {-1, INT32_MIN, 1},  // the one exponent without a 32-bit magnitude
      {2, INT32_MIN, 0},
      {0.5, INT32_MIN, kInf},
      {2, 1023, 0x1p+1023},
      {2, 1024, kInf},
      {2, -1023, 0x1p-1023},
      {2, -1074, 0},  // 1 / 2^1074, and 2^1074 has already overflowed
      {kNaN, 3, kNaN},
  };
  for (const Case& c : cases) ExpectSameDouble(c.expected, IntegerPower(c.x, c.n), "IntegerPower");
}

TEST(ScaleByPowerOfTwo, ExactScalingAndItsEnds) {
  struct Case {
    double x;
    int32_t k;
    double expected;
  };
  const Case cases[] = {
      {3, -1, 1.5},
      {3, 4, 48},
      {1, 1023, 0x1p+1023},
      {1, 1024, kInf},
      {1, -1074, kSmallestSubnormal},
      {1, -1022, 0x1p-1022},
      {1, INT32_MAX, kInf},
      {1, INT32_MIN, 0},
      {-1, INT32_MIN, -0.0},
      {kNaN, 5, kNaN},
  };
  for (const Case& c : cases) ExpectSameDouble(c.expected, ScaleByPowerOfTwo(c.x, c.k), "Scale");
}

TEST(SplitMantissaExponent, TableValuesAndTheWholeRange) {
  struct Case {
    double x;
    double mantissa;
    int32_t exponent;
  };
  const Case cases[] = {
      {0, 0, 0},
      {1, 0.5, 1},
      {0.75, 0.75, 0},
      {0.1, 0x1.999999999999ap-1, -3},  // 0.8
      {-3, -0.75, 2},
      {0x1p-1024, 0.5, -1023},  // the deepest the search reaches by itself
      {0x1.8p-1030, 0.75, -1029},
      {kSmallestSubnormal, 0.5, -1073},
      {-kSmallestSubnormal, -0.5, -1073},
      {0x1p+1022, 0.5, 1023},
      {0x1p+1023, 0.5, 1024},
      {kLargest, 0x1.fffffffffffffp-1, 1024},
      {-kLargest, -0x1.fffffffffffffp-1, 1024},
      {kInf, kInf, 0},
      {-kInf, -kInf, 0},
      {kNaN, kNaN, 0},
  };
  for (const Case& c : cases) {
    int32_t exponent = 12345;
    const double mantissa = SplitMantissaExponent(c.x, &exponent);
    ExpectSameDouble(c.mantissa, mantissa, "mantissa");
    EXPECT_EQ(c.exponent, exponent) << std::hexfloat << c.x;
  }
  // Every binade, normal and subnormal, against an independent split.
  for (double x = kSmallestSubnormal * 3; x < kLargest / 4; x *= 3.3) {
    int32_t exponent = 0;
    int expected_exponent = 0;
    const double expected = std::frexp(x, &expected_exponent);
    ExpectSameDouble(expected, SplitMantissaExponent(x, &exponent), "mantissa");
    EXPECT_EQ(expected_exponent, exponent) << std::hexfloat << x;
  }
}

TEST(AbsValue, SignsAndNaN) {
  ExpectSameDouble(2, AbsValue(-2), "AbsValue(-2)");
  ExpectSameDouble(2, AbsValue(2), "AbsValue(2)");
  ExpectSameDouble(-0.0, AbsValue(-0.0), "AbsValue(-0)");  // -0 is not below 0
  ExpectSameDouble(kInf, AbsValue(-kInf), "AbsValue(-inf)");
  EXPECT_TRUE(std::isnan(AbsValue(kNaN)));
}

// Every routine finishes on the awkward doubles, with the results chosen for
// the ends of the range.
TEST(AwkwardInputs, EveryRoutineFinishesWithTheChosenResult) {
  const double awkward[] = {kNaN, kInf, -kInf, 0.0, -0.0, kSmallestSubnormal,
                            -kSmallestSubnormal, kLargest, -kLargest, 0x1p+31, -0x1p+31, 0x1p+40};
  for (double x : awkward) {
    int32_t exponent = 0;
    SplitMantissaExponent(x, &exponent);
    NaturalLog(x);
    Exponential(x);
    for (double y : awkward) Power(x, y);
    Power(x, 0.5);
    FloorToInt(x);
    IntegerPower(x, INT32_MAX);
    ScaleByPowerOfTwo(x, INT32_MIN);
  }

  ExpectSameDouble(kInf, NaturalLog(kInf), "NaturalLog(inf)");
  ExpectSameDouble(0, NaturalLog(kNaN), "NaturalLog(NaN)");
  ExpectSameDouble(0, NaturalLog(-kInf), "NaturalLog(-inf)");
  EXPECT_NEAR(709.782712893384, NaturalLog(kLargest), 1e-11);
  EXPECT_NEAR(-744.4400719213812, NaturalLog(kSmallestSubnormal), 1e-11);

  ExpectSameDouble(kInf, Exponential(kInf), "Exponential(inf)");
  ExpectSameDouble(0, Exponential(-kInf), "Exponential(-inf)");
  ExpectSameDouble(kNaN, Exponential(kNaN), "Exponential(NaN)");
  ExpectSameDouble(kInf, Exponential(1e10), "Exponential(1e10)");
  ExpectSameDouble(0, Exponential(-1e10), "Exponential(-1e10)");
  ExpectSameDouble(kInf, Exponential(710), "Exponential(710)");
  ExpectSameDouble(0, Exponential(-800), "Exponential(-800)");

  ExpectSameDouble(kInf, Power(2, kInf), "Power(2, inf)");
  ExpectSameDouble(0, Power(0.5, kInf), "Power(0.5, inf)");
  ExpectSameDouble(0, Power(2, -kInf), "Power(2, -inf)");
  ExpectSameDouble(kInf, Power(0.5, -kInf), "Power(0.5, -inf)");
  ExpectSameDouble(kNaN, Power(1, kInf), "Power(1, inf)");
  ExpectSameDouble(kNaN, Power(2, kNaN), "Power(2, NaN)");
  ExpectSameDouble(0, Power(kNaN, 0.5), "Power(NaN, 0.5)");
  ExpectSameDouble(1, Power(kNaN, 0), "Power(NaN, 0)");
  ExpectSameDouble(kInf, Power(kInf, 0.5), "Power(inf, 0.5)");
  ExpectSameDouble(0, Power(-kInf, 0.5), "Power(-inf, 0.5)");
  EXPECT_NEAR(1.3407807929942596e154, Power(kLargest, 0.5), 1e140);
  EXPECT_NEAR(2.2227587494850775e-162, Power(kSmallestSubnormal, 0.5), 1e-175);
}

}  // namespace
}  // namespace kyori
