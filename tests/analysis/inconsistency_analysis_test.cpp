#include "analysis/inconsistency_analysis.h"

#include <gtest/gtest.h>

#include "analysis/inference_tables.h"
#include "analysis/robust_assignments.h"
#include "common/fake_user_port.h"
#include "common/integer_search.h"
#include "common/range_problem.h"

namespace vido {
namespace {

using testing::AddConstraint;
using testing::FakeUserPort;
using testing::MakeRangeProblem;
using testing::SetExample;
using Texts = std::vector<std::string>;

Texts Column(const Table& t, int col) {
  Texts out;
  for (int r = 1; r < t.RowCount(); ++r) out.push_back(t.Cell(col, r));
  return out;
}

class InconsistencyAnalysisTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeRangeProblem(ws_); }
  void BuildTables() {
    BuildExampleConstraints(ws_, port_);
    BuildAnalysisTable(ws_);
  }
  Workspace ws_;
  FakeUserPort port_;
  IAForm form_;
};

TEST_F(InconsistencyAnalysisTest, DropProgramRowsNormalisationAndCuts) {
  // IGrid: 1 "C(3)>=3" (lambda -1, k2 1), 2 "ad1" negated (<=), 3 "LB lambda",
  // 4 "UB lambda" (-lambda >= -0.9).
  SetExample(ws_, 4, 3, 3);
  AddConstraint(ws_, {"0", "1", "0"}, "<=", "0.8");
  BuildTables();
  const DropProgram drop = ReadDropProgram(ws_);
  EXPECT_EQ(drop.p, 3);
  ASSERT_EQ(drop.m, 4);
  ASSERT_EQ(drop.Rows(), 5);
  EXPECT_EQ(drop.a[0], (std::vector<double>{-1, 0, 0, 999, 0, 0, 0}));
  EXPECT_EQ(drop.a[1], (std::vector<double>{0, -1, 0, 0, 999, 0, 0}));
  EXPECT_EQ(drop.a[4], (std::vector<double>{0, 1, 1, 0, 0, 0, 0}));
  EXPECT_DOUBLE_EQ(drop.b[0], 0.00001);
  EXPECT_DOUBLE_EQ(drop.b[1], -0.8 + 0.00001);
  EXPECT_DOUBLE_EQ(drop.b[4], 1);
  EXPECT_EQ(drop.Sense(0), '>');
  EXPECT_EQ(drop.Sense(1), '<');  // negative: goes to the solver negated
  EXPECT_EQ(drop.Sense(3), '<');
  EXPECT_EQ(drop.Sense(4), '=');

  DropProgram with_cut = drop;
  with_cut.AddCut({1, 3});
  ASSERT_EQ(with_cut.Rows(), 6);
  EXPECT_EQ(with_cut.a[5], (std::vector<double>{0, 0, 0, 1, 0, 1, 0}));
  EXPECT_EQ(with_cut.b[5], 1);
  EXPECT_EQ(with_cut.Sense(5), '<');

  BHelpClick(port_, "/no-such-folder/Manual/");
  EXPECT_EQ(port_.Errors(), Texts{"Cannot open help file /no-such-folder/Manual/inconsistency.htm. "
                                  "Please check its existance and properties."});

  form_.SetMaxSuggestions(1);
  EXPECT_EQ(form_.max_suggestions, 3);
  form_.SetMaxSuggestions(40);
  EXPECT_EQ(form_.max_suggestions, 30);
  EXPECT_EQ(form_.StringGrid1.Row(0), (Texts{" # ", " Quant.", " Constraints to remove"}));
}

