// One input of the tree-picture fuzz target: names and distances made from
// the bytes, a tree by one of the five methods, then the SVG picture, the
// Newick text and the PHYLIP names, each checked.
//
// Layout of an input: byte 0 picks the method (its value mod 5: average,
// single, complete, ward, neighbour-joining); byte 1 the count n (mod 40,
// plus 1); then n names, each a 1-byte length L and L bytes (any bytes,
// cut to what is there); then one byte per pair (i < j, in condensed order)
// whose value / 16 is the distance, so ties and zeros are common; pairs the
// input does not reach are 1. The pairs of byte 255 are drawn a second time
// as pairs without a distance (NaN; SvgOptions::pairs_without_distance).
//
// Checks: the SVG, with and without the pairs that have no distance, is
// well-formed XML by a small checker of its own (valid
// UTF-8, no control bytes but line ends, tags nested and closed, one root,
// no raw "<" or "&" in text or attribute values but for entities); the
// Newick reads back with newick_reader.h into n leaves whose names are the
// given ones in leaf order (control bytes read as blanks); the PHYLIP names
// are n different names without blanks or control bytes.
#ifndef KYORI_FUZZ_FUZZ_SVG_H_
#define KYORI_FUZZ_FUZZ_SVG_H_

#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/linkage.h"
#include "analysis/neighbor_joining.h"
#include "analysis/newick.h"
#include "analysis/newick_reader.h"
#include "analysis/phylip.h"
#include "analysis/svg.h"
#include "analysis/tree.h"
#include "analysis/utf8.h"

namespace kyori::fuzz {

// Returns nullptr for well-formed XML as the SVG writer makes it, else why not.
inline const char* XmlProblem(std::string_view xml) {
  std::size_t pos = 0;
  while (pos < xml.size()) {
    const char32_t c = analysis::NextCodePoint(xml, &pos);
    if (c == analysis::kNotUtf8) return "not UTF-8";
    if ((c < 0x20 && c != '\n') || c == 0x7F || c == 0xFFFE || c == 0xFFFF) return "a control character";
  }
  auto entity_at = [&](std::size_t at) {  // "&name;" or "&#digits;"
    const std::size_t end = xml.find(';', at);
    if (end == std::string_view::npos || end == at + 1 || end - at > 10) return false;
    for (std::size_t k = at + 1; k < end; ++k) {
      const char e = xml[k];
      if (!((e >= 'a' && e <= 'z') || (e >= '0' && e <= '9') || e == '#')) return false;
    }
    return true;
  };
  std::vector<std::string_view> open;
  int roots = 0;
  pos = 0;
  if (xml.substr(0, 5) == "<?xml") pos = xml.find("?>") + 2;
  while (pos < xml.size()) {
    const char c = xml[pos];
    if (c == '&') {
      if (!entity_at(pos)) return "a raw '&' in text";
      ++pos;
      continue;
    }
    if (c == '>') return "a raw '>' outside a tag";
    if (c != '<') {
      if (open.empty() && c != '\n') return "text outside the root";
      ++pos;
      continue;
    }
    const bool closing = pos + 1 < xml.size() && xml[pos + 1] == '/';
    std::size_t k = pos + (closing ? 2 : 1);
    const std::size_t name_start = k;
    while (k < xml.size() && (std::isalnum(static_cast<unsigned char>(xml[k])) || xml[k] == ':' || xml[k] == '-')) ++k;
    if (k == name_start) return "a tag without a name";
    const std::string_view name = xml.substr(name_start, k - name_start);
    // Attributes: name="value" or name='value'.
    while (k < xml.size() && xml[k] != '>' && xml[k] != '/') {
      if (xml[k] == ' ') {
        ++k;
        continue;
      }
      while (k < xml.size() && xml[k] != '=' && xml[k] != '>' && xml[k] != ' ') ++k;
      if (k + 1 >= xml.size() || xml[k] != '=' || (xml[k + 1] != '"' && xml[k + 1] != '\'')) {
        return "a malformed attribute";
      }
      const char quote = xml[k + 1];
      k += 2;
      while (k < xml.size() && xml[k] != quote) {
        if (xml[k] == '<') return "a raw '<' in an attribute";
        if (xml[k] == '&' && !entity_at(k)) return "a raw '&' in an attribute";
        ++k;
      }
      if (k >= xml.size()) return "an unterminated attribute";
      ++k;
    }
    if (k >= xml.size()) return "an unterminated tag";
    const bool self_closing = xml[k] == '/';
    if (self_closing && (k + 1 >= xml.size() || xml[k + 1] != '>')) return "a stray '/' in a tag";
    pos = k + (self_closing ? 2 : 1);
    if (closing) {
      if (open.empty() || open.back() != name) return "an end tag that does not match";
      open.pop_back();
    } else {
      if (open.empty() && ++roots > 1) return "more than one root element";
      if (!self_closing) open.push_back(name);
    }
  }
  if (!open.empty()) return "an element left open";
  if (roots != 1) return "no root element";
  return nullptr;
}

inline const char* DrawTrees(std::string_view bytes) {
  using namespace analysis;
  auto byte = [&](std::size_t at) { return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0; };
  const int method = byte(0) % 5;
  const int n = byte(1) % 40 + 1;
  std::size_t pos = 2;
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) {
    const std::size_t length = byte(pos);
    pos = std::min(pos + 1, bytes.size());
    names.emplace_back(bytes.substr(pos, length));
    pos = std::min(pos + length, bytes.size());
  }
  Distances d{n, std::vector<double>(CondensedSize(n), 1.0)};
  for (double& v : d.condensed) {
    if (pos < bytes.size()) v = byte(pos++) / 16.0;
  }

