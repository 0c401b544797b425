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
#include "kernels/condensed_index.h"

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

// The distances between all pairs, one triangle: pair (i, j), i < j, at
// index CondensedIndex(n, i, j). Four bytes a pair while the report is written:
// the compatible squared distances (single precision, held as their bits)
// become, one for one, the pairs' report cells (PackedCell), so that each
// root is taken and each number formatted once although every pair is
// printed twice.
struct DistanceTriangle {
  int varieties = 0;
  Arithmetic arithmetic = Arithmetic::kCompatible;
  std::vector<uint32_t> words;  // the squared distances' bits, or the packed cells
  bool packed = false;          // `words` holds packed cells
  std::vector<double> roots;    // the distances: accurate, or compatible after TakeRoots
  bool rooted = false;          // `roots` holds the distances
};

// The triangle of a standardized collection, the rows split across `jobs`
// threads; the same bits for every number of jobs.
DistanceTriangle ComputeDistances(const Collection& c, Arithmetic arithmetic, int jobs);

// Every distance as the report prints it before the cut, in the triangle's
// order: compatible Power(squared, 0.5) of the single widened to double,
// accurate the roots. Not after PackCells without roots.
std::vector<double> CondensedDistances(const DistanceTriangle& d, int jobs);

// Keeps the distances themselves (CondensedDistances) in `roots`, for a run
// that hands them on to a tree, a matrix or a picture.
void TakeRoots(DistanceTriangle& d, int jobs);

// Turns every pair's distance into its report cell, packed into `words`
// (PackCell); with `drop_roots` the roots are released afterwards.
void PackCells(DistanceTriangle& d, bool drop_roots, int jobs);

// What ComputeDistances, then TakeRoots (when `keep_roots`), then PackCells
// with drop_roots = !keep_roots hold beside the collection, with `jobs`
// threads: `peak` the most at any time, `kept` what the triangle still holds
// once the cells are packed. A pair takes 4 bytes as its squared distance's
// bits or as its cell and 8 as its root; the peak holds both at once
// (compatible: the roots taken beside the squares; accurate: the cells
// packed beside the roots), except in a compatible run without roots.
// Each thread adds its rows of sums and the buffers of one chunk of cells.
//
// Example: 8000 varieties (31,996,000 pairs), accurate, no roots kept, one
// thread: peak 12 bytes a pair (383,952,000) plus 688,128 bytes of chunk
// buffers (more than the 256,032 of sums); kept 4 bytes a pair (127,984,000).
struct TriangleMemory {
  std::uint64_t peak = 0;
  std::uint64_t kept = 0;
};
TriangleMemory DistancesMemory(int varieties, Arithmetic arithmetic, bool keep_roots, int jobs);

}  // namespace kyori

#endif  // KYORI_BATCH_COLLECTION_ARITHMETIC_H_