TEST_F(InconsistencyAnalysisTest, ContradictingPairGivesOneRowEachThenNoMore) {
  if (!testing::IntegerSearchAvailable()) GTEST_SKIP() << "no integer search in this build";
  // Action 2 can be category 1 or 3 only through k1 against lambda: examples 3 and 1
  // for its twin actions contradict each other and nothing else is wrong.
  MakeRangeProblem(ws_, 6);
  testing::SetPerformances(ws_, 6, {25, 5});
  SetExample(ws_, 2, 3, 3);
  SetExample(ws_, 6, 1, 1);
  CalcRangeItemClick(ws_, port_);
  ASSERT_FALSE(ws_.RangesValid);
  // IGrid: 1 C(1)>=3, 2 C(5)<=1, 3 LB lambda, 4 UB lambda.
  ASSERT_EQ(ws_.IGrid.RowCount(), 5);
  FormActivate(form_);
  EXPECT_FALSE(form_.suggestions_visible);
  BSuggestClick(ws_, port_, form_);
  EXPECT_TRUE(form_.suggestions_visible);
  EXPECT_FALSE(port_.busy);
  const Texts sets = Column(form_.StringGrid1, 2);
  ASSERT_GE(sets.size(), 2u);
  EXPECT_EQ(Column(form_.StringGrid1, 0)[0], "1");
  EXPECT_EQ(Column(form_.StringGrid1, 1)[0], "1");
  EXPECT_EQ(Column(form_.StringGrid1, 1)[1], "1");
  EXPECT_EQ((Texts{sets[0], sets[1]}) == (Texts{"1", "2"}) ||
                (Texts{sets[0], sets[1]}) == (Texts{"2", "1"}),
            true);
  for (size_t s = 2; s < sets.size(); ++s) {
    EXPECT_EQ(sets[s].find('1'), std::string::npos) << sets[s];
    EXPECT_EQ(sets[s].find('2'), std::string::npos) << sets[s];
  }
  EXPECT_LE(sets.size(), 5u);
  EXPECT_FALSE(form_.NoDropSolutionFound);
  // Closing without a no-drop solution asks nothing.
  form_.show_modal = [](IAForm&) {};
  InconsistMenuClick(ws_, port_, form_);
  EXPECT_TRUE(port_.confirmations.empty());
}

TEST_F(InconsistencyAnalysisTest, OnlyAlternativeThenNoMore) {
  if (!testing::IntegerSearchAvailable()) GTEST_SKIP() << "no integer search in this build";
  // Actions 1 and 4 never reach lambda > 0 against b_2 and b_1: rows 1 and 2 need
  // -lambda >= 0.00001, which no lambda >= 0 gives, so both must go; once that pair
  // is cut off nothing else helps.
  SetExample(ws_, 1, 3, 3);
  SetExample(ws_, 4, 2, 3);
  CalcRangeItemClick(ws_, port_);
  ASSERT_FALSE(ws_.RangesValid);
  BSuggestClick(ws_, port_, form_);
  ASSERT_EQ(form_.StringGrid1.RowCount(), 2);
  EXPECT_EQ(form_.StringGrid1.Row(1), (Texts{"1", "2", "1 + 2"}));
  EXPECT_EQ(port_.Informations(), Texts{"There are no more alternatives"});
  // What the numbers stand for, as the window's tooltip shows it.
  EXPECT_EQ(SuggestionDescriptions(ws_, form_, 1),
            "1: " + ws_.IGrid.Cell(1, 1) + "\n2: " + ws_.IGrid.Cell(1, 2));
  EXPECT_NE(ws_.IGrid.Cell(1, 1), "");
  EXPECT_EQ(SuggestionDescriptions(ws_, form_, 2), "");

  // The twin actions of the contradicting pair, with the maximum at 3.
  MakeRangeProblem(ws_, 6);
  testing::SetPerformances(ws_, 6, {25, 5});
  SetExample(ws_, 2, 3, 3);
  SetExample(ws_, 6, 1, 1);
  CalcRangeItemClick(ws_, port_);
  form_.SetMaxSuggestions(3);
  BSuggestClick(ws_, port_, form_);
  EXPECT_GE(form_.StringGrid1.RowCount() - 1, 2);
  EXPECT_LE(form_.StringGrid1.RowCount() - 1, 3);
}

TEST_F(InconsistencyAnalysisTest, AcceptingTheNoDropSolutionRecomputesTheResults) {
  if (!testing::IntegerSearchAvailable()) GTEST_SKIP() << "no integer search in this build";
  // Consistent data: the drop program needs no removal.
  SetExample(ws_, 2, 3, 3);
  CalcRangeItemClick(ws_, port_);
  ASSERT_TRUE(ws_.RangesValid);
  form_.show_modal = [&](IAForm& form) { BSuggestClick(ws_, port_, form); };
  port_.confirm_answers = {true};
  InconsistMenuClick(ws_, port_, form_);
  ASSERT_TRUE(form_.NoDropSolutionFound);
  EXPECT_EQ(form_.StringGrid1.Row(1), (Texts{"1", "0", "No need to drop restrictions"}));
  EXPECT_EQ(port_.confirmations, Texts{"A new solution was found: accept it?"});
  EXPECT_EQ(ws_.InferredSolution, form_.kept_solution);
  EXPECT_TRUE(ws_.RangesValid);
  EXPECT_FALSE(ws_.UseAcceptedSolution);
  EXPECT_EQ(ws_.InferredCategory[2], 3);
}

}  // namespace
}  // namespace vido