  Tree tree;
  if (method == 4) {
    if (NeighborJoining(d, &tree) != DistancesProblem::kNone) return "neighbour-joining refused good distances";
  } else {
    Linkage linkage;
    if (ComputeLinkage(d, static_cast<LinkageMethod>(method), &linkage) != DistancesProblem::kNone) {
      return "clustering refused good distances";
    }
    if (linkage.merges.size() != static_cast<std::size_t>(n - 1)) return "wrong number of merges";
    tree = TreeFromLinkage(linkage);
  }

  std::ostringstream svg;
  SvgOptions options;
  options.title = names[0];
  if (!WriteSvg(tree, d, names, options, svg)) return "the picture was refused";
  if (const char* problem = XmlProblem(svg.str())) return problem;

  Distances gapped = d;
  for (double& v : gapped.condensed) {
    if (v == 255 / 16.0) v = std::numeric_limits<double>::quiet_NaN();
  }
  std::ostringstream gapped_svg;
  options.pairs_without_distance = true;
  if (!WriteSvg(tree, gapped, names, options, gapped_svg)) return "the picture with gaps was refused";
  if (const char* problem = XmlProblem(gapped_svg.str())) return problem;

  std::ostringstream newick;
  WriteNewick(tree, names, newick);
  NewickTree read;
  std::string error;
  if (!ReadNewick(newick.str(), &read, &error)) return "the Newick text does not read back";
  const std::vector<std::string> labels = NewickLeafLabels(read);
  const std::vector<int> order = LeafOrder(tree);
  if (labels.size() != order.size() || order.size() != static_cast<std::size_t>(n)) return "leaves lost";
  for (std::size_t k = 0; k < order.size(); ++k) {
    std::string expected = names[order[k]];
    for (char& ch : expected) {
      if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) ch = ' ';
    }
    if (labels[k] != expected) return "a name does not read back";
  }

  const std::vector<std::string> safe = PhylipNames(names, n);
  if (std::set<std::string>(safe.begin(), safe.end()).size() != safe.size()) return "PHYLIP names repeat";
  for (const std::string& name : safe) {
    if (name.empty()) return "an empty PHYLIP name";
    for (char ch : name) {
      if (static_cast<unsigned char>(ch) <= 0x20 || ch == 0x7F) return "a blank in a PHYLIP name";
    }
  }
  return nullptr;
}

}  // namespace kyori::fuzz

#endif  // KYORI_FUZZ_FUZZ_SVG_H_
