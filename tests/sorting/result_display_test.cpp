#include "sorting/result_display.h"

#include <gtest/gtest.h>

#include "common/small_problem.h"

namespace vido {
namespace {

using testing::MakeSmallProblem;
using testing::SetExample;

class ResultDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeSmallProblem(ws_, 2, 4, 3);
    ws_.RGrid.SetSize(5, 4);
    ws_.ORGrid.SetSize(5, 4);
    for (int i = 1; i <= 3; ++i) ws_.RGrid.SetCell(0, i, ws_.AGrid.Cell(0, i));
    ws_.InferredCategory = {0, 2, 1, 4};
    ws_.WorstCategory = {0, 1, 1, 4};
    ws_.BestCategory = {0, 4, 1, 4};
    ws_.VariabilityOrder = {0, 1, 2};
  }
  Workspace ws_;
};

TEST_F(ResultDisplayTest, RangesColourTheCells) {
  ws_.RangesValid = true;
  ws_.RGrid.SetCell(3, 1, "X");
  EXPECT_EQ(RGridCellLook(ws_, 1, 1).fill, CellFill::kLime);
  EXPECT_EQ(RGridCellLook(ws_, 2, 1).fill, CellFill::kGreen);
  EXPECT_EQ(RGridCellLook(ws_, 3, 1).fill, CellFill::kHatched);
  EXPECT_EQ(RGridCellLook(ws_, 3, 1).text, "");  // only a fill, never the "X"
  EXPECT_EQ(RGridCellLook(ws_, 4, 1).fill, CellFill::kLime);
  EXPECT_EQ(RGridCellLook(ws_, 1, 2).fill, CellFill::kGreen);
  EXPECT_EQ(RGridCellLook(ws_, 2, 2).fill, CellFill::kWhite);
  EXPECT_EQ(RGridCellLook(ws_, 3, 3).fill, CellFill::kWhite);
  EXPECT_EQ(RGridCellLook(ws_, 0, 0).fill, CellFill::kHeader);
}

TEST_F(ResultDisplayTest, WithoutRangesTheExampleDecidesGreenOrRed) {
  ws_.RangesValid = false;
  SetExample(ws_, 1, 3, 4);  // inferred 2: contradicts the example
  SetExample(ws_, 2, 1, 2);  // inferred 1: fine
  EXPECT_EQ(RGridCellLook(ws_, 2, 1).fill, CellFill::kRed);
  EXPECT_EQ(RGridCellLook(ws_, 3, 1).fill, CellFill::kWhite);
  EXPECT_EQ(RGridCellLook(ws_, 1, 2).fill, CellFill::kGreen);
  EXPECT_EQ(RGridCellLook(ws_, 4, 3).fill, CellFill::kGreen);  // no example at all
  EXPECT_EQ(RGridCellLook(ws_, 1, 3).fill, CellFill::kWhite);
  // A cell being typed is not a number: drawn plainly, no exception.
  ws_.AGrid.SetCell(1, 1, "");
  EXPECT_EQ(RGridCellLook(ws_, 2, 1).fill, CellFill::kWhite);
  EXPECT_EQ(RGridCellLook(ws_, 0, 1).fill, CellFill::kHeader);
}

TEST_F(ResultDisplayTest, NameCellsOfExamplesAreCyanInBothTables) {
  SetExample(ws_, 3, 4, 4);
  ws_.VariabilityOrder = {2, 0, 1};
  ws_.ORGrid.SetCell(0, 1, ws_.AGrid.Cell(0, 3));
  EXPECT_EQ(RGridCellLook(ws_, 0, 3).fill, CellFill::kCyan);
  EXPECT_EQ(RGridCellLook(ws_, 0, 1).fill, CellFill::kHeader);
  EXPECT_EQ(RGridCellLook(ws_, 0, 3).text, "2");
  EXPECT_EQ(ORGridCellLook(ws_, 0, 1).fill, CellFill::kCyan);
  EXPECT_EQ(ORGridCellLook(ws_, 0, 1).text, "2");
  EXPECT_EQ(ORGridCellLook(ws_, 0, 2).fill, CellFill::kHeader);
}

