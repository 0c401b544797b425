#include "analysis/newick.h"

#include <charconv>
#include <utility>

namespace kyori::analysis {
namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool NeedsQuotes(std::string_view name) {
  if (name.empty()) return true;
  for (char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (IsControl(c) || c == ' ' || c == '_') return true;
    if (std::string_view("()[]':;,\"").find(ch) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

std::string NewickLabel(std::string_view name) {
  if (!NeedsQuotes(name)) return std::string(name);
  std::string quoted = "'";
  for (char ch : name) {
    if (ch == '\'') {
      quoted += "''";
    } else if (IsControl(static_cast<unsigned char>(ch))) {
      quoted += ' ';
    } else {
      quoted += ch;
    }
  }
  quoted += '\'';
  return quoted;
}

std::string RoundTripNumber(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

void WriteNewick(const Tree& tree, const std::vector<std::string>& names, std::ostream& out) {
  if (tree.root < 0) {
    out << ";\n";
    return;
  }
  // Each stack entry is a node to open, or (with `close`) one to finish
  // after its children: ")" then its length.
  struct Step {
    int node;
    bool close;
  };
  std::vector<Step> stack{{tree.root, false}};
  std::string text;
  while (!stack.empty()) {
    const Step step = stack.back();
    stack.pop_back();
    const TreeNode& node = tree.nodes[step.node];
    if (!step.close) {
      if (!node.children.empty()) {
        text += '(';
        stack.push_back({step.node, true});
        for (std::size_t i = node.children.size(); i-- > 0;) {
          stack.push_back({node.children[i], false});
        }
        continue;
      }
      const std::size_t leaf = static_cast<std::size_t>(node.leaf);
      text += NewickLabel(node.leaf >= 0 && leaf < names.size() ? names[leaf] : std::string());
    } else {
      text += ')';
    }
    if (node.parent >= 0) {
      text += ':';
      text += RoundTripNumber(node.branch_length);
      const std::vector<int>& siblings = tree.nodes[node.parent].children;
      if (siblings.back() != step.node) text += ',';
    }
    if (text.size() >= 1 << 16) {
      out << text;
      text.clear();
    }
  }
  text += ";\n";
  out << text;
}

}  // namespace kyori::analysis
