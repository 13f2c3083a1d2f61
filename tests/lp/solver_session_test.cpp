#include "lp/solver_session.h"

#include <gtest/gtest.h>

#include "common/fake_user_port.h"
#include "support/parameter_table.h"

namespace vido {
namespace {

// max c x over x1 + x2 <= 4, x1 - x2 <= 2, 0 <= x <= 3.
DenseProgram Square() {
  DenseProgram p = DenseProgram::Empty(2, 2);
  p.A(1, 1) = 1;
  p.A(1, 2) = 1;
  p.b[1] = 4;
  p.A(2, 1) = 1;
  p.A(2, 2) = -1;
  p.b[2] = 2;
  p.upper[1] = p.upper[2] = 3;
  p.c[1] = 1;
  return p;
}

// Which way each solve went, and that every way gives the optimum worked by hand.
TEST(SolverSession, ReSolvesFromTheBasisWhatOnlyChangedInObjectiveBoundsOrAppendedRows) {
  testing::FakeUserPort port;
  SolverSession session;
  session.SetPort(&port);
  session.Program() = Square();
  ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);  // x1 = 3, x2 = 1
  EXPECT_DOUBLE_EQ(session.Objective(), 3);
  EXPECT_EQ(session.Counters().fresh, 1);

  session.Program().c = {0, 0, 1};  // max x2: 3 (x1 = 1)
  ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);
  EXPECT_NEAR(session.Objective(), 3, 1e-12);
  session.Program().upper[2] = 2.5;
  ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);
  EXPECT_NEAR(session.Objective(), 2.5, 1e-12);
  EXPECT_EQ(session.Counters().warm, 2);

  // With x2 - x1 >= 2 appended, max x1 + x2 is 3 at (0.5, 2.5) alone.
  session.Program().AppendRow({0, -1, 1}, '>', 2);
  session.Program().c = {0, 1, 1};
  ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);
  EXPECT_NEAR(session.Objective(), 3, 1e-12);
  EXPECT_NEAR(session.Values()[1], 0.5, 1e-12);
  EXPECT_EQ(session.Counters().rebuilt, 1);

  // A changed row is another program; cold, every solve is built afresh.
  session.Program().b[1] = 3;
  ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);
  EXPECT_EQ(session.Counters().fresh, 2);
  session.SetCold(true);
  session.Program().c = {0, 0, 1};
  ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);
  EXPECT_NEAR(session.Objective(), 2.5, 1e-12);
  EXPECT_EQ(session.Counters().fresh, 3);
  EXPECT_EQ(session.Counters().warm, 2);
  EXPECT_EQ(session.Counters().solves, 6);
}

TEST(SolverSession, NewSettingsInfeasibleBoundsAndIntegerProgramsAreNotSolvedFromTheBasis) {
  SolverSession session;
  session.Program() = Square();
  ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);
  {
    // Settings read by the kept engine are not the ones in force: a fresh engine.
    ScopedParameterOverride tight("TIGHT", "Y");
    session.Program().c[2] = 2;  // max x1 + 2 x2: 7 at (1, 3)
    ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);
    EXPECT_NEAR(session.Objective(), 7, 1e-12);
  }
  EXPECT_EQ(session.Counters().warm, 0);
  session.Program().lower[1] = 3.5;  // above its upper bound: rejected, no engine asked
  EXPECT_EQ(session.Solve(), SolveStatus::kStopped);
  EXPECT_EQ(session.LastStop(), SolverStop::kRejected);
  EXPECT_NEAR(session.Values()[2], 3, 1e-12);  // the last solution stays
  session.Program().lower[1] = 0;
  session.Program().type[1] = 'I';
  session.Program().upper[2] = 0.5;
  ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);  // x1 = 2 (x1 - x2 <= 2), x2 = 0.5
  EXPECT_NEAR(session.Objective(), 3, 1e-9);
  EXPECT_EQ(session.Counters().warm, 0);
  // The bounds alone changed since the last linear program the engine held, but that
  // engine was read under other settings: built afresh once more, then kept again.
  session.Program().type[1] = 'C';
  ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);
  EXPECT_NEAR(session.Objective(), 3.5, 1e-12);
  session.Program().c[1] = 0;
  ASSERT_EQ(session.Solve(), SolveStatus::kOptimal);
  EXPECT_NEAR(session.Objective(), 1, 1e-12);
  EXPECT_EQ(session.Counters().warm, 1);
}

}  // namespace
}  // namespace vido
