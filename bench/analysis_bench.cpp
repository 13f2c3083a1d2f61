// The whole "&Robust Assignments" on generated problems at the program's limits (1000
// actions, 12 criteria, 20 categories, 200 actions with examples) and mid-size (200
// actions, 6 criteria, 5 categories), four ways in one run:
//   VidoWarm   the command as it runs, each robust solve from the basis of the one before;
//   VidoCold   the command with every solve built afresh from the slack basis (--cold);
//   GlpkFresh  the run's robust solves by GLPK, the program built for every solve;
//   GlpkWarm   the same by GLPK with one problem object whose objective alone changes.
// The VIDO columns time the whole command (tables, inference, ranges), the GLPK ones
// the robust solves alone. Counters: solves and simplex pivots.
#include <benchmark/benchmark.h>
#include <glpk.h>

#include <map>
#include <vector>

#include "analysis/robust_assignments.h"
#include "common/generated_problem.h"
#include "lp/solver_interface.h"
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

// The robust program, read from the run's tables: the constraint rows with "Norm", the
// example rows, the bounds.
struct RobustRows {
  std::vector<std::vector<double>> rows;
  std::vector<char> senses;
  std::vector<double> rhs;
  std::vector<double> lower;
  std::vector<double> upper;
};

RobustRows ReadRobustRows(const Workspace& ws) {
  const int n = ws.CriteriaCount;
  RobustRows r;
  auto read = [&](const Table& t, int row) {
    std::vector<double> a(n + 1);
    for (int c = 0; c <= n; ++c) a[c] = t.Cell(1 + c, row).empty() ? 0 : t.Real(1 + c, row);
    r.rows.push_back(a);
    r.senses.push_back(t.Cell(n + 2, row)[0]);
    r.rhs.push_back(t.Real(n + 3, row));
  };
  for (int row = 1; row <= ws.ConstraintsCount; ++row) read(ws.CGrid, row);
  for (int e = 1; e <= ws.ExampleRowsCount; ++e) read(ws.ICGrid, e);
  for (int c = 0; c <= n; ++c) {
    r.lower.push_back(ws.BGrid.Real(1 + c, 1));
    r.upper.push_back(ws.BGrid.Real(1 + c, 2));
  }
  return r;
}

