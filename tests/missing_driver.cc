// Test driver for the arithmetic of missing values (batch/missing_values.h,
// batch/gapped_distances.h): reads a table of numbers on standard input,
// standardizes it over the present values and writes what it found, for the
// check against R (tests/missing/r_reference.R).
//
// Input: the counts n and m, then n rows of m values each, NA for a missing
// one (any blanks or line ends between):
//   3 2
//   1 10
//   2 NA
//   3 20
//
// Usage: missing_driver [MIN_COMMON [JOBS]] (defaults 1 and 2). Output, each
// number as %.17g and NA for a NaN, one to a line:
//   missing M of V in T        the count of missing values
//   standardized               then the n * m standardized values, row by row
//   distances                  then the n(n-1)/2 distances, in the triangle's order
//   no-distance P first I K    the pairs without a distance, the first of them
//                              (0-based; -1 -1 when none)
// When standardization stops, instead of the last three parts:
//   stop KIND TRAIT PRESENT    KIND too-few-values, identical or not-finite;
//                              TRAIT 0-based; exit status 1
// Exit status 2 for input that is not such a table.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <string>

#include "batch/collection.h"
#include "batch/gapped_distances.h"
#include "batch/missing_values.h"

namespace {

using namespace kyori;

bool ReadNumber(const std::string& token, double* value) {
  if (token == "NA") {
    *value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  char* end = nullptr;
  *value = std::strtod(token.c_str(), &end);
  return !token.empty() && *end == '\0';
}

bool Read(Collection* c) {
  if (!(std::cin >> c->varieties >> c->traits) || c->varieties < 1 || c->traits < 0) return false;
  c->variety_count = c->varieties;
  c->trait_count = c->traits;
  c->values.resize(static_cast<std::size_t>(c->varieties) * c->traits);
  std::string token;
  for (int i = 0; i < c->varieties; ++i) {
    for (int j = 0; j < c->traits; ++j) {
      if (!(std::cin >> token) || !ReadNumber(token, &c->Value(i, j))) return false;
    }
  }
  return !(std::cin >> token);
}

void Print(double v) {
  if (std::isnan(v)) {
    std::puts("NA");
  } else {
    std::printf("%.17g\n", v);
  }
}

const char* KindName(GappedTraitStop::Kind kind) {
  switch (kind) {
    case GappedTraitStop::kTooFewValues: return "too-few-values";
    case GappedTraitStop::kIdentical: return "identical";
    case GappedTraitStop::kNotFinite: return "not-finite";
    case GappedTraitStop::kNone: break;
  }
  return "none";
}

}  // namespace

int main(int argc, char** argv) {
  const int min_common = argc > 1 ? std::atoi(argv[1]) : 1;
  const int jobs = argc > 2 ? std::atoi(argv[2]) : 2;
  Collection c;
  if (argc > 3 || !Read(&c)) {
    std::fprintf(stderr, "missing_driver: bad input (usage: missing_driver [MIN_COMMON [JOBS]] < TABLE)\n");
    return 2;
  }
  const MissingCount count = CountMissing(c);
  std::printf("missing %llu of %llu in %d\n", static_cast<unsigned long long>(count.missing),
              static_cast<unsigned long long>(count.values), count.traits);
  const GappedTraitStop stop = StandardizeWithGaps(c);
  if (stop.kind != GappedTraitStop::kNone) {
    std::printf("stop %s %d %d\n", KindName(stop.kind), stop.trait, stop.present);
    return 1;
  }
  std::puts("standardized");
  for (int i = 0; i < c.varieties; ++i) {
    for (int j = 0; j < c.traits; ++j) Print(c.Value(i, j));
  }
  const DistanceTriangle d = ComputeGappedDistances(c, min_common, jobs);
  std::puts("distances");
  for (double v : d.roots) Print(v);
  const NoDistanceCount none = CountNoDistances(d, c.varieties);
  std::printf("no-distance %llu first %d %d\n", static_cast<unsigned long long>(none.pairs), none.first,
              none.second);
  return 0;
}
