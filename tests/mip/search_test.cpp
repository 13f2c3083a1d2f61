#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "lp/solver_interface.h"
#include "mip/branch_and_bound.h"
#include "mip/node_store.h"
#include "mip/pseudo_cost.h"
#include "mip/scratch_folder.h"
#include "solver/basis_file.h"
#include "solver/dense_program.h"
#include "solver/glpk_oracle.h"
#include "solver/simplex_driver.h"
#include "support/engine_folder.h"
#include "support/parameter_table.h"
#include "support/trace_display.h"

namespace vido {
namespace {

using testing::DenseProgram;

// Records the trace lines of every engine created while it lives.
class TraceLines {
 public:
  TraceLines() {
    previous_ = InstallTraceSink([this](const std::string& target, const std::string& text) {
      if (target == "Memo") lines.push_back(text);
    });
  }
  ~TraceLines() { InstallTraceSink(previous_); }
  bool Has(const std::string& line) const {
    for (const std::string& l : lines) {
      if (l == line) return true;
    }
    return false;
  }
  std::vector<std::string> lines;

 private:
  TraceSinkFunction previous_;
};

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override { SolverSetUserPort(&port); }
  void TearDown() override {
    SolverFree();
    SolverSetUserPort(nullptr);
    EXPECT_FALSE(std::filesystem::exists(EngineFolder() + "FIL"));
  }

  // The model the solver interface would build, left set up in `engine`.
  void Build(const DenseProgram& p) {
    LpCreate(engine, port);
    LpClear(engine);
    engine.problem_name = "MIPSolver";
    ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
    for (int i = 0; i < p.m; ++i) {
      const char type = p.sense[i] == '<' ? 'L' : p.sense[i] == '>' ? 'G' : 'E';
      ASSERT_TRUE(LpDefineRow(engine, "Const" + std::to_string(i + 1), type));
    }
    for (int j = 0; j < p.n; ++j) {
      const std::string name = "Var" + std::to_string(j + 1);
      LpSetElement(engine, "OBJ", name, p.c[j]);
      for (int i = 0; i < p.m; ++i) {
        LpSetElement(engine, "Const" + std::to_string(i + 1), name, p.a[i][j]);
      }
    }
    for (int i = 0; i < p.m; ++i) LpSetRhs(engine, "Const" + std::to_string(i + 1), p.b[i]);
    for (int j = 0; j < p.n; ++j) {
      const std::string name = "Var" + std::to_string(j + 1);
      LpSetBound(engine, name,
                 p.type[j] == 'B'   ? "BV"
                 : p.type[j] == 'I' ? "UI"
                                    : "UP",
                 p.type[j] == 'B' ? 1 : p.upper[j]);
      if (p.type[j] != 'B' && p.lower[j] != 0) LpSetBound(engine, name, "LO", p.lower[j]);
    }
    engine.flags.loaded = true;
    ASSERT_TRUE(LpSetup(engine));
    engine.flags.maximise = true;
    LpSetObjectiveRow(engine);
    engine.flags.non_interactive = true;
  }

  // A knapsack of binaries that needs a few hundred nodes.
  static DenseProgram HardKnapsack(int n, uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> weight(20, 60);
    DenseProgram p(n, 2);
    double total0 = 0;
    double total1 = 0;
    for (int j = 0; j < n; ++j) {
      p.type[j] = 'B';
      p.a[0][j] = weight(rng);
      p.a[1][j] = weight(rng);
      p.c[j] = p.a[0][j] + weight(rng) / 10.0;
      total0 += p.a[0][j];
      total1 += p.a[1][j];
    }
    p.b[0] = std::floor(total0 / 2) + 0.5;
    p.b[1] = std::floor(total1 / 2) + 0.5;
    return p;
  }

