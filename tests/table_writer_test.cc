// The CSV and TSV tables (batch/table_writer.h): exact bytes of small
// tables, every number read back to its bits, the same bytes for every
// number of jobs, and the memory the writers hold.
#include "batch/table_writer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "io/file_writer.h"
#include "kernels/condensed_index.h"
#include "platform/platform.h"
#include "tests/double_bits.h"
#include "tests/test_files.h"
#include "text/byte_string.h"

namespace kyori {
namespace {

using testing::BitsOf;
using testing::ReadWholeFile;
using testing::TempFolder;

constexpr std::string_view kMark = "\xEF\xBB\xBF";
constexpr TableStyle kCsvCp932{',', NamesEncoding::kCp932};
constexpr TableStyle kTsvCp932{'\t', NamesEncoding::kCp932};

class TableWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { InitRuntime(); }

  // The bytes `write` sends to a FileWriter, and whether it returned true.
  std::string Written(const std::function<bool(FileWriter&)>& write, bool* accepted = nullptr) {
    const std::string path = folder_.File("table.txt");
    const platform::FileHandle file = platform::OpenFile(path.c_str(), platform::OpenMode::kCreate);
    EXPECT_NE(file, platform::kInvalidHandle);
    {
      FileWriter out(file);
      const bool result = write(out);
      if (accepted != nullptr) *accepted = result;
      EXPECT_TRUE(out.Flush());
    }
    platform::CloseFile(file);
    return ReadWholeFile(path);
  }

  std::string Distances(const std::vector<double>& d, const std::vector<ByteString>& names, TableStyle style,
                        int jobs = 2) {
    return Written([&](FileWriter& out) { return WriteDistanceTable(d, names, style, jobs, out); });
  }

  std::string Values(const Collection& c, TableStyle style, int jobs = 2) {
    return Written([&](FileWriter& out) { return WriteValuesTable(c, style, jobs, out); });
  }

