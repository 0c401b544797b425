// The .npy vector's bytes: the header NumPy's reader needs (its length, its
// padding to 64, its dict) and the numbers little-endian in either
// precision.
#include "batch/npy_matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "io/file_writer.h"
#include "platform/platform.h"
#include "tests/test_files.h"

namespace kyori {
namespace {

// The bytes WriteNpyVector writes for `distances`.
std::string Written(const std::vector<double>& distances, NpyPrecision precision) {
  testing::TempFolder folder;
  const std::string path = folder.File("d.npy");
  const platform::FileHandle file = platform::OpenFile(path.c_str(), platform::OpenMode::kCreate);
  EXPECT_NE(file, platform::kInvalidHandle);
  {
    FileWriter out(file);
    WriteNpyVector(distances, precision, out);
    EXPECT_TRUE(out.Flush());
  }
  platform::CloseFile(file);
  return testing::ReadWholeFile(path);
}

TEST(NpyHeader, IsPaddedToSixtyFourAndSaysItsLength) {
  const struct {
    std::uint64_t count;
    NpyPrecision precision;
    const char* dict;
    std::size_t total;
  } cases[] = {
      {0, NpyPrecision::kFloat64, "{'descr': '<f8', 'fortran_order': False, 'shape': (0,), }", 128},
      {3, NpyPrecision::kFloat32, "{'descr': '<f4', 'fortran_order': False, 'shape': (3,), }", 128},
      {499999500000, NpyPrecision::kFloat64,
       "{'descr': '<f8', 'fortran_order': False, 'shape': (499999500000,), }", 128},
  };
  for (const auto& t : cases) {
    const std::string header = NpyHeader(t.count, t.precision);
    ASSERT_EQ(header.size(), t.total) << t.dict;
    EXPECT_EQ(header.substr(0, 8), std::string("\x93NUMPY\x01\x00", 8));
    const std::size_t length = static_cast<unsigned char>(header[8]) + 256u * static_cast<unsigned char>(header[9]);
    EXPECT_EQ(length, t.total - 10);
    const std::string dict = header.substr(10);
    EXPECT_EQ(dict.substr(0, std::string(t.dict).size()), t.dict);
    EXPECT_EQ(dict.back(), '\n');
    EXPECT_EQ(dict.find_first_not_of(' ', std::string(t.dict).size()), dict.size() - 1);
  }
}

TEST(NpyVector, NumbersAreLittleEndianInEitherPrecision) {
  const std::vector<double> distances = {2.5, 1.0, 0.1, std::nan("")};
  const std::string wide = Written(distances, NpyPrecision::kFloat64);
  ASSERT_EQ(wide.size(), 128u + 4 * 8);
  EXPECT_EQ(wide.substr(128, 8), std::string("\x00\x00\x00\x00\x00\x00\x04\x40", 8));
  EXPECT_EQ(wide.substr(136, 8), std::string("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8));
  EXPECT_EQ(wide.substr(144, 8), std::string("\x9A\x99\x99\x99\x99\x99\xB9\x3F", 8));
  EXPECT_EQ(wide.substr(152, 8), std::string("\x00\x00\x00\x00\x00\x00\xF8\x7F", 8));
  const std::string narrow = Written(distances, NpyPrecision::kFloat32);
  ASSERT_EQ(narrow.size(), 128u + 4 * 4);
  EXPECT_EQ(narrow.substr(128, 4), std::string("\x00\x00\x20\x40", 4));
  EXPECT_EQ(narrow.substr(136, 4), std::string("\xCD\xCC\xCC\x3D", 4));  // 0.1 rounded to nearest
  EXPECT_EQ(narrow.substr(140, 4), std::string("\x00\x00\xC0\x7F", 4));
}

}  // namespace
}  // namespace kyori
