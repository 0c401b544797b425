#include "analysis/newick_reader.h"

#include <cstdlib>

namespace kyori::analysis {
namespace {

class Parser {
 public:
  Parser(std::string_view text, NewickTree* tree) : text_(text), tree_(tree) {}

  bool Parse(std::string* error) {
    tree_->nodes.clear();
    tree_->root = -1;
    // Iterative: an open node waits on `open` for its children.
    std::vector<int> open;
    int root = -1;
    while (true) {
      SkipSpace();
      const int node = NewNode();
      if (!open.empty()) tree_->nodes[open.back()].children.push_back(node);
      if (Peek() == '(') {
        ++pos_;
        open.push_back(node);
        continue;
      }
      if (!LabelAndLength(node)) return Fail(error);
      // Close every node whose list ends here.
      while (true) {
        SkipSpace();
        if (open.empty()) break;
        if (Peek() == ',') {
          ++pos_;
          break;
        }
        if (Peek() != ')') {
          message_ = "expected ',' or ')'";
          return Fail(error);
        }
        ++pos_;
        const int closed = open.back();
        open.pop_back();
        if (!LabelAndLength(closed)) return Fail(error);
        if (open.empty()) root = closed;
      }
      if (open.empty()) {
        if (root < 0) root = node;
        break;
      }
    }
    SkipSpace();
    if (Peek() != ';') {
      message_ = "expected ';'";
      return Fail(error);
    }
    ++pos_;
    SkipSpace();
    if (pos_ != text_.size()) {
      message_ = "text after ';'";
      return Fail(error);
    }
    tree_->root = root;
    return true;
  }

 private:
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  bool AtEnd() const { return pos_ >= text_.size(); }

  void SkipSpace() {
    while (!AtEnd()) {
      const char c = text_[pos_];
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        ++pos_;
      } else if (c == '[') {
        const std::size_t end = text_.find(']', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else {
        return;
      }
    }
  }

  int NewNode() {
    tree_->nodes.emplace_back();
    return static_cast<int>(tree_->nodes.size()) - 1;
  }

  bool LabelAndLength(int node) {
    SkipSpace();
    std::string label;
    if (Peek() == '\'') {
      ++pos_;
      while (true) {
        if (AtEnd()) {
          message_ = "unterminated quoted label";
          return false;
        }
        const char c = text_[pos_++];
        if (c != '\'') {
          label += c;
        } else if (Peek() == '\'') {
          label += '\'';
          ++pos_;
        } else {
          break;
        }
      }
    } else {
      while (!AtEnd() && std::string_view("()[]':;, \t\r\n").find(text_[pos_]) == std::string_view::npos) {
        label += text_[pos_] == '_' ? ' ' : text_[pos_];
        ++pos_;
      }
    }
    tree_->nodes[node].label = std::move(label);
    SkipSpace();
    if (Peek() == ':') {
      ++pos_;
      SkipSpace();
      std::size_t end = pos_;
      while (end < text_.size() && std::string_view("+-.0123456789eEinfatyINFATY").find(text_[end]) !=
                                       std::string_view::npos) {
        ++end;
      }
      const std::string number(text_.substr(pos_, end - pos_));
      char* stop = nullptr;
      const double value = std::strtod(number.c_str(), &stop);
      if (number.empty() || stop != number.c_str() + number.size()) {
        message_ = "bad branch length";
        return false;
      }
      tree_->nodes[node].has_length = true;
      tree_->nodes[node].length = value;
      pos_ = end;
    }
    return true;
  }

  bool Fail(std::string* error) {
    if (message_.empty()) message_ = "malformed tree";
    *error = message_ + " at byte " + std::to_string(pos_);
    tree_->nodes.clear();
    tree_->root = -1;
    return false;
  }

  std::string_view text_;
  NewickTree* tree_;
  std::size_t pos_ = 0;
  std::string message_;
};

}  // namespace

bool ReadNewick(std::string_view text, NewickTree* tree, std::string* error) {
  return Parser(text, tree).Parse(error);
}

std::vector<std::string> NewickLeafLabels(const NewickTree& tree) {
  std::vector<std::string> labels;
  if (tree.root < 0) return labels;
  std::vector<int> stack{tree.root};
  while (!stack.empty()) {
    const NewickNode& node = tree.nodes[stack.back()];
    stack.pop_back();
    if (node.children.empty()) labels.push_back(node.label);
    for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) stack.push_back(*it);
  }
  return labels;
}

}  // namespace kyori::analysis

