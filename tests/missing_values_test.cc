// Missing values (batch/missing_values.h, batch/gapped_distances.h): the
// count, each trait standardized over its present values, and the distances
// over the traits two varieties share, scaled up to all traits; small cases
// worked by hand, larger ones against the formula taken one pair at a time.
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
#include "batch/gapped_distances.h"
#include "kernels/condensed_index.h"
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

// ---- distances

// The distance of a pair over the traits both have, one trait at a time:
// the squares summed in trait order, then sqrt(m / c * sum); NaN when fewer
// than max(1, least) traits are common.
double PairByHand(const Collection& c, int a, int b, int least) {
  double sum = 0;
  int common = 0;
  for (int j = 0; j < c.traits; ++j) {
    if (std::isnan(c.Value(a, j)) || std::isnan(c.Value(b, j))) continue;
    const double d = c.Value(b, j) - c.Value(a, j);
    sum = d * d + sum;
    ++common;
  }
  if (common < std::max(1, least)) return kNaN;
  return std::sqrt(static_cast<double>(c.traits) / common * sum);
}

std::vector<double> ByHand(const Collection& c, int least) {
  std::vector<double> d;
  for (int i = 0; i < c.varieties; ++i) {
    for (int k = i + 1; k < c.varieties; ++k) d.push_back(PairByHand(c, i, k, least));
  }
  return d;
}

// The header's example: x-y share trait 1, x-z trait 2, y-z nothing.
TEST(MissingValuesTest, TheWorkedExample) {
  const Collection c = FromRows({{0, 2}, {1, kNaN}, {kNaN, 5}});
  const DistanceTriangle d = ComputeGappedDistances(c, 1, 1);
  ASSERT_TRUE(d.rooted);
  EXPECT_EQ(Bits(d.roots), Bits({std::sqrt(2.0), std::sqrt(18.0), kNaN}));
  const NoDistanceCount none = CountNoDistances(d, 3);
  EXPECT_EQ(none.pairs, 1u);
  EXPECT_EQ(none.first, 1);
  EXPECT_EQ(none.second, 2);
  EXPECT_EQ(Bits(ComputeGappedDistances(c, 2, 1).roots), Bits({kNaN, kNaN, kNaN}));
}

// A variety that has one trait of three is as far from the others as that
// trait alone says, scaled by three: sqrt(3 * 1) and sqrt(3 * 4).
TEST(MissingValuesTest, AVarietyWithOneTraitOfThree) {
  const Collection c = FromRows({{1, 0, 5}, {kNaN, 1, kNaN}, {2, 3, 4}});
  const DistanceTriangle d = ComputeGappedDistances(c, 1, 2);
  EXPECT_EQ(BitsOf(d.roots[CondensedIndex(3, 0, 1)]), BitsOf(std::sqrt(3.0)));
  EXPECT_EQ(BitsOf(d.roots[CondensedIndex(3, 1, 2)]), BitsOf(std::sqrt(12.0)));
  EXPECT_EQ(BitsOf(d.roots[CondensedIndex(3, 0, 2)]), BitsOf(std::sqrt(1.0 + 9 + 1)));  // complete pair
  EXPECT_EQ(CountNoDistances(d, 3).pairs, 0u);
  EXPECT_EQ(CountNoDistances(d, 3).first, -1);
}

// Every pair against the formula, with more than 64 traits (a variety's
// present traits take two words of bits), an odd count of varieties (a last
// block of three rows), gaps enough that some pairs share nothing, and a
// variety without any value.
TEST(MissingValuesTest, EveryPairIsTheFormulaOverTheCommonTraits) {
  for (const double gaps : {0.1, 0.5, 0.97}) {
    SCOPED_TRACE(::testing::Message() << "gaps " << gaps);
    Collection c = Random(23, 70, gaps, 11);
    for (int j = 0; j < c.traits; ++j) c.Value(5, j) = kNaN;
    ASSERT_EQ(Bits(ComputeGappedDistances(c, 1, 2).roots), Bits(ByHand(c, 1)));
  }
  // With 97% of the values missing, many pairs share no trait.
  const Collection sparse = Random(23, 70, 0.97, 11);
  const NoDistanceCount none = CountNoDistances(ComputeGappedDistances(sparse, 1, 1), 23);
  EXPECT_GT(none.pairs, 10u);
  const std::vector<double> by_hand = ByHand(sparse, 1);
  const auto first_nan = std::find_if(by_hand.begin(), by_hand.end(), [](double v) { return std::isnan(v); });
  ASSERT_NE(first_nan, by_hand.end());
  EXPECT_EQ(CondensedIndex(23, none.first, none.second), static_cast<std::size_t>(first_nan - by_hand.begin()));
  EXPECT_LT(none.first, none.second);
}

