#include "batch/table_cells.h"

#include "batch/table_lines.h"

namespace kyori {

TableCells::Step TableCells::Next() {
  if (finished_) return Step::kEnd;
  if (row_start_) {
    if (!SkipBlankLines()) {
      finished_ = true;
      return Step::kEnd;
    }
    row_start_ = false;
  }
  cell_line_ = line_;
  std::size_t first = at_;
  while (first < text_.size() && IsBlank(text_[first])) ++first;
  if (first < text_.size() && text_[first] == '"') return ReadQuoted(first);
  ReadUnquoted();
  return Step::kCell;
}

bool TableCells::SkipBlankLines() {
  for (std::size_t end = LineEndLength(text_, at_); end != 0; end = LineEndLength(text_, at_)) {
    at_ += end;
    ++line_;
  }
  return at_ < text_.size();
}

void TableCells::ReadUnquoted() {
  std::size_t end = at_;
  while (end < text_.size()) {
    const char byte = text_[end];
    if (byte == delimiter_ || byte == '\n' || byte == '\r') break;
    ++end;
  }
  cell_ = text_.substr(at_, end - at_);
  EndCell(end);
}

TableCells::Step TableCells::ReadQuoted(std::size_t opening) {
  std::size_t at = opening + 1;
  bool doubled = false;
  while (at < text_.size()) {
    if (text_[at] == '"') {
      if (at + 1 < text_.size() && text_[at + 1] == '"') {
        doubled = true;
        at += 2;
        continue;
      }
      break;
    }
    const std::size_t end = LineEndLength(text_, at);
    if (end != 0) ++line_;
    at += end != 0 ? end : 1;
  }
  if (at >= text_.size()) {
    cell_ = text_.substr(opening + 1);
    finished_ = true;
    return Step::kUnterminatedQuote;
  }
  const std::string_view inside = text_.substr(opening + 1, at - opening - 1);
  if (doubled) {
    Unescape(inside);
    cell_ = unescaped_;
  } else {
    cell_ = inside;
  }
  ++at;  // the closing quote
  while (at < text_.size() && IsBlank(text_[at])) ++at;
  if (at < text_.size() && text_[at] != delimiter_ && LineEndLength(text_, at) == 0) {
    std::size_t end = at;
    while (end < text_.size() && text_[end] != delimiter_ && LineEndLength(text_, end) == 0) ++end;
    cell_ = text_.substr(at, end - at);
    cell_line_ = line_;
    finished_ = true;
    return Step::kTextAfterQuote;
  }
  return EndCell(at);
}

TableCells::Step TableCells::EndCell(std::size_t end) {
  at_ = end;
  ends_row_ = true;
  if (at_ < text_.size() && text_[at_] == delimiter_) {
    ++at_;
    ends_row_ = false;
  } else if (const std::size_t line_end = LineEndLength(text_, at_); line_end != 0) {
    at_ += line_end;
    ++line_;
  }
  row_start_ = ends_row_;
  return Step::kCell;
}

void TableCells::Unescape(std::string_view quoted) {
  unescaped_.clear();
  for (std::size_t k = 0; k < quoted.size(); ++k) {
    unescaped_.push_back(quoted[k]);
    if (quoted[k] == '"') ++k;  // the second quote of a doubled pair
  }
}

}  // namespace kyori
