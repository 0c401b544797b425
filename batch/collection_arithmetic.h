// The two arithmetics of a collection's standardization and distances.
//
// Compatible: the report's arithmetic, bit for bit the dialogue's: each
// trait's sum of squares in single precision less n times the squared mean,
// the standard deviation rounded to single; each pair's squared distance
// summed in single precision; each distance the program's own root,
// Power(x, 0.5), of that single widened to double.
//
// Accurate: each trait's mean and sum of squared deviations in double by two
// passes (over the values scaled by a power of two, so that no square
// overflows or underflows), the standardized values in double, each pair's
// sum of squares in double in trait order, the correctly rounded square root.
// A trait stops the run as identical only when its values are all equal.
//
// Example: a trait 2000.1, 2000.2, 2000.3, 2000.4 has the accurate standard
// deviation 0.1290994..., while the single-precision sum of squares
// (about 1.6e7, a unit in its last place is 1 or 2) cannot hold the
// deviations' squares (0.05 in all): the compatible spread is far off.
#ifndef KYORI_BATCH_COLLECTION_ARITHMETIC_H_
#define KYORI_BATCH_COLLECTION_ARITHMETIC_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "batch/collection.h"
#include "batch/distance_triangle.h"

namespace kyori {

enum class Arithmetic { kCompatible, kAccurate };

// Why standardization stopped at a trait (0-based), if it did.
struct TraitStop {
  enum Kind { kNone, kIdentical, kNotFinite } kind = kNone;
  int trait = -1;
};

// Standardizes every trait in place, in trait order; stops at the first
// trait that cannot be standardized (compatible: identical data as the
// dialogue decides it; accurate: values all equal, or a value that is not a
// finite number).
TraitStop StandardizeCollection(Collection& c, Arithmetic arithmetic);

// A trait whose compatible spread differs from the accurate one.
struct SpreadDifference {
  int trait = 0;                      // 0-based
  bool compatible_identical = false;  // the compatible arithmetic stops it as identical
  double compatible = 0;              // its standard deviation (single, widened)
  double accurate = 0;
  double relative = 0;                // |compatible - accurate| / accurate
};

// The traits, in order, whose compatible standard deviation differs from the
// accurate one by more than `tolerance` relative, or that the compatible
// arithmetic stops as identical although their values are not all equal.
// Reads the values as read (before standardization); traits whose values are
// all equal or not all finite are not listed.
std::vector<SpreadDifference> CompareSpreads(const Collection& c, double tolerance);

// The triangle of a standardized collection's distances
// (batch/distance_triangle.h): compatible its squares, accurate its roots;
// the rows are split across `jobs` threads, with the same bits for every
// number of jobs.
DistanceTriangle ComputeDistances(const Collection& c, Arithmetic arithmetic, int jobs);

// The report's packed cells of the accurate distances (the roots
// ComputeDistances would hold), each made (PackedDistanceCell,
// kernels/quick_cell.h) as soon as its pair's sum is formed: the roots are
// never held, 4 bytes a pair in all. The same cells as PackCells makes of
// ComputeDistances' triangle, for every number of jobs.
//   squared distances 5, 5, 2 -> the cells "2.236067", "2.236067", "1.414213"
std::vector<uint32_t> ComputeAccurateCells(const Collection& c, int jobs);

// The most bytes ComputeDistances holds beside the triangle it fills: each
// thread's rows of sums (kRowsAtOnce rows of varieties + 1 sums, single or
// double as the arithmetic sums).
//   8000 varieties, accurate, one thread: 4 * 8001 * 8 = 256,032 bytes.
std::uint64_t DistanceSumsBytes(int varieties, Arithmetic arithmetic, int jobs);

}  // namespace kyori

#endif  // KYORI_BATCH_COLLECTION_ARITHMETIC_H_
