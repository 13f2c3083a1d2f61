#include "analysis/robust_assignments.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/inference_solve.h"
#include "common/fake_user_port.h"
#include "common/range_problem.h"
#include "lp/solver_interface.h"

namespace vido {
namespace {

using testing::AddConstraint;
using testing::FakeUserPort;
using testing::MakeRangeProblem;
using testing::SetExample;
using testing::SetPerformances;

class RobustAssignmentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeRangeProblem(ws_);
    SolverSetUserPort(&port_);
  }
  void TearDown() override { SolverSetUserPort(nullptr); }

  // The clean-up every run ends with, whatever way it ended.
  void ExpectCleanedUp() {
    EXPECT_FALSE(port_.busy);
    EXPECT_FALSE(port_.progress_visible);
    EXPECT_FALSE(ws_.view.calc_panel_visible);
    EXPECT_FALSE(ws_.UseAcceptedSolution);
  }
  std::vector<int> Ranges(const std::vector<int>& v) { return {v.begin() + 1, v.end()}; }

  Workspace ws_;
  FakeUserPort port_;
};

TEST_F(RobustAssignmentsTest, ConsistentRunGivesRangesOrderHolesAndIndex) {
  CalcRangeItemClick(ws_, port_);
  EXPECT_TRUE(port_.messages.empty());
  ExpectCleanedUp();
  ASSERT_TRUE(ws_.RangesValid);
  EXPECT_TRUE(ws_.ResultsAvailable);
  EXPECT_TRUE(ws_.view.report_enabled);
  EXPECT_FALSE(ws_.view.inconsistency_enabled);
  EXPECT_TRUE(ws_.view.variability_order_enabled);
  EXPECT_TRUE(ws_.view.indices_tab_visible);
  EXPECT_FALSE(ws_.view.inferred_constraints_tab_visible);  // no example
  EXPECT_EQ(Ranges(ws_.WorstCategory), (std::vector<int>{2, 1, 3, 1, 2}));
  EXPECT_EQ(Ranges(ws_.BestCategory), (std::vector<int>{2, 3, 3, 1, 3}));
  for (int i = 1; i <= 5; ++i) {
    EXPECT_LE(ws_.WorstCategory[i], ws_.InferredCategory[i]);
    EXPECT_LE(ws_.InferredCategory[i], ws_.BestCategory[i]);
  }
  // Widths 0, 2, 0, 0, 1: the wide ones first, ties in table order.
  EXPECT_EQ(ws_.VariabilityOrder, (std::vector<int>{1, 4, 0, 2, 3}));
  EXPECT_EQ(ws_.ORGrid.Cell(0, 1), "1");
  EXPECT_EQ(ws_.ORGrid.Cell(0, 2), "4");
  EXPECT_EQ(ws_.ORGrid.Cell(2, 0), "C2");
  // Category 2 is impossible for action 2, whatever the parameters.
  EXPECT_EQ(ws_.RGrid.Cell(2, 2), "X");
  EXPECT_EQ(ws_.ORGrid.Cell(2, 1), "X");
  EXPECT_EQ(ws_.RGrid.Cell(1, 2), "");
  EXPECT_EQ(ws_.RGrid.Cell(3, 2), "");
  // (1 * 3 * 1 * 1 * 2)^(1/5) = 6^(1/5); the first run shows no variation.
  EXPECT_EQ(ws_.view.label_ma, "1.431");
  EXPECT_EQ(ws_.view.label_ma_dif, "");
  EXPECT_EQ(ws_.DGrid.Cell(0, 0), "lambda");
  EXPECT_EQ(ws_.DGrid.Cell(2, 0), "k2");

  // Fixing action 2 to category 3 and action 5 to category 2 narrows both ranges.
  SetExample(ws_, 2, 3, 3);
  SetExample(ws_, 5, 2, 2);
  CalcRangeItemClick(ws_, port_);
  ASSERT_TRUE(ws_.RangesValid);
  EXPECT_EQ(Ranges(ws_.WorstCategory), (std::vector<int>{2, 3, 3, 1, 2}));
  EXPECT_EQ(Ranges(ws_.BestCategory), (std::vector<int>{2, 3, 3, 1, 2}));
  EXPECT_EQ(ws_.view.label_ma, "1.000");
  EXPECT_EQ(ws_.view.label_ma_dif, "variation = -0.431 (-30.1%)");
  EXPECT_TRUE(ws_.view.inferred_constraints_tab_visible);
}

