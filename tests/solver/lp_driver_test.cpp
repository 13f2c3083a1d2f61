// The simplex driver's less travelled paths: stall restarts, the restart limit, small
// pivots, refactorisation by time, and the iteration, time and cancel stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "lp/solver_interface.h"
#include "solver/dense_program.h"
#include "solver/factorization.h"
#include "solver/glpk_oracle.h"
#include "solver/lp_engine.h"
#include "solver/simplex_driver.h"
#include "solver/simplex_iteration.h"
#include "support/engine_folder.h"
#include "support/parameter_table.h"
#include "support/support_routines.h"

namespace vido {
namespace {

using testing::DenseProgram;

// What the driver looked like at one event pump.
struct PumpSnapshot {
  int32_t iterations;
  int32_t restarts;
  int8_t perturbation;
  int32_t candidate_limit;
  int32_t candidates;
  int32_t etas_since_inversion;
};

// A user port that records the engine's state at every pump and cancels from a given
// iteration count on.
class RecordingPort : public testing::FakeUserPort {
 public:
  bool PumpEvents() override {
    testing::FakeUserPort::PumpEvents();
    if (engine == nullptr) return false;
    const LpIterationState& it = engine->iter;
    snapshots.push_back({it.iteration_count, it.restart_count, engine->flags.perturbation_mode,
                         it.candidate_limit, it.candidate_count,
                         engine->factor.etas_since_inversion});
    return cancel_from >= 0 && it.iteration_count >= cancel_from;
  }

  const LpEngine* engine = nullptr;
  int32_t cancel_from = -1;
  std::vector<PumpSnapshot> snapshots;
};

// Restores the real clock however a test ends.
struct ClockGuard {
  ~ClockGuard() { SetClockForTesting(nullptr); }
};

class LpDriverPathTest : public ::testing::Test {
 protected:
  void SetUp() override { Create(); }
  void TearDown() override { LpRelease(engine); }

  void Create() {
    LpCreate(engine, port);
    port.engine = &engine;
    engine.trace.SetSink([this](const std::string& target, const std::string& text) {
      if (target == "Memo") lines.push_back(text);
    });
  }

  // Rows R1.. after the objective row OBJ; columns x1..; the engine is set up.
  void Load(const DenseProgram& p) {
    ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
    for (int i = 0; i < p.m; ++i) {
      const char type = p.sense[i] == '<' ? 'L' : p.sense[i] == '>' ? 'G' : 'E';
      ASSERT_TRUE(LpDefineRow(engine, "R" + std::to_string(i + 1), type));
    }
    for (int j = 0; j < p.n; ++j) {
      const std::string name = "x" + std::to_string(j + 1);
      LpSetElement(engine, "OBJ", name, p.c[j]);
      for (int i = 0; i < p.m; ++i) {
        LpSetElement(engine, "R" + std::to_string(i + 1), name, p.a[i][j]);
      }
      LpSetBound(engine, name, "UP", p.upper[j]);
      if (p.lower[j] != 0) LpSetBound(engine, name, "LO", p.lower[j]);
    }
    for (int i = 0; i < p.m; ++i) {
      if (p.b[i] != 0) LpSetRhs(engine, "R" + std::to_string(i + 1), p.b[i]);
    }
    engine.flags.loaded = true;
    ASSERT_TRUE(LpSetup(engine));
    LpSetObjectiveRow(engine);
    engine.flags.non_interactive = true;
  }

  bool HasLine(const std::string& text) const {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
  }
  bool HasLineStarting(const std::string& prefix) const {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
  }
  std::vector<double> Values(int n) const {
    std::vector<double> x(n);
    for (int j = 0; j < n; ++j) x[j] = LpColumnValue(engine, "x" + std::to_string(j + 1));
    return x;
  }

