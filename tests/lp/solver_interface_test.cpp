#include "lp/solver_interface.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "solver/dense_program.h"
#include "support/parameter_table.h"
#include "support/trace_display.h"

namespace vido {
namespace {

class SolverInterfaceTest : public ::testing::Test {
 protected:
  void SetUp() override { SolverSetUserPort(&port); }
  void TearDown() override {
    SolverFree();
    SolverSetUserPort(nullptr);
  }
  testing::FakeUserPort port;
};

TEST_F(SolverInterfaceTest, NothingWorksBeforeInit) {
  SolverFree();
  EXPECT_EQ(SolverSolve(), -1);
  EXPECT_EQ(SolverSetObjective(1, 1), -1);
  EXPECT_EQ(SolverSetCoefficient(1, 1, 1), -1);
  EXPECT_EQ(SolverSetRhs(1, 1), -1);
  EXPECT_EQ(SolverSetRowSense(1, '<'), -1);
  EXPECT_EQ(SolverSetColumnType(1, 'C'), -1);
  EXPECT_EQ(SolverSetUpperBound(1, 1), -1);
  EXPECT_EQ(SolverSetLowerBound(1, 1), -1);
  EXPECT_EQ(SolverInit(0, 1), -1);
  EXPECT_EQ(SolverInit(1, 0), -1);
  EXPECT_EQ(SolverSolve(), -1);  // a rejected init leaves the interface unusable
  EXPECT_EQ(SolverInit(1, 1), 0);
  EXPECT_EQ(SolverSolve(), 0);
}

TEST_F(SolverInterfaceTest, SettersCheckTheirArguments) {
  ASSERT_EQ(SolverInit(2, 3), 0);
  EXPECT_EQ(SolverSetObjective(0, 1), -1);
  EXPECT_EQ(SolverSetObjective(3, 1), -1);
  EXPECT_EQ(SolverSetObjective(2, 1), 0);
  EXPECT_EQ(SolverSetCoefficient(0, 1, 1), -1);
  EXPECT_EQ(SolverSetCoefficient(4, 1, 1), -1);
  EXPECT_EQ(SolverSetCoefficient(3, 3, 1), -1);
  EXPECT_EQ(SolverSetCoefficient(3, 2, 1), 0);
  EXPECT_EQ(SolverSetRhs(1, -0.5), -1);
  EXPECT_EQ(SolverSetRhs(1, std::nan("")), -1);
  EXPECT_EQ(SolverSetRhs(1, 0), 0);
  EXPECT_EQ(SolverSetRowSense(1, 'L'), -1);
  EXPECT_EQ(SolverSetRowSense(1, ';'), -1);  // code 59, just below '<'
  EXPECT_EQ(SolverSetRowSense(1, '?'), -1);  // code 63, just above '>'
  for (char sense : {'<', '=', '>'}) EXPECT_EQ(SolverSetRowSense(1, sense), 0);
  EXPECT_EQ(SolverSetColumnType(1, 'c'), -1);
  EXPECT_EQ(SolverSetColumnType(1, 'X'), -1);
  for (char type : {'B', 'C', 'I'}) EXPECT_EQ(SolverSetColumnType(1, type), 0);
  EXPECT_EQ(SolverSetUpperBound(3, 1), -1);
  EXPECT_EQ(SolverSetLowerBound(0, 1), -1);
  EXPECT_EQ(SolverSetUpperBound(1, -7), 0);  // any value is accepted
  EXPECT_EQ(SolverSetLowerBound(1, 1e30), 0);
}

TEST_F(SolverInterfaceTest, FreshProblemSolvesAtZero) {
  ASSERT_EQ(SolverInit(2, 1), 0);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_EQ(SolverValue(1), 0);
  EXPECT_EQ(SolverValue(2), 0);
  EXPECT_EQ(SolverObjective(), 0);
  EXPECT_EQ(SolverValue(0), 0);  // outside 1..n: 0
  EXPECT_EQ(SolverValue(3), 0);
}

TEST_F(SolverInterfaceTest, MaximiseAndMinimise) {
  // max x1 + x2 with x1 + x2 <= 4.
  ASSERT_EQ(SolverInit(2, 1), 0);
  SolverSetObjective(1, 1);
  SolverSetObjective(2, 1);
  SolverSetCoefficient(1, 1, 1);
  SolverSetCoefficient(1, 2, 1);
  SolverSetRhs(1, 4);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_DOUBLE_EQ(SolverObjective(), 4);
  EXPECT_NEAR(SolverValue(1) + SolverValue(2), 4, 1e-9);

  // min x1 + x2 with x1 + x2 >= 1, stated as max -x1 - x2.
  SolverSetObjective(1, -1);
  SolverSetObjective(2, -1);
  SolverSetRowSense(1, '>');
  SolverSetRhs(1, 1);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverObjective(), -1, 1e-9);
}

TEST_F(SolverInterfaceTest, UnboundedInfeasibleAndTheKeptSolution) {
  // max x2 with x1 - x2 <= 1: x2 has no upper bound.
  ASSERT_EQ(SolverInit(2, 1), 0);
  SolverSetObjective(2, 1);
  SolverSetCoefficient(1, 1, 1);
  SolverSetCoefficient(1, 2, -1);
  SolverSetRhs(1, 1);
  EXPECT_EQ(SolverSolve(), 2);

  // With x2 <= 3 it solves; then x1 >= 2 with x1 <= 1 is infeasible and keeps x.
  SolverSetUpperBound(2, 3);
  SolverSetObjective(1, 1);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverObjective(), 7, 1e-9);  // x1 = 4, x2 = 3
  const double x1 = SolverValue(1);
  ASSERT_EQ(SolverInit(2, 1), 0);  // a repeated init keeps the values
  EXPECT_EQ(SolverValue(1), x1);
  SolverSetObjective(1, 1);
  SolverSetCoefficient(1, 1, 1);
  SolverSetRowSense(1, '>');
  SolverSetRhs(1, 2);
  SolverSetUpperBound(1, 1);
  EXPECT_EQ(SolverSolve(), 3);
  EXPECT_EQ(SolverValue(1), x1);
  EXPECT_NEAR(SolverObjective(), 7, 1e-9);
}

