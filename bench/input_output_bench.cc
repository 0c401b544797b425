// Reading a data file field by field (ReadFromChannel, per megabyte) and
// writing the report (one standardized row of 300 cells; the distance table
// of 300 rows), with the console and the output file sent to /dev/null.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

#include "dialogue/calculator_data.h"
#include "dialogue/report.h"
#include "text/byte_string.h"
#include "io/channels.h"
#include "io/input_statement.h"

namespace kyori {
namespace {

constexpr int32_t kChannel = 1;

// A data file body of about `bytes` bytes: rows of a name and 300 values of
// 1 to 3 decimals, blank separated, CR LF line ends, as users write them.
std::string DataFileBytes(std::size_t bytes, int* rows) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> value(-500.0, 9000.0);
  std::string data;
  char field[32];
  for (int row = 1; data.size() < bytes; ++row) {
    std::snprintf(field, sizeof field, "V%03d,", row);
    data += field;
    for (int j = 0; j < 300; ++j) {
      std::snprintf(field, sizeof field, "%s%.*f", j ? " " : "", 1 + j % 3, value(random));
      data += field;
    }
    data += "\r\n";
    ++*rows;
  }
  return data;
}

std::string WriteTempFile(const std::string& bytes) {
  char name[] = "/tmp/kyori_bench_XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    std::abort();
  }
  close(fd);
  return name;
}

// Reads one megabyte of fields, each name into a text and each value into a
// double, through the input statement as the data file reader does.
void BM_ReadFromChannelPerMegabyte(benchmark::State& state) {
  InitRuntime();
  int rows = 0;
  const std::string bytes = DataFileBytes(1 << 20, &rows);
  const std::string path = WriteTempFile(bytes);
  ByteString name = NewByteString(0);
  double value = 0;
  int rows_read = 0;
  for (auto _ : state) {
    OpenChannel(TextFromBytes(path), kOpenRead, kChannel);
    for (rows_read = 0;; ++rows_read) {
      InputTarget target{&name, KindText};
      SetInputTargets(&target, 1);
      ReadFromChannel(kChannel);
      if (ReadChannelByte(kChannel) < 0) break;
      GiveBackChannelByte(kChannel);
      for (int j = 0; j < 300; ++j) {
        target = InputTarget{&value, KindFloat64};
        SetInputTargets(&target, 1);
        ReadFromChannel(kChannel);
      }
      benchmark::DoNotOptimize(value);
    }
    CloseChannel(kChannel);
  }
  std::remove(path.c_str());
  // Every row must have been read as a name and 300 values, the last one
  // ending at its line end.
  char last_name[16];
  std::snprintf(last_name, sizeof last_name, "V%03d", rows);
  if (rows_read != rows || name.View() != last_name) {
    state.SkipWithError("the fields were not read as written");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadFromChannelPerMegabyte)->Unit(benchmark::kMillisecond);

// The console and channel 1 go to /dev/null; the calculator's data holds n
// varieties of m standardized traits and their squared distances.
void SetUpReport(int n, int m) {
  InitRuntime();
  ConsoleOut = open("/dev/null", O_WRONLY | O_CLOEXEC);
  OpenChannel(TextFromBytes("/dev/null"), kOpenCreate, kChannel);
  std::mt19937_64 random(5);
  std::normal_distribution<double> standardized(0.0, 1.0);
  VarietyCount = n;
  TraitCount = m;
  for (int i = 1; i <= n; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "V%d", i);
    VarietyNames[i] = TextFromBytes(name);
    for (int j = 1; j <= m; ++j) TraitValues[i][j] = standardized(random);
  }
  for (int k = 1; k <= n; ++k) {
    for (int i = k; i <= n; ++i) {
      const float squared = k == i ? 0.0f : static_cast<float>(standardized(random) + 600.0);
      DistanceMatrix[k][i] = squared;
      DistanceMatrix[i][k] = squared;
    }
  }
}

void TearDownReport() {
  FlushConsoleOutput();
  CloseChannel(kChannel);
  close(static_cast<int>(ConsoleOut));
  ConsoleOut = platform::kInvalidHandle;
  ClearCalculatorData();
}

// One standardized row of 300 cells, in both copies (with the two headings
// of the section).
void BM_ReportStandardizedRow(benchmark::State& state) {
  SetUpReport(1, 300);
  for (auto _ : state) WriteStandardizedSection();
  state.SetItemsProcessed(state.iterations() * 300);  // cells
  TearDownReport();
}
BENCHMARK(BM_ReportStandardizedRow);

// The distance table of 300 varieties; items are rows of 300 cells.
void BM_ReportDistanceRows(benchmark::State& state) {
  SetUpReport(300, 1);
  for (auto _ : state) WriteDistanceSection();
  state.SetItemsProcessed(state.iterations() * 300);  // rows
  TearDownReport();
}
BENCHMARK(BM_ReportDistanceRows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kyori
