// The robust analysis's solves: 13 columns (lambda and 12 weights), 2000 example rows
// and "Norm", a sequence of 1000 solves that differ only in the objective: through the
// solver interface from the previous basis and cold, and by GLPK rebuilt per solve and
// with one problem object.
#include <benchmark/benchmark.h>
#include <glpk.h>

#include <cmath>
#include <random>
#include <vector>

#include "lp/solver_interface.h"

namespace vido {
namespace {

constexpr int kColumns = 13;
constexpr int kRows = 2001;
constexpr int kSolves = 1000;

// Rows of the inference programs: credibilities (coefficients in [0, 1], many exactly 0
// or 1) against lambda, each held by a reference parameter vector, and "Norm" first.
struct RobustProgram {
  std::vector<std::vector<double>> a;
  std::vector<double> b;
  std::vector<char> sense;
  std::vector<std::vector<double>> objectives;
};

const RobustProgram& Program() {
  static const RobustProgram program = [] {
    RobustProgram p;
    std::mt19937_64 rng(2024);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> k(kColumns, 0.0);
    double sum = 0;
    for (int j = 1; j < kColumns; ++j) sum += (k[j] = u(rng));
    for (int j = 1; j < kColumns; ++j) k[j] /= sum;
    k[0] = 0.6;  // lambda
    p.a.push_back(std::vector<double>(kColumns, 1.0));
    p.a[0][0] = 0;
    p.b.push_back(1);
    p.sense.push_back('=');
    for (int i = 1; i < kRows; ++i) {
      std::vector<double> row(kColumns, 0.0);
      double credibility = 0;
      for (int j = 1; j < kColumns; ++j) {
        const double pick = u(rng);
        row[j] = pick < 0.3 ? 0 : pick < 0.6 ? 1 : std::round(u(rng) * 1e4) / 1e4;
        credibility += row[j] * k[j];
      }
      // Above lambda: credibility - lambda >= 0; below: lambda - credibility >= margin.
      if (credibility >= k[0]) {
        row[0] = -1;
        p.sense.push_back('>');
        p.b.push_back(0);
      } else {
        for (int j = 1; j < kColumns; ++j) row[j] = -row[j];
        row[0] = 1;
        p.sense.push_back('>');
        p.b.push_back(std::min(0.0001, k[0] - credibility));
      }
      p.a.push_back(row);
    }
    for (int s = 0; s < kSolves; ++s) {
      std::vector<double> c(kColumns);
      for (double& v : c) v = 2 * u(rng) - 1;
      p.objectives.push_back(c);
    }
    return p;
  }();
  return program;
}

void LoadConstraints() {
  const RobustProgram& p = Program();
  SolverInit(kColumns, kRows);
  for (int i = 0; i < kRows; ++i) {
    for (int j = 0; j < kColumns; ++j) {
      if (p.a[i][j] != 0) SolverSetCoefficient(i + 1, j + 1, p.a[i][j]);
    }
    SolverSetRhs(i + 1, p.b[i]);
    SolverSetRowSense(i + 1, p.sense[i]);
  }
  SolverSetLowerBound(1, 0.5);
  for (int j = 1; j <= kColumns; ++j) SolverSetUpperBound(j, 1);
}

void RunVidoSequence(benchmark::State& state, bool cold) {
  const RobustProgram& p = Program();
  LoadConstraints();
  SolverSetColdStart(cold);
  SolverResetCounters();
  int s = 0;
  int optimal = 0;
  for (auto _ : state) {
    const std::vector<double>& c = p.objectives[s++ % kSolves];
    for (int j = 0; j < kColumns; ++j) SolverSetObjective(j + 1, c[j]);
    optimal += SolverSolve() == 0;
    benchmark::DoNotOptimize(SolverObjective());
  }
  SolverSetColdStart(false);
  state.SetItemsProcessed(state.iterations());
  state.counters["optimal"] = optimal;
  state.counters["pivots"] =
      static_cast<double>(SolverCounters().pivots) / static_cast<double>(state.iterations());
  SolverFree();
}

// From the basis of the solve before (the session's way).
void BM_VidoRobustSequence(benchmark::State& state) { RunVidoSequence(state, false); }
BENCHMARK(BM_VidoRobustSequence)->Iterations(kSolves)->Unit(benchmark::kMillisecond);

// Every solve built afresh from the slack basis.
void BM_VidoRobustSequenceCold(benchmark::State& state) { RunVidoSequence(state, true); }
BENCHMARK(BM_VidoRobustSequenceCold)->Iterations(kSolves)->Unit(benchmark::kMillisecond);

// The robust program in GLPK form, without its objective.
glp_prob* GlpkProgram(const RobustProgram& p) {
  glp_prob* lp = glp_create_prob();
  glp_set_obj_dir(lp, GLP_MAX);
  glp_add_rows(lp, kRows);
  glp_add_cols(lp, kColumns);
  std::vector<int> ia(1), ja(1);
  std::vector<double> ar(1);
  for (int i = 0; i < kRows; ++i) {
    const int kind = p.sense[i] == '<' ? GLP_UP : p.sense[i] == '>' ? GLP_LO : GLP_FX;
    glp_set_row_bnds(lp, i + 1, kind, p.b[i], p.b[i]);
    for (int j = 0; j < kColumns; ++j) {
      if (p.a[i][j] == 0) continue;
      ia.push_back(i + 1);
      ja.push_back(j + 1);
      ar.push_back(p.a[i][j]);
    }
  }
  for (int j = 0; j < kColumns; ++j) glp_set_col_bnds(lp, j + 1, GLP_DB, j == 0 ? 0.5 : 0, 1);
  glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
  return lp;
}

void BM_GlpkRobustSequence(benchmark::State& state) {
  const RobustProgram& p = Program();
  glp_term_out(GLP_OFF);
  int s = 0;
  int optimal = 0;
  for (auto _ : state) {
    const std::vector<double>& c = p.objectives[s++ % kSolves];
    glp_prob* lp = GlpkProgram(p);
    for (int j = 0; j < kColumns; ++j) glp_set_obj_coef(lp, j + 1, c[j]);
    glp_smcp parm;
    glp_init_smcp(&parm);
    glp_simplex(lp, &parm);
    optimal += glp_get_status(lp) == GLP_OPT;
    benchmark::DoNotOptimize(glp_get_obj_val(lp));
    glp_delete_prob(lp);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["optimal"] = optimal;
}
BENCHMARK(BM_GlpkRobustSequence)->Iterations(kSolves)->Unit(benchmark::kMillisecond);

// One GLPK problem object, its objective changed between solves.
void BM_GlpkRobustSequenceWarm(benchmark::State& state) {
  const RobustProgram& p = Program();
  glp_term_out(GLP_OFF);
  glp_prob* lp = GlpkProgram(p);
  glp_smcp parm;
  glp_init_smcp(&parm);
  int s = 0;
  int optimal = 0;
  for (auto _ : state) {
    const std::vector<double>& c = p.objectives[s++ % kSolves];
    for (int j = 0; j < kColumns; ++j) glp_set_obj_coef(lp, j + 1, c[j]);
    glp_simplex(lp, &parm);
    optimal += glp_get_status(lp) == GLP_OPT;
    benchmark::DoNotOptimize(glp_get_obj_val(lp));
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["optimal"] = optimal;
  state.counters["pivots"] = glp_get_it_cnt(lp) / static_cast<double>(state.iterations());
  glp_delete_prob(lp);
}
BENCHMARK(BM_GlpkRobustSequenceWarm)->Iterations(kSolves)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vido
