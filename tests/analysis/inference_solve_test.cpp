#include "analysis/inference_solve.h"

#include <gtest/gtest.h>

#include "analysis/inference_tables.h"
#include "analysis/robust_assignments.h"
#include "common/fake_user_port.h"
#include "common/range_problem.h"
#include "lp/solver_interface.h"

namespace vido {
namespace {

using testing::AddConstraint;
using testing::FakeUserPort;
using testing::MakeRangeProblem;
using testing::SetExample;
using Errors = std::vector<std::string>;

class InferenceSolveTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeRangeProblem(ws_); }
  void BuildTables() {
    BuildExampleConstraints(ws_, port_);
    BuildAnalysisTable(ws_);
    BuildInferenceProgram(ws_);
  }
  Workspace ws_;
  FakeUserPort port_;
};

TEST_F(InferenceSolveTest, LoadersFillEmptyCellsAndRefuseBadRows) {
  AddConstraint(ws_, {"", "1", "-1"}, ">=", "0.1");
  BuildTables();
  // IPGrid: "ad1", "LB lambda", "UB lambda"; the empty lambda cell was copied as is.
  ASSERT_EQ(ws_.IPGrid.Cell(2, 1), "");
  EXPECT_EQ(LoadInferenceProgram(ws_, port_), 0);
  EXPECT_EQ(ws_.IPGrid.Cell(2, 1), "0");
  EXPECT_EQ(LoadRobustProgram(ws_, port_), 0);
  EXPECT_EQ(ws_.CGrid.Cell(1, 2), "0");
  EXPECT_TRUE(port_.messages.empty());

  ws_.IPGrid.SetCell(5, 2, "=");
  EXPECT_EQ(LoadInferenceProgram(ws_, port_), -1);
  ws_.IPGrid.SetCell(5, 2, ">=");
  ws_.IPGrid.SetCell(6, 3, "-2");
  EXPECT_EQ(LoadInferenceProgram(ws_, port_), -1);
  ws_.CGrid.SetCell(5, 2, "-1");
  EXPECT_EQ(LoadRobustProgram(ws_, port_), -1);
  ws_.CGrid.SetCell(5, 2, "0.1");
  ws_.CGrid.SetCell(4, 2, "!");
  EXPECT_EQ(LoadRobustProgram(ws_, port_), -1);
  ws_.CGrid.SetCell(4, 2, ">=");
  ws_.BGrid.SetCell(2, 1, "0.8");
  ws_.BGrid.SetCell(2, 2, "0.2");
  EXPECT_EQ(LoadRobustProgram(ws_, port_), -1);
  EXPECT_EQ(port_.Errors(), (Errors{"Error in Ineq2", "Error in b3", "Error in b2",
                                    "Error in Ineq2", "LB>UB in column 2"}));
}

TEST_F(InferenceSolveTest, InferenceStoresTheSolutionAndReportsFailures) {
  BuildTables();
  const auto alpha = InferParameters(ws_, port_);
  ASSERT_TRUE(alpha);
  // Only "LB lambda" (>= 0.5) and "UB lambda" (<= 0.9): the margin is 0.2 at 0.7.
  EXPECT_NEAR(*alpha, -0.2, 1e-9);
  EXPECT_NEAR(ws_.InferredSolution[0], 0.7, 1e-9);
  EXPECT_EQ(ws_.DGrid.Cell(0, 2), "0.7");

  // A right-hand side beyond what any alpha up to 1024 can relax.
  AddConstraint(ws_, {"1", "0", "0"}, ">=", "2000");
  BuildTables();
  EXPECT_FALSE(InferParameters(ws_, port_));
  EXPECT_EQ(port_.Warnings(), Errors{"Problem is infeasible for every alpha value"});
}

TEST_F(InferenceSolveTest, ErrorColumnOnlyUpTo256Rows) {
  BuildTables();
  ws_.InferredSolution = {0.95, 0.5, 0.5};
  ShowInconsistentResult(ws_, port_, 0.00005);
  EXPECT_EQ(port_.Warnings(), Errors{"Information is inconsistent, but the error is negligible!"});
  EXPECT_EQ(ws_.IPGrid.Cell(7, 1), "-0.45");
  EXPECT_EQ(ws_.IPGrid.Cell(7, 2), "0.05");
  EXPECT_EQ(ws_.ViolatedRows, std::vector<int>{1});

  // 300 rows: the message, but no Error values and no marked rows.
  const int rows = ws_.IPGrid.RowCount();
  ws_.IPGrid.SetRowCount(300);
  for (int r = rows; r < 300; ++r) ws_.IPGrid.MoveRow(2, r);
  for (int r = 1; r < 300; ++r) ws_.IPGrid.SetCell(7, r, "");
  ShowInconsistentResult(ws_, port_, 0.5);
  EXPECT_EQ(port_.Warnings().back(), "Inconsistent information!");
  EXPECT_TRUE(ws_.ViolatedRows.empty());
  EXPECT_EQ(ws_.IPGrid.Cell(7, 2), "");
}

TEST_F(InferenceSolveTest, CellSelectionSolvesOnlyInsideTheRange) {
  CalcRangeItemClick(ws_, port_);
  ASSERT_TRUE(ws_.RangesValid);
  const int rows = ws_.IPGrid.RowCount();
  // Action 2 in category 3: k1 >= lambda is imposed.
  RGridSelectCell(ws_, port_, 3, 2);
  EXPECT_EQ(ws_.IPGrid.RowCount(), rows);
  ASSERT_NE(ws_.DGrid.Cell(0, 1), "");
  EXPECT_GE(*ParseReal(ws_.DGrid.Cell(1, 1)), *ParseReal(ws_.DGrid.Cell(0, 1)) - 1e-9);
  // Category 1 for action 2: k1 below lambda by the margin.
  RGridSelectCell(ws_, port_, 1, 2);
  EXPECT_LT(*ParseReal(ws_.DGrid.Cell(1, 1)), *ParseReal(ws_.DGrid.Cell(0, 1)));
  // The hole, a category outside the range, the name column: nothing solved.
  for (const auto& [col, row] : std::vector<std::pair<int, int>>{{2, 2}, {1, 1}, {0, 2}}) {
    ws_.DGrid.SetCell(0, 1, "stale");
    RGridSelectCell(ws_, port_, col, row);
    EXPECT_EQ(ws_.DGrid.Cell(0, 1), "");
  }
  // ORGrid row 1 is action 2 (the widest range).
  ORGridSelectCell(ws_, port_, 3, 1);
  EXPECT_NE(ws_.DGrid.Cell(0, 1), "");
  // Stale results: no solve.
  ws_.ResetResults();
  ORGridSelectCell(ws_, port_, 3, 1);
  EXPECT_EQ(ws_.DGrid.Cell(0, 1), "");
  EXPECT_TRUE(port_.messages.empty());

  // A failing solve still removes the temporary rows.
  ws_.ResultsAvailable = true;
  ws_.IPGrid.SetCell(5, 1, "?");
  RGridSelectCell(ws_, port_, 3, 2);
  EXPECT_EQ(port_.Errors(), Errors{"Error in Ineq1"});
  EXPECT_EQ(ws_.IPGrid.RowCount(), rows);
}

}  // namespace
}  // namespace vido
