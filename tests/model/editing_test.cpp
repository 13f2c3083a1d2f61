#include "model/editing.h"

#include <gtest/gtest.h>

#include "common/fake_user_port.h"
#include "model/menu_rules.h"
#include "model/new_problem.h"
#include "model/problem_layout.h"

namespace vido {
namespace {

using testing::FakeUserPort;
using Strings = std::vector<std::string>;

// n criteria, K categories, m actions; profile h holds "h<j>" values in every row of
// its block so that moved blocks can be recognised.
Workspace Problem(int n, int k, int m) {
  Workspace ws;
  BuildNewProblem(ws, n, m, k);
  for (int h = 1; h < k; ++h) {
    for (int offset = 0; offset < kProfileBlockRows; ++offset) {
      for (int j = 1; j <= n; ++j) {
        ws.FGrid.SetCell(j, ProfileRow(h, offset), std::to_string(10 * h + offset));
      }
    }
  }
  ws.FGrid.SetCell(1, DirectionRow(k), "-1");
  return ws;
}

std::string BlockValue(const Workspace& ws, int h) { return ws.FGrid.Cell(1, ProfileBlockRow(h)); }

void SetExample(Workspace& ws, int i, int low, int high) {
  ws.AGrid.SetInteger(kELowCol, i, low);
  ws.AGrid.SetInteger(kEHighCol, i, high);
}

std::pair<int, int> Example(const Workspace& ws, int i) {
  return {ws.AGrid.Integer(kELowCol, i), ws.AGrid.Integer(kEHighCol, i)};
}

TEST(InsertCatClick, SplitOneAndSplitTwoBothCopyTheFirstProfile) {
  for (const char* v : {"1", "2"}) {
    Workspace ws = Problem(2, 3, 1);
    FakeUserPort port;
    port.query_answers = {"x", "4", "0", v};  // asked again until 1..K
    InsertCatClick(ws, port);
    EXPECT_EQ(port.queries, Strings(4, "Split category No.:"));
    EXPECT_EQ(ws.CategoriesCount, 4);
    EXPECT_EQ(ws.FGrid.RowCount(), 17);
    EXPECT_EQ(BlockValue(ws, 1), "10");
    EXPECT_EQ(BlockValue(ws, 2), "10");
    EXPECT_EQ(BlockValue(ws, 3), "20");
    EXPECT_EQ(ws.FGrid.Cell(2, ProfileRow(3, kVeto)), "24");
    EXPECT_EQ(ws.FGrid.Row(11), (Strings{"g(b3)", "20", "20"}));
    EXPECT_EQ(ws.FGrid.Cell(0, 15), "v3");
    EXPECT_EQ(ws.FGrid.Row(16), (Strings{"MAX/min?(1/-1)", "-1", "1"}));
    EXPECT_TRUE(ws.DataModified);
    EXPECT_TRUE(ws.view.output_stale);
  }
}

TEST(InsertCatClick, ExamplesMoveWithTheirCategories) {
  Workspace ws = Problem(2, 4, 4);
  SetExample(ws, 1, 2, 2);
  SetExample(ws, 2, 3, 4);
  SetExample(ws, 3, 1, 1);
  SetExample(ws, 4, 1, 4);
  FakeUserPort port;
  port.query_answers = {"2"};
  InsertCatClick(ws, port);
  EXPECT_EQ(Example(ws, 1), std::make_pair(2, 3));
  EXPECT_EQ(Example(ws, 2), std::make_pair(4, 5));
  EXPECT_EQ(Example(ws, 3), std::make_pair(1, 1));
  EXPECT_EQ(Example(ws, 4), std::make_pair(1, 5));
  EXPECT_EQ(BlockValue(ws, 2), "10");  // block v copies block v-1
  EXPECT_EQ(BlockValue(ws, 3), "20");
  EXPECT_EQ(BlockValue(ws, 4), "30");
}

TEST(InsertCatClick, CancelOrABadExampleCellChangesNothing) {
  Workspace ws = Problem(2, 3, 2);
  FakeUserPort port;
  InsertCatClick(ws, port);  // cancelled
  ws.AGrid.SetCell(kEHighCol, 2, "two");
  port.query_answers = {"1"};
  InsertCatClick(ws, port);
  EXPECT_EQ(port.Errors(), Strings{"'two' is not a valid integer value"});
  EXPECT_EQ(ws.CategoriesCount, 3);
  EXPECT_EQ(ws.FGrid.RowCount(), 12);
  EXPECT_FALSE(ws.DataModified);
}

TEST(DeleteCatClick, MergeRemovesTheProfileAndMovesExamples) {
  Workspace ws = Problem(2, 4, 3);
  SetExample(ws, 1, 3, 3);
  SetExample(ws, 2, 2, 2);
  SetExample(ws, 3, 1, 4);
  FakeUserPort port;
  DeleteCatClick(ws, port);  // "No" to the confirmation
  EXPECT_EQ(ws.CategoriesCount, 4);
  EXPECT_TRUE(port.queries.empty());

  port.confirm_answers = {true};
  port.query_answers = {"4", "2"};
  DeleteCatClick(ws, port);
  EXPECT_EQ(port.confirmations, Strings(2, "Are you sure you want to merge two categories?"));
  EXPECT_EQ(port.queries, Strings(2, "Merge the categories from No. :"));
  EXPECT_EQ(ws.CategoriesCount, 3);
  EXPECT_EQ(ws.FGrid.RowCount(), 12);
  EXPECT_EQ(BlockValue(ws, 1), "10");
  EXPECT_EQ(BlockValue(ws, 2), "30");
  EXPECT_EQ(ws.FGrid.Row(6), (Strings{"g(b2)", "30", "30"}));
  EXPECT_EQ(ws.FGrid.Row(11), (Strings{"MAX/min?(1/-1)", "-1", "1"}));
  EXPECT_EQ(Example(ws, 1), std::make_pair(2, 2));
  EXPECT_EQ(Example(ws, 2), std::make_pair(2, 2));
  EXPECT_EQ(Example(ws, 3), std::make_pair(1, 3));

  // K = 2 cannot be merged further: the command does nothing.
  Workspace two = Problem(2, 2, 1);
  port.confirm_answers = {true};
  port.query_answers = {"1"};
  DeleteCatClick(two, port);
  EXPECT_EQ(two.CategoriesCount, 2);
}

TEST(InsertCritClick, AppendsAColumnToEveryTable) {
  Workspace ws = Problem(2, 2, 2);
  ws.CGrid.SetRowCount(3);
  ws.ConstraintsCount = 2;
  const Strings row = {"ad1", "0", "1", "-1", ">=", "0.1"};
  for (int c = 0; c < 6; ++c) ws.CGrid.SetCell(c, 2, row[c]);
  FakeUserPort port;
  InsertCritClick(ws, port);
  EXPECT_EQ(ws.CriteriaCount, 3);
  EXPECT_EQ(ws.FGrid.Row(0), (Strings{"", "g1", "g2", "g3"}));
  EXPECT_EQ(ws.FGrid.Row(1), (Strings{"g(b1)", "10", "10", "0"}));
  EXPECT_EQ(ws.FGrid.Row(6), (Strings{"MAX/min?(1/-1)", "-1", "1", "1"}));
  EXPECT_EQ(ws.AGrid.Row(0), (Strings{"Action", "ELow", "EHigh", "g1", "g2", "g3"}));
  EXPECT_EQ(ws.AGrid.Row(2), (Strings{"1", "1", "2", "0", "0", "0"}));
  EXPECT_EQ(ws.BGrid.Row(0), (Strings{"", "lambda", "k1", "k2", "k3"}));
  EXPECT_EQ(ws.BGrid.Row(1), (Strings{"LB - Lower Bound", "0.5", "0", "0", "0"}));
  EXPECT_EQ(ws.BGrid.Row(2), (Strings{"UB - Upper Bound", "1.0", "0.5", "0.5", "0"}));
  EXPECT_EQ(ws.CGrid.Row(0), (Strings{"", "lambda", "k1", "k2", "k3", "<,=,>", "RHS"}));
  EXPECT_EQ(ws.CGrid.Row(1), (Strings{"Norm", "0", "1", "1", "1", "=", "1"}));
  EXPECT_EQ(ws.CGrid.Row(2), (Strings{"ad1", "0", "1", "-1", "0", ">=", "0.1"}));
  EXPECT_TRUE(ws.DataModified);
}

TEST(Editing, NoProblemLargerThanAFileCanHold) {
  Workspace ws = Problem(kMaxCriteria - 1, 2, 1);
  FakeUserPort port;
  InsertCritClick(ws, port);
  EXPECT_EQ(ws.CriteriaCount, kMaxCriteria);
  InsertCritClick(ws, port);
  EXPECT_EQ(ws.CriteriaCount, kMaxCriteria);
  EXPECT_EQ(ws.FGrid.ColCount(), kMaxCriteria + 1);

  Workspace wide = Problem(2, kMaxCategories, kMaxActions);
  port.query_answers = {"1"};
  InsertCatClick(wide, port);
  InsertActClick(wide, port);
  EXPECT_EQ(wide.CategoriesCount, kMaxCategories);
  EXPECT_EQ(wide.ActionsCount, kMaxActions);
  EXPECT_EQ(port.Errors(), (Strings{"Maximum number of criteria exceeded", "Number is too high",
                                    "Number is too high"}));
}

TEST(DeleteCritClick, RemovesTheCriterionEverywhereButLambdaStays) {
  Workspace ws = Problem(3, 2, 1);
  ws.AGrid.SetCell(3, 1, "a1");
  ws.AGrid.SetCell(4, 1, "a2");
  ws.AGrid.SetCell(5, 1, "a3");
  ws.FGrid.SetCell(3, DirectionRow(2), "-1");
  ws.BGrid.SetCell(1, 1, "0.6");
  ws.BGrid.SetCell(2, 2, "0.1");
  ws.BGrid.SetCell(3, 2, "0.2");
  ws.BGrid.SetCell(4, 2, "0.3");
  ws.CGrid.SetRowCount(3);
  ws.ConstraintsCount = 2;
  const Strings row = {"ad1", "0.5", "1", "2", "3", ">=", "0.1"};
  for (int c = 0; c < 7; ++c) ws.CGrid.SetCell(c, 2, row[c]);
  FakeUserPort port;
  port.query_answers = {"4", "1"};
  DeleteCritClick(ws, port);
  EXPECT_EQ(ws.CriteriaCount, 2);
  EXPECT_EQ(ws.AGrid.Row(0), (Strings{"Action", "ELow", "EHigh", "g1", "g2"}));
  EXPECT_EQ(ws.AGrid.Row(1), (Strings{"0", "1", "2", "a2", "a3"}));
  EXPECT_EQ(ws.FGrid.Row(0), (Strings{"", "g1", "g2"}));
  EXPECT_EQ(ws.FGrid.Row(6), (Strings{"MAX/min?(1/-1)", "1", "-1"}));
  EXPECT_EQ(ws.BGrid.Row(0), (Strings{"", "lambda", "k1", "k2"}));
  EXPECT_EQ(ws.BGrid.Row(1), (Strings{"LB - Lower Bound", "0.6", "0", "0"}));
  EXPECT_EQ(ws.BGrid.Row(2), (Strings{"UB - Upper Bound", "1.0", "0.2", "0.3"}));
  EXPECT_EQ(ws.CGrid.Row(0), (Strings{"", "lambda", "k1", "k2", "<,=,>", "RHS"}));
  EXPECT_EQ(ws.CGrid.Row(1), (Strings{"Norm", "0", "1", "1", "=", "1"}));
  EXPECT_EQ(ws.CGrid.Row(2), (Strings{"ad1", "0.5", "2", "3", ">=", "0.1"}));

  // Given names follow their data; two criteria cannot be reduced further.
  ws.FGrid.SetCell(1, 0, "price");
  ws.AGrid.SetCell(3, 0, "price");
  InsertCritClick(ws, port);
  ws.FGrid.SetCell(2, 0, "area");
  ws.AGrid.SetCell(4, 0, "area");
  port.query_answers = {"1", "1"};
  DeleteCritClick(ws, port);
  EXPECT_EQ(ws.FGrid.Row(0), (Strings{"", "area", "g2"}));
  EXPECT_EQ(ws.AGrid.Row(0), (Strings{"Action", "ELow", "EHigh", "area", "g2"}));
  DeleteCritClick(ws, port);
  EXPECT_EQ(ws.CriteriaCount, 2);
}

TEST(InsertActClick, NamesTheNewActionAfterTheLastOne) {
  Workspace ws = Problem(2, 3, 2);
  ws.AGrid.SetCell(0, 2, "41");
  FakeUserPort port;
  InsertActClick(ws, port);
  EXPECT_EQ(ws.ActionsCount, 3);
  EXPECT_EQ(ws.AGrid.Row(3), (Strings{"42", "1", "3", "0", "0"}));

  // After a name that is no number: the count of actions, or the next number up free.
  ws.AGrid.SetCell(0, 3, "Flat B");
  ws.AGrid.SetCell(0, 1, "4");
  InsertActClick(ws, port);
  EXPECT_TRUE(port.Errors().empty());
  EXPECT_EQ(ws.ActionsCount, 4);
  EXPECT_EQ(ws.AGrid.Row(4)[0], "5");

  // An empty list starts again at "0" instead of reading the header as a name.
  Workspace empty = Problem(2, 2, 0);
  InsertActClick(empty, port);
  EXPECT_EQ(empty.AGrid.Row(1), (Strings{"0", "1", "2", "0", "0"}));
}

TEST(DeleteActClick, FindsTheActionByNameOrPosition) {
  Workspace ws = Problem(2, 2, 4);
  ws.AGrid.SetCell(0, 1, "7");
  ws.AGrid.SetCell(2, 3, "1");
  FakeUserPort port;
  port.query_answers = {"0", "-3", "x", "2"};
  DeleteActClick(ws, port);
  EXPECT_EQ(port.queries.size(), 4u);
  EXPECT_EQ(ws.ActionsCount, 3);
  EXPECT_EQ(ws.AGrid.Row(1)[0], "7");
  EXPECT_EQ(ws.AGrid.Row(2)[0], "1");
  EXPECT_EQ(ws.AGrid.Row(3)[0], "3");
  EXPECT_EQ(ws.AGrid.RowCount(), 4);

  port.query_answers = {"5"};
  DeleteActClick(ws, port);
  EXPECT_EQ(port.Errors(), (Strings{"Action 5 not found"}));
  // Names that are no numbers: a name that is one still wins, else the position.
  ws.AGrid.SetCell(0, 2, "Flat");
  port.query_answers = {"3"};
  DeleteActClick(ws, port);
  EXPECT_EQ(ws.ActionsCount, 2);
  EXPECT_EQ(ws.AGrid.Row(2)[0], "Flat");
  ws.AGrid.SetCell(0, 1, "Yukon Hydraulics");
  port.query_answers = {"2"};
  DeleteActClick(ws, port);
  EXPECT_EQ(ws.ActionsCount, 1);
  EXPECT_EQ(ws.AGrid.Row(1)[0], "Yukon Hydraulics");
  EXPECT_EQ(port.Errors().size(), 1u);
}

TEST(EraseexamplesClick, ResetsEveryRangeWithoutMarkingTheDataModified) {
  Workspace ws = Problem(2, 4, 2);
  SetExample(ws, 1, 2, 3);
  SetExample(ws, 2, 4, 4);
  FakeUserPort port;
  EraseexamplesClick(ws, port);
  EXPECT_EQ(Example(ws, 1), std::make_pair(2, 3));
  port.confirm_answers = {true};
  ws.view.output_stale = false;
  EraseexamplesClick(ws, port);
  EXPECT_EQ(port.confirmations, Strings(2, "Do you really want to erase all assignment examples?"));
  EXPECT_EQ(Example(ws, 1), std::make_pair(1, 4));
  EXPECT_EQ(Example(ws, 2), std::make_pair(1, 4));
  EXPECT_FALSE(ws.DataModified);
  EXPECT_TRUE(ws.view.output_stale);
}

TEST(Constraints, InsertThenDeleteTheFirstOfTwo) {
  Workspace ws = Problem(2, 2, 1);
  FakeUserPort port;
  DeleteConsClick(ws, port);  // only the Norm row: nothing to delete
  EXPECT_TRUE(port.queries.empty());
  InsertConsClick(ws, port);
  InsertConsClick(ws, port);
  EXPECT_EQ(ws.ConstraintsCount, 3);
  EXPECT_EQ(ws.CGrid.Row(2), (Strings{"ad1", "0", "0", "0", "<=", "0"}));
  EXPECT_EQ(ws.CGrid.Row(3), (Strings{"ad2", "0", "0", "0", "<=", "0"}));
  ws.CGrid.SetCell(2, 3, "1");
  ws.CGrid.SetCell(4, 3, ">=");
  port.query_answers = {"3", "1"};
  DeleteConsClick(ws, port);
  EXPECT_EQ(port.queries, Strings(2, "Delete constraint No.:"));
  EXPECT_EQ(ws.ConstraintsCount, 2);
  EXPECT_EQ(ws.CGrid.RowCount(), 3);
  // "ad1" went; the labels stay in order, so the second one is now "ad1".
  EXPECT_EQ(ws.CGrid.Row(2), (Strings{"ad1", "0", "1", "0", ">=", "0"}));
  EXPECT_TRUE(ws.DataModified);
}

TEST(MenuRules, FollowTheProblemSizes) {
  Workspace none;
  EXPECT_FALSE(MenuRules(none).split);
  EXPECT_FALSE(MenuRules(none).insert_action);
  Workspace ws = Problem(2, 2, 0);
  MenuEnabling e = MenuRules(ws);
  EXPECT_TRUE(e.split && e.insert_criterion && e.insert_action && e.insert_constraint);
  EXPECT_FALSE(e.merge || e.delete_criterion || e.delete_action || e.delete_constraint);
  EXPECT_FALSE(e.report);
  Workspace big = Problem(3, 3, 1);
  big.ConstraintsCount = 2;
  big.ResultsAvailable = true;
  e = MenuRules(big);
  EXPECT_TRUE(e.merge && e.delete_criterion && e.delete_action && e.delete_constraint && e.report);
}

}  // namespace
}  // namespace vido