TEST_F(RobustAssignmentsTest, IndexFollowsThePreviousRoundedMean) {
  ViewState view;
  UpdateRobustnessIndex(view, 1.0);
  EXPECT_EQ(view.label_ma, "1.000");
  EXPECT_EQ(view.label_ma_dif, "");
  UpdateRobustnessIndex(view, std::sqrt(2.0));
  EXPECT_EQ(view.label_ma, "1.414");
  EXPECT_EQ(view.label_ma_dif, "variation = 0.414 (41.4%)");

  // 20^1000 is far beyond a double; the mean is still exact.
  Workspace ws;
  ws.ActionsCount = 1000;
  ws.WorstCategory.assign(1001, 1);
  ws.BestCategory.assign(1001, 20);
  EXPECT_NEAR(GeometricMeanOfRanges(ws), 20.0, 1e-9);
}

TEST_F(RobustAssignmentsTest, InconsistentRunShowsTheViolatedRows) {
  SetExample(ws_, 4, 2, 3);  // sigma = 0 against b_1 but lambda >= 0.5: alpha = 0.25
  ws_.display_order = DisplayOrder::kVariability;
  CalcRangeItemClick(ws_, port_);
  EXPECT_EQ(port_.Warnings(), (std::vector<std::string>{"Inconsistent information!"}));
  ExpectCleanedUp();
  EXPECT_FALSE(ws_.RangesValid);
  EXPECT_TRUE(ws_.ResultsAvailable);
  EXPECT_TRUE(ws_.view.inconsistency_enabled);
  EXPECT_FALSE(ws_.view.variability_order_enabled);
  EXPECT_EQ(ws_.display_order, DisplayOrder::kInput);
  EXPECT_FALSE(ws_.view.indices_tab_visible);
  EXPECT_NEAR(ws_.Alpha, 0.25, 1e-9);
  // IPGrid: the example row, "LB lambda" (both violated by 0.25), "UB lambda".
  ASSERT_EQ(ws_.IPGrid.RowCount(), 4);
  EXPECT_EQ(ws_.ViolatedRows, (std::vector<int>{0, 1}));
  EXPECT_EQ(ws_.IPGrid.Cell(7, 1), "0.25");
  EXPECT_EQ(ws_.IPGrid.Cell(7, 2), "0.25");
  EXPECT_EQ(ws_.InferredCategory[4], 1);

  // Accepting a vector afterwards judges that vector, not the alpha of the run before.
  ws_.InferredSolution = {0.6, 0.5, 0.5};
  ws_.UseAcceptedSolution = true;
  port_.messages.clear();
  CalcRangeItemClick(ws_, port_);
  EXPECT_EQ(port_.Warnings(), (std::vector<std::string>{"Inconsistent information!"}));
  EXPECT_NEAR(ws_.Alpha, 0.6, 1e-9);
  EXPECT_EQ(ws_.IPGrid.Cell(7, 1), "0.6");
  ExpectCleanedUp();
}

TEST_F(RobustAssignmentsTest, NegligibleInconsistencyAndAConsistentVerdictWithinTheTolerance) {
  // Action 6 is action 2's twin: category 3 for one and 1 for the other need
  // k1 >= lambda and k1 <= lambda - 0.0001, so alpha = 0.00005.
  MakeRangeProblem(ws_, 6);
  SetPerformances(ws_, 6, {25, 5});
  SetExample(ws_, 2, 3, 3);
  SetExample(ws_, 6, 1, 1);
  CalcRangeItemClick(ws_, port_);
  EXPECT_EQ(
      port_.Warnings(),
      (std::vector<std::string>{"Information is inconsistent, but the error is negligible!"}));
  EXPECT_FALSE(ws_.RangesValid);

  // k1 >= 0.500005 against the bound k1 <= 0.5 needs alpha = 0.0000025: consistent by
  // alpha, although no vector satisfies both exactly. The verdict comes with ranges,
  // those of the region it found (every row relaxed by alpha), which hold the inferred
  // categories.
  MakeRangeProblem(ws_);
  ws_.BGrid.SetCell(2, 2, "0.5");
  AddConstraint(ws_, {"0", "1", "0"}, ">=", "0.500005");
  port_.messages.clear();
  CalcRangeItemClick(ws_, port_);
  EXPECT_NEAR(ws_.Alpha, 0.0000025, 1e-9);
  EXPECT_TRUE(port_.Warnings().empty());
  ASSERT_TRUE(ws_.RangesValid);
  EXPECT_FALSE(ws_.view.inconsistency_enabled);
  for (int i = 1; i <= ws_.ActionsCount; ++i) {
    EXPECT_LE(ws_.WorstCategory[i], ws_.InferredCategory[i]) << i;
    EXPECT_GE(ws_.BestCategory[i], ws_.InferredCategory[i]) << i;
  }
  // Three weights pinned to 0.333333 miss "Norm" by 1e-6: alpha 3.3E-7, consistent, and
  // the ranges come with it.
  testing::MakeSmallProblem(ws_, 3, 3, 3);
  for (int j = 2; j <= 4; ++j) {
    ws_.BGrid.SetCell(j, 1, "0.333333");
    ws_.BGrid.SetCell(j, 2, "0.333333");
  }
  port_.messages.clear();
  CalcRangeItemClick(ws_, port_);
  EXPECT_NEAR(ws_.Alpha, 1e-6 / 3, 1e-12);
  EXPECT_TRUE(port_.Warnings().empty());
  EXPECT_TRUE(ws_.RangesValid);
  MakeRangeProblem(ws_);
  ws_.BGrid.SetCell(2, 2, "0.5");
  AddConstraint(ws_, {"0", "1", "0"}, ">=", "0.500005");
  CalcRangeItemClick(ws_, port_);

  // The actions whose category no parameter vector changes keep it.
  EXPECT_EQ(std::make_pair(ws_.WorstCategory[1], ws_.BestCategory[1]), std::make_pair(2, 2));
  EXPECT_EQ(std::make_pair(ws_.WorstCategory[3], ws_.BestCategory[3]), std::make_pair(3, 3));
  EXPECT_EQ(std::make_pair(ws_.WorstCategory[4], ws_.BestCategory[4]), std::make_pair(1, 1));
  ExpectCleanedUp();
}

