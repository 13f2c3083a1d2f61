// The first suggestion of the inconsistency analysis must remove as few constraints
// as possible: its size is checked against GLPK's optimum of the same drop program.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "analysis/inconsistency_analysis.h"
#include "analysis/robust_assignments.h"
#include "common/fake_user_port.h"
#include "common/integer_search.h"
#include "differential/random_problem.h"
#include "solver/glpk_oracle.h"
#include "solver/solver_interface.h"
#include "support/number_text.h"

namespace vido {
namespace {

using testing::DenseProgram;
using testing::FakeUserPort;
using testing::OracleMethod;
using testing::SolveWithGlpk;

// The drop program as the analysis states it to the solver interface.
DenseProgram AsDense(const DropProgram& drop) {
  DenseProgram p(drop.Columns(), drop.Rows());
  for (int j = 0; j < drop.Columns(); ++j) {
    p.type[j] = j < drop.p ? 'C' : 'B';
    p.c[j] = j < drop.p ? 0 : -1;
  }
  for (int l = 0; l < drop.Rows(); ++l) {
    p.a[l] = drop.a[l];
    p.b[l] = drop.b[l];
    p.sense[l] = l < drop.m ? '>' : l == drop.m ? '=' : '<';
  }
  return p;
}

TEST(DropProgramDifferential, FirstSuggestionHasMinimumCardinality) {
  if (!testing::IntegerSearchAvailable()) GTEST_SKIP() << "no integer search in this build";
  const bool slow = std::getenv("VIDO_SLOW_TESTS") != nullptr;
  const int count = slow ? 300 : 25;
  FakeUserPort port;
  SolverSetUserPort(&port);
  int checked = 0;
  for (int seed = 1; seed <= count; ++seed) {
    std::mt19937 rng(seed);
    Workspace ws;
    testing::MakeRandomProblem(ws, rng, true);
    CalcRangeItemClick(ws, port);
    if (ws.RangesValid || !ws.ResultsAvailable) continue;
    IAForm form;
    form.SetMaxSuggestions(3);
    port.messages.clear();
    BSuggestClick(ws, port, form);
    ASSERT_TRUE(port.Errors().empty()) << "seed " << seed << ": " << port.Errors()[0];
    const DropProgram drop = ReadDropProgram(ws);
    const auto oracle = SolveWithGlpk(AsDense(drop), OracleMethod::kInteger);
    ASSERT_EQ(oracle.status, 0) << "seed " << seed;
    const double minimum = -oracle.objective;
    EXPECT_EQ(form.StringGrid1.Cell(1, 1), FormatGeneral(std::round(minimum))) << "seed " << seed;
    // Every later suggestion removes at least as many.
    for (int r = 2; r < form.StringGrid1.RowCount(); ++r) {
      EXPECT_GE(*ParseReal(form.StringGrid1.Cell(1, r)), std::round(minimum)) << "seed " << seed;
    }
    ++checked;
  }
  SolverSetUserPort(nullptr);
  EXPECT_GT(checked, count / 3);
}

}  // namespace
}  // namespace vido
