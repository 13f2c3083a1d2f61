#include "model/grid_rules.h"

#include <gtest/gtest.h>

#include "common/small_problem.h"

namespace vido {
namespace {

using testing::MakeSmallProblem;
using testing::SetExample;
using testing::SetThreshold;

// Types each character into cell (col, row); the accepted ones, in order.
std::u32string Typed(Workspace& ws, GridId grid, int col, int row, const std::u32string& keys) {
  std::u32string accepted;
  for (char32_t key : keys) {
    if (InputGridKeyPress(ws, grid, col, row, key)) accepted += key;
  }
  return accepted;
}

TEST(GridRulesTest, KeyFiltersTableByTable) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 3, 2);
  const std::u32string all = U"\b-.0123456789<=>aZ +e";
  EXPECT_EQ(Typed(ws, GridId::kAGrid, 3, 1, all), U"\b-.0123456789");
  EXPECT_EQ(Typed(ws, GridId::kBGrid, 1, 1, all), U"\b-.0123456789");
  // The direction row takes only what "1" and "-1" need.
  const int direction = 11;
  EXPECT_EQ(Typed(ws, GridId::kFGrid, 1, direction, all), U"\b-1");
  EXPECT_EQ(Typed(ws, GridId::kFGrid, 1, direction - 1, all), U"\b-.0123456789");
  testing::AddConstraint(ws, {"0", "1", "-1"}, "<=", "0.1");
  EXPECT_EQ(Typed(ws, GridId::kCGrid, 4, 2, all), U"\b<=>");
  EXPECT_EQ(Typed(ws, GridId::kCGrid, 5, 2, all), U"\b-.0123456789");
  EXPECT_EQ(Typed(ws, GridId::kCGrid, 2, 1, all), U"");  // the "Norm" row
  EXPECT_EQ(Typed(ws, GridId::kRGrid, 1, 1, all), U"");
}

TEST(GridRulesTest, EveryKeyMarksResultsStaleAndModified) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 2, 2);
  ws.ResultsAvailable = true;
  ws.view.report_enabled = true;
  ws.view.output_stale = false;
  EXPECT_FALSE(InputGridKeyPress(ws, GridId::kAGrid, 3, 1, U'x'));
  EXPECT_FALSE(ws.ResultsAvailable);
  EXPECT_FALSE(ws.view.report_enabled);
  EXPECT_TRUE(ws.view.output_stale);
  EXPECT_TRUE(ws.DataModified);

  // A key in the read-only "Norm" row still makes the results stale, but changes no data.
  ws.DataModified = false;
  ws.ResultsAvailable = true;
  EXPECT_FALSE(InputGridKeyPress(ws, GridId::kCGrid, 2, 1, U'1'));
  EXPECT_FALSE(ws.ResultsAvailable);
  EXPECT_FALSE(ws.DataModified);
}

TEST(GridRulesTest, EditabilityAndSelection) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 2, 2);
  testing::AddConstraint(ws, {"0", "1", "0"}, ">=", "0.2");
  EXPECT_FALSE(CellEditable(ws, GridId::kAGrid, 1, 1));  // ELow: through its dialog only
  EXPECT_FALSE(CellEditable(ws, GridId::kAGrid, 3, 0));
  EXPECT_TRUE(CellEditable(ws, GridId::kAGrid, 3, 1));
  EXPECT_TRUE(CellEditable(ws, GridId::kFGrid, 1, 1));
  EXPECT_TRUE(CellEditable(ws, GridId::kBGrid, 1, 2));
  EXPECT_FALSE(CellEditable(ws, GridId::kCGrid, 1, 1));
  EXPECT_TRUE(CellEditable(ws, GridId::kCGrid, 1, 2));
  EXPECT_FALSE(CellEditable(ws, GridId::kIPGrid, 1, 1));
  EXPECT_FALSE(CellEditable(ws, GridId::kAGrid, 9, 1));  // outside

  EXPECT_FALSE(CellSelectable(ws, GridId::kCGrid, 2, 1));
  EXPECT_TRUE(CellSelectable(ws, GridId::kCGrid, 2, 2));
  ws.CGrid.SetCell(0, 2, "");  // an unlabelled row may be selected, yet takes no key
  EXPECT_TRUE(CellSelectable(ws, GridId::kCGrid, 2, 2));
  EXPECT_FALSE(InputGridAcceptsKey(ws, GridId::kCGrid, 2, 2, U'1'));
}