TEST_F(SolverInterfaceTest, CrossedBoundsAreRejectedBeforeTheEngine) {
  ASSERT_EQ(SolverInit(1, 1), 0);
  SolverSetLowerBound(1, 5);
  SolverSetUpperBound(1, 3);
  std::vector<std::string> lines;
  InstallTraceSink([&](const std::string&, const std::string& text) { lines.push_back(text); });
  EXPECT_EQ(SolverSolve(), -1);
  InstallTraceSink(nullptr);
  EXPECT_TRUE(lines.empty());  // no engine was created
}

TEST_F(SolverInterfaceTest, IntegerAndBinaryColumnsGoToTheSearch) {
  // max x1 + x2 with x1 <= 2.5: x1 integer, x2 binary with a lower bound of 0.5 that the
  // interface does not pass (a binary column keeps 0..1).
  ASSERT_EQ(SolverInit(2, 1), 0);
  SolverSetObjective(1, 1);
  SolverSetObjective(2, -1);
  SolverSetCoefficient(1, 1, 1);
  SolverSetRhs(1, 2.5);
  SolverSetColumnType(1, 'I');
  SolverSetColumnType(2, 'B');
  SolverSetLowerBound(2, 0.5);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_EQ(SolverValue(1), 2);
  EXPECT_EQ(SolverValue(2), 0);
  EXPECT_EQ(SolverObjective(), 2);
  SolverSetColumnType(1, 'C');
  SolverSetColumnType(2, 'C');
  SolverSetLowerBound(2, 0);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverObjective(), 2.5, 1e-9);
}

TEST_F(SolverInterfaceTest, BoundsAndEqualityRows) {
  // max x1 + 2 x2 + 0 x3, x1 + x2 + x3 = 1, x1 in [0.2, 1], x2 in [0, 0.5], x3 >= 0.
  ASSERT_EQ(SolverInit(3, 1), 0);
  SolverSetObjective(1, 1);
  SolverSetObjective(2, 2);
  for (int j = 1; j <= 3; ++j) SolverSetCoefficient(1, j, 1);
  SolverSetRowSense(1, '=');
  SolverSetRhs(1, 1);
  SolverSetLowerBound(1, 0.2);
  SolverSetUpperBound(1, 1);
  SolverSetUpperBound(2, 0.5);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverValue(1), 0.5, 1e-9);
  EXPECT_NEAR(SolverValue(2), 0.5, 1e-9);
  EXPECT_NEAR(SolverValue(3), 0, 1e-9);
  EXPECT_NEAR(SolverObjective(), 1.5, 1e-9);
  // A column without any coefficient still gets its bounds: max x3 alone is unbounded,
  // and with u3 = 2 it sits at 2.
  ASSERT_EQ(SolverInit(3, 1), 0);
  SolverSetObjective(3, 1);
  EXPECT_EQ(SolverSolve(), 2);
  SolverSetUpperBound(3, 2);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverValue(3), 2, 1e-12);
}

