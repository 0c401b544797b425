// The distances as a square PHYLIP matrix in the relaxed format: the number
// of varieties on the first line, then one line per variety: its name, a
// blank, and its n distances (the diagonal 0) separated by blanks, each the
// shortest text that reads back as the same double (so never fewer digits
// than the value holds; at most 17 significant digits). Lines end in "\n".
//
//   2 varieties A, B at distance 1.5:
//     2
//     A 0 1.5
//     B 1.5 0
//
// Names are made safe for programs that read the relaxed format (a name ends
// at the first blank) and that copy the names into Newick trees:
//  - each blank or tab, line end, other control byte (0x00-0x1F, 0x7F, and
//    the C1 controls U+0080-U+009F), Unicode space (U+00A0, U+1680,
//    U+2000-U+200A, U+2028, U+2029, U+202F, U+205F, and the ideographic
//    space U+3000 often typed in Japanese names), each of ( ) [ ] , : ; '
//    and each byte that is not part of well-formed UTF-8 becomes "_";
//  - an empty name becomes "unnamed";
//  - a name equal to an earlier one gets the first suffix _2, _3, ... that
//    makes it differ from every name given and every name already written.
//   {"ア イ", "", "A", "A", "A_2"} -> {"ア_イ", "unnamed", "A", "A_3", "A_2"}
#ifndef KYORI_ANALYSIS_PHYLIP_H_
#define KYORI_ANALYSIS_PHYLIP_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/condensed.h"

namespace kyori::analysis {

// One name made safe (the first two rules above).
std::string PhylipName(std::string_view name);

// All names made safe and unique; `names` shorter than n is padded with
// empty names.
std::vector<std::string> PhylipNames(const std::vector<std::string>& names, int n);

// Writes the matrix. Returns false, writing nothing, when CheckDistances
// finds a problem.
bool WritePhylip(const Distances& d, const std::vector<std::string>& names, std::ostream& out);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_PHYLIP_H_