TEST(GridRulesTest, SetInputCellTextMarksChangesOnly) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 2, 2);
  ws.ResultsAvailable = true;
  EXPECT_TRUE(SetInputCellText(ws, GridId::kAGrid, 3, 1, "0"));  // unchanged
  EXPECT_TRUE(ws.ResultsAvailable);
  EXPECT_FALSE(ws.DataModified);
  EXPECT_TRUE(SetInputCellText(ws, GridId::kAGrid, 3, 1, "7.5"));
  EXPECT_EQ(ws.AGrid.Cell(3, 1), "7.5");
  EXPECT_FALSE(ws.ResultsAvailable);
  EXPECT_TRUE(ws.DataModified);
  EXPECT_FALSE(SetInputCellText(ws, GridId::kCGrid, 2, 1, "5"));
  EXPECT_EQ(ws.CGrid.Cell(2, 1), "1");
}

TEST(GridRulesTest, ActionsColoursFollowTheExamples) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 3, 3);
  SetExample(ws, 2, 2, 3);
  SetExample(ws, 3, 1, 2);
  EXPECT_EQ(InputCellLookAt(ws, GridId::kAGrid, 0, 1).fill, InputFill::kHeader);
  EXPECT_EQ(InputCellLookAt(ws, GridId::kAGrid, 1, 1).fill, InputFill::kHeader);
  EXPECT_EQ(InputCellLookAt(ws, GridId::kAGrid, 0, 2).fill, InputFill::kCyan);
  EXPECT_EQ(InputCellLookAt(ws, GridId::kAGrid, 1, 2).fill, InputFill::kYellow);
  EXPECT_EQ(InputCellLookAt(ws, GridId::kAGrid, 2, 2).fill, InputFill::kHeader);
  EXPECT_EQ(InputCellLookAt(ws, GridId::kAGrid, 0, 3).fill, InputFill::kCyan);
  EXPECT_EQ(InputCellLookAt(ws, GridId::kAGrid, 2, 3).fill, InputFill::kYellow);
  EXPECT_EQ(InputCellLookAt(ws, GridId::kAGrid, 3, 3).fill, InputFill::kWhite);
  ws.AGrid.SetCell(1, 3, "junk");  // never throws
  EXPECT_EQ(InputCellLookAt(ws, GridId::kAGrid, 1, 3).fill, InputFill::kHeader);
}

TEST(GridRulesTest, FixedParametersColoursAndHiddenThresholds) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 2, 2);
  EXPECT_EQ(InputCellLookAt(ws, GridId::kFGrid, 1, 1).fill, InputFill::kLime);  // g(b1)
  EXPECT_EQ(InputCellLookAt(ws, GridId::kFGrid, 1, 2).fill, InputFill::kWhite);
  EXPECT_EQ(InputCellLookAt(ws, GridId::kFGrid, 2, 6).fill, InputFill::kLime);  // direction
  EXPECT_EQ(InputCellLookAt(ws, GridId::kFGrid, 0, 6).fill, InputFill::kHeader);
  // With p = 2: u = 1 is white, u = 3 black, u = 0 white; v is compared with p too.
  SetThreshold(ws, 1, 2, 1, "2");
  SetThreshold(ws, 1, 3, 1, "1");
  EXPECT_TRUE(InputCellLookAt(ws, GridId::kFGrid, 1, 4).white_text);
  SetThreshold(ws, 1, 3, 1, "3");
  EXPECT_FALSE(InputCellLookAt(ws, GridId::kFGrid, 1, 4).white_text);
  SetThreshold(ws, 1, 3, 1, "0");
  EXPECT_TRUE(InputCellLookAt(ws, GridId::kFGrid, 1, 4).white_text);
  SetThreshold(ws, 1, 4, 1, "2.5");
  EXPECT_FALSE(InputCellLookAt(ws, GridId::kFGrid, 1, 5).white_text);
  SetThreshold(ws, 1, 4, 1, "2");
  EXPECT_TRUE(InputCellLookAt(ws, GridId::kFGrid, 1, 5).white_text);
  // With p = 0 a zero u still plays no part.
  EXPECT_TRUE(InputCellLookAt(ws, GridId::kFGrid, 2, 4).white_text);
}

