// The distances as a binary vector that NumPy loads with no parsing: the
// .npy format, version 1.0, of a one-dimensional array.
//
// The file is the magic "\x93NUMPY", the version bytes 1 0, the header's
// length as two bytes little-endian, and the header: a Python dict literal
//   {'descr': '<f8', 'fortran_order': False, 'shape': (N,), }
// padded with blanks and ended by '\n' so that the data start at a multiple
// of 64 bytes. The data are the N distances in condensed order
// (kernels/condensed_index.h: pair (i, j), i < j, row by row), which is the
// order of the vector that scipy.spatial.distance.squareform turns into the
// square matrix. Each number is written little-endian whatever the machine:
// as a double ('<f8'), or rounded to the nearest single ('<f4'), which
// halves the file. A pair without a distance (NaN) stays NaN.
//
// Example: three varieties at x-y 2.5, x-z 1, y-z 0.5, float64: 128 bytes of
// magic and header ("...'shape': (3,), }", blanks up to byte 126, '\n'),
// then 00 00 00 00 00 00 04 40, 00 .. F0 3F, 00 .. E0 3F: 152 bytes.
#ifndef KYORI_BATCH_NPY_MATRIX_H_
#define KYORI_BATCH_NPY_MATRIX_H_

#include <cstdint>
#include <string>
#include <vector>

#include "io/file_writer.h"

namespace kyori {

enum class NpyPrecision { kFloat64, kFloat32 };

// The magic, version, length and header of a vector of `count` numbers, a
// multiple of 64 bytes long.
//   count 3, kFloat32 -> "\x93NUMPY\x01\x00\x76\x00{'descr': '<f4', 'fortran_order': False, 'shape': (3,), }"
//                        then 60 blanks and "\n": 128 bytes
std::string NpyHeader(std::uint64_t count, NpyPrecision precision);

// Writes the header and `distances` to `out`; failures are left in `out`.
void WriteNpyVector(const std::vector<double>& distances, NpyPrecision precision, FileWriter& out);

}  // namespace kyori

#endif  // KYORI_BATCH_NPY_MATRIX_H_
