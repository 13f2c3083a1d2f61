#include "model/table.h"

#include <gtest/gtest.h>

#include "support/command_error.h"

namespace vido {
namespace {

TEST(Table, GrowingAddsEmptyCellsShrinkingKeepsTheRest) {
  Table t(1, 1, 2, 2);
  t.SetCell(0, 0, "a");
  t.SetCell(1, 1, "d");
  t.SetSize(3, 3);
  EXPECT_EQ(t.Cell(0, 0), "a");
  EXPECT_EQ(t.Cell(1, 1), "d");
  EXPECT_EQ(t.Cell(2, 2), "");
  t.SetCell(2, 2, "x");
  t.SetSize(2, 2);
  t.SetSize(3, 3);
  EXPECT_EQ(t.Cell(2, 2), "");  // dropped by the shrink
  EXPECT_EQ(t.Cell(1, 1), "d");
  // Rows alone, as the analysis tables grow one row at a time.
  for (int rows = 4; rows <= 50; ++rows) t.SetRowCount(rows);
  EXPECT_EQ(t.Cell(1, 1), "d");
  EXPECT_EQ(t.Cell(2, 49), "");
  t.SetRowCount(1);
  t.SetRowCount(3);
  EXPECT_EQ(t.Cell(1, 1), "");
  EXPECT_EQ(t.Cell(0, 0), "a");
}

TEST(Table, OutsideReadsEmptyAndWritesNothing) {
  Table t(1, 1, 2, 2);
  t.SetCell(5, 5, "lost");
  EXPECT_EQ(t.Cell(5, 5), "");
  EXPECT_EQ(t.Cell(-1, 0), "");
}

TEST(Table, NumbersAreReadAtUseWithTheConversionMessage) {
  Table t(1, 1, 2, 2);
  t.SetCell(1, 1, "0.50");
  EXPECT_DOUBLE_EQ(t.Real(1, 1), 0.5);
  t.SetCell(1, 1, "x");
  try {
    t.Real(1, 1);
    FAIL();
  } catch (const CommandError& e) {
    EXPECT_STREQ(e.what(), "'x' is not a valid floating point value");
  }
  t.SetCell(1, 1, "2.5");
  try {
    t.Integer(1, 1);
    FAIL();
  } catch (const CommandError& e) {
    EXPECT_STREQ(e.what(), "'2.5' is not a valid integer value");
  }
  t.SetReal(0, 1, 0.000001);
  EXPECT_EQ(t.Cell(0, 1), "1E-6");
  // A number read once follows every later change of its cell.
  EXPECT_DOUBLE_EQ(t.Real(0, 1), 1e-6);
  t.SetCell(1, 0, "7");
  t.MoveRow(0, 1);
  EXPECT_DOUBLE_EQ(t.Real(1, 1), 7);
  t.SetRowCount(1);
  t.SetRowCount(2);
  EXPECT_THROW(t.Real(1, 1), CommandError);
  t.SetCell(1, 1, "3");
  EXPECT_DOUBLE_EQ(t.Real(1, 1), 3);
  t.Clear();
  EXPECT_THROW(t.Real(1, 1), CommandError);
}

}  // namespace
}  // namespace vido