// The least number of common traits: below 1 it is 1; above the count of
// traits no pair has a distance.
TEST(MissingValuesTest, PairsWithFewerCommonTraitsThanAskedHaveNoDistance) {
  const Collection c = Random(17, 6, 0.3, 5);
  for (const int least : {-3, 0, 1, 2, 4, 6, 7}) {
    SCOPED_TRACE(::testing::Message() << "min_common " << least);
    const DistanceTriangle d = ComputeGappedDistances(c, least, 3);
    ASSERT_EQ(Bits(d.roots), Bits(ByHand(c, least)));
    uint64_t expected_none = 0;
    for (double v : d.roots) expected_none += std::isnan(v) ? 1 : 0;
    EXPECT_EQ(CountNoDistances(d, c.varieties).pairs, expected_none);
  }
}

// Without a gap the complete collection's accurate distances, bit for bit;
// with fewer traits than asked (or none), no distances.
TEST(MissingValuesTest, WithoutGapsTheDistancesAreTheAccurateArithmetics) {
  const Collection c = Random(29, 9, 0, 3);
  for (const int jobs : {1, 2}) {
    EXPECT_EQ(Bits(ComputeGappedDistances(c, 1, jobs).roots),
              Bits(ComputeDistances(c, Arithmetic::kAccurate, jobs).roots));
  }
  EXPECT_EQ(Bits(ComputeGappedDistances(c, 9, 1).roots), Bits(ComputeDistances(c, Arithmetic::kAccurate, 1).roots));
  EXPECT_EQ(CountNoDistances(ComputeGappedDistances(c, 10, 1), 29).pairs, CondensedSize(29));
  const Collection no_traits = FromRows({{}, {}, {}});
  EXPECT_EQ(Bits(ComputeGappedDistances(no_traits, 1, 1).roots), Bits({kNaN, kNaN, kNaN}));
}

// A complete pair in a collection with gaps elsewhere has the complete
// arithmetic's distance: the one it has in a collection of complete
// varieties alone.
TEST(MissingValuesTest, CompletePairsAmongGapsKeepTheCompleteBits) {
  Collection c = Random(19, 8, 0, 9);
  const int with_gaps[] = {2, 3, 11, 18};
  for (int i : with_gaps) c.Value(i, i % 8) = kNaN;
  std::vector<std::vector<double>> complete_rows;
  std::vector<int> complete;
  for (int i = 0; i < c.varieties; ++i) {
    if (std::find(std::begin(with_gaps), std::end(with_gaps), i) != std::end(with_gaps)) continue;
    complete.push_back(i);
    complete_rows.emplace_back();
    for (int j = 0; j < c.traits; ++j) complete_rows.back().push_back(c.Value(i, j));
  }
  const DistanceTriangle gapped = ComputeGappedDistances(c, 1, 2);
  const DistanceTriangle alone = ComputeDistances(FromRows(complete_rows), Arithmetic::kAccurate, 1);
  const std::size_t n = complete.size();
  for (std::size_t a = 0; a < n; ++a) {
    for (std::size_t b = a + 1; b < n; ++b) {
      ASSERT_EQ(BitsOf(gapped.roots[CondensedIndex(19, complete[a], complete[b])]),
                BitsOf(alone.roots[CondensedIndex(n, a, b)]))
          << complete[a] << "-" << complete[b];
    }
  }
}

TEST(MissingValuesTest, TheSameBitsForEveryNumberOfJobs) {
  const Collection c = Random(301, 67, 0.1, 13);
  const std::vector<uint64_t> one = Bits(ComputeGappedDistances(c, 3, 1).roots);
  for (const int jobs : {2, 3, 8}) EXPECT_EQ(Bits(ComputeGappedDistances(c, 3, jobs).roots), one) << jobs;
}

TEST(MissingValuesTest, TheWorkingBytesOfTheHeader) {
  EXPECT_EQ(GappedDistancesWorkingBytes(5000, 50, 2), 360064u);
  EXPECT_EQ(GappedDistancesWorkingBytes(5000, 65, 2), 360064u + 5000u * 8);  // two words a variety
}

}  // namespace
}  // namespace kyori
