#include "analysis/inference_tables.h"

#include <gtest/gtest.h>

#include "common/fake_user_port.h"
#include "common/small_problem.h"
#include "support/command_error.h"

namespace vido {
namespace {

using testing::AddConstraint;
using testing::FakeUserPort;
using testing::MakeSmallProblem;
using testing::SetExample;
using testing::SetPerformances;
using testing::SetProfile;
using Rows = std::vector<std::vector<std::string>>;

Rows AllRows(const Table& t) {
  Rows rows;
  for (int r = 0; r < t.RowCount(); ++r) rows.push_back(t.Row(r));
  return rows;
}

// Two criteria, three categories; b_1 at 10 on both criteria, b_2 at 20 with q = 1 and
// p = 4 on g1. Action "0" lies at (18, 15): it outranks b_1 fully and reaches
// c_1 = (-2 + 4) / 3 against b_2.
class InferenceTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeSmallProblem(ws_, 2, 3, 4);
    SetProfile(ws_, 1, 1, 10);
    SetProfile(ws_, 1, 2, 10);
    SetProfile(ws_, 2, 1, 20, 1, 4);
    SetProfile(ws_, 2, 2, 20);
    SetPerformances(ws_, 1, {18, 15});
    SetPerformances(ws_, 2, {25, 5});
    SetPerformances(ws_, 3, {5, 25});
    SetPerformances(ws_, 4, {30, 30});
  }
  Workspace ws_;
  FakeUserPort port_;
};

