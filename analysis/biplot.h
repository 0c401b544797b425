// A biplot of the principal components (pca.h): the varieties as points at
// their scores, the first component across and the second up, each named;
// the traits as arrows from the origin along their loadings on the two,
// named at the tips. Each axis is labelled with its component and the share
// of the variance it holds: "PC1 (62.0%)".
//
// Both axes have the same scale, so that distances in the picture are
// distances between scores; the plot is 560 px along its longer side (at
// least 160 px along the shorter), with ticks in score units. The arrows are
// the loadings times one factor, chosen so that the longest reaches 80% of
// the way from the origin to the nearest edge; a line under the plot gives
// the factor, "arrows: loadings x 3.2". A trait far along an arrow's
// direction means varieties far along it have more of that trait.
//
// Text follows picture_text.h (fonts, cleaning, escaping); names longer
// than about 16 em are cut and end in "…". Up to 500 varieties each is a
// circle with its name beside it; above, the points are one path of dots
// without names, so that the file stays small (0.16 MB for 10,000).
// Up to 100 traits each arrow is named; above, the arrows are drawn thinner
// and without names. Given groups (BiplotOptions::groups), each variety's
// point and name take its group's colour.
#ifndef KYORI_ANALYSIS_BIPLOT_H_
#define KYORI_ANALYSIS_BIPLOT_H_

#include <ostream>
#include <string>
#include <vector>

#include "analysis/pca.h"

namespace kyori::analysis {

struct BiplotOptions {
  std::string title;        // drawn at the top when not empty
  std::vector<int> groups;  // empty, or variety i's group (1, 2, ...) at [i]
};

// Draws the biplot of `pca`, variety i named variety_names[i] and trait j
// trait_names[j] (empty where the lists are shorter). Returns false, writing
// nothing, when `pca` has fewer than two components or groups are given but
// not one of 1 or more for each variety.
bool WriteBiplot(const Pca& pca, const std::vector<std::string>& variety_names,
                 const std::vector<std::string>& trait_names, const BiplotOptions& options, std::ostream& out);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_BIPLOT_H_