glp_prob* GlpkProgram(const RobustRows& r) {
  const int columns = static_cast<int>(r.lower.size());
  glp_prob* p = glp_create_prob();
  glp_set_obj_dir(p, GLP_MAX);
  glp_add_rows(p, static_cast<int>(r.rows.size()));
  glp_add_cols(p, columns);
  std::vector<int> ia(1), ja(1);
  std::vector<double> ar(1);
  for (size_t i = 0; i < r.rows.size(); ++i) {
    const int kind = r.senses[i] == '<' ? GLP_UP : r.senses[i] == '>' ? GLP_LO : GLP_FX;
    glp_set_row_bnds(p, static_cast<int>(i) + 1, kind, r.rhs[i], r.rhs[i]);
    for (int c = 0; c < columns; ++c) {
      if (r.rows[i][c] == 0) continue;
      ia.push_back(static_cast<int>(i) + 1);
      ja.push_back(c + 1);
      ar.push_back(r.rows[i][c]);
    }
  }
  for (int c = 0; c < columns; ++c) {
    const double lo = r.lower[c];
    const double up = r.upper[c];
    glp_set_col_bnds(p, c + 1, lo == up ? GLP_FX : GLP_DB, lo, up);
  }
  glp_load_matrix(p, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
  return p;
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

struct Size {
  int n, k, m, examples;
};
constexpr Size kLimits{12, 20, 1000, 200};
constexpr Size kMid{6, 5, 200, 40};

// The generated problem and a run of it (for the GLPK columns' sequence of solves).
const Workspace& SolvedProblem(const Size& size) {
  static std::map<int, Workspace> solved;
  auto found = solved.find(size.m);
  if (found != solved.end()) return found->second;
  Workspace ws = testing::GeneratedProblem(size.n, size.k, size.m, size.examples);
  CountingPort port;
  CalcRangeItemClick(ws, port);
  return solved.emplace(size.m, std::move(ws)).first->second;
}

void RunVido(benchmark::State& state, const Size& size, bool cold) {
  const Workspace problem = testing::GeneratedProblem(size.n, size.k, size.m, size.examples);
  CountingPort port;
  Workspace ws;
  SolverSetColdStart(cold);
  SolverResetCounters();
  for (auto _ : state) {
    ws = problem;
    CalcRangeItemClick(ws, port);
  }
  const SolveCounters counters = SolverCounters();
  SolverSetColdStart(false);
  if (!ws.RangesValid || port.messages > 0) {
    state.SkipWithError("the generated problem is not consistent");
    return;
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["solves"] = static_cast<double>(counters.solves) / runs;
  state.counters["warm"] = static_cast<double>(counters.warm) / runs;
  state.counters["pivots"] = static_cast<double>(counters.pivots) / runs;
  state.counters["progress_updates"] = port.progress_updates / runs;
  state.counters["mean_range"] = GeometricMeanOfRanges(ws);
}

void RunGlpk(benchmark::State& state, const Size& size, bool warm) {
  const Workspace& ws = SolvedProblem(size);
  const RobustRows rows = ReadRobustRows(ws);
  const std::vector<Lp> sequence = RobustSequence(ws);
  glp_term_out(GLP_OFF);
  glp_smcp parm;
  glp_init_smcp(&parm);
  int64_t pivots = 0;
  int optimal = 0;
  for (auto _ : state) {
    glp_prob* kept = warm ? GlpkProgram(rows) : nullptr;
    for (const Lp& lp : sequence) {
      glp_prob* p = warm ? kept : GlpkProgram(rows);
      for (size_t c = 0; c < lp.c.size(); ++c)
        glp_set_obj_coef(p, static_cast<int>(c) + 1, lp.c[c]);
      const int before = glp_get_it_cnt(p);
      glp_simplex(p, &parm);
      pivots += glp_get_it_cnt(p) - before;
      optimal += glp_get_status(p) == GLP_OPT;
      if (!warm) glp_delete_prob(p);
    }
    if (warm) glp_delete_prob(kept);
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["solves"] = static_cast<double>(sequence.size());
  state.counters["pivots"] = static_cast<double>(pivots) / runs;
  state.counters["optimal"] = optimal / runs;
}

void BM_RobustAssignmentsMid_VidoWarm(benchmark::State& s) { RunVido(s, kMid, false); }
void BM_RobustAssignmentsMid_VidoCold(benchmark::State& s) { RunVido(s, kMid, true); }
void BM_RobustAssignmentsMid_GlpkFresh(benchmark::State& s) { RunGlpk(s, kMid, false); }
void BM_RobustAssignmentsMid_GlpkWarm(benchmark::State& s) { RunGlpk(s, kMid, true); }
void BM_RobustAssignmentsLimits_VidoWarm(benchmark::State& s) { RunVido(s, kLimits, false); }
void BM_RobustAssignmentsLimits_VidoCold(benchmark::State& s) { RunVido(s, kLimits, true); }
void BM_RobustAssignmentsLimits_GlpkFresh(benchmark::State& s) { RunGlpk(s, kLimits, false); }
void BM_RobustAssignmentsLimits_GlpkWarm(benchmark::State& s) { RunGlpk(s, kLimits, true); }

BENCHMARK(BM_RobustAssignmentsMid_VidoWarm)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_RobustAssignmentsMid_VidoCold)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RobustAssignmentsMid_GlpkFresh)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RobustAssignmentsMid_GlpkWarm)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_RobustAssignmentsLimits_VidoWarm)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_RobustAssignmentsLimits_VidoCold)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_RobustAssignmentsLimits_GlpkFresh)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_RobustAssignmentsLimits_GlpkWarm)->Unit(benchmark::kSecond)->Iterations(3);

}  // namespace
}  // namespace vido
