// Test driver for the CSV and TSV tables (batch/table_writer.h): writes the
// tables of a collection given on standard input, for the checks that read
// them back with pandas and R, and times a large distance table.
//
// Usage:
//   table_driver tables FOLDER   writes FOLDER/values.csv, values.tsv,
//                                distances.csv and distances.tsv (2 jobs)
//   table_driver time N JOBS FILE
//                                writes the CSV of N varieties' random
//                                distances to FILE three times and prints
//                                the least seconds, %.3f
//
// Input of `tables`: the counts n and m and the names' encoding (cp932,
// utf-8 or detect); the m trait names, then the n variety names, one per
// line, each as the hex digits of its bytes ("-" for an empty name); the
// n * m values by trait, then the n(n-1)/2 distances in condensed order,
// each as C's strtod reads it (hex floats keep every bit, "nan" is a
// missing value or a pair without a distance):
//   2 1 utf-8
//   54
//   61
//   e59381
//   -0x1p+0 0x1p+0
//   0x1.6a09e667f3bcdp+1
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "batch/collection.h"
#include "batch/table_writer.h"
#include "io/file_writer.h"
#include "kernels/condensed_index.h"
#include "platform/platform.h"
#include "text/byte_string.h"

namespace {

using namespace kyori;

std::string FromHex(const std::string& hex) {
  if (hex == "-") return "";
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

bool ReadNumbers(std::size_t count, std::vector<double>* numbers) {
  std::string word;
  for (std::size_t k = 0; k < count; ++k) {
    if (!(std::cin >> word)) return false;
    numbers->push_back(std::strtod(word.c_str(), nullptr));
  }
  return true;
}

bool ReadNames(int count, std::vector<ByteString>* names) {
  std::string hex;
  for (int k = 0; k < count; ++k) {
    if (!(std::cin >> hex)) return false;
    names->push_back(TextFromBytes(FromHex(hex)));
  }
  return true;
}

bool EncodingFromName(const std::string& name, NamesEncoding* encoding) {
  if (name == "cp932") *encoding = NamesEncoding::kCp932;
  else if (name == "utf-8") *encoding = NamesEncoding::kUtf8;
  else if (name == "detect") *encoding = NamesEncoding::kDetect;
  else return false;
  return true;
}

// Writes one table to `path` with `write(out)`.
template <typename Write>
bool WriteFile(const std::string& path, Write write) {
  const platform::FileHandle file = platform::OpenFile(path.c_str(), platform::OpenMode::kCreate);
  if (file == platform::kInvalidHandle) return false;
  bool written;
  {
    FileWriter out(file);
    written = write(out) && out.Flush();
  }
  return platform::CloseFile(file) && written;
}

int Tables(const std::string& folder) {
  Collection c;
  std::vector<double> distances;
  std::string encoding_name;
  NamesEncoding encoding;
  if (!(std::cin >> c.varieties >> c.traits >> encoding_name) || c.varieties < 1 || c.traits < 0 ||
      !EncodingFromName(encoding_name, &encoding) || !ReadNames(c.traits, &c.trait_names) ||
      !ReadNames(c.varieties, &c.variety_names) ||
      !ReadNumbers(static_cast<std::size_t>(c.varieties) * c.traits, &c.values) ||
      !ReadNumbers(CondensedSize(c.varieties), &distances)) {
    std::fprintf(stderr, "table_driver: bad input\n");
    return 2;
  }
  c.variety_count = c.varieties;
  c.trait_count = c.traits;
  for (const char delimiter : {',', '\t'}) {
    const TableStyle style{delimiter, encoding};
    const std::string suffix = delimiter == ',' ? ".csv" : ".tsv";
    if (!WriteFile(folder + "/values" + suffix, [&](FileWriter& out) { return WriteValuesTable(c, style, 2, out); }) ||
        !WriteFile(folder + "/distances" + suffix,
                   [&](FileWriter& out) { return WriteDistanceTable(distances, c.variety_names, style, 2, out); })) {
      std::fprintf(stderr, "table_driver: cannot write the %s tables\n", suffix.c_str());
      return 1;
    }
  }
  return 0;
}

int Time(int n, int jobs, const std::string& path) {
  std::mt19937_64 random(1);
  std::uniform_real_distribution<double> spread(0.5, 12);
  std::vector<double> distances(CondensedSize(n));
  for (double& d : distances) d = spread(random);
  std::vector<ByteString> names;
  for (int i = 0; i < n; ++i) names.push_back(TextFromBytes("variety " + std::to_string(i)));
  double least = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    if (!WriteFile(path, [&](FileWriter& out) { return WriteDistanceTable(distances, names, {}, jobs, out); })) {
      std::fprintf(stderr, "table_driver: cannot write %s\n", path.c_str());
      return 1;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (run == 0 || elapsed.count() < least) least = elapsed.count();
  }
  std::printf("%.3f\n", least);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  InitRuntime();
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "tables" && argc == 3) return Tables(argv[2]);
  if (command == "time" && argc == 5) return Time(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
  std::fprintf(stderr, "usage: table_driver tables FOLDER | table_driver time N JOBS FILE\n");
  return 2;
}
