#include "model/new_problem.h"

#include <gtest/gtest.h>

#include "model/problem_layout.h"

namespace vido {
namespace {

TEST(BuildNewProblem, TwoByTwoByTwoHasTheDocumentedSizes) {
  Workspace ws;
  BuildNewProblem(ws, 2, 2, 2);
  EXPECT_EQ(ws.CriteriaCount, 2);
  EXPECT_EQ(ws.ActionsCount, 2);
  EXPECT_EQ(ws.CategoriesCount, 2);
  EXPECT_EQ(ws.ConstraintsCount, 1);
  EXPECT_EQ(ws.AGrid.ColCount(), 5);
  EXPECT_EQ(ws.AGrid.RowCount(), 3);
  EXPECT_EQ(ws.FGrid.ColCount(), 3);
  EXPECT_EQ(ws.FGrid.RowCount(), 7);
  EXPECT_EQ(ws.BGrid.ColCount(), 4);
  EXPECT_EQ(ws.BGrid.RowCount(), 3);
  EXPECT_EQ(ws.CGrid.ColCount(), 6);
  EXPECT_EQ(ws.CGrid.RowCount(), 2);
  EXPECT_TRUE(ws.view.input_tabs_visible);
}

TEST(BuildNewProblem, LabelsAndDefaults) {
  Workspace ws;
  BuildNewProblem(ws, 3, 4, 3);
  const Table& a = ws.AGrid;
  EXPECT_EQ(a.Row(0), (std::vector<std::string>{"Action", "ELow", "EHigh", "g1", "g2", "g3"}));
  EXPECT_EQ(a.Row(1), (std::vector<std::string>{"0", "1", "3", "0", "0", "0"}));
  EXPECT_EQ(a.Row(4), (std::vector<std::string>{"3", "1", "3", "0", "0", "0"}));

  const Table& f = ws.FGrid;
  EXPECT_EQ(f.RowCount(), 12);
  EXPECT_EQ(f.Row(0), (std::vector<std::string>{"", "g1", "g2", "g3"}));
  const char* labels[] = {"g(b1)", "q1", "p1", "u1", "v1", "g(b2)", "q2", "p2", "u2", "v2"};
  for (int r = 1; r <= 10; ++r) {
    EXPECT_EQ(f.Row(r), (std::vector<std::string>{labels[r - 1], "0", "0", "0"})) << r;
  }
  EXPECT_EQ(f.Row(DirectionRow(3)), (std::vector<std::string>{"MAX/min?(1/-1)", "1", "1", "1"}));

  const Table& b = ws.BGrid;
  EXPECT_EQ(b.Row(0), (std::vector<std::string>{"", "lambda", "k1", "k2", "k3"}));
  EXPECT_EQ(b.Row(1), (std::vector<std::string>{"LB - Lower Bound", "0.5", "0", "0", "0"}));
  EXPECT_EQ(b.Row(2), (std::vector<std::string>{"UB - Upper Bound", "1.0", "0.5", "0.5", "0.5"}));

  const Table& c = ws.CGrid;
  EXPECT_EQ(c.Row(0), (std::vector<std::string>{"", "lambda", "k1", "k2", "k3", "<,=,>", "RHS"}));
  EXPECT_EQ(c.Row(1), (std::vector<std::string>{"Norm", "0", "1", "1", "1", "=", "1"}));
}

TEST(BuildNewProblem, ReplacesALargerProblemWithoutLeftovers) {
  Workspace ws;
  BuildNewProblem(ws, 5, 10, 6);
  ws.FGrid.SetCell(0, 0, "left over");
  ws.CGrid.SetRowCount(4);
  ws.ConstraintsCount = 3;
  BuildNewProblem(ws, 2, 2, 2);
  EXPECT_EQ(ws.FGrid.Cell(0, 0), "");
  EXPECT_EQ(ws.CGrid.RowCount(), 2);
  EXPECT_EQ(ws.ConstraintsCount, 1);
  EXPECT_EQ(ws.AGrid.Cell(2, 1), "2");
}

}  // namespace
}  // namespace vido