TEST_F(SolverInterfaceTest, NegativeLowerBoundsAndFixedColumns) {
  // max -x1 + x2, x1 + x2 <= 1, x1 in [-3, 2], x2 fixed at 0.5.
  ASSERT_EQ(SolverInit(2, 1), 0);
  SolverSetObjective(1, -1);
  SolverSetObjective(2, 1);
  SolverSetCoefficient(1, 1, 1);
  SolverSetCoefficient(1, 2, 1);
  SolverSetRhs(1, 1);
  SolverSetLowerBound(1, -3);
  SolverSetUpperBound(1, 2);
  SolverSetLowerBound(2, 0.5);
  SolverSetUpperBound(2, 0.5);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverValue(1), -3, 1e-9);
  EXPECT_NEAR(SolverValue(2), 0.5, 1e-9);
  EXPECT_NEAR(SolverObjective(), 3.5, 1e-9);
}

TEST_F(SolverInterfaceTest, ColumnsWithoutALowerBound) {
  // max -x, -x <= 3, x in [-1e21, 1]: x = -3 (a missing lower bound is not 0).
  ASSERT_EQ(SolverInit(1, 1), 0);
  SolverSetObjective(1, -1);
  SolverSetCoefficient(1, 1, -1);
  SolverSetRhs(1, 3);
  SolverSetLowerBound(1, -1e21);
  SolverSetUpperBound(1, 1);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverValue(1), -3, 1e-9);
  EXPECT_NEAR(SolverObjective(), 3, 1e-9);

  // Maximising x leaves it at its upper bound, which the row allows.
  SolverSetObjective(1, 1);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverValue(1), 1, 1e-9);

  // Bounded on neither side the column is free: max -x, -x <= 2 gives x = -2.
  SolverSetObjective(1, -1);
  SolverSetUpperBound(1, 1e21);
  SolverSetRhs(1, 2);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverValue(1), -2, 1e-9);
  EXPECT_NEAR(SolverObjective(), 2, 1e-9);

  // Nothing stops x going down: unbounded, free or not, in the row or in none.
  SolverSetCoefficient(1, 1, 1);
  EXPECT_EQ(SolverSolve(), 2);
  SolverSetUpperBound(1, 4);
  EXPECT_EQ(SolverSolve(), 2);
  SolverSetCoefficient(1, 1, 0);
  EXPECT_EQ(SolverSolve(), 2);
  SolverSetUpperBound(1, 1e21);
  EXPECT_EQ(SolverSolve(), 2);
}

TEST_F(SolverInterfaceTest, UnboundedStepsWhileInfeasibleDecideNothing) {
  // x3 is free, in no row, with a positive cost: the program is unbounded as soon as it
  // is feasible (at 0 it is). x2 and x7 start at their upper bounds, where row 3 does not
  // hold, and x3 offers its endless step before the basis is feasible.
  const double c[] = {-0.8494, -1, 0.1144, 1};
  const double lower[] = {0, -1e21, -1e21, -1e21};
  const double upper[] = {1, 1, 1e21, 828};
  ASSERT_EQ(SolverInit(4, 3), 0);
  for (int j = 1; j <= 4; ++j) {
    SolverSetObjective(j, c[j - 1]);
    SolverSetLowerBound(j, lower[j - 1]);
    SolverSetUpperBound(j, upper[j - 1]);
  }
  SolverSetCoefficient(1, 2, 0.4046);
  SolverSetRhs(1, 0.394);
  SolverSetCoefficient(2, 1, -0.9571);
  SolverSetCoefficient(2, 2, -0.9361);
  SolverSetCoefficient(2, 4, -0.0765);
  SolverSetCoefficient(3, 2, 0.1885);
  SolverSetCoefficient(3, 4, 0.8962);
  EXPECT_EQ(SolverSolve(), 2);

  // Row 3 made impossible (x7 >= 1000 is beyond its upper bound): infeasible, not unbounded.
  SolverSetCoefficient(3, 2, 0);
  SolverSetRowSense(3, '>');
  SolverSetRhs(3, 1000 * 0.8962);
  EXPECT_EQ(SolverSolve(), 3);

  // With row 3 back to x7 >= 0 and x3 bounded the optimum is found: x1 = 1, x3 = 7,
  // x7 = 828 and x2 as low as row 2 lets it go.
  SolverSetRhs(3, 0);
  SolverSetUpperBound(3, 7);
  EXPECT_EQ(SolverSolve(), 0);
  const double x2 = -(0.0765 * 828 + 0.9571) / 0.9361;
  EXPECT_NEAR(SolverValue(2), x2, 1e-9);
  EXPECT_NEAR(SolverObjective(), -0.8494 - x2 + 0.1144 * 7 + 828, 1e-9);
}

