// The inconsistency analysis' drop program: M analysis rows over lambda and 5 weights,
// two of them contradicting the rest, 5 suggestions enumerated with a cut after each,
// as "Suggest" does. Our engine through the solver interface, and GLPK's branch and cut
// on the same programs, in the same run. Every solve is given at most kSolveSeconds;
// the counters tell how many suggestions were found and whether a solve ran out of
// time (the larger programs need far longer than any user would wait).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "lp/solver_interface.h"
#include "support/parameter_table.h"

#if __has_include(<glpk.h>)
#include <glpk.h>
#define VIDO_BENCH_GLPK 1
#endif

namespace vido {
namespace {

constexpr int kCriteria = 5;
constexpr int kSuggestions = 5;
constexpr int kPlanted = 2;
constexpr int kSolveSeconds = 120;

struct Table {
  std::vector<std::vector<double>> a;  // rows over (lambda, k_1..k_n)
  std::vector<double> b;
};

// Rows that hold at one parameter vector with a margin, the first kPlanted turned
// against it, then mixed among the others.
Table MakeTable(int rows, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<double> point(kCriteria + 1);
  point[0] = 0.6;
  double sum = 0;
  for (int j = 1; j <= kCriteria; ++j) sum += (point[j] = 0.2 + u(rng));
  for (int j = 1; j <= kCriteria; ++j) point[j] /= sum;
  Table t;
  for (int r = 0; r < rows; ++r) {
    std::vector<double> row(kCriteria + 1, 0.0);
    row[0] = r % 2 == 0 ? -1 : 1;
    for (int j = 1; j <= kCriteria; ++j) {
      const double c = u(rng) < 0.3 ? 0 : std::round(u(rng) * 100) / 100;
      row[j] = r % 2 == 0 ? c : -c;
    }
    double activity = 0;
    for (int j = 0; j <= kCriteria; ++j) activity += row[j] * point[j];
    const double rhs = r < kPlanted ? activity + 0.05 : activity - 0.001 - u(rng) * 0.05;
    t.a.push_back(row);
    t.b.push_back(std::round(rhs * 1e6) / 1e6);
  }
  for (int r = 0; r < kPlanted; ++r) {
    const int other = static_cast<int>(rng() % rows);
    std::swap(t.a[r], t.a[other]);
    std::swap(t.b[r], t.b[other]);
  }
  return t;
}

// One row of the drop program: coefficients over x then y, sense and right-hand side.
struct Row {
  std::vector<double> a;
  char sense;
  double b;
};

std::vector<Row> DropRows(const Table& t, const std::vector<std::vector<int>>& cuts) {
  const int m = static_cast<int>(t.b.size());
  const int columns = kCriteria + 1 + m;
  std::vector<Row> rows;
  for (int i = 0; i < m; ++i) {
    Row row{std::vector<double>(columns, 0.0), '>', t.b[i] + 0.00001};
    for (int j = 0; j <= kCriteria; ++j) row.a[j] = t.a[i][j];
    row.a[kCriteria + 1 + i] = 999;
    if (row.b < 0) {
      for (double& v : row.a) v = -v;
      row.sense = '<';
      row.b = -row.b;
    }
    rows.push_back(row);
  }
  Row norm{std::vector<double>(columns, 0.0), '=', 1};
  for (int j = 1; j <= kCriteria; ++j) norm.a[j] = 1;
  rows.push_back(norm);
  for (const std::vector<int>& cut : cuts) {
    Row row{std::vector<double>(columns, 0.0), '<', static_cast<double>(cut.size()) - 1};
    for (int i : cut) row.a[kCriteria + i] = 1;
    rows.push_back(row);
  }
  return rows;
}

// Solves and returns the drop set (row numbers from 1), empty when none or no solution;
// `timed_out` is set when the solve ran out of time.
using Solver = std::vector<int> (*)(const std::vector<Row>&, int m, bool& timed_out);

std::vector<int> SolveOurs(const std::vector<Row>& rows, int m, bool& timed_out) {
  ScopedParameterOverride limit("MAXTIME", std::to_string(kSolveSeconds));
  const int columns = kCriteria + 1 + m;
  SolverInit(columns, static_cast<int>(rows.size()));
  for (int j = kCriteria + 2; j <= columns; ++j) {
    SolverSetColumnType(j, 'B');
    SolverSetObjective(j, -1);
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const int r = static_cast<int>(i) + 1;
    for (int j = 0; j < columns; ++j) {
      if (rows[i].a[j] != 0) SolverSetCoefficient(r, j + 1, rows[i].a[j]);
    }
    SolverSetRhs(r, rows[i].b);
    SolverSetRowSense(r, rows[i].sense);
  }
  std::vector<int> set;
  const int status = SolverSolve();
  timed_out = status == -1;
  if (status != 0) return set;
  for (int i = 1; i <= m; ++i) {
    if (SolverValue(kCriteria + 1 + i) == 1) set.push_back(i);
  }
  return set;
}

#ifdef VIDO_BENCH_GLPK
std::vector<int> SolveGlpk(const std::vector<Row>& rows, int m, bool& timed_out) {
  const int columns = kCriteria + 1 + m;
  glp_term_out(GLP_OFF);
  glp_prob* lp = glp_create_prob();
  glp_set_obj_dir(lp, GLP_MAX);
  glp_add_rows(lp, static_cast<int>(rows.size()));
  glp_add_cols(lp, columns);
  std::vector<int> ia(1), ja(1);
  std::vector<double> ar(1);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int r = static_cast<int>(i) + 1;
    const int kind = rows[i].sense == '<' ? GLP_UP : rows[i].sense == '>' ? GLP_LO : GLP_FX;
    glp_set_row_bnds(lp, r, kind, rows[i].b, rows[i].b);
    for (int j = 0; j < columns; ++j) {
      if (rows[i].a[j] == 0) continue;
      ia.push_back(r);
      ja.push_back(j + 1);
      ar.push_back(rows[i].a[j]);
    }
  }
  for (int j = 1; j <= columns; ++j) {
    if (j > kCriteria + 1) {
      glp_set_col_kind(lp, j, GLP_BV);
      glp_set_obj_coef(lp, j, -1);
    } else {
      glp_set_col_bnds(lp, j, GLP_LO, 0, 0);
    }
  }
  glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
  glp_iocp parm;
  glp_init_iocp(&parm);
  parm.presolve = GLP_ON;
  parm.tol_int = 1e-9;
  parm.tm_lim = kSolveSeconds * 1000;
  std::vector<int> set;
  const int code = glp_intopt(lp, &parm);
  timed_out = code == GLP_ETMLIM;
  if (code == 0 && glp_mip_status(lp) == GLP_OPT) {
    for (int i = 1; i <= m; ++i) {
      if (glp_mip_col_val(lp, kCriteria + 1 + i) > 0.5) set.push_back(i);
    }
  }
  glp_delete_prob(lp);
  return set;
}
#endif

void RunSuggestions(benchmark::State& state, Solver solve) {
  const int m = static_cast<int>(state.range(0));
  const Table table = MakeTable(m, 2024);
  int suggestions = 0;
  bool timed_out = false;
  for (auto _ : state) {
    std::vector<std::vector<int>> cuts;
    for (int s = 0; s < kSuggestions && !timed_out; ++s) {
      const std::vector<int> set = solve(DropRows(table, cuts), m, timed_out);
      if (set.empty()) break;
      cuts.push_back(set);
    }
    suggestions = static_cast<int>(cuts.size());
  }
  state.counters["suggestions"] = suggestions;
  state.counters["timed_out"] = timed_out ? 1 : 0;
  SolverFree();
}

void BM_DropProgramOurs(benchmark::State& state) { RunSuggestions(state, SolveOurs); }
BENCHMARK(BM_DropProgramOurs)->Arg(100)->Arg(500)->Iterations(1)->Unit(benchmark::kMillisecond);

#ifdef VIDO_BENCH_GLPK
void BM_DropProgramGlpk(benchmark::State& state) { RunSuggestions(state, SolveGlpk); }
BENCHMARK(BM_DropProgramGlpk)->Arg(100)->Arg(500)->Iterations(1)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
}  // namespace vido
