// Cutting a table's text into cells: quoting, line numbers, empty cells at
// the end of a row, and what follows a quote fault.
#include "batch/table_cells.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kyori {
namespace {

TEST(TableCellsTest, CutsTheHeadersExample) {
  TableCells cells("name,\"a,b\"\r\n\r\n\"say \"\"hi\"\"\",  \"x\ny\"\n", ',');
  struct Cell {
    std::int64_t line;
    std::string text;
    bool ends_row;
  };
  const Cell expected[] = {{1, "name", false}, {1, "a,b", true}, {3, "say \"hi\"", false}, {3, "x\ny", true}};
  for (const Cell& cell : expected) {
    ASSERT_EQ(cells.Next(), TableCells::Step::kCell);
    EXPECT_EQ(cells.Line(), cell.line);
    EXPECT_EQ(cells.Cell(), cell.text);
    EXPECT_EQ(cells.EndsRow(), cell.ends_row);
  }
  EXPECT_EQ(cells.Next(), TableCells::Step::kEnd);
  EXPECT_EQ(cells.Next(), TableCells::Step::kEnd);
}

TEST(TableCellsTest, ARowEndingInTheDelimiterEndsInAnEmptyCell) {
  TableCells cells("a,b,", ',');
  std::vector<std::string> texts;
  while (cells.Next() == TableCells::Step::kCell) texts.emplace_back(cells.Cell());
  EXPECT_EQ(texts, (std::vector<std::string>{"a", "b", ""}));
  EXPECT_TRUE(cells.EndsRow());
}

TEST(TableCellsTest, AQuoteFaultEndsTheCells) {
  TableCells unterminated("a,\"b\nc", ',');
  ASSERT_EQ(unterminated.Next(), TableCells::Step::kCell);
  EXPECT_EQ(unterminated.Next(), TableCells::Step::kUnterminatedQuote);
  EXPECT_EQ(unterminated.Cell(), "b\nc");
  EXPECT_EQ(unterminated.Line(), 1);
  EXPECT_EQ(unterminated.Next(), TableCells::Step::kEnd);

  TableCells after("\"a\" b;c", ';');
  EXPECT_EQ(after.Next(), TableCells::Step::kTextAfterQuote);
  EXPECT_EQ(after.Cell(), "b");
  EXPECT_EQ(after.Next(), TableCells::Step::kEnd);
}

}  // namespace
}  // namespace kyori
