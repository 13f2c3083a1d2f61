// The first suggestion of the inconsistency analysis must remove as few constraints
// as possible: its size is checked against GLPK's optimum of the same drop program.

#include <glpk.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <random>

#include "analysis/inconsistency_analysis.h"
#include "analysis/robust_assignments.h"
#include "common/fake_user_port.h"
#include "common/integer_search.h"
#include "differential/random_problem.h"
#include "lp/solver_interface.h"
#include "solver/glpk_oracle.h"
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

// The smallest number of rows to drop. With its default tolerances GLPK's branch and
// cut lets 999 times a nearly-zero drop variable pay the 0.00001 margin of a kept row;
// so it runs with tight tolerances, every set it proposes is checked by an exact
// rational LP with the drop variables fixed, and a set that fails is cut off before
// asking again. The first set that passes has the minimum size.
// GLPK's branch and cut with tolerances far tighter than its defaults; the values of
// the columns, or nothing when it finds no integer solution.
std::optional<std::vector<double>> TightGlpkMip(const DenseProgram& p) {
  glp_term_out(GLP_OFF);
  glp_prob* lp = glp_create_prob();
  glp_set_obj_dir(lp, GLP_MAX);
  glp_add_rows(lp, p.m);
  glp_add_cols(lp, p.n);
  std::vector<int> ia(1), ja(1);
  std::vector<double> ar(1);
  for (int i = 0; i < p.m; ++i) {
    const int kind = p.sense[i] == '<' ? GLP_UP : p.sense[i] == '>' ? GLP_LO : GLP_FX;
    glp_set_row_bnds(lp, i + 1, kind, p.b[i], p.b[i]);
    for (int j = 0; j < p.n; ++j) {
      if (p.a[i][j] == 0) continue;
      ia.push_back(i + 1);
      ja.push_back(j + 1);
      ar.push_back(p.a[i][j]);
    }
  }
  for (int j = 0; j < p.n; ++j) {
    glp_set_obj_coef(lp, j + 1, p.c[j]);
    if (p.type[j] == 'B') {
      glp_set_col_kind(lp, j + 1, GLP_BV);
    } else {
      glp_set_col_bnds(lp, j + 1, GLP_LO, 0, 0);
    }
  }
  glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
  glp_smcp smcp;
  glp_init_smcp(&smcp);
  smcp.tol_bnd = 1e-12;
  smcp.tol_dj = 1e-12;
  glp_iocp iocp;
  glp_init_iocp(&iocp);
  iocp.tol_int = 1e-12;
  iocp.tol_obj = 1e-12;
  std::optional<std::vector<double>> x;
  if (glp_simplex(lp, &smcp) == 0 && glp_get_status(lp) == GLP_OPT && glp_intopt(lp, &iocp) == 0 &&
      glp_mip_status(lp) == GLP_OPT) {
    x.emplace();
    for (int j = 0; j < p.n; ++j) x->push_back(glp_mip_col_val(lp, j + 1));
  }
  glp_delete_prob(lp);
  return x;
}

int ExactMinimum(const DropProgram& drop) {
  DenseProgram program = AsDense(drop);
  for (int round = 0; round < 100; ++round) {
    auto x = TightGlpkMip(program);
    if (!x) {
      // The tight tolerances can stall GLPK; its own defaults then, still checked.
      const auto mip = SolveWithGlpk(program, OracleMethod::kInteger);
      if (mip.status != 0) return -1;
      x = mip.x;
    }
    std::vector<int> set;
    DenseProgram fixed = program;
    for (int i = 1; i <= drop.m; ++i) {
      const double y = std::round((*x)[drop.p + i - 1]);
      if (y == 1) set.push_back(i);
      fixed.type[drop.p + i - 1] = 'C';
      fixed.lower[drop.p + i - 1] = fixed.upper[drop.p + i - 1] = y;
    }
    if (SolveWithGlpk(fixed, OracleMethod::kExact).status == 0) {
      return static_cast<int>(set.size());
    }
    // Excludes exactly this set (supersets stay possible): sum of y over the set
    // minus the sum over the others at most |set| - 1.
    std::vector<double> cut(program.n, 0.0);
    for (int i = 1; i <= drop.m; ++i) cut[drop.p + i - 1] = -1;
    for (const int i : set) cut[drop.p + i - 1] = 1;
    program.a.push_back(cut);
    program.b.push_back(static_cast<double>(set.size()) - 1);
    program.sense.push_back('<');
    ++program.m;
  }
  return -1;
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
    const int minimum = ExactMinimum(ReadDropProgram(ws));
    ASSERT_GE(minimum, 0) << "seed " << seed;
    EXPECT_EQ(form.StringGrid1.Cell(1, 1), std::to_string(minimum)) << "seed " << seed;
    // The later suggestions cannot drop fewer rows than the minimum either.
    for (int row = 2; row < form.StringGrid1.RowCount(); ++row) {
      const std::string count = form.StringGrid1.Cell(1, row);
      EXPECT_GE(std::stoi(count), count == "0" ? 0 : minimum) << "seed " << seed << " row " << row;
    }
    ++checked;
  }
  SolverSetUserPort(nullptr);
  EXPECT_GT(checked, count / 3);
}

}  // namespace
}  // namespace vido
