// The robust ranges of whole results runs, checked against ranges computed
// independently with GLPK from the same model: for every action and category
// boundary, whether some parameter vector satisfying every row lets the action cross.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "analysis/robust_assignments.h"
#include "common/fake_user_port.h"
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

int RunSeeds(int count, int first_seed) {
  FakeUserPort port;
  SolverSetUserPort(&port);
  int checked = 0;
  for (int seed = first_seed; seed < first_seed + count; ++seed) {
    std::mt19937 rng(seed);
    Workspace ws;
    MakeRandomProblem(ws, rng);
    CalcRangeItemClick(ws, port);
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

}  // namespace
}  // namespace vido
