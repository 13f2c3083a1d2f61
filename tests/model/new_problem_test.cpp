#include "model/new_problem.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/fake_user_port.h"
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

using testing::FakeUserPort;
using Strings = std::vector<std::string>;

// A dialog that types the given texts and presses OK (or Cancel).
NewProblemDialog Typing(std::string alternatives, std::string criteria, std::string categories,
                        bool ok = true) {
  return [=](NewProblemFields& f) {
    f.alternatives = alternatives;
    f.criteria = criteria;
    f.categories = categories;
    return ok;
  };
}

TEST(NewProblemDialog, FieldChecks) {
  using F = NewProblemField;
  EXPECT_EQ(CheckNewProblemField(F::kCriteria, ""), "You must enter a value");
  EXPECT_EQ(CheckNewProblemField(F::kCriteria, "1x"), "Invalid number");
  EXPECT_EQ(CheckNewProblemField(F::kCriteria, "-3"), "Number is too low");
  EXPECT_EQ(CheckNewProblemField(F::kCriteria, "13"), "Number is too high");
  EXPECT_EQ(CheckNewProblemField(F::kCriteria, "12"), std::nullopt);
  EXPECT_EQ(CheckNewProblemField(F::kCategories, "21"), "Number is too high");
  EXPECT_EQ(CheckNewProblemField(F::kCategories, "20"), std::nullopt);
  EXPECT_EQ(CheckNewProblemField(F::kAlternatives, "1001"), "Number is too high");
  EXPECT_EQ(CheckNewProblemField(F::kAlternatives, "99999999999999"), "Number is too high");
  EXPECT_EQ(CheckNewProblemField(F::kAlternatives, "1000"), std::nullopt);
  EXPECT_EQ(CheckNewProblemField(F::kAlternatives, "1"), "Number is too low");
  EXPECT_EQ(CheckNewProblemField(F::kAlternatives, "2"), std::nullopt);
  EXPECT_TRUE(NewProblemFieldAcceptsKey('7'));
  EXPECT_TRUE(NewProblemFieldAcceptsKey('\b'));
  EXPECT_FALSE(NewProblemFieldAcceptsKey('-'));
  EXPECT_FALSE(NewProblemFieldAcceptsKey('.'));
}

TEST(New1Click, BuildsTheProblemAndKeepsTheFields) {
  Workspace ws;
  // Results of a problem before: none of them stays.
  ws.view.output_tabs_visible = true;
  ws.RGrid.SetSize(3, 4);
  ws.RGrid.SetCell(1, 1, "X");
  FakeUserPort port;
  NewProblemFields fields;
  New1Click(ws, port, fields, [](NewProblemFields& f) {
    EXPECT_EQ(f.criteria, "2");  // initial values
    f.criteria = "4";
    f.alternatives = "10";
    f.categories = "3";
    return true;
  });
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(ws.CriteriaCount, 4);
  EXPECT_EQ(ws.ActionsCount, 10);
  EXPECT_EQ(ws.CategoriesCount, 3);
  EXPECT_EQ(ws.view.caption, "VIDO 2.0");
  EXPECT_TRUE(ws.view.output_stale);
  EXPECT_FALSE(ws.view.output_tabs_visible);
  EXPECT_EQ(ws.RGrid.RowCount(), 1);
  EXPECT_FALSE(ws.DataModified);
  EXPECT_EQ(fields.alternatives, "10");  // the dialog remembers the last values
  EXPECT_TRUE(port.confirmations.empty());
}

TEST(New1Click, RefusedFieldsAndCancelLeaveTheProblem) {
  struct Case {
    NewProblemDialog dialog;
    Strings errors;
  };
  const Case cases[] = {
      {Typing("5", "5", "5", false), {}},
      {Typing("5", "", "5"), {"Assertion violated: No. Criteria is invalid"}},
      {Typing("x", "5", "5"), {"Assertion violated: No. Actions is invalid"}},
      {Typing("5", "5", "5.0"), {"Assertion violated: No. Categories is invalid"}},
      {Typing("5", "20", "5"), {"Number is too high"}},
      {Typing("1", "3", "5"), {"Number is too low"}},
  };
  for (const Case& c : cases) {
    Workspace ws;
    BuildNewProblem(ws, 3, 3, 3);
    ws.view.caption = "VIDO 2.0  -  mine.tri";
    FakeUserPort port;
    NewProblemFields fields;
    New1Click(ws, port, fields, c.dialog);
    EXPECT_EQ(port.Errors(), c.errors);
    EXPECT_EQ(ws.CriteriaCount, 3);
    EXPECT_EQ(ws.AGrid.RowCount(), 4);
    EXPECT_EQ(ws.view.caption, "VIDO 2.0  -  mine.tri");
  }
}

TEST(New1Click, OffersToSaveModifiedData) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::current_path() / "new_click";
  fs::remove_all(dir);
  fs::create_directories(dir);
  Workspace ws;
  BuildNewProblem(ws, 3, 3, 3);
  ws.DataModified = true;
  FakeUserPort port;
  NewProblemFields fields;

  // Yes, then the save dialog is cancelled: nothing is lost, the new problem waits.
  port.confirm_answers = {true};
  New1Click(ws, port, fields, Typing("2", "2", "2"));
  EXPECT_EQ(port.confirmations, Strings{"Save current files?"});
  EXPECT_EQ(ws.CriteriaCount, 3);

  // Yes and a name: saved, then replaced.
  port.confirm_answers = {true};
  port.save_answers = {(dir / "before").string()};
  New1Click(ws, port, fields, Typing("2", "2", "2"));
  EXPECT_TRUE(fs::exists(dir / "before.tri"));
  EXPECT_EQ(ws.CriteriaCount, 2);
  EXPECT_EQ(ws.view.caption, "VIDO 2.0");

  // No: replaced without saving; DataModified keeps its value.
  ws.DataModified = true;
  New1Click(ws, port, fields, Typing("2", "4", "2"));
  EXPECT_EQ(ws.CriteriaCount, 4);
  EXPECT_TRUE(ws.DataModified);
  EXPECT_EQ(port.save_requests.size(), 2u);
}

}  // namespace
}  // namespace vido