  RecordingPort port;
  LpEngine engine;
  std::vector<std::string> lines;
};

// max c x subject to m homogeneous rows a_i x <= 0 with entries of magnitude up to
// `scale`, the row sum x_1 + ... + x_n <= 1, and x >= 0. The origin is a vertex where all
// homogeneous rows meet. With entries of 1e4 or more the right-hand-side perturbation of
// 1e-8 moves the steps away from that vertex only by 1e-12 or less, below the 1e-11 that
// counts as progress, so the driver sees the pivots there as a stall.
DenseProgram DegenerateCone(int m, int n, double scale, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> u(0, 1);
  DenseProgram p(n, m + 1);
  for (int j = 0; j < n; ++j) p.c[j] = 1 + u(random);
  for (int i = 0; i < m; ++i) {
    for (int j = 0; j < n; ++j) {
      if (u(random) < 0.5) p.a[i][j] = scale * (u(random) * 2 - 1);
    }
  }
  for (int j = 0; j < n; ++j) p.a[m][j] = 1;
  p.b[m] = 1;
  return p;
}

// A well-scaled dense program that needs about 150 to 250 pivots: max c x, A x <= b.
DenseProgram DenseRandom(int m, int n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> u(0, 1);
  DenseProgram p(n, m);
  for (int j = 0; j < n; ++j) p.c[j] = 1 + u(random);
  for (int i = 0; i < m; ++i) {
    for (int j = 0; j < n; ++j) p.a[i][j] = u(random) < 0.5 ? 0.1 + u(random) : 0;
    p.b[i] = 1 + u(random);
  }
  return p;
}

double GlpkOptimum(const DenseProgram& p) {
  const testing::OracleResult oracle = testing::SolveWithGlpk(p);
  EXPECT_EQ(oracle.status, 0);
  return oracle.objective;
}

// The INVERSIONs that time triggers change the path of a solve; the cycling programs
// below are only reproducible with a clock that stands still.
void FreezeClock() {
  SetClockForTesting([] { return 42.0; });
}

TEST_F(LpDriverPathTest, StallsRestartWithPerturbationAndAShortCandidateList) {
  ClockGuard guard;
  FreezeClock();
  const DenseProgram p = DegenerateCone(80, 80, 1e4, 19);
  const double optimum = GlpkOptimum(p);
  ASSERT_GT(optimum, 1);
  Load(p);
  LpLinearSolve(engine);

  // Before the first restart the candidate lists were long (all 80 columns are
  // attractive at the start); the first restart perturbed (mode 2) and cut the lists to
  // 32; the second removed the perturbation.
  ASSERT_GE(engine.iter.restart_count, 2) << "the program no longer stalls";
  int32_t longest_before = 0;
  int32_t longest_after = 0;
  bool perturbed_after_first = false;
  for (const PumpSnapshot& s : port.snapshots) {
    if (s.restarts == 0) {
      EXPECT_EQ(s.candidate_limit, 30000);
      longest_before = std::max(longest_before, s.candidates);
    } else {
      EXPECT_EQ(s.candidate_limit, 32) << "at iteration " << s.iterations;
      longest_after = std::max(longest_after, s.candidates);
    }
    if (s.restarts == 1 && s.perturbation == 2) perturbed_after_first = true;
    if (s.restarts == 2) {
      EXPECT_EQ(s.perturbation, 0) << "at iteration " << s.iterations;
    }
  }
  EXPECT_GT(longest_before, 32);
  EXPECT_LE(longest_after, 32);
  EXPECT_TRUE(perturbed_after_first);
  EXPECT_EQ(engine.iter.candidate_limit, 32);  // for the rest of the solve

  // The restarts still lead to the optimum, and the perturbation is gone at the end.
  EXPECT_FALSE(engine.flags.numerical_trouble);
  EXPECT_FALSE(HasLine("Numerical Problems"));
  EXPECT_EQ(LpLinearStatus(engine), "OPTIMAL SOLUTION");
  EXPECT_EQ(engine.flags.perturbation_mode, 0);
  EXPECT_NEAR(engine.iter.objective, optimum, 1e-9);
  EXPECT_EQ(testing::CheckSolution(p, Values(p.n)), "");
}

TEST_F(LpDriverPathTest, MoreThanTenRestartsGiveUpWithNumericalProblems) {
  // This cone has a positive optimum, but the driver cycles at the origin until the
  // restarts are used up.
  ClockGuard guard;
  FreezeClock();
  const DenseProgram p = DegenerateCone(60, 60, 1e6, 8);
  const double optimum = GlpkOptimum(p);
  ASSERT_GT(optimum, 1);
  Load(p);
  LpLinearSolve(engine);

  ASSERT_EQ(engine.iter.restart_count, 11) << "the program no longer stalls for good";
  EXPECT_TRUE(engine.flags.numerical_trouble);
  // The normal report follows the message: iteration line, status line, elapsed time.
  const auto message = std::find(lines.begin(), lines.end(), "Numerical Problems");
  ASSERT_NE(message, lines.end());
  ASSERT_EQ(lines.end() - message, 4);
  const std::string status = *(message + 2);
  EXPECT_TRUE(status.rfind("OPTIMAL SOLUTION ", 0) == 0 ||
              status.rfind("PROBLEM IS INFEASIBLE nINF=", 0) == 0)
      << status;
  EXPECT_EQ((message + 3)->rfind("Elapsed Time ", 0), 0u) << *(message + 3);
  // Whatever the report line says, the caller is not told that the solve succeeded
  // (the point reached is far from the optimum).
  EXPECT_LT(engine.iter.objective, optimum - 1);
  EXPECT_EQ(LpLinearStatus(engine), "UNFINISHED");
}

TEST_F(LpDriverPathTest, TheSolverInterfaceScalesRowsAndReportsStopsAsFailures) {
  ClockGuard guard;
  FreezeClock();
  // The cone that stalls the engine for good has rows of 1e6 beside a normalisation row of
  // 1: brought to one size by the interface, it solves to the optimum.
  const DenseProgram p = DegenerateCone(60, 60, 1e6, 8);
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  ASSERT_EQ(SolverSolve(), 0);
  // GLPK's simplex stops 4e-4 short on this one (its exact simplex takes too long for a
  // test): the point must satisfy every row and be at least as good.
  std::vector<double> x(p.n);
  for (int j = 0; j < p.n; ++j) x[j] = SolverValue(j + 1);
  EXPECT_EQ(testing::CheckSolution(p, x, 1e-9), "");
  EXPECT_GE(SolverObjective(), GlpkOptimum(p) - 1e-9);
  EXPECT_EQ(SolverLastStop(), SolverStop::kNone);
  const double optimum = SolverObjective();

  // A solve stopped by the iteration limit proves nothing: -1 with the reason, and the
  // previous solution stays.
  const DenseProgram q = DenseRandom(40, 40, 3);
  ASSERT_TRUE(testing::LoadIntoSolver(q));
  SolverSetLimits(5, 0);
  EXPECT_EQ(SolverSolve(), -1);
  EXPECT_EQ(SolverLastStop(), SolverStop::kIterationLimit);
  EXPECT_EQ(SolverObjective(), optimum);
  EXPECT_EQ(SolveErrorText("Failed"), "Failed\nthe iteration limit was reached");
  SolverSetLimits(0, 0);
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverObjective(), GlpkOptimum(q), 1e-6);
  SolverFree();
}

TEST_F(LpDriverPathTest, SmallPivotsAreRejectedAndTheLargestIsTakenAtTheEndOfThePass) {
  // max 1.01 x1 + x2 subject to 1e-8 x1 <= 1 and 5e-7 x2 <= 1: both columns only have
  // pivots below 1e-6. x1 comes first (larger reduced cost); x2 beats its pivot.
  DenseProgram p(2, 2);
  p.c = {1.01, 1};
  p.a = {{1e-8, 0}, {0, 5e-7}};
  p.b = {1, 1};
  Load(p);
  LpLinearSolve(engine);

  const std::vector<std::string> expected = {"PIVOT PROBLEM: BEST PIVOT x1 1E-8",
                                             "PIVOT PROBLEM: BEST PIVOT x2 5E-7",
                                             // The second pass has only x1 left.
                                             "PIVOT PROBLEM: BEST PIVOT x1 1E-8"};
  std::vector<std::string> shown;
  for (const std::string& line : lines) {
    if (line.rfind("PIVOT PROBLEM", 0) == 0) shown.push_back(line);
  }
  EXPECT_EQ(shown, expected);
  // Rejected candidates lose their threshold flag.
  EXPECT_FALSE(engine.Column(LpLookupColumn(engine, "x1")).threshold);
  EXPECT_TRUE(engine.iter.rejections_happened);
  EXPECT_FALSE(engine.flags.numerical_trouble);
  EXPECT_EQ(LpLinearStatus(engine), "OPTIMAL SOLUTION");
  EXPECT_NEAR(LpColumnValue(engine, "x1"), 1e8, 1e-2);
  EXPECT_NEAR(LpColumnValue(engine, "x2"), 2e6, 1e-4);
  EXPECT_NEAR(engine.iter.objective, 1.01e8 + 2e6, 1e-2);

  // The search's quiet mode takes the same pivots without showing them.
  LpRelease(engine);
  lines.clear();
  Create();
  Load(p);
  engine.search.InSearch = true;
  LpSimplex(engine, true);
  EXPECT_FALSE(HasLineStarting("PIVOT PROBLEM"));
  EXPECT_NEAR(engine.iter.objective, 1.01e8 + 2e6, 1e-2);
}

TEST_F(LpDriverPathTest, ThresholdFlagsComeBackAfterFiftyAcceptedPivots) {
  // One column with a tiny pivot is rejected early; the dense part then takes well over
  // 50 pivots, after which every column counts in the threshold statistics again.
  ClockGuard guard;
  FreezeClock();
  DenseProgram p = DenseRandom(60, 60, 3);
  p.n += 1;
  p.c.push_back(100);  // the most attractive column at the start
  p.upper.push_back(1e21);
  p.lower.push_back(0);
  p.type.push_back('C');
  for (auto& row : p.a) row.push_back(0);
  p.a[0].back() = 1e-7;
  Load(p);
  LpLinearSolve(engine);
  ASSERT_TRUE(HasLineStarting("PIVOT PROBLEM: BEST PIVOT x61 "));
  EXPECT_GT(engine.iter.iteration_count, 60);
  EXPECT_TRUE(engine.Column(LpLookupColumn(engine, "x61")).threshold);
  EXPECT_EQ(LpLinearStatus(engine), "OPTIMAL SOLUTION");
  // The oracle gets the same program with x61 measured in units of 1e-7.
  DenseProgram scaled = p;
  scaled.a[0].back() = 1;
  scaled.c.back() = 100 / 1e-7;
  const double optimum = GlpkOptimum(scaled);
  EXPECT_NEAR(engine.iter.objective, optimum, 1e-9 * optimum);
}

TEST_F(LpDriverPathTest, RefactorisationRuleByEtaCountAndWork) {
  Load(DenseRandom(10, 10, 1));
  ASSERT_TRUE(LpInversion(engine));
  // A small basis costs the floor of the rule.
  const double cost = engine.factor.inversion_duration;
  EXPECT_EQ(cost, 2e6);
  EXPECT_EQ(engine.factor.work_since_inversion, 0);
  const int32_t inversions = engine.factor.inversion_count;

  // Fewer than 50 etas: work alone never refactorises.
  engine.factor.etas_since_inversion = 49;
  engine.factor.work_since_inversion = static_cast<int64_t>(100 * cost);
  LpRefactorCheck(engine);
  EXPECT_EQ(engine.factor.inversion_count, inversions);

  // 50 etas: refactorise once the FTRAN and BTRAN work since the INVERSION exceeds three
  // times its cost, not before.
  engine.factor.etas_since_inversion = 50;
  engine.factor.work_since_inversion = static_cast<int64_t>(2.9 * cost);
  LpRefactorCheck(engine);
  EXPECT_EQ(engine.factor.inversion_count, inversions);
  engine.iter.candidate_count = 7;
  const size_t shown = lines.size();
  engine.factor.work_since_inversion = static_cast<int64_t>(3.1 * cost);
  LpRefactorCheck(engine);
  EXPECT_EQ(engine.factor.inversion_count, inversions + 1);
  EXPECT_EQ(engine.factor.etas_since_inversion, 0);
  EXPECT_EQ(engine.factor.work_since_inversion, 0);
  EXPECT_EQ(engine.iter.candidate_count, 0);
  EXPECT_EQ(lines.size(), shown + 1);  // the iteration line before the INVERSION

  // A full eta file refactorises whatever the time.
  while (engine.eta.Count() < engine.eta.capacity) {
    engine.eta.StartEta();
    engine.eta.Add(1, 1.0);
  }
  engine.factor.etas_since_inversion = 1;
  LpRefactorCheck(engine);
  EXPECT_EQ(engine.factor.inversion_count, inversions + 2);
}

// The rule counts work, not time: a program is solved alike whatever the clock does (a
// run of the inconsistency analysis once ended otherwise than the next on one input).
TEST_F(LpDriverPathTest, ASolveIsTheSameWhateverTheClock) {
  const DenseProgram p = DenseRandom(60, 60, 2);
  const double optimum = GlpkOptimum(p);
  ClockGuard guard;
  int32_t iterations[2] = {};
  int32_t inversions[2] = {};
  for (int run = 0; run < 2; ++run) {
    if (run == 0) {
      // Every iteration takes a second.
      SetClockForTesting([this] { return 5000.0 + engine.iter.iteration_count; });
    } else {
      SetClockForTesting([] { return 5000.0; });  // and a clock that stands still
    }
    LpRelease(engine);
    Create();
    Load(p);
    LpLinearSolve(engine);
    ASSERT_EQ(LpLinearStatus(engine), "OPTIMAL SOLUTION");
    EXPECT_NEAR(engine.iter.objective, optimum, 1e-9 * optimum);
    iterations[run] = engine.iter.iteration_count;
    inversions[run] = engine.factor.inversion_count;
  }
  EXPECT_EQ(iterations[0], iterations[1]);
  EXPECT_EQ(inversions[0], inversions[1]);
}

TEST_F(LpDriverPathTest, IterationLimitStopsRightAfterThePivotThatPassesIt) {
  LpRelease(engine);
  ScopedParameterOverride limit("MAXITER", "25");
  Create();
  const DenseProgram p = DenseRandom(60, 60, 2);
  Load(p);
  LpSimplex(engine, true);
  EXPECT_EQ(engine.iter.iteration_count, 26);
  EXPECT_TRUE(engine.flags.unfinished);
  // No report and no values written back.
  EXPECT_FALSE(HasLineStarting("Elapsed Time"));
  EXPECT_FALSE(HasLineStarting("OPTIMAL SOLUTION"));
  for (double x : Values(p.n)) EXPECT_EQ(x, 0);
}

TEST_F(LpDriverPathTest, TimeLimitStopsTheSolve) {
  ClockGuard guard;
  LpRelease(engine);
  ScopedParameterOverride limit("MAXTIME", "5");
  Create();
  // One second per iteration: the sixth iteration passes the five seconds.
  SetClockForTesting([this] { return 100.0 + engine.iter.iteration_count; });
  Load(DenseRandom(60, 60, 2));
  LpLinearSolve(engine);
  EXPECT_EQ(engine.iter.iteration_count, 6);
  EXPECT_FALSE(engine.flags.unfinished);            // the linear solve clears it
  EXPECT_EQ(LpLinearStatus(engine), "UNFINISHED");  // but proves nothing
  EXPECT_FALSE(HasLineStarting("Elapsed Time"));
  EXPECT_EQ(engine.elapsed_time, 6);
}

TEST_F(LpDriverPathTest, EventsArePumpedEveryTenIterationsAndACancelStopsThere) {
  // The log goes to a file of this test's own, so that no other test's lines mix in.
  const std::filesystem::path folder = std::filesystem::current_path() / "driver_cancel_log";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::filesystem::path log = folder / "LP.LOG";
  LpRelease(engine);
  SetSolverLogFile(log.string());
  Create();
  SetSolverLogFile("");
  const DenseProgram p = DenseRandom(60, 60, 2);
  Load(p);
  port.cancel_from = 30;
  LpSimplex(engine, true);

  EXPECT_TRUE(engine.flags.unfinished);
  EXPECT_EQ(engine.iter.iteration_count, 30);
  for (int32_t multiple : {10, 20, 30}) {
    EXPECT_TRUE(std::any_of(port.snapshots.begin(), port.snapshots.end(),
                            [&](const PumpSnapshot& s) { return s.iterations == multiple; }))
        << multiple;
  }
  EXPECT_FALSE(HasLineStarting("Elapsed Time"));
  for (double x : Values(p.n)) EXPECT_EQ(x, 0);
  std::ifstream in(log, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "Solution cancelled\r\n");
  std::filesystem::remove_all(folder);
}

TEST_F(LpDriverPathTest, NoColumnLeftToRepairTheBasisEndsTheModel) {
  // x1's only entry is in R1, like R1's slack. With both basic the INVERSION needs the
  // non-basic column at m + 2 as a replacement, but there are only m + 1 columns.
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  ASSERT_TRUE(LpDefineRow(engine, "R1", 'L'));
  ASSERT_TRUE(LpDefineRow(engine, "R2", 'L'));
  LpSetElement(engine, "R1", "x1", 2);
  LpSetRhs(engine, "R1", 1);
  engine.flags.loaded = true;
  ASSERT_TRUE(LpSetup(engine));
  ASSERT_EQ(engine.column_count, engine.row_count + 1);
  const int32_t slack = LpLookupColumn(engine, "R2");
  const int32_t x1 = LpLookupColumn(engine, "x1");
  ASSERT_LE(slack, engine.row_count);
  engine.Column(slack).status = kAtLower;
  LpSwapColumns(engine, x1, slack);
  engine.Column(slack).status = kBasic;

  EXPECT_FALSE(LpInversion(engine));
  EXPECT_TRUE(HasLine("WHOLE MATRIX SEARCHED"));
  EXPECT_TRUE(engine.flags.unfinished);
  EXPECT_EQ(engine.row_count, 0);
  EXPECT_EQ(engine.column_count, 0);
  EXPECT_EQ(LpLookupColumn(engine, "x1"), 0);
}

TEST_F(LpDriverPathTest, FreeColumnThatGainsByFallingIsFoundUnboundedOrLimited) {
  // max -x2 with x1 and x2 free, S: x1 + x2 <= 1 (and B: -x2 <= `floor` when given): x1
  // is basic in S, x2 sits at its artificial bound and can only improve by falling, which
  // no candidate scan shows until the driver deals with the free columns.
  auto solve = [this](double floor) {
    ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
    if (floor > 0) {
      ASSERT_TRUE(LpDefineRow(engine, "B", 'L'));
      LpSetRhs(engine, "B", floor);
    }
    ASSERT_TRUE(LpDefineRow(engine, "S", 'L'));
    LpSetElement(engine, "S", "x1", 1);
    LpSetElement(engine, "OBJ", "x2", -1);
    LpSetElement(engine, "S", "x2", 1);
    if (floor > 0) LpSetElement(engine, "B", "x2", -1);
    LpSetRhs(engine, "S", 1);
    LpSetBound(engine, "x1", "FR", 0);
    LpSetBound(engine, "x2", "FR", 0);
    engine.flags.loaded = true;
    ASSERT_TRUE(LpSetup(engine));
    LpSetObjectiveRow(engine);
    engine.flags.non_interactive = true;
    ASSERT_GT(LpLookupColumn(engine, "x2"), engine.row_count);
    LpLinearSolve(engine);
  };
  solve(0);
  EXPECT_TRUE(engine.flags.unbounded);
  EXPECT_EQ(LpLinearStatus(engine), "UNBOUNDED SOLUTION");
  EXPECT_TRUE(HasLine("VARIABLE x2 is unbounded !"));

  // With x2 >= -12345 the fall stops there.
  LpRelease(engine);
  lines.clear();
  Create();
  solve(12345);
  EXPECT_FALSE(engine.flags.unbounded);
  EXPECT_EQ(LpLinearStatus(engine), "OPTIMAL SOLUTION");
  EXPECT_NEAR(LpColumnValue(engine, "x2"), -12345, 1e-6);
  EXPECT_NEAR(engine.iter.objective, 12345, 1e-6);
}

}  // namespace
}  // namespace vido
