// A small Newick reader, for checking what newick.h writes: labels (quoted
// or not), branch lengths and nesting; nothing else (no comments in labels,
// no NHX). Blanks, tabs and line ends between tokens are skipped; [comments]
// are skipped; in an unquoted label "_" reads as a blank; in a quoted label
// '' reads as one quote. The text must end with ";" (blanks may follow).
//
//   "(A:1,'my rice':2.5)root;"  ->  root "root" with children "A" (1) and
//                                   "my rice" (2.5)
#ifndef KYORI_ANALYSIS_NEWICK_READER_H_
#define KYORI_ANALYSIS_NEWICK_READER_H_

#include <string>
#include <string_view>
#include <vector>

namespace kyori::analysis {

struct NewickNode {
  std::string label;
  bool has_length = false;
  double length = 0;
  std::vector<int> children;  // indices into NewickTree::nodes
};

struct NewickTree {
  std::vector<NewickNode> nodes;
  int root = -1;
};

// Parses `text` into *tree. Returns false and says why in *error (with the
// byte offset) when the text is not a Newick tree.
bool ReadNewick(std::string_view text, NewickTree* tree, std::string* error);

// The labels of the leaves (nodes without children), in the order written.
std::vector<std::string> NewickLeafLabels(const NewickTree& tree);

}  // namespace kyori::analysis

#endif  // KYORI_ANALYSIS_NEWICK_READER_H_