TEST_F(ResultDisplayTest, OrderedTableAlwaysUsesTheRangesOfItsRowsAction) {
  ws_.RangesValid = false;
  ws_.VariabilityOrder = {2, 0, 1};  // row 1 shows action 3, range [4, 4]
  EXPECT_EQ(ORGridCellLook(ws_, 4, 1).fill, CellFill::kGreen);
  EXPECT_EQ(ORGridCellLook(ws_, 1, 1).fill, CellFill::kWhite);
  EXPECT_EQ(ORGridCellLook(ws_, 3, 2).fill, CellFill::kLime);  // action 1, range [1, 4]
  ws_.VariabilityOrder.clear();                                // not computed yet: nothing to draw
  EXPECT_EQ(ORGridCellLook(ws_, 4, 1).fill, CellFill::kWhite);
}

TEST_F(ResultDisplayTest, SwitchingTheOrderEmptiesTheSelectedSolutionOnly) {
  ws_.DGrid.SetSize(3, 3);
  for (int c = 0; c < 3; ++c) {
    ws_.DGrid.SetCell(c, 1, "0.1");
    ws_.DGrid.SetCell(c, 2, "0.2");
  }
  byVariabilityItemClick(ws_);
  EXPECT_EQ(ws_.display_order, DisplayOrder::kVariability);
  EXPECT_EQ(ws_.DGrid.Row(1), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(ws_.DGrid.Row(2), (std::vector<std::string>{"0.2", "0.2", "0.2"}));
  ws_.DGrid.SetCell(1, 1, "0.1");
  byInputItemClick(ws_);
  EXPECT_EQ(ws_.display_order, DisplayOrder::kInput);
  EXPECT_EQ(ws_.DGrid.Cell(1, 1), "");
  EXPECT_TRUE(DGridCellLook(ws_, 0, 2).green_text);
  EXPECT_FALSE(DGridCellLook(ws_, 0, 1).green_text);
  EXPECT_EQ(DGridCellLook(ws_, 0, 2).text, "0.2");
}

TEST_F(ResultDisplayTest, ViolatedProgramRowsAreRedAndZerosBlankButTheRhs) {
  // description, alpha, lambda, k1, k2, sign, RHS, Error
  ws_.IPGrid.SetSize(8, 4);
  const std::vector<std::string> row = {"C(a1)>=2", "1", "0", "0", "0.5", ">=", "0", "0"};
  for (int r = 1; r <= 3; ++r) {
    for (int c = 0; c < 8; ++c) ws_.IPGrid.SetCell(c, r, row[c]);
  }
  ws_.ViolatedRows = {1};  // table row 2
  EXPECT_FALSE(IPGridCellLook(ws_, 4, 1).red_text);
  EXPECT_TRUE(IPGridCellLook(ws_, 4, 2).red_text);
  EXPECT_TRUE(IPGridCellLook(ws_, 0, 2).red_text);
  EXPECT_FALSE(IPGridCellLook(ws_, 4, 3).red_text);
  EXPECT_EQ(IPGridCellLook(ws_, 2, 1).text, "");
  EXPECT_EQ(IPGridCellLook(ws_, 4, 1).text, "0.5");
  EXPECT_EQ(IPGridCellLook(ws_, 6, 1).text, "0");  // the right-hand side shows its zero
  EXPECT_EQ(IPGridCellLook(ws_, 7, 1).text, "");   // the Error column does not
  EXPECT_EQ(IPGridCellLook(ws_, 0, 1).fill, CellFill::kHeader);
  EXPECT_EQ(IPGridCellLook(ws_, 2, 0).fill, CellFill::kHeader);
  EXPECT_FALSE(IPGridCellLook(ws_, 2, 0).red_text);
}

}  // namespace
}  // namespace vido