TEST_F(InferenceTablesTest, ExampleRowsAtBothEndsOfTheScale) {
  SetExample(ws_, 1, 2, 2);  // both rows: b_1 below, b_2 above
  SetExample(ws_, 2, 3, 3);  // ELow = K: only a lower row, against b_2
  SetExample(ws_, 3, 1, 1);  // EHigh = 1: only an upper row, against b_1
  BuildExampleConstraints(ws_, port_);
  EXPECT_EQ(ws_.ExampleRowsCount, 4);
  EXPECT_EQ(AllRows(ws_.ICGrid), (Rows{{"", "lambda", "k1", "k2", "<,=,>", "RHS"},
                                       {"C(0)>=2", "-1", "1", "1", ">=", "0"},
                                       {"C(0)<=2", "1", "-0.666666666666667", "0", ">=", "0.0001"},
                                       {"C(1)>=3", "-1", "1", "0", ">=", "0"},
                                       {"C(2)<=1", "1", "0", "-1", ">=", "0.0001"}}));
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(InferenceTablesTest, NoExampleLeavesThePlaceholderRow) {
  ws_.ICGrid.SetSize(4, 7);  // leftovers of a bigger problem go away
  ws_.ExampleRowsCount = 6;
  BuildExampleConstraints(ws_, port_);
  EXPECT_EQ(ws_.ExampleRowsCount, 0);
  EXPECT_EQ(AllRows(ws_.ICGrid),
            (Rows{{"", "lambda", "k1", "k2", "<,=,>", "RHS"}, {"", "0", "0", "0", ">=", "0"}}));
}

TEST_F(InferenceTablesTest, SymmetricExampleWarnsAndKeepsBothRows) {
  SetExample(ws_, 4, 2, 2);  // (30, 30) beats both profiles fully
  BuildExampleConstraints(ws_, port_);
  EXPECT_EQ(ws_.ExampleRowsCount, 2);
  EXPECT_EQ(port_.Warnings(),
            (std::vector<std::string>{"Symmetric constraints due to assignment example of 3. "
                                      "Infeasible problem."}));
}

TEST_F(InferenceTablesTest, ImpossibleLowerCategoryIsRefused) {
  SetExample(ws_, 2, 4, 4);
  EXPECT_THROW(BuildExampleConstraints(ws_, port_), CommandError);
  ws_.AGrid.SetCell(1, 2, "two");
  try {
    BuildExampleConstraints(ws_, port_);
    FAIL();
  } catch (const CommandError& e) {
    EXPECT_STREQ(e.what(), "'two' is not a valid integer value");
  }
}

// An example, an additional constraint of each sign (one with an empty cell) and bounds
// that make a row of each kind.
class ProgramTablesTest : public InferenceTablesTest {
 protected:
  void SetUp() override {
    InferenceTablesTest::SetUp();
    SetExample(ws_, 1, 2, 2);
    AddConstraint(ws_, {"1", "0.5", ""}, "<=", "0.9");
    AddConstraint(ws_, {"0", "1", "-1"}, ">=", "0.1");
    AddConstraint(ws_, {"0", "1", "-2"}, "=", "0");
    ws_.BGrid.SetCell(1, 1, "0.6");  // lambda in [0.6, 1.0]
    ws_.BGrid.SetCell(2, 2, "0.7");  // k1 in [0, 0.7]
    ws_.BGrid.SetCell(3, 1, "0.1");  // k2 in [0.1, 1]
    ws_.BGrid.SetCell(3, 2, "1");
    BuildExampleConstraints(ws_, port_);
  }
};

TEST_F(ProgramTablesTest, InferenceProgram) {
  BuildInferenceProgram(ws_);
  EXPECT_EQ(AllRows(ws_.IPGrid),
            (Rows{{"Descr", "alpha", "lambda", "k1", "k2", "<,=,>", "RHS", "Error"},
                  {"C(0)>=2", "1", "-1", "1", "1", ">=", "0", ""},
                  {"C(0)<=2", "1", "1", "-0.666666666666667", "0", ">=", "0.0001", ""},
                  {"ad1", "-1", "1", "0.5", "", "<=", "0.9", ""},
                  {"ad2", "1", "0", "1", "-1", ">=", "0.1", ""},
                  {"ad3", "1", "0", "1", "-2", ">=", "0", ""},
                  {"ad3", "-1", "0", "1", "-2", "<=", "0", ""},
                  {"LB lambda", "1", "1", "0", "0", ">=", "0.6", ""},
                  {"UB k1", "-1", "0", "1", "0", "<=", "0.7", ""},
                  {"LB k2", "1", "0", "0", "1", ">=", "0.1", ""}}));
}

TEST_F(ProgramTablesTest, AnalysisTable) {
  BuildAnalysisTable(ws_);
  EXPECT_EQ(ws_.IGrid.FixedCols(), 2);
  EXPECT_EQ(AllRows(ws_.IGrid),
            (Rows{{"No.", "Descr", "lambda", "k1", "k2", ">=", "RHS"},
                  {"1", "C(0)>=2", "-1", "1", "1", ">=", "0"},
                  {"2", "C(0)<=2", "1", "-0.666666666666667", "0", ">=", "0.0001"},
                  {"3", "ad1", "-1", "-0.5", "0", ">=", "-0.9"},
                  {"4", "ad2", "0", "1", "-1", ">=", "0.1"},
                  {"5", "ad3", "0", "-1", "2", ">=", "0"},
                  {"6", "ad3", "0", "1", "-2", ">=", "0"},
                  {"7", "LB lambda", "1", "0", "0", ">=", "0.6"},
                  {"8", "UB k1", "0", "-1", "0", ">=", "-0.7"},
                  {"9", "LB k2", "0", "0", "1", ">=", "0.1"}}));
  EXPECT_EQ(AnalysisTableCellText(ws_.IGrid, 2, 5), "");   // a zero coefficient is blank
  EXPECT_EQ(AnalysisTableCellText(ws_.IGrid, 6, 5), "0");  // but not a zero RHS
  EXPECT_EQ(AnalysisTableCellText(ws_.IGrid, 3, 5), "-1");
}

TEST_F(ProgramTablesTest, InvalidSignRefusesTheRunAndNamesTheRow) {
  BuildInferenceProgram(ws_);
  BuildAnalysisTable(ws_);
  const Rows program = AllRows(ws_.IPGrid);
  const Rows analysis = AllRows(ws_.IGrid);
  for (const char* sign : {"", "x", " <="}) {
    ws_.CGrid.SetCell(4, 3, sign);
    try {
      BuildInferenceProgram(ws_);
      FAIL() << "sign '" << sign << "' accepted";
    } catch (const CommandError& e) {
      EXPECT_EQ(std::string(e.what()), "Invalid sign \"" + std::string(sign) +
                                           "\" in constraint ad2 (row 2): use <=, = or >=");
    }
    EXPECT_THROW(BuildAnalysisTable(ws_), CommandError);
    EXPECT_EQ(AllRows(ws_.IPGrid), program);  // nothing half-built
    EXPECT_EQ(AllRows(ws_.IGrid), analysis);
  }
}

TEST(InferenceTables, DefaultBoundsAndTheBareProgram) {
  Workspace ws;
  FakeUserPort port;
  MakeSmallProblem(ws, 2, 2, 2);
  BuildExampleConstraints(ws, port);
  BuildInferenceProgram(ws);
  EXPECT_EQ(AllRows(ws.IPGrid),
            (Rows{{"Descr", "alpha", "lambda", "k1", "k2", "<,=,>", "RHS", "Error"},
                  {"LB lambda", "1", "1", "0", "0", ">=", "0.5", ""},
                  {"UB k1", "-1", "0", "1", "0", "<=", "0.5", ""},
                  {"UB k2", "-1", "0", "0", "1", "<=", "0.5", ""}}));
  ws.BGrid.SetCell(1, 1, "0");
  for (int c = 2; c <= 3; ++c) ws.BGrid.SetCell(c, 2, "1.0");
  BuildInferenceProgram(ws);
  BuildAnalysisTable(ws);
  EXPECT_EQ(ws.IPGrid.RowCount(), 1);
  EXPECT_EQ(ws.IPGrid.ColCount(), 8);
  EXPECT_EQ(ws.IGrid.RowCount(), 1);
  EXPECT_EQ(ws.IGrid.ColCount(), 7);
}

}  // namespace
}  // namespace vido