  testing::ScratchFolder scratch;
  testing::FakeUserPort port;
  LpEngine engine;
};

TEST_F(SearchTest, IntegralRootIsTheSolutionWithoutANode) {
  TraceLines trace;
  DenseProgram p(2, 1);
  p.type = {'B', 'B'};
  p.c = {3, 2};
  p.a[0] = {1, 1};
  p.b[0] = 1;
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  std::ofstream(EngineFolder() + "INF") << "left by an earlier run\n";
  EXPECT_EQ(SolverSolve(), 0);
  EXPECT_EQ(SolverObjective(), 3);
  EXPECT_EQ(SolverValue(1), 1);
  EXPECT_EQ(SolverValue(2), 0);
  EXPECT_TRUE(trace.Has("INTEGER SOLUTION FOUND: Searched nodes 0"));
  // A feasible root relaxation deletes "INF".
  EXPECT_FALSE(std::filesystem::exists(EngineFolder() + "INF"));
}

TEST_F(SearchTest, InfeasibleRootKeepsTheInfFileAndReportsStatusThree) {
  DenseProgram p(1, 1);
  p.type = {'B'};
  p.c = {1};
  p.a[0] = {1};
  p.sense[0] = '>';
  p.b[0] = 2;
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  std::ofstream(EngineFolder() + "INF") << "x\n";
  SolverSolve();
  EXPECT_EQ(SolverSolve(), 3);
  EXPECT_TRUE(std::filesystem::exists(EngineFolder() + "INF"));
}

TEST_F(SearchTest, IntegerBoundsAreMadeIntegralAndDefaultToThreeHundredThousand) {
  DenseProgram p(3, 1);
  p.type = {'I', 'I', 'B'};
  p.lower = {2.5, 0, 0.5};
  p.upper = {7.9, 1e21, 1};
  p.c = {1, 0, -1};
  p.a[0] = {1, 1, 0};
  p.b[0] = 1e9;
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  ASSERT_EQ(SolverSolve(), 0);
  EXPECT_EQ(SolverValue(1), 7);
  EXPECT_EQ(SolverValue(3), 0);  // the binary's lower bound 0.5 is not passed
  p.c = {-1, 1, 0};
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  ASSERT_EQ(SolverSolve(), 0);
  EXPECT_EQ(SolverValue(1), 3);
  EXPECT_EQ(SolverValue(2), 300000);
  EXPECT_EQ(SolverObjective(), 300000 - 3);
}

TEST_F(SearchTest, IntegerRangeWithoutAWholeNumberIsInfeasible) {
  DenseProgram p(2, 1);
  p.type = {'C', 'I'};
  p.lower = {0, 2.1};
  p.upper = {5, 2.3};
  p.c = {1, 1};
  p.a[0] = {1, 1};
  p.b[0] = 10;
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  EXPECT_EQ(SolverSolve(), 3);
  p.upper[1] = 3.3;  // 3 now lies inside
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  ASSERT_EQ(SolverSolve(), 0);
  EXPECT_EQ(SolverValue(2), 3);
  EXPECT_EQ(SolverObjective(), 8);
}

TEST_F(SearchTest, IntegerColumnWithoutABoundIsNotSearched) {
  DenseProgram p(2, 1);
  p.type = {'I', 'C'};
  p.upper = {5, 10};
  p.c = {1, 1};
  p.a[0] = {1, 1};
  p.b[0] = 4.5;
  for (const char* side : {"LOWER", "UPPER"}) {
    Build(p);
    LpLinearSolve(engine);
    LpColumn& column = engine.Column(LpLookupColumn(engine, "Var1"));
    if (std::string(side) == "LOWER") {
      column.lower = -1e21;
    } else {
      column.upper = 1e21;
    }
    BranchAndBoundSearch(engine);
    ASSERT_FALSE(port.engine_messages.empty());
    EXPECT_EQ(port.engine_messages.back(),
              std::string("INTEGER VARIABLE Var1 HAS NO ") + side + " BOUND");
    EXPECT_EQ(LpIntegerStatus(engine), "INTEGER-PROBLEM-INFEASIBLE");
    EXPECT_EQ(engine.search.SearchedNodes, 0);
  }
}

TEST_F(SearchTest, CancelledSearchIsUnfinishedAndLeavesNoSwapFile) {
  ScopedWaitingLimit limit(2);  // so that the swap file is in use when the cancel comes
  TraceLines trace;
  const DenseProgram p = HardKnapsack(30, 3);
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  ASSERT_EQ(SolverSolve(), 0);
  const double optimum = SolverObjective();
  const testing::OracleResult glpk = testing::SolveWithGlpk(p, testing::OracleMethod::kInteger);
  ASSERT_EQ(glpk.status, 0);
  EXPECT_NEAR(optimum, glpk.objective, 1e-6 * std::fabs(glpk.objective));
  ASSERT_TRUE(trace.Has("OPEN"));
  const int pumps = port.pumps;
  ASSERT_GT(pumps, 20);

  port.pumps = 0;
  port.cancel_at_pump = pumps / 2;
  port.engine_messages.clear();
  EXPECT_EQ(SolverSolve(), -1);
  // Searches this long restart from the root, which looks for a basis file first; under
  // the solver interface a missing one is a trace line, not a box. The user who stopped
  // the search gets no box either.
  EXPECT_TRUE(port.engine_messages.empty());
  EXPECT_EQ(SolverLastStop(), SolverStop::kCancelled);
  EXPECT_TRUE(trace.Has("BASIS FILE BSS NOT FOUND"));
  EXPECT_EQ(SolverObjective(), optimum);  // the last successful solve stays
  EXPECT_FALSE(std::filesystem::exists(EngineFolder() + "FIL"));
}

TEST_F(SearchTest, IterationLimitMakesTheSearchUnfinished) {
  ScopedParameterOverride limit("MAXITER", "40");
  const DenseProgram p = HardKnapsack(30, 4);
  ASSERT_TRUE(testing::LoadIntoSolver(p));
  EXPECT_EQ(SolverSolve(), -1);
}

TEST_F(SearchTest, HalfWithEqualPseudoCostsPushesDownFirstUpOnTop) {
  // A single binary at 0.5: max x1 subject to 2 x1 <= 1.
  DenseProgram p(1, 1);
  p.type = {'B'};
  p.c = {1};
  p.a[0] = {2};
  p.b[0] = 1;
  Build(p);
  engine.settings.assess_pse = false;
  LpLinearSolve(engine);
  ASSERT_EQ(engine.iter.n_inf, 0);
  const int32_t position = LpLookupColumn(engine, "Var1");
  ASSERT_LE(position, engine.row_count);
  LpColumn& column = engine.Column(position);
  ASSERT_NEAR(engine.xB[position], 0.5, 1e-7);
  engine.xB[position] = 0.5;  // exactly, whatever the perturbation left
  column.pseudo_cost_up = column.pseudo_cost_down = 3;
  NodeStore store;
  std::vector<PathNode> path;
  int32_t fractional = 0;
  ASSERT_EQ(ChooseAndBranch(engine, store, path, fractional), 2);
  EXPECT_EQ(fractional, 1);
  EXPECT_EQ(engine.search.SearchedNodes, 2);
  ASSERT_EQ(path.size(), 2u);
  const BoundChange first = FetchBoundChange(engine, store, path[0].change);
  const BoundChange top = FetchBoundChange(engine, store, path[1].change);
  EXPECT_EQ(first.direction, kDownBranch);
  EXPECT_EQ(first.new_bound, 0);
  EXPECT_EQ(first.old_bound, 1);
  EXPECT_EQ(top.direction, kUpBranch);
  EXPECT_EQ(top.new_bound, 1);
  EXPECT_EQ(top.old_bound, 0);
  EXPECT_EQ(path[1].branch_value, 0.5);

  // With ASSESS-PSE the ratio test estimates serve one choice and are forgotten.
  engine.settings.assess_pse = true;
  column.pseudo_cost_up = column.pseudo_cost_down = kUnknownPseudoCost;
  path.clear();
  ASSERT_EQ(ChooseAndBranch(engine, store, path, fractional), 2);
  EXPECT_EQ(column.pseudo_cost_up, kUnknownPseudoCost);
  EXPECT_EQ(column.pseudo_cost_down, kUnknownPseudoCost);
}

TEST_F(SearchTest, PseudoCostLearningAndPenalty) {
  LpCreate(engine, port);
  LpColumn column;
  column.pseudo_cost_up = column.pseudo_cost_down = kUnknownPseudoCost;
  engine.search.BaseObjective = 10;
  engine.trace.current_line.clear();
  LearnPseudoCost(engine, column, kUpBranch, 2.25, 3, 8.5);  // |(8.5 - 10) / 0.75| = 2
  EXPECT_FLOAT_EQ(column.pseudo_cost_up, 2.0f);
  EXPECT_EQ(engine.search.PseudoCostInits, 1);
  EXPECT_EQ(engine.trace.current_line, " +      2.00");
  engine.trace.current_line.clear();
  LearnPseudoCost(engine, column, kUpBranch, 2.5, 3, 9);  // sample 2
  EXPECT_FLOAT_EQ(column.pseudo_cost_up, static_cast<float>((0.01 * 2 + 2) / 1.01));
  EXPECT_EQ(engine.search.PseudoCostInits, 1);
  EXPECT_EQ(engine.trace.current_line, "        2.00");

  PenalisePseudoCost(column, kDownBranch);  // unknown 1e10 becomes 1.001e12
  EXPECT_FLOAT_EQ(column.pseudo_cost_down, 1.001e12f);
  EXPECT_EQ(PseudoCostText(column.pseudo_cost_down, false), std::string(11, '\xEC'));
  column.pseudo_cost_up = 5;
  PenalisePseudoCost(column, kUpBranch);
  EXPECT_FLOAT_EQ(column.pseudo_cost_up, 1000.0f);
  column.pseudo_cost_up = 1e13f;
  PenalisePseudoCost(column, kUpBranch);
  EXPECT_FLOAT_EQ(column.pseudo_cost_up, 1e14f);

  engine.flags.unfinished = true;  // nothing is learned from an unfinished solve
  column.pseudo_cost_down = 7;
  LearnPseudoCost(engine, column, kDownBranch, 2.5, 2, 0);
  EXPECT_FLOAT_EQ(column.pseudo_cost_down, 7.0f);
}

TEST_F(SearchTest, BasisFileReplacesTheBasis) {
  TraceLines trace;
  DenseProgram p(3, 2);
  p.c = {1, 1, 1};
  p.a[0] = {1, 1, 0};
  p.a[1] = {0, 1, 1};
  p.b = {4, 4};
  p.upper = {3, 1e21, 2};
  Build(p);
  EXPECT_EQ(EngineFileName("MIPSolver", "BSS"), EngineFolder() + "BSS");
  EXPECT_EQ(EngineFileName("prob.lp", "BSS"), EngineFolder() + "prob.BSS");

  // A missing file: a box for a user at the engine, a trace line under the interface.
  engine.flags.non_interactive = false;
  ASSERT_TRUE(LpLoadBasis(engine));
  EXPECT_EQ(port.engine_messages, std::vector<std::string>{"BASIS FILE BSS NOT FOUND"});
  engine.flags.non_interactive = true;
  ASSERT_TRUE(LpLoadBasis(engine));
  EXPECT_EQ(port.engine_messages.size(), 1u);
  EXPECT_TRUE(trace.Has("BASIS FILE BSS NOT FOUND"));

  // Two X records on one line: both columns basic. A U record for a column without a
  // finite upper bound is ignored; one with a finite bound puts it there.
  std::ofstream(EngineFolder() + "BSS")
      << "MIPSolver\r\n X Var1 X Var2\n U Var2\n U Var3\nENDATA\n";
  ASSERT_TRUE(LpLoadBasis(engine));
  const int32_t m = engine.row_count;
  auto position = [&](const char* name) { return LpLookupColumn(engine, name); };
  EXPECT_LE(position("Var1"), m);
  EXPECT_LE(position("Var2"), m);
  EXPECT_GT(position("Var3"), m);
  EXPECT_EQ(engine.Column(position("Var3")).status, kAtUpper);
  EXPECT_EQ(engine.iter.iteration_count, 0);
  LpSimplex(engine, true);
  EXPECT_EQ(engine.iter.n_inf, 0);
  EXPECT_NEAR(engine.iter.objective, 6, 1e-9);

  // Only the name line and ENDATA: the objective row's logical, then what stands next.
  std::ofstream(EngineFolder() + "BSS") << "MIPSolver\nENDATA\n";
  ASSERT_TRUE(LpLoadBasis(engine));
  EXPECT_LE(LpLookupColumn(engine, "OBJ"), m);
  LpSimplex(engine, true);
  EXPECT_NEAR(engine.iter.objective, 6, 1e-9);
  std::filesystem::remove(EngineFolder() + "BSS");
}

}  // namespace
}  // namespace vido
