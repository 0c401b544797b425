// The principal components of a batch run (frontend/batch_multivariate.h):
// computed from the values as read, each trait standardized over its
// present values with a missing value taken as 0, and the line that says how
// many were; the line naming the number of groups chosen.
#include "frontend/batch_multivariate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "double_bits.h"
#include "text/byte_string.h"

namespace kyori {
namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

std::vector<std::uint64_t> Bits(const std::vector<double>& values) {
  std::vector<std::uint64_t> bits;
  for (double v : values) bits.push_back(testing::BitsOf(v));
  return bits;
}

Collection Counts(int varieties, int traits) {
  Collection c;
  c.varieties = varieties;
  c.traits = traits;
  c.variety_count = varieties;
  c.trait_count = traits;
  for (int i = 0; i < varieties; ++i) c.variety_names.push_back(TextFromBytes("v" + std::to_string(i)));
  for (int j = 0; j < traits; ++j) c.trait_names.push_back(TextFromBytes("t" + std::to_string(j)));
  return c;
}

// A = 1, NaN, 3, 5 has mean 3 and sd 2 over its present values: -1, 0
// (the missing value, at the mean), 0, 1. B = 1, 1, 1, 5 has mean 2 and sd
// 2: -0.5, -0.5, -0.5, 1.5. Every step exact, so the components are those
// of that matrix, bit for bit.
TEST(BatchMultivariateTest, AMissingValueCountsAsTheTraitsMean) {
  const Collection c = Counts(4, 2);
  const std::vector<double> as_read = {1, kMissing, 3, 5, 1, 1, 1, 5};
  Multivariate run;
  const PcaStage stage = ComputeRunPca(c, as_read, run);
  ASSERT_EQ(stage.kind, PcaStage::kDone);
  EXPECT_EQ(run.pca.replaced, 1);
  analysis::Pca expected;
  ASSERT_EQ(analysis::ComputePca(4, 2, {-1, 0, 0, 1, -0.5, -0.5, -0.5, 1.5}, &expected), analysis::PcaProblem::kNone);
  EXPECT_EQ(Bits(run.pca.scores), Bits(expected.scores));
  EXPECT_EQ(Bits(run.pca.loadings), Bits(expected.loadings));
  EXPECT_EQ(Bits(run.pca.eigenvalues), Bits(expected.eigenvalues));
  EXPECT_EQ(run.variety_names, (std::vector<std::string>{"v0", "v1", "v2", "v3"}));
  EXPECT_EQ(run.trait_names, (std::vector<std::string>{"t0", "t1"}));
}

// What stops the components before any decomposition: one trait (no
// biplot), and a trait that cannot be standardized over its present values.
TEST(BatchMultivariateTest, TraitsThatGiveNoComponents) {
  struct Case {
    int traits;
    std::vector<double> as_read;
    PcaStage::Kind kind;
    GappedTraitStop::Kind stop;
    int trait;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {1, {1, 2, 3}, PcaStage::kOneTrait, GappedTraitStop::kNone, -1},
      {2, {1, 2, 3, 4, 4, 4}, PcaStage::kTraitStop, GappedTraitStop::kIdentical, 1},
      {2, {1, 2, 3, kMissing, 7, kMissing}, PcaStage::kTraitStop, GappedTraitStop::kTooFewValues, 1},
      {2, {1, inf, 3, 1, 2, 3}, PcaStage::kTraitStop, GappedTraitStop::kNotFinite, 0},
  };
  for (const Case& k : cases) {
    Multivariate run;
    const PcaStage stage = ComputeRunPca(Counts(3, k.traits), k.as_read, run);
    EXPECT_EQ(stage.kind, k.kind) << k.traits << " " << k.as_read[4 % k.as_read.size()];
    EXPECT_EQ(stage.stop.kind, k.stop);
    EXPECT_EQ(stage.stop.trait, k.trait);
    EXPECT_FALSE(run.has_pca);
  }
}

TEST(BatchMultivariateTest, TheLinesInBothLanguages) {
  const MessageStyle english{false, true};
  const MessageStyle utf8{true, true};
  const MessageStyle cp932{true, false};
  struct Case {
    std::string line;
    std::string expected;
  };
  analysis::Grouping grouping;
  grouping.k = 3;
  grouping.silhouette.average = 0.4123456;
  const Case cases[] = {
      {PcaMissingLine(english, "in.csv", 37).Text(),
       "kyori: in.csv: principal components: 37 missing values taken as the trait's mean"},
      {PcaMissingLine(english, "in.csv", 1).Text(),
       "kyori: in.csv: principal components: 1 missing value taken as the trait's mean"},
      {PcaMissingLine(english, "a\nb", 2).Text(),
       "kyori: a\\nb: principal components: 2 missing values taken as the trait's mean"},
      {PcaMissingLine(utf8, "in.csv", 37).Text(), "kyori: in.csv: 主成分分析：欠測値37個を形質の平均値として計算しました"},
      {PcaMissingLine(cp932, "in.csv", 37).Text(),
       "kyori: in.csv: \x8E\xE5\x90\xAC\x95\xAA\x95\xAA\x90\xCD\x81\x46\x8C\x87\x91\xAA\x92l"
       "37\x8C\xC2\x82\xF0\x8C`\x8E\xBF\x82\xCC\x95\xBD\x8B\xCF\x92l\x82\xC6\x82\xB5\x82\xC4\x8Cv\x8EZ"
       "\x82\xB5\x82\xDC\x82\xB5\x82\xBD"},
      {GroupsChosenLine(english, grouping).Text(),
       "kyori: groups: 3, chosen by the largest average silhouette width (0.412346)"},
      {GroupsChosenLine(utf8, grouping).Text(), "kyori: グループ数：3（平均シルエット幅が最大：0.412346）"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.line, c.expected);
}

}  // namespace
}  // namespace kyori
