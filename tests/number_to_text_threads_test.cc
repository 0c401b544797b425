// Batch mode formats the report's rows on several threads at once: the texts
// NumberToChars and NumbersToChars make on one thread must not depend on what
// another thread formats at the same time.
#include "convert/number_to_text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace kyori {
namespace {

std::string TextOf(double value) {
  char out[kNumberTextMax];
  return std::string(out, static_cast<std::size_t>(NumberToChars(value, out)));
}

// Each worker formats its own values over and over, one at a time and as
// rows of three (shorter than a pass of side-by-side loops, so each goes
// through NumberToChars), and counts the texts that differ from those made
// beforehand on one thread.
TEST(NumberToTextThreads, TextsDoNotDependOnOtherThreads) {
  constexpr int kWorkers = 4;
  constexpr int kValues = 300;
  constexpr int kRounds = 200;
  std::vector<std::vector<double>> values(kWorkers);
  std::vector<std::vector<std::string>> expected(kWorkers);
  std::mt19937_64 rng(7);
  std::normal_distribution<double> normal(0, 1);
  for (int w = 0; w < kWorkers; ++w) {
    for (int k = 0; k < kValues; ++k) {
      const double v = k % 10 == 0 ? 0.0 : normal(rng) * (w + 1);  // zeros too: no digits to take
      values[w].push_back(v);
      expected[w].push_back(TextOf(v));
    }
  }
  std::atomic<int> wrong{0};
  auto work = [&](int w) {
    char row[3 * kNumberTextMax];
    int lengths[3];
    for (int round = 0; round < kRounds; ++round) {
      for (int k = 0; k + 3 <= kValues; k += 3) {
        if (TextOf(values[w][k]) != expected[w][k]) ++wrong;
        NumbersToChars(&values[w][k], 3, row, lengths);
        for (int t = 0; t < 3; ++t) {
          if (std::string(row + t * kNumberTextMax, static_cast<std::size_t>(lengths[t])) != expected[w][k + t]) {
            ++wrong;
          }
        }
      }
    }
  };
  std::vector<std::thread> threads;
  for (int w = 0; w < kWorkers; ++w) threads.emplace_back(work, w);
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(0, wrong.load());
}

}  // namespace
}  // namespace kyori
