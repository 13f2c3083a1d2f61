// The whole "&Robust Assignments" on generated problems: at the program's limits
// (1000 actions, 12 criteria, 20 categories, 200 actions with examples) and mid-size
// (200 actions, 6 criteria, 5 categories). Besides the time per run it reports the
// number of LP solves and the time GLPK takes for the same sequence of programs,
// each built from scratch as the solver interface does.
#include <benchmark/benchmark.h>
#include <glpk.h>

#include <chrono>
#include <random>

#include "analysis/robust_assignments.h"
#include "common/generated_problem.h"
#include "model/new_problem.h"
#include "sorting/credibility.h"
#include "support/number_text.h"
#include "support/user_port.h"

namespace vido {
namespace {

class CountingPort : public SilentUserPort {
 public:
  int progress_updates = 0;
  int messages = 0;
  void ShowMessage(MessageKind, const std::string&) override { ++messages; }
  void SetProgress(int) override { ++progress_updates; }
};

// One LP of the run's sequence, stated as for the solver interface: maximise c x.
struct Lp {
  std::vector<double> c;
};

// The robust program in GLPK form, rebuilt for every solve; returns the seconds.
double SolveSequenceWithGlpk(const Workspace& ws, const std::vector<Lp>& sequence) {
  const int n = ws.CriteriaCount;
  std::vector<std::vector<double>> rows;
  std::vector<char> senses;
  std::vector<double> rhs;
  auto read = [&](const Table& t, int r) {
    std::vector<double> row(n + 1);
    for (int c = 0; c <= n; ++c) row[c] = t.Cell(1 + c, r).empty() ? 0 : t.Real(1 + c, r);
    rows.push_back(row);
    senses.push_back(t.Cell(n + 2, r)[0]);
    rhs.push_back(t.Real(n + 3, r));
  };
  for (int r = 1; r <= ws.ConstraintsCount; ++r) read(ws.CGrid, r);
  for (int e = 1; e <= ws.ExampleRowsCount; ++e) read(ws.ICGrid, e);
  glp_term_out(GLP_OFF);
  const auto start = std::chrono::steady_clock::now();
  for (const Lp& lp : sequence) {
    glp_prob* p = glp_create_prob();
    glp_set_obj_dir(p, GLP_MAX);
    glp_add_rows(p, static_cast<int>(rows.size()));
    glp_add_cols(p, n + 1);
    std::vector<int> ia(1), ja(1);
    std::vector<double> ar(1);
    for (size_t i = 0; i < rows.size(); ++i) {
      const int kind = senses[i] == '<' ? GLP_UP : senses[i] == '>' ? GLP_LO : GLP_FX;
      glp_set_row_bnds(p, static_cast<int>(i) + 1, kind, rhs[i], rhs[i]);
      for (int c = 0; c <= n; ++c) {
        if (rows[i][c] == 0) continue;
        ia.push_back(static_cast<int>(i) + 1);
        ja.push_back(c + 1);
        ar.push_back(rows[i][c]);
      }
    }
    for (int c = 0; c <= n; ++c) {
      const double lo = ws.BGrid.Real(1 + c, 1);
      const double up = ws.BGrid.Real(1 + c, 2);
      glp_set_col_bnds(p, c + 1, lo == up ? GLP_FX : GLP_DB, lo, up);
      glp_set_obj_coef(p, c + 1, lp.c[c]);
    }
    glp_load_matrix(p, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
    glp_smcp parm;
    glp_init_smcp(&parm);
    glp_simplex(p, &parm);
    glp_delete_prob(p);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The robust solves the run made, rebuilt from its ranges: outward from the inferred
// category, one solve per boundary crossed and one for the boundary that stopped it.
std::vector<Lp> RobustSequence(const Workspace& ws) {
  std::vector<Lp> sequence;
  const int k = ws.CategoriesCount;
  auto add = [&](int i, int h, double sign) {
    Lp lp;
    lp.c.push_back(-sign);
    for (double x : CredibilityCoefficients(ws, i, h)) lp.c.push_back(sign * x);
    sequence.push_back(std::move(lp));
  };
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    const int inferred = ws.InferredCategory[i];
    for (int c = inferred + 1; c <= std::min(ws.BestCategory[i] + 1, k); ++c) add(i, c - 1, 1);
    for (int c = inferred; c >= std::max(ws.WorstCategory[i], 2); --c) add(i, c - 1, -1);
  }
  return sequence;
}

void RunRobustAssignments(benchmark::State& state, int n, int k, int m, int examples) {
  const Workspace problem = testing::GeneratedProblem(n, k, m, examples);
  CountingPort port;
  Workspace ws;
  for (auto _ : state) {
    ws = problem;
    CalcRangeItemClick(ws, port);
  }
  if (!ws.RangesValid || port.messages > 0) {
    state.SkipWithError("the generated problem is not consistent");
    return;
  }
  const std::vector<Lp> sequence = RobustSequence(ws);
  const double glpk_seconds = SolveSequenceWithGlpk(ws, sequence);
  // The inference solve is one more LP of the run.
  state.counters["lp_solves"] = static_cast<double>(sequence.size() + 1);
  state.counters["glpk_robust_s"] = glpk_seconds;
  state.counters["progress_updates"] = port.progress_updates;
  state.counters["mean_range"] = GeometricMeanOfRanges(ws);
  state.counters["example_rows"] = ws.ExampleRowsCount;
}

void BM_RobustAssignmentsLimits(benchmark::State& state) {
  RunRobustAssignments(state, 12, 20, 1000, 200);
}
void BM_RobustAssignmentsMid(benchmark::State& state) {
  RunRobustAssignments(state, 6, 5, 200, 40);
}

BENCHMARK(BM_RobustAssignmentsMid)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_RobustAssignmentsLimits)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace vido