// A user may type a constraint, the performances and the thresholds in any unit: the
// verdict and the ranges are those of the same information in unit size.
TEST_F(RobustAssignmentsTest, MagnitudesTypedChangeNeitherVerdictNorRanges) {
  struct Outcome {
    bool consistent;
    std::vector<int> worst, best;
    bool operator==(const Outcome&) const = default;
  };
  // k2 - k1 >= rhs, typed times f; profiles, thresholds and performances times g. Action
  // 5 in category 3 needs k2 >= lambda >= 0.5.
  auto run = [&](double f, double g, double rhs) {
    MakeRangeProblem(ws_);
    for (int j = 1; j <= 2; ++j) {
      testing::SetProfile(ws_, 1, j, 10 * g, 1 * g, 3 * g);
      testing::SetProfile(ws_, 2, j, 20 * g, 1 * g, 3 * g);
    }
    const std::vector<std::vector<double>> performances = {
        {15, 15}, {25, 5}, {25, 25}, {5, 5}, {15, 25}};
    for (int i = 1; i <= 5; ++i) {
      SetPerformances(ws_, i, {performances[i - 1][0] * g, performances[i - 1][1] * g});
    }
    SetExample(ws_, 5, 3, 3);
    AddConstraint(ws_, {"0", FormatGeneral(-f), FormatGeneral(f)}, ">=", FormatGeneral(rhs * f));
    port_.messages.clear();
    CalcRangeItemClick(ws_, port_);
    EXPECT_TRUE(port_.Errors().empty()) << f << " " << g;
    return Outcome{ws_.RangesValid, Ranges(ws_.WorstCategory), Ranges(ws_.BestCategory)};
  };
  const Outcome consistent = run(1, 1, 0.1);
  ASSERT_TRUE(consistent.consistent);
  EXPECT_FALSE(run(1, 1, 1.5).consistent);
  for (const double f : {1e-9, 1e-6, 1e-3, 1e3, 1e6, 1e9}) {
    EXPECT_EQ(run(f, 1, 0.1), consistent) << "constraint times " << f;
    EXPECT_EQ(run(1, f, 0.1), consistent) << "performances times " << f;
    EXPECT_FALSE(run(f, 1, 1.5).consistent) << "constraint times " << f;
    EXPECT_EQ(port_.Warnings(), std::vector<std::string>{"Inconsistent information!"});
  }

  // Weights pinned to 0.5 satisfy 1e6 k1 - k2 >= 0, in any unit.
  for (const char* big : {"1e6", "1e300"}) {
    MakeRangeProblem(ws_);
    for (int r = 1; r <= 2; ++r) {
      ws_.BGrid.SetCell(2, r, "0.5");
      ws_.BGrid.SetCell(3, r, "0.5");
    }
    AddConstraint(ws_, {"0", big, std::string(big) == "1e6" ? "-1" : "-1e300"}, ">=", "0");
    port_.messages.clear();
    CalcRangeItemClick(ws_, port_);
    EXPECT_TRUE(ws_.RangesValid) << big;
    EXPECT_LE(ws_.Alpha, kConsistentAlpha) << big;
    EXPECT_TRUE(port_.messages.empty()) << big;
  }
}