  TempFolder folder_;
};

std::vector<ByteString> Names(const std::vector<std::string>& bytes) {
  std::vector<ByteString> names;
  for (const std::string& b : bytes) names.push_back(TextFromBytes(b));
  return names;
}

// n varieties named v0, v1, ... with m traits; values[j * n + i] as given.
Collection MakeCollection(int n, int m, std::vector<double> values) {
  Collection c;
  c.varieties = n;
  c.traits = m;
  c.variety_count = n;
  c.trait_count = m;
  for (int i = 0; i < n; ++i) c.variety_names.push_back(TextFromBytes("v" + std::to_string(i)));
  for (int j = 0; j < m; ++j) c.trait_names.push_back(TextFromBytes("t" + std::to_string(j)));
  c.values = std::move(values);
  return c;
}

// The rows of a table without quoted cells, split at `separator`; the mark
// and the row ends are checked on the way.
std::vector<std::vector<std::string>> Cells(const std::string& table, char separator) {
  std::vector<std::vector<std::string>> rows;
  EXPECT_EQ(table.substr(0, kMark.size()), kMark);
  std::size_t at = kMark.size();
  while (at < table.size()) {
    const std::size_t end = table.find("\r\n", at);
    EXPECT_NE(end, std::string::npos) << "a row without CR LF";
    if (end == std::string::npos) break;
    std::vector<std::string> row;
    std::size_t from = at;
    for (std::size_t cut; (cut = table.find(separator, from)) < end; from = cut + 1) {
      row.push_back(table.substr(from, cut - from));
    }
    row.push_back(table.substr(from, end - from));
    rows.push_back(row);
    at = end + 2;
  }
  return rows;
}

double ParsedBack(const std::string& cell) {
  double value = 0;
  const auto result = std::from_chars(cell.data(), cell.data() + cell.size(), value);
  EXPECT_EQ(result.ptr, cell.data() + cell.size()) << cell;
  EXPECT_EQ(result.ec, std::errc()) << cell;
  return value;
}

// ---- Exact bytes

// Five varieties: a comma, a quote, a line break, a code page 932 name, a
// tab (quoted in TSV only).
const std::vector<std::string> kAwkwardNames = {"a,b", "5\" pot", "x\r\ny", "\x95\x69\x8E\xED", "t\tu"};
const std::vector<double> kFiveDistances = {1.5, 2, 0.1, 100, 0.25, 3, 1.0 / 3, 10, 2.5e-7, 7};

TEST_F(TableWriterTest, DistanceTableCsvExactBytes) {
  EXPECT_EQ(Distances(kFiveDistances, Names(kAwkwardNames), kCsvCp932),
            "\xEF\xBB\xBF" ",\"a,b\",\"5\"\" pot\",\"x\r\ny\",品種,t\tu\r\n"
            "\"a,b\",0,1.5,2,0.1,100\r\n"
            "\"5\"\" pot\",1.5,0,0.25,3,0.3333333333333333\r\n"
            "\"x\r\ny\",2,0.25,0,10,2.5e-07\r\n"
            "品種,0.1,3,10,0,7\r\n"
            "t\tu,100,0.3333333333333333,2.5e-07,7,0\r\n");
}

TEST_F(TableWriterTest, DistanceTableTsvExactBytes) {
  EXPECT_EQ(Distances(kFiveDistances, Names(kAwkwardNames), kTsvCp932),
            "\xEF\xBB\xBF" "\ta,b\t\"5\"\" pot\"\t\"x\r\ny\"\t品種\t\"t\tu\"\r\n"
            "a,b\t0\t1.5\t2\t0.1\t100\r\n"
            "\"5\"\" pot\"\t1.5\t0\t0.25\t3\t0.3333333333333333\r\n"
            "\"x\r\ny\"\t2\t0.25\t0\t10\t2.5e-07\r\n"
            "品種\t0.1\t3\t10\t0\t7\r\n"
            "\"t\tu\"\t100\t0.3333333333333333\t2.5e-07\t7\t0\r\n");
}

TEST_F(TableWriterTest, ValuesTableLaysOutTheValuesByTrait) {
  // Three varieties, two traits, values by trait: t0 = -1 0 1, t1 = 0.5 -0 1e-300.
  Collection c = MakeCollection(3, 2, {-1, 0, 1, 0.5, -0.0, 1e-300});
  c.trait_names[0] = TextFromBytes("T,1");
  c.trait_names[1] = TextFromBytes("\xE2\x62\x92\xB7");  // code page 932
  EXPECT_EQ(Values(c, kCsvCp932),
            "\xEF\xBB\xBF" ",\"T,1\",稈長\r\n"
            "v0,-1,0.5\r\n"
            "v1,0,-0\r\n"
            "v2,1,1e-300\r\n");
  EXPECT_EQ(Values(c, kTsvCp932),
            "\xEF\xBB\xBF" "\tT,1\t稈長\r\n"
            "v0\t-1\t0.5\r\n"
            "v1\t0\t-0\r\n"
            "v2\t1\t1e-300\r\n");
}

// Missing values and pairs without a distance are NaN; both read as NA.
TEST_F(TableWriterTest, MissingValuesAndDistancesAreNA) {
  const double nan = testing::kNaN;
  EXPECT_EQ(Distances({nan, 1.5, nan}, Names({"x", "y", "z"}), kCsvCp932),
            "\xEF\xBB\xBF" ",x,y,z\r\n"
            "x,0,NA,1.5\r\n"
            "y,NA,0,NA\r\n"
            "z,1.5,NA,0\r\n");
  EXPECT_EQ(Values(MakeCollection(2, 2, {nan, 0.5, -1, nan}), kTsvCp932),
            "\xEF\xBB\xBF" "\tt0\tt1\r\n"
            "v0\tNA\t-1\r\n"
            "v1\t0.5\tNA\r\n");
}

TEST_F(TableWriterTest, SmallestTables) {
  EXPECT_EQ(Distances({}, Names({"only"}), kCsvCp932), "\xEF\xBB\xBF" ",only\r\nonly,0\r\n");
  EXPECT_EQ(Values(MakeCollection(2, 0, {}), kCsvCp932), "\xEF\xBB\xBF" "\r\nv0\r\nv1\r\n");
}

TEST_F(TableWriterTest, RefusesInputsWhoseSizesDisagree) {
  bool accepted = true;
  const std::vector<ByteString> three = Names({"a", "b", "c"});
  EXPECT_EQ(Written([&](FileWriter& out) { return WriteDistanceTable({1, 2}, three, kCsvCp932, 1, out); }, &accepted),
            "");  // three varieties need three distances
  EXPECT_FALSE(accepted);

  Collection c = MakeCollection(2, 2, {1, 2, 3});  // one value short
  EXPECT_EQ(Written([&](FileWriter& out) { return WriteValuesTable(c, kCsvCp932, 1, out); }, &accepted), "");
  EXPECT_FALSE(accepted);
  c = MakeCollection(2, 2, {1, 2, 3, 4});
  c.trait_names.pop_back();
  EXPECT_EQ(Written([&](FileWriter& out) { return WriteValuesTable(c, kCsvCp932, 1, out); }, &accepted), "");
  EXPECT_FALSE(accepted);
}

// ---- Whole tables read back

// Every cell of a matrix of awkward distances reads back to its pair's bits,
// and the matrix is symmetric with 0 on the diagonal.
TEST_F(TableWriterTest, DistanceTableReadsBackToTheSameBits) {
  const std::vector<double> awkward = {1e-300, 0.1, 1.0 / 3, 5e-324, testing::kLargest, 0.0, 2.5e-7, 0.1 + 0.2};
  const int n = 13;
  std::vector<double> d(CondensedSize(n));
  for (std::size_t k = 0; k < d.size(); ++k) d[k] = awkward[k % awkward.size()] * (1 + (k % 5 == 0 ? 0 : 1e-15 * k));
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back("n" + std::to_string(i));
  const auto rows = Cells(Distances(d, Names(names), kCsvCp932), ',');
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(n + 1));
  EXPECT_EQ(rows[0][0], "");
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(rows[0][i + 1], names[i]);
    ASSERT_EQ(rows[i + 1].size(), static_cast<std::size_t>(n + 1));
    EXPECT_EQ(rows[i + 1][0], names[i]);
    for (int j = 0; j < n; ++j) {
      const double expected = i == j ? 0.0 : d[CondensedIndex(n, i, j)];
      EXPECT_EQ(BitsOf(ParsedBack(rows[i + 1][j + 1])), BitsOf(expected)) << i << " " << j;
    }
  }
}

