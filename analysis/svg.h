// One SVG picture of a tree and its distances: the dendrogram on the left
// (root at the left, leaves at the right, a distance axis with ticks below),
// the names at the leaves, and beside them a heatmap of the distance matrix
// with rows and columns in leaf order, names over the columns, and a colour
// legend (continuous scale, dark purple at the least distance to yellow at
// the greatest, with the least and greatest values and three between).
// Asked to (SvgOptions::pairs_without_distance), the heatmap also shows
// the pairs that have no distance (NaN, of varieties with missing values
// and no trait in common) in a neutral grey, kNoDistanceGrey, which the
// legend names "no distance" under the scale; a tree needs every distance,
// so such a picture's tree is built from distances of its own.
//
// A tree from a linkage is drawn at its merge heights (the axis counts
// height, 0 at the leaves); a neighbour-joining tree is first rooted at its
// midpoint (tree.h RootedAtMidpoint) and drawn by path length from the root
// (the axis counts from 0 at the root), with dotted leaders from each leaf
// to its name.
//
// Text is UTF-8 in the fonts of picture_text.h, every name (and the title)
// cleaned and escaped as it says. Names wider than about 24 em are cut and
// end in "…".
//
// Groups: given each variety's group (SvgOptions::groups, e.g. from
// groups.h), every group gets its colour (picture_text.h GroupColour): the
// names of its varieties, at the rows and over the columns, and every
// branch all of whose leaves lie in it, so that a tree cut into groups shows
// each group as a coloured subtree. Branches that join groups stay grey.
//
// Size with n: each leaf gets a row of 20 px up to n = 30, 14 px up to 100,
// 11 px up to 500, and the names are set at 3/4 of the row. Up to n = 100
// each heatmap cell is a <rect>; above, the heatmap is one embedded palette
// PNG with a pixel per cell (drawn with crisp edges). Above n = 500 there
// are no per-leaf names (the rows would be too thin to read): the leaf axis
// is 1000 px whatever n, and the heatmap PNG is at most 500 x 500 pixels,
// each the mean distance of its block of cells. So the file stays small:
// about 13 kB for 12 varieties, 0.19 MB for 300, and 0.62 MB for 5000
// (0.34 MB of it the PNG, the rest mostly the dendrogram path).
// A block of the PNG is the mean of the distances its pairs have, grey
// when none has one; with such pairs the scale has 255 levels, not 256, so
// that the palette keeps an entry for the grey.
#ifndef KYORI_ANALYSIS_SVG_H_
#define KYORI_ANALYSIS_SVG_H_

#include <ostream>
#include <string>
#include <vector>

#include "analysis/condensed.h"
#include "analysis/picture_text.h"
#include "analysis/tree.h"

namespace kyori::analysis {

struct SvgOptions {
  std::string title;  // drawn at the top when not empty
  // A NaN distance is a pair without a distance, drawn in grey; else a NaN
  // is a problem, as CheckDistances has it.
  bool pairs_without_distance = false;
  std::vector<int> groups;  // empty, or variety i's group (1, 2, ...) at [i]
};

// The grey of a pair without a distance: "#bdbdbd".
inline constexpr unsigned char kNoDistanceGrey = 0xbd;

// Draws the picture of `tree` (built from `d`) with leaf i named names[i]
// (empty where `names` is shorter). Returns false, writing nothing, when `d`
// has a problem (condensed.h: CheckDistances, or CheckDistancesWithGaps
// with options.pairs_without_distance), the tree does not have d.n leaves,
// or groups are given but not one of 1 or more for each variety.
bool WriteSvg(const Tree& tree, const Distances& d, const std::vector<std::string>& names,
              const SvgOptions& options, std::ostream& out);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_SVG_H_
