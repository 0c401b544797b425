// The number conversions every field and every cell goes through:
// TextToNumber for each value read, NumberToText and NumberToChars for each
// number shown, NumbersToChars for a report row, and Power(x, 0.5) for each
// distance cell, one by one and a row at a time (HalfPowers).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "convert/number_to_text.h"
#include "convert/text_to_number.h"
#include "text/byte_string.h"
#include "numeric/elementary.h"

namespace kyori {
namespace {

constexpr int kRow = 300;

// Values like the report's: standardized values around 0 and distances up
// to about 40, each row the same from run to run.
std::vector<double> ReportValues() {
  std::mt19937_64 random(7);
  std::normal_distribution<double> standardized(0.0, 1.0);
  std::uniform_real_distribution<double> distance(0.5, 40.0);
  std::vector<double> values;
  for (int k = 0; k < kRow; ++k) values.push_back(k % 2 ? standardized(random) : distance(random));
  return values;
}

// Fields like a data file's: 1 to 3 decimals, magnitudes 0.01 to 10^4.
std::vector<std::string> FieldTexts() {
  return {"12.5", "-0.023", "8190.8", "454.69", "0.601", "-5.824", "6506.92", "23.34242",
          "1", "300", "0.007", "-1234.567"};
}

void BM_TextToNumber(benchmark::State& state) {
  const std::vector<std::string> fields = FieldTexts();
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(TextToNumber(fields[k].c_str()));
    if (++k == fields.size()) k = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextToNumber);

void BM_NumberToText(benchmark::State& state) {
  InitRuntime();
  const std::vector<double> values = ReportValues();
  std::size_t k = 0;
  for (auto _ : state) {
    ByteString text = NumberToText(values[k]);
    benchmark::DoNotOptimize(text.Data());
    if (++k == values.size()) k = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NumberToText);

void BM_NumberToChars(benchmark::State& state) {
  const std::vector<double> values = ReportValues();
  char out[kNumberTextMax];
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(NumberToChars(values[k], out));
    benchmark::ClobberMemory();
    if (++k == values.size()) k = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NumberToChars);

// A report row of 300 numbers at once; items are numbers.
void BM_NumbersToCharsRow(benchmark::State& state) {
  const std::vector<double> values = ReportValues();
  std::vector<char> out(static_cast<std::size_t>(kRow) * kNumberTextMax);
  std::vector<int> lengths(kRow);
  for (auto _ : state) {
    NumbersToChars(values.data(), kRow, out.data(), lengths.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kRow);
}
BENCHMARK(BM_NumbersToCharsRow);

// The root of each distance cell: squared distances from 0.25 to 1600.
void BM_PowerHalf(benchmark::State& state) {
  std::vector<double> squares;
  for (double v : ReportValues()) squares.push_back(v * v + 0.25);
  const double half = 1.0 / 2.0;
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Power(squares[k], half));
    if (++k == squares.size()) k = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PowerHalf);

// A distance row's roots at once; items are roots.
void BM_HalfPowersRow(benchmark::State& state) {
  std::vector<double> squares;
  for (double v : ReportValues()) squares.push_back(v * v + 0.25);
  std::vector<double> roots(squares.size());
  for (auto _ : state) {
    HalfPowers(squares.data(), roots.data(), static_cast<int>(squares.size()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(squares.size()));
}
BENCHMARK(BM_HalfPowersRow);

}  // namespace
}  // namespace kyori
