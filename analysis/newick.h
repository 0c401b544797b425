// Newick text of a tree (see tree.h) with the varieties' names at the leaves.
//
// A tree from a linkage is written rooted: each branch length is the parent's
// merge height minus the child's, leaves at height 0, the root without a
// length. A neighbour-joining tree is written as it is: the base node with its
// three children, lengths as computed (negative ones too). Inner nodes carry
// no label. The text ends with ";" and a newline.
//
//   four points at 0, 1, 3, 7, average linkage, names A B C D:
//     (D:5.666666666666667,(C:2.5,(A:1,B:1):1.5):3.166666666666667);
//   one variety:  A;
//
// Names: a name that holds a blank, a control byte (0x00-0x1F, 0x7F), an
// underscore (which a Newick reader turns into a blank), or one of ( ) [ ] '
// : ; , " is written between single quotes, its quotes doubled and each
// control byte written as a blank; an empty name is written as ''. Other
// bytes, UTF-8 or not, are written as they are:
//   コシヒカリ -> コシヒカリ    my rice -> 'my rice'    O'Neil -> 'O''Neil'
// Lengths are the shortest decimal text that reads back as the same double
// (at most 17 significant digits, exponent form where shorter: 1e-05).
#ifndef KYORI_ANALYSIS_NEWICK_H_
#define KYORI_ANALYSIS_NEWICK_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/tree.h"

namespace kyori::analysis {

// A name as Newick writes it.
std::string NewickLabel(std::string_view name);

// The shortest text that reads back as exactly `value`.
std::string RoundTripNumber(double value);

// Writes the tree; leaf i is labelled names[i] (an empty name where `names`
// is shorter).
void WriteNewick(const Tree& tree, const std::vector<std::string>& names, std::ostream& out);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_NEWICK_H_