TEST_F(RobustAssignmentsTest, AcceptedSolutionRecomputesWithoutInference) {
  CalcRangeItemClick(ws_, port_);
  ASSERT_TRUE(ws_.RangesValid);
  const Table ip_before = ws_.IPGrid;
  // k1 = 0.7 >= lambda = 0.6 puts action 2 in category 3; k2 = 0.3 keeps action 5 in 2.
  ws_.InferredSolution = {0.6, 0.7, 0.3};
  ws_.UseAcceptedSolution = true;
  CalcRangeItemClick(ws_, port_);
  EXPECT_TRUE(port_.messages.empty());
  ExpectCleanedUp();
  EXPECT_TRUE(ws_.RangesValid);
  EXPECT_EQ(ws_.InferredSolution, (std::vector<double>{0.6, 0.7, 0.3}));
  EXPECT_EQ(ws_.InferredCategory[2], 3);
  EXPECT_EQ(ws_.InferredCategory[5], 2);
  EXPECT_EQ(Ranges(ws_.WorstCategory), (std::vector<int>{2, 1, 3, 1, 2}));
  EXPECT_EQ(Ranges(ws_.BestCategory), (std::vector<int>{2, 3, 3, 1, 3}));
  EXPECT_EQ(ws_.IPGrid.RowCount(), ip_before.RowCount());
}

TEST_F(RobustAssignmentsTest, WithoutProgramRowsTheRunStartsFromTheCentre) {
  // Bounds [0, 1] everywhere, no example, no constraint: IPGrid has its header only.
  ws_.BGrid.SetCell(1, 1, "0");
  ws_.BGrid.SetCell(1, 2, "1");
  CalcRangeItemClick(ws_, port_);
  ASSERT_EQ(ws_.IPGrid.RowCount(), 1);
  EXPECT_TRUE(ws_.RangesValid);
  EXPECT_EQ(ws_.InferredSolution, (std::vector<double>{0.5, 0.5, 0.5}));
  EXPECT_EQ(ws_.DGrid.Cell(0, 2), "0.5");
  // k1 = lambda = 0.5 lifts action 2 over both profiles; k1 below any lambda > 0
  // leaves it in category 1.
  EXPECT_EQ(ws_.InferredCategory[2], 3);
  EXPECT_EQ(ws_.WorstCategory[2], 1);
  EXPECT_EQ(ws_.BestCategory[2], 3);
  EXPECT_EQ(ws_.InferredCategory[1], 2);
}

TEST_F(RobustAssignmentsTest, ProgressEveryFifthActionAndRefusals) {
  MakeRangeProblem(ws_, 12);
  CalcRangeItemClick(ws_, port_);
  EXPECT_EQ(port_.progress_maximum, 12);
  EXPECT_EQ(port_.progress_positions, (std::vector<int>{0, 5, 10}));
  ExpectCleanedUp();

  Workspace empty;
  CalcRangeItemClick(empty, port_);
  EXPECT_EQ(port_.Errors(), (std::vector<std::string>{"You must read data first"}));

  // A cancel request ends the run without ranges and without any conclusion: it says
  // so, nothing is drawn as a category, the captions turn red.
  port_.messages.clear();
  port_.pumps = 0;
  port_.cancel_at_pump = 1;
  ws_.view.output_stale = false;
  CalcRangeItemClick(ws_, port_);
  EXPECT_EQ(port_.messages.size(), 1u);
  EXPECT_EQ(port_.messages.at(0).text, kRobustAssignmentsCancelled);
  EXPECT_FALSE(ws_.RangesValid);
  EXPECT_FALSE(ws_.ResultsAvailable);
  EXPECT_TRUE(ws_.view.output_stale);
  for (int i = 1; i <= ws_.ActionsCount; ++i) EXPECT_EQ(ws_.InferredCategory[i], 0);
  ExpectCleanedUp();
  port_.cancel_at_pump = 0;

  // A cell that does not convert ends the run; the clean-up still runs and no stale
  // ranges are left for current.
  port_.messages.clear();
  ws_.AGrid.SetCell(3, 7, "abc");
  CalcRangeItemClick(ws_, port_);
  EXPECT_EQ(port_.Errors(),
            (std::vector<std::string>{"'abc' is not a valid floating point value"}));
  EXPECT_FALSE(ws_.RangesValid);
  EXPECT_FALSE(ws_.ResultsAvailable);
  ExpectCleanedUp();
}

}  // namespace
}  // namespace vido
