#include "model/validation.h"

#include <gtest/gtest.h>

#include "common/fake_user_port.h"
#include "model/new_problem.h"

namespace vido {
namespace {

using testing::FakeUserPort;
using Strings = std::vector<std::string>;

TEST(ValidateBounds, DefaultsPass) {
  Workspace ws;
  FakeUserPort port;
  BuildNewProblem(ws, 3, 2, 2);
  EXPECT_TRUE(ValidateBounds(ws, port));
  EXPECT_TRUE(port.messages.empty());
}

TEST(ValidateBounds, NegativeLowerIsCorrectedAndStillPasses) {
  Workspace ws;
  FakeUserPort port;
  BuildNewProblem(ws, 2, 2, 2);
  ws.BGrid.SetCell(2, 1, "-0.2");
  ws.BGrid.SetCell(2, 2, "0.5");
  EXPECT_TRUE(ValidateBounds(ws, port));
  EXPECT_EQ(port.Errors(), Strings{"Lower bound in column 2 was <0: changed it to 0"});
  EXPECT_EQ(ws.BGrid.Cell(2, 1), "0.0");
}

TEST(ValidateBounds, UpperAboveOneIsCorrected) {
  Workspace ws;
  FakeUserPort port;
  BuildNewProblem(ws, 2, 2, 2);
  ws.BGrid.SetCell(1, 2, "1.5");
  EXPECT_TRUE(ValidateBounds(ws, port));
  EXPECT_EQ(port.Errors(), Strings{"Upper bound in column 1 was >1: changed it to 1"});
  EXPECT_EQ(ws.BGrid.Cell(1, 2), "1.0");
}

TEST(ValidateBounds, EveryColumnIsCheckedAndEachFailureReported) {
  Workspace ws;
  FakeUserPort port;
  BuildNewProblem(ws, 3, 2, 2);
  ws.BGrid.SetCell(1, 1, "abc");  // lambda lower
  ws.BGrid.SetCell(2, 2, "");     // k1 upper
  ws.BGrid.SetCell(3, 1, "0.4");  // k2: lower > upper
  ws.BGrid.SetCell(3, 2, "0.3");
  ws.BGrid.SetCell(4, 1, "-0.5");  // k3: compared before the correction
  ws.BGrid.SetCell(4, 2, "-0.7");
  EXPECT_FALSE(ValidateBounds(ws, port));
  EXPECT_EQ(port.Errors(),
            (Strings{"Invalid lower bound in column 1", "Invalid upper bound in column 2",
                     "Lower bound exceeds upper bound in column 3",
                     "Lower bound in column 4 was <0: changed it to 0",
                     "Lower bound exceeds upper bound in column 4"}));
  EXPECT_EQ(ws.BGrid.Cell(4, 1), "0.0");
  EXPECT_EQ(ws.BGrid.Cell(4, 2), "-0.7");
}

TEST(ValidateRhs, EmptyBecomesZeroBadAndNegativeFail) {
  Workspace ws;
  FakeUserPort port;
  BuildNewProblem(ws, 2, 2, 2);
  EXPECT_TRUE(ValidateRhs(ws, port));
  ws.CGrid.SetRowCount(6);
  ws.ConstraintsCount = 5;
  const int rhs = 5;
  ws.CGrid.SetCell(rhs, 1, "-1");  // the Norm row is not an additional constraint
  ws.CGrid.SetCell(rhs, 2, "");
  ws.CGrid.SetCell(rhs, 3, "x");
  ws.CGrid.SetCell(rhs, 4, "-0.1");
  ws.CGrid.SetCell(rhs, 5, "0.25");
  EXPECT_FALSE(ValidateRhs(ws, port));
  EXPECT_EQ(port.Errors(), (Strings{"Invalid RHS is row 2", "Negative RHS is row 3"}));
  EXPECT_EQ(ws.CGrid.Cell(rhs, 2), "0");
  EXPECT_EQ(ws.CGrid.Cell(rhs, 5), "0.25");
}

TEST(ValidateExamples, EveryActionOutsideItsCategoriesIsNamed) {
  struct Case {
    const char* low;
    const char* high;
    const char* fault;  // nothing for an example that passes
  };
  const Case cases[] = {
      {"1", "3", nullptr},
      {"2", "2", nullptr},
      {"0", "3", "lower category 0 is not a category from 1 to 3"},
      {"-1", "2", "lower category -1 is not a category from 1 to 3"},
      {"4", "3", "lower category 4 is not a category from 1 to 3"},
      {"1.5", "3", "lower category 1.5 is not a category from 1 to 3"},
      {"", "3", "lower category  is not a category from 1 to 3"},
      {"1", "0", "upper category 0 is not a category from 1 to 3"},
      {"2", "4", "upper category 4 is not a category from 1 to 3"},
      {"3", "2", "lower category 3 exceeds upper category 2"},
  };
  Workspace ws;
  BuildNewProblem(ws, 2, static_cast<int>(std::size(cases)), 3);
  Strings expected;
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    const Case& c = cases[i - 1];
    ws.AGrid.SetCell(1, i, c.low);
    ws.AGrid.SetCell(2, i, c.high);
    if (c.fault)
      expected.push_back("Invalid assignment example of " + ws.AGrid.Cell(0, i) + ": " + c.fault);
  }
  ws.AGrid.SetCell(0, 3, " ");
  expected[0] = "Invalid assignment example of the action in row 3: " + std::string(cases[2].fault);
  FakeUserPort port;
  EXPECT_FALSE(ValidateExamples(ws, port));
  EXPECT_EQ(port.Errors(), expected);
}

}  // namespace
}  // namespace vido