TEST(GridRulesTest, ConstraintsColoursAndEmptyZeros) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 2, 2);
  testing::AddConstraint(ws, {"0", "1", "-1"}, ">=", "0");
  EXPECT_EQ(InputCellLookAt(ws, GridId::kCGrid, 2, 1).fill, InputFill::kYellow);
  EXPECT_TRUE(InputCellLookAt(ws, GridId::kCGrid, 1, 1).blank);  // lambda "0" of Norm
  EXPECT_EQ(InputCellLookAt(ws, GridId::kCGrid, 1, 2).fill, InputFill::kWhite);
  EXPECT_TRUE(InputCellLookAt(ws, GridId::kCGrid, 1, 2).blank);
  EXPECT_FALSE(InputCellLookAt(ws, GridId::kCGrid, 2, 2).blank);
  EXPECT_FALSE(InputCellLookAt(ws, GridId::kCGrid, 5, 2).blank);  // the RHS "0" is shown
}

TEST(GridRulesTest, CellSizeControlsStopAtTheirLimits) {
  CellSizes sizes;
  EXPECT_EQ(sizes.height.value, 16);
  EXPECT_EQ(sizes.width.value, 48);
  EXPECT_EQ(sizes.font.value, 8);
  for (int i = 0; i < 20; ++i) sizes.width.Up();
  EXPECT_EQ(sizes.width.value, 96);
  EXPECT_EQ(ColumnWidth(GridId::kICGrid, 0, sizes.width.value), 192);
  EXPECT_EQ(ColumnWidth(GridId::kIPGrid, 0, sizes.width.value), 192);
  EXPECT_EQ(ColumnWidth(GridId::kIPGrid, 1, sizes.width.value), 96);
  EXPECT_EQ(ColumnWidth(GridId::kAGrid, 0, sizes.width.value), 96);
  // Names, descriptions and the parameter vectors fit their text, within [width, 320].
  EXPECT_EQ(FittedColumnWidth(GridId::kAGrid, 0, 48, 130), 130);
  EXPECT_EQ(FittedColumnWidth(GridId::kAGrid, 0, 48, 20), 48);
  EXPECT_EQ(FittedColumnWidth(GridId::kAGrid, 0, 48, 900), kMaxFittedWidth);
  EXPECT_EQ(FittedColumnWidth(GridId::kAGrid, 3, 48, 130), 48);  // a performance
  EXPECT_EQ(FittedColumnWidth(GridId::kIPGrid, 0, 48, 50), 96);
  EXPECT_EQ(FittedColumnWidth(GridId::kDGrid, 2, 48, 90), 90);
  for (int i = 0; i < 20; ++i) sizes.height.Down();
  EXPECT_EQ(sizes.height.value, 8);
  EXPECT_EQ(sizes.height.Up(), 10);
  EXPECT_EQ(sizes.font.Set(25), 24);
  EXPECT_FALSE(HeightAppliesTo(GridId::kDGrid));
  EXPECT_TRUE(HeightAppliesTo(GridId::kORGrid));
}

}  // namespace
}  // namespace vido
