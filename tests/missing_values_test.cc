// Missing values (batch/missing_values.h): the count, and each trait
// standardized over its present values; small cases worked by hand.
#include "batch/missing_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <string>
#include <vector>

#include "batch/accurate_moments.h"
#include "batch/collection.h"
#include "batch/collection_arithmetic.h"
#include "tests/double_bits.h"

namespace kyori {
namespace {

using testing::BitsOf;
using testing::kInf;
using testing::kNaN;

// A quiet NaN with a payload of its own, to tell a missing value left as it
// was from a NaN that arithmetic made.
const double kMarkedNaN = [] {
  const uint64_t bits = 0x7ff8000000000123ull;
  double x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}();

// A collection of varieties x traits from its values given variety by
// variety (rows), as a data file lists them.
Collection FromRows(const std::vector<std::vector<double>>& rows) {
  Collection c;
  c.varieties = static_cast<int>(rows.size());
  c.traits = rows.empty() ? 0 : static_cast<int>(rows[0].size());
  c.variety_count = c.varieties;
  c.trait_count = c.traits;
  c.values.resize(static_cast<std::size_t>(c.varieties) * c.traits);
  for (int i = 0; i < c.varieties; ++i) {
    for (int j = 0; j < c.traits; ++j) c.Value(i, j) = rows[i][j];
  }
  return c;
}

// A standardized-looking collection: values within a few units of 0, every
// bit of the mantissa in use, each NaN with probability `gaps`.
Collection Random(int varieties, int traits, double gaps, uint64_t seed) {
  Collection c = FromRows(std::vector<std::vector<double>>(varieties, std::vector<double>(traits)));
  uint64_t state = seed;
  for (double& v : c.values) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    v = static_cast<double>(state >> 11) * 0x1p-53 * 6 - 3;
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    if (static_cast<double>(state >> 11) * 0x1p-53 < gaps) v = kNaN;
  }
  return c;
}

// The counts and values of `c` (its names, which cannot be copied, are left
// out: the arithmetic does not read them).
Collection Values(const Collection& c) {
  Collection copy;
  copy.varieties = c.varieties;
  copy.traits = c.traits;
  copy.variety_count = c.variety_count;
  copy.trait_count = c.trait_count;
  copy.values = c.values;
  return copy;
}

std::vector<uint64_t> Bits(const std::vector<double>& values) {
  std::vector<uint64_t> bits;
  for (double v : values) bits.push_back(BitsOf(v));
  return bits;
}

// ---- the count

TEST(MissingValuesTest, CountsTheMissingValuesAndTheTraitsThatHaveThem) {
  struct Case {
    const char* title;
    std::vector<std::vector<double>> rows;
    MissingCount expected;
  };
  const Case cases[] = {
      {"none missing", {{1, 2}, {3, 4}}, {4, 0, 0}},
      {"the header's example", {{1, kNaN, 1}, {kNaN, kNaN, 2}, {3, 2, 3}}, {9, 3, 2}},
      {"a whole trait, and one more", {{kNaN, 1, kNaN}, {kNaN, 2, 5}}, {6, 3, 2}},
      {"every value", {{kNaN}, {kMarkedNaN}}, {2, 2, 1}},
      {"no traits", {{}, {}}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    const MissingCount count = CountMissing(FromRows(c.rows));
    EXPECT_EQ(count.values, c.expected.values) << c.title;
    EXPECT_EQ(count.missing, c.expected.missing) << c.title;
    EXPECT_EQ(count.traits, c.expected.traits) << c.title;
    EXPECT_EQ(count.Any(), c.expected.missing != 0) << c.title;
  }
}

// ---- standardization

// The header's example, and a trait that two varieties alone have:
// 2 and 6 have mean 4 and standard deviation sqrt(8), so they become
// -+1/sqrt(2), as MomentsOf forms them from the two present values.
TEST(MissingValuesTest, EachTraitIsStandardizedOverItsPresentValues) {
  Collection c = FromRows({{1, kNaN}, {kMarkedNaN, 2}, {3, kNaN}, {5, 6}});
  ASSERT_EQ(StandardizeWithGaps(c).kind, GappedTraitStop::kNone);
  EXPECT_EQ(Bits(std::vector<double>(c.Trait(0), c.Trait(0) + 4)), Bits({-1, kMarkedNaN, 0, 1}));
  const double two_and_six[] = {2, 6};
  const AccurateMoments m = MomentsOf(two_and_six, 2);
  EXPECT_EQ(Bits(std::vector<double>(c.Trait(1), c.Trait(1) + 4)),
            Bits({kNaN, m.Standardized(2), kNaN, m.Standardized(6)}));
  EXPECT_NEAR(c.Value(1, 1), -std::sqrt(0.5), 2.3e-16);  // within an ulp
  EXPECT_NEAR(c.Value(3, 1), std::sqrt(0.5), 2.3e-16);
}

// Without a gap: the complete collection's accurate values, bit for bit.
TEST(MissingValuesTest, WithoutGapsTheValuesAreTheAccurateArithmetics) {
  Collection gapped = Random(13, 5, 0, 7);
  for (double& v : gapped.values) v = v * 1000 + 20000;  // a large mean, as measured traits have
  Collection complete = Values(gapped);
  ASSERT_EQ(StandardizeWithGaps(gapped).kind, GappedTraitStop::kNone);
  ASSERT_EQ(StandardizeCollection(complete, Arithmetic::kAccurate).kind, TraitStop::kNone);
  EXPECT_EQ(Bits(gapped.values), Bits(complete.values));
}

// Each stop names its kind, the trait and the trait's present values; the
// traits before it are standardized, the rest left as they were.
TEST(MissingValuesTest, StopsAtTheFirstTraitThatCannotBeStandardized) {
  struct Case {
    const char* title;
    std::vector<double> second_trait;  // of four varieties; the first trait is 1 2 3 4, the third 9 8 7 6
    GappedTraitStop::Kind kind;
    int present;
  };
  const Case cases[] = {
      {"one present value", {kNaN, 7, kNaN, kNaN}, GappedTraitStop::kTooFewValues, 1},
      {"no present value", {kNaN, kNaN, kNaN, kNaN}, GappedTraitStop::kTooFewValues, 0},
      {"present values all equal", {4, kNaN, 4, 4}, GappedTraitStop::kIdentical, 3},
      {"two equal values", {kNaN, 5, 5, kNaN}, GappedTraitStop::kIdentical, 2},
      {"an infinite value beside a gap", {1, kNaN, kInf, 2}, GappedTraitStop::kNotFinite, 3},
      {"an infinite value alone", {kNaN, -kInf, kNaN, kNaN}, GappedTraitStop::kNotFinite, 1},
      {"a trait that can be", {kNaN, 5, 6, kNaN}, GappedTraitStop::kNone, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.title);
    std::vector<std::vector<double>> rows;
    for (int i = 0; i < 4; ++i) rows.push_back({1.0 + i, k.second_trait[i], 9.0 - i});
    Collection c = FromRows(rows);
    const GappedTraitStop stop = StandardizeWithGaps(c);
    EXPECT_EQ(stop.kind, k.kind);
    if (k.kind == GappedTraitStop::kNone) {
      EXPECT_EQ(stop.trait, -1);
      EXPECT_GT(c.Value(0, 2), 1);  // the third trait standardized too (9 of 9 8 7 6)
      continue;
    }
    EXPECT_EQ(stop.trait, 1);
    EXPECT_EQ(stop.present, k.present);
    EXPECT_LT(c.Value(0, 0), 0);  // the first trait standardized
    EXPECT_EQ(Bits(std::vector<double>(c.Trait(1), c.Trait(1) + 4)), Bits(k.second_trait));
    EXPECT_EQ(c.Value(0, 2), 9);
  }
}

}  // namespace
}  // namespace kyori
