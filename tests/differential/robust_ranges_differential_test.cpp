// The robust ranges of whole results runs, checked against ranges computed
// independently with GLPK from the same model: for every action and category
// boundary, whether some parameter vector satisfying every row lets the action cross.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "analysis/robust_assignments.h"
#include "common/fake_user_port.h"
#include "common/generated_problem.h"
#include "differential/random_problem.h"
#include "lp/solver_interface.h"
#include "solver/glpk_oracle.h"
#include "sorting/credibility.h"
#include "support/number_text.h"

namespace vido {
namespace {

using testing::DenseProgram;
using testing::FakeUserPort;
using testing::MakeRandomProblem;
using testing::OracleResult;
using testing::SolveWithGlpk;

constexpr double kMargin = 0.00001;

// What the derived tables hold: the 15-digit text of a coefficient, read back.
double Stored(double v) { return *ParseReal(FormatGeneral(v)); }

// The feasible region in (lambda, k_1..k_n), built from the input tables, not from
// the program tables of the run.
DenseProgram Region(const Workspace& ws) {
  const int n = ws.CriteriaCount;
  const int k = ws.CategoriesCount;
  DenseProgram p(n + 1, 0);
  auto add_row = [&](std::vector<double> row, char sense, double rhs) {
    p.a.push_back(std::move(row));
    p.sense.push_back(sense);
    p.b.push_back(rhs);
    ++p.m;
  };
  for (int r = 1; r < ws.CGrid.RowCount(); ++r) {
    std::vector<double> row(n + 1);
    for (int c = 0; c <= n; ++c) {
      row[c] = ws.CGrid.Cell(1 + c, r).empty() ? 0 : *ParseReal(ws.CGrid.Cell(1 + c, r));
    }
    add_row(row, ws.CGrid.Cell(n + 2, r)[0], *ParseReal(ws.CGrid.Cell(n + 3, r)));
  }
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    const int low = *ParseInteger(ws.AGrid.Cell(1, i));
    const int high = *ParseInteger(ws.AGrid.Cell(2, i));
    if (low > 1) {  // sigma(b_{low-1}) - lambda >= 0
      std::vector<double> row = {-1};
      for (double x : CredibilityCoefficients(ws, i, low - 1)) row.push_back(Stored(x));
      add_row(row, '>', 0);
    }
    if (high > 0 && high < k) {  // lambda - sigma(b_high) >= 0.0001
      std::vector<double> row = {1};
      for (double x : CredibilityCoefficients(ws, i, high)) row.push_back(Stored(-x));
      add_row(row, '>', 0.0001);
    }
  }
  for (int c = 0; c <= n; ++c) {
    p.lower[c] = *ParseReal(ws.BGrid.Cell(1 + c, 1));
    p.upper[c] = *ParseReal(ws.BGrid.Cell(1 + c, 2));
  }
  return p;
}

// Whether action i can be lifted over b_h (up) or kept under it (down).
bool CanCross(DenseProgram region, const Workspace& ws, int i, int h, bool up) {
  const std::vector<double> coef = CredibilityCoefficients(ws, i, h);
  const double sign = up ? 1 : -1;
  region.c[0] = -sign;
  for (size_t j = 0; j < coef.size(); ++j) region.c[j + 1] = sign * coef[j];
  const OracleResult r = SolveWithGlpk(region);
  EXPECT_EQ(r.status, 0) << region.Describe();
  return up ? r.objective > kMargin : -r.objective < -kMargin;
}

std::string GridText(const Table& t) {
  std::string text;
  for (int r = 0; r < t.RowCount(); ++r) {
    for (int c = 0; c < t.ColCount(); ++c)
      text += t.Cell(c, r) + (c + 1 < t.ColCount() ? "\t" : "\n");
  }
  return text;
}

int RunSeeds(int count, int first_seed) {
  FakeUserPort port;
  SolverSetUserPort(&port);
  int checked = 0;
  for (int seed = first_seed; seed < first_seed + count; ++seed) {
    std::mt19937 rng(seed);
    Workspace ws;
    MakeRandomProblem(ws, rng);
    // The description's path, every solve from the slack basis, first; then the run
    // whose robust solves start from the basis of the one before.
    Workspace cold = ws;
    SolverSetColdStart(true);
    CalcRangeItemClick(cold, port);
    SolverSetColdStart(false);
    CalcRangeItemClick(ws, port);
    EXPECT_EQ(ws.RangesValid, cold.RangesValid) << "seed " << seed;
    EXPECT_EQ(ws.InferredCategory, cold.InferredCategory) << "seed " << seed;
    EXPECT_EQ(ws.WorstCategory, cold.WorstCategory) << "seed " << seed;
    EXPECT_EQ(ws.BestCategory, cold.BestCategory) << "seed " << seed;
    EXPECT_EQ(GridText(ws.ORGrid), GridText(cold.ORGrid)) << "seed " << seed;
    if (!ws.RangesValid) continue;  // inconsistent: no ranges to compare
    const DenseProgram region = Region(ws);
    if (SolveWithGlpk(region).status != 0) {
      ADD_FAILURE() << "seed " << seed << ": ranges computed for an infeasible region";
      continue;
    }
    ++checked;
    for (int i = 1; i <= ws.ActionsCount; ++i) {
      const int start = ws.InferredCategory[i];
      int best = start;
      while (best < ws.CategoriesCount && CanCross(region, ws, i, best, true)) ++best;
      int worst = start;
      while (worst > 1 && CanCross(region, ws, i, worst - 1, false)) --worst;
      EXPECT_EQ(ws.BestCategory[i], best) << "seed " << seed << " action " << i;
      EXPECT_EQ(ws.WorstCategory[i], worst) << "seed " << seed << " action " << i;
    }
  }
  SolverSetUserPort(nullptr);
  return checked;
}

TEST(RobustRangesDifferential, RandomProblemsAgreeWithGlpk) {
  const bool slow = std::getenv("VIDO_SLOW_TESTS") != nullptr;
  const int count = slow ? 2000 : 40;
  const int checked = RunSeeds(count, 1);
  // Most generated problems are consistent; the comparison must not be vacuous.
  EXPECT_GT(checked, count / 2);
}

// Generated problems mid-size (200 actions, 6 criteria, 5 categories) and, in the long
// run, at the program's limits (1000 actions, 12 criteria, 20 categories): thousands of
// robust solves, nearly all from the basis of the one before, give the cold run's ranges.
TEST(RobustRangesDifferential, WarmRangesAreTheColdOnesAtSize) {
  const bool slow = std::getenv("VIDO_SLOW_TESTS") != nullptr;
  FakeUserPort port;
  SolverSetUserPort(&port);
  struct Size {
    int n, k, m, examples;
  };
  std::vector<Size> sizes = {{6, 5, 200, 40}, {4, 8, 300, 120}};
  if (slow) sizes.push_back({12, 20, 1000, 200});
  for (const Size& size : sizes) {
    const std::string label = std::to_string(size.m) + " actions";
    const Workspace problem = testing::GeneratedProblem(size.n, size.k, size.m, size.examples);
    Workspace cold = problem;
    SolverSetColdStart(true);
    CalcRangeItemClick(cold, port);
    SolverSetColdStart(false);
    SolverResetCounters();
    Workspace warm = problem;
    CalcRangeItemClick(warm, port);
    ASSERT_TRUE(cold.RangesValid) << label;
    ASSERT_TRUE(warm.RangesValid) << label;
    EXPECT_GT(SolverCounters().warm, SolverCounters().solves / 2) << label;
    EXPECT_EQ(warm.InferredCategory, cold.InferredCategory) << label;
    EXPECT_EQ(warm.WorstCategory, cold.WorstCategory) << label;
    EXPECT_EQ(warm.BestCategory, cold.BestCategory) << label;
    EXPECT_EQ(GridText(warm.ORGrid), GridText(cold.ORGrid)) << label;
  }
  EXPECT_TRUE(port.messages.empty());
  SolverSetUserPort(nullptr);
}

}  // namespace
}  // namespace vido