// ---- Threads

// Enough rows for several batches: each thread count writes the same bytes,
// and they read back to the input.
TEST_F(TableWriterTest, SameBytesForEveryNumberOfJobs) {
  const int n = 1000;
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> spread(0, 10);
  std::vector<double> d(CondensedSize(n));
  for (double& v : d) v = spread(random);
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back("v" + std::to_string(i));
  const std::vector<ByteString> handles = Names(names);
  const std::string one = Distances(d, handles, kTsvCp932, 1);
  EXPECT_EQ(Distances(d, handles, kTsvCp932, 2), one);
  EXPECT_EQ(Distances(d, handles, kTsvCp932, 7), one);
  const auto rows = Cells(one, '\t');
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(n + 1));
  for (int i = 0; i < n; i += 97) {
    EXPECT_EQ(rows[i + 1][0], names[i]);
    for (int j = 0; j < n; ++j) {
      const double expected = i == j ? 0.0 : d[CondensedIndex(n, i, j)];
      ASSERT_EQ(BitsOf(ParsedBack(rows[i + 1][j + 1])), BitsOf(expected)) << i << " " << j;
    }
  }

  const int varieties = 6000;  // value rows are short: about 2,800 to a batch
  std::vector<double> values(static_cast<std::size_t>(varieties) * 2);
  for (double& v : values) v = spread(random) - 5;
  const Collection c = MakeCollection(varieties, 2, values);
  const std::string values_one = Values(c, kCsvCp932, 1);
  EXPECT_EQ(Values(c, kCsvCp932, 2), values_one);
  EXPECT_EQ(Values(c, kCsvCp932, 7), values_one);
  const auto value_rows = Cells(values_one, ',');
  ASSERT_EQ(value_rows.size(), static_cast<std::size_t>(varieties + 1));
  for (int i = 0; i < varieties; ++i) {
    ASSERT_EQ(value_rows[i + 1].size(), 3u);
    EXPECT_EQ(value_rows[i + 1][0], "v" + std::to_string(i));
    for (int j = 0; j < 2; ++j) EXPECT_EQ(BitsOf(ParsedBack(value_rows[i + 1][j + 1])), BitsOf(c.Value(i, j)));
  }
}

// ---- Memory

// With every row in one batch, what the writers hold is at most the whole
// text of a table of the longest cells: names of 64 half-width katakana
// (3 bytes each in UTF-8) and numbers of 24 characters.
TEST_F(TableWriterTest, MemoryCoversTheLongestRows) {
  const int n = 6;
  const int m = 3;
  const std::string name(64, '\xB1');
  const std::vector<double> d(CondensedSize(n), -2.2250738585072014e-308);
  Collection c = MakeCollection(n, m, std::vector<double>(n * m, -2.2250738585072014e-308));
  for (ByteString& v : c.variety_names) v = TextFromBytes(name);
  for (ByteString& t : c.trait_names) t = TextFromBytes(name);
  const std::size_t distances = Distances(d, Names(std::vector<std::string>(n, name)), kCsvCp932, 1).size();
  const std::size_t values = Values(c, kCsvCp932, 1).size();
  EXPECT_GE(TableMemory(n, m, 1), std::max(distances, values));
}

}  // namespace
}  // namespace kyori