TEST_F(SolverInterfaceTest, NegativeColumnsInABiggerProgram) {
  // min x1 + x2 + x3 (as max of the negation) with x1 + x2 >= -4, x2 + x3 >= -5 written as
  // -x1 - x2 <= 4, -x2 - x3 <= 5; x1, x3 in [-1e21, 0], x2 in [-1, 0]: the sum is
  // -9 - x2, least at x2 = 0 with x1 = -4, x3 = -5.
  ASSERT_EQ(SolverInit(3, 2), 0);
  for (int j = 1; j <= 3; ++j) {
    SolverSetObjective(j, -1);
    SolverSetUpperBound(j, 0);
  }
  SolverSetLowerBound(1, -1e21);
  SolverSetLowerBound(2, -1);
  SolverSetLowerBound(3, -1e21);
  SolverSetCoefficient(1, 1, -1);
  SolverSetCoefficient(1, 2, -1);
  SolverSetCoefficient(2, 2, -1);
  SolverSetCoefficient(2, 3, -1);
  SolverSetRhs(1, 4);
  SolverSetRhs(2, 5);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverObjective(), 9, 1e-9);
  EXPECT_NEAR(SolverValue(1), -4, 1e-9);
  EXPECT_NEAR(SolverValue(2), 0, 1e-9);
  EXPECT_NEAR(SolverValue(3), -5, 1e-9);
}

TEST_F(SolverInterfaceTest, IterationLimitStopsTheSolveWithoutAVerdict) {
  // Infeasible at the slack basis (x1 + x2 >= 1): one pivot cannot finish, and a solve
  // that stopped proves neither infeasibility nor optimality.
  testing::DenseProgram p(3, 3);
  p.c = {1, 1, 1};
  p.a = {{1, 1, 0}, {0, 1, 1}, {1, 0, 1}};
  p.sense = {'>', '>', '>'};
  p.b = {1, 1, 1};
  p.upper = {1, 1, 1};
  {
    ScopedParameterOverride limit("MAXITER", "0");
    ASSERT_TRUE(testing::LoadIntoSolver(p));
    EXPECT_EQ(SolverSolve(), -1);
    EXPECT_EQ(SolverLastStop(), SolverStop::kIterationLimit);
  }
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverObjective(), 3, 1e-9);
}

TEST_F(SolverInterfaceTest, CancelFromTheEventPumpStopsTheSolve) {
  // A dense program that needs far more than ten pivots; every pump cancels.
  testing::DenseProgram p(40, 40);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> u(0, 1);
  for (int j = 0; j < 40; ++j) p.c[j] = 1 + u(random);
  for (int i = 0; i < 40; ++i) {
    for (int j = 0; j < 40; ++j) p.a[i][j] = u(random) < 0.5 ? 0.1 + u(random) : 0;
    p.b[i] = 1 + u(random);
  }
  port.cancel_at_pump = 1;
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  // The cancelled solve stopped early and says so: no verdict from where it stopped.
  EXPECT_EQ(SolverSolve(), -1);
  EXPECT_EQ(SolverLastStop(), SolverStop::kCancelled);
  port.cancel_at_pump = 0;
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_EQ(SolverLastStop(), SolverStop::kNone);
}

}  // namespace
}  // namespace vido
