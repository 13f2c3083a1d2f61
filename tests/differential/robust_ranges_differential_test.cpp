// The robust ranges of whole results runs, checked against ranges computed
// independently with GLPK from the same model: for every action and category
// boundary, whether some parameter vector satisfying every row lets the action cross.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "analysis/robust_assignments.h"
#include "common/fake_user_port.h"
#include "common/small_problem.h"
#include "solver/glpk_oracle.h"
#include "solver/solver_interface.h"
#include "sorting/credibility.h"
#include "support/number_text.h"

namespace vido {
namespace {

using testing::DenseProgram;
using testing::FakeUserPort;
using testing::OracleResult;
using testing::SolveWithGlpk;

constexpr double kMargin = 0.00001;

double Uniform(std::mt19937& rng, double lo, double hi) {
  return std::uniform_real_distribution<double>(lo, hi)(rng);
}
int Between(std::mt19937& rng, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rng);
}
std::string Num(double v) { return FormatGeneral(v, 4); }
// What the derived tables hold: the 15-digit text of a coefficient, read back.
double Stored(double v) { return *ParseReal(FormatGeneral(v)); }

// A random problem: profiles in order, thresholds with and without veto, examples
// near the categories a hidden parameter vector gives, constraints of each sign that
// the hidden vector satisfies, and bounds.
void MakeRandomProblem(Workspace& ws, std::mt19937& rng) {
  const int n = Between(rng, 2, 5);
  const int k = Between(rng, 2, 6);
  const int m = Between(rng, 4, 14);
  testing::MakeSmallProblem(ws, n, k, m);
  ws.SetUsevj(Between(rng, 0, 2) > 0);
  for (int j = 1; j <= n; ++j) {
    const bool maximised = Between(rng, 0, 3) > 0;
    testing::SetDirection(ws, j, maximised ? "1" : "-1");
    for (int h = 1; h < k; ++h) {
      const double g = maximised ? 10.0 * h : 100 - 10.0 * h;
      const double q = Between(rng, 0, 2) == 0 ? 0 : Uniform(rng, 0, 2);
      const double p = q + (Between(rng, 0, 2) == 0 ? 0 : Uniform(rng, 0, 4));
      const double v = Between(rng, 0, 1) == 0 ? 0 : p + Uniform(rng, 1, 15);
      testing::SetProfile(ws, h, j, *ParseReal(Num(g + Uniform(rng, -2, 2))), *ParseReal(Num(q)),
                          *ParseReal(Num(p)), 0, *ParseReal(Num(v)));
    }
  }
  // The hidden vector.
  std::vector<double> w(n);
  double sum = 0;
  for (double& x : w) sum += (x = Uniform(rng, 0.1, 1));
  for (double& x : w) x /= sum;
  const double lambda = Uniform(rng, 0.55, 0.85);

  for (int i = 1; i <= m; ++i) {
    std::vector<double> perf(n);
    for (int j = 1; j <= n; ++j) {
      const bool maximised = ws.FGrid.Cell(j, 5 * (k - 1) + 1) == "1";
      const double x = Uniform(rng, 0, 10.0 * k);
      perf[j - 1] = *ParseReal(Num(maximised ? x : 100 - x));
    }
    testing::SetPerformances(ws, i, perf);
  }
  for (int i = 1; i <= m; ++i) {
    if (Between(rng, 0, 2) != 0) continue;
    int c = 1;
    while (c < k && Credibility(CredibilityCoefficients(ws, i, c), w) >= lambda + 0.001) ++c;
    const int low = std::max(1, c - Between(rng, 0, 1));
    const int high = std::min(k, c + Between(rng, 0, 1));
    if (low == 1 && high == k) continue;
    testing::SetExample(ws, i, low, high);
  }
  const int constraints = Between(rng, 0, 3);
  for (int t = 0; t < constraints; ++t) {
    std::vector<double> coef(n + 1);
    for (double& x : coef) x = Between(rng, -1, 2);
    double value = coef[0] * lambda;
    for (int j = 1; j <= n; ++j) value += coef[j] * w[j - 1];
    if (value < 0) {
      for (double& x : coef) x = -x;
      value = -value;
    }
    const int sign = Between(rng, 0, 5);
    std::vector<std::string> texts;
    for (double x : coef) texts.push_back(Num(x));
    if (sign == 0) {
      testing::AddConstraint(ws, texts, "=", FormatGeneral(value));
    } else if (sign <= 2) {
      testing::AddConstraint(ws, texts, "<=", Num(value + Uniform(rng, 0.01, 0.2)));
    } else {
      testing::AddConstraint(ws, texts, ">=", Num(std::max(0.0, value - Uniform(rng, 0.01, 0.2))));
    }
  }
  ws.BGrid.SetCell(1, 1, Num(Uniform(rng, 0.5, 0.55)));
  ws.BGrid.SetCell(1, 2, Num(Uniform(rng, 0.9, 1)));
  for (int j = 1; j <= n; ++j) {
    ws.BGrid.SetCell(1 + j, 1, Between(rng, 0, 2) == 0 ? Num(Uniform(rng, 0, 0.05)) : "0");
    ws.BGrid.SetCell(1 + j, 2, Between(rng, 0, 2) == 0 ? Num(Uniform(rng, 0.6, 1)) : "1");
  }
}

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
