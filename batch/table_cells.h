// Cutting a table's text into cells, row by row.
//
// Rows end at line ends (batch/table_lines.h) and at the end of the text, so
// the last row needs no line end; wholly empty lines are skipped wherever
// they are. Cells end at the delimiter: "a,b," is a row of three cells, the
// last one empty. Quoting follows RFC 4180: a cell whose first byte other
// than blanks is a double quote is quoted, and runs to the next lone quote;
// inside it, the delimiter and line ends are plain bytes and a doubled quote
// stands for one quote. Blanks around a quoted cell are dropped; after its
// closing quote only blanks may come before the delimiter or the line end.
// Blanks are spaces, and tabs unless the tab is the delimiter. A quote
// inside an unquoted cell is a plain byte: 5" pot is a cell of 6 bytes.
//
// Example, with ',' as the delimiter, the text
//   name,"a,b"\r\n
//   \r\n
//   "say ""hi""",  "x
//   y"\n
// gives the cells (line, text, ends the row):
//   (1, name, no) (1, a,b, yes) (3, say "hi", no) (3, x LF y, yes)
//
// The text must be a table's text as FindTableEncoding accepts it: in both
// of its encodings no byte of a character other than the delimiter, a quote,
// a blank or a line end is one of those.
#ifndef KYORI_BATCH_TABLE_CELLS_H_
#define KYORI_BATCH_TABLE_CELLS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kyori {

class TableCells {
 public:
  enum class Step {
    kCell,               // Cell() holds the next cell
    kEnd,                // no cell is left
    kUnterminatedQuote,  // Cell(): the rest of the text after the opening quote
    kTextAfterQuote,     // Cell(): the bytes after the closing quote, to the delimiter or line end
  };

  // Reads `text` (which must outlive this reader) with `delimiter`.
  TableCells(std::string_view text, char delimiter) : text_(text), delimiter_(delimiter) {}

  // Reads the next cell. After kEnd, kUnterminatedQuote or kTextAfterQuote
  // every call returns kEnd.
  Step Next();

  // The cell read last, without its quotes; valid until the next call.
  std::string_view Cell() const { return cell_; }
  // Whether the cell read last is the last cell of its row.
  bool EndsRow() const { return ends_row_; }
  // The line on which the cell read last starts; for kUnterminatedQuote the
  // line of the opening quote, for kTextAfterQuote that of the closing one.
  std::int64_t Line() const { return cell_line_; }

 private:
  bool IsBlank(char byte) const { return byte == ' ' || (byte == '\t' && delimiter_ != '\t'); }
  bool SkipBlankLines();
  Step ReadQuoted(std::size_t opening);
  void ReadUnquoted();
  Step EndCell(std::size_t end);
  void Unescape(std::string_view quoted);

  std::string_view text_;
  char delimiter_;
  std::size_t at_ = 0;
  std::int64_t line_ = 1;
  bool row_start_ = true;
  bool finished_ = false;
  std::string_view cell_;
  std::int64_t cell_line_ = 1;
  bool ends_row_ = false;
  std::string unescaped_;
};

}  // namespace kyori

#endif  // KYORI_BATCH_TABLE_CELLS_H_
