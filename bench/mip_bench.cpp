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

#include "analysis/inconsistency_analysis.h"
#include "lp/solver_interface.h"
#include "support/parameter_table.h"

#if __has_include(<glpk.h>)
#include "glpk_drop_program.h"
#define VIDO_BENCH_GLPK 1
#endif

namespace vido {
namespace {

constexpr int kCriteria = 5;
constexpr int kSuggestions = 5;
constexpr int kPlanted = 2;
constexpr int kSolveSeconds = 120;

struct RowTable {
  std::vector<std::vector<double>> a;  // rows over (lambda, k_1..k_n)
  std::vector<double> b;
};

// Rows that hold at one parameter vector with a margin, the first kPlanted turned
// against it, then mixed among the others.
RowTable MakeTable(int rows, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<double> point(kCriteria + 1);
  point[0] = 0.6;
  double sum = 0;
  for (int j = 1; j <= kCriteria; ++j) sum += (point[j] = 0.2 + u(rng));
  for (int j = 1; j <= kCriteria; ++j) point[j] /= sum;
  RowTable t;
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

// The drop program of the table as the analysis builds it: the margin 0.00001 and a
// drop variable relaxing by 999 on every row, the normalisation of the weights.
DropProgram Drop(const RowTable& t) {
  DropProgram drop;
  drop.p = kCriteria + 1;
  drop.m = static_cast<int>(t.b.size());
  for (int i = 0; i < drop.m; ++i) {
    std::vector<double> row(static_cast<size_t>(drop.Columns()), 0.0);
    for (int j = 0; j < drop.p; ++j) row[j] = t.a[i][j];
    row[drop.p + i] = 999;
    drop.a.push_back(std::move(row));
    drop.b.push_back(t.b[i] + 0.00001);
  }
  std::vector<double> norm(static_cast<size_t>(drop.Columns()), 0.0);
  for (int j = 1; j < drop.p; ++j) norm[j] = 1;
  drop.a.push_back(std::move(norm));
  drop.b.push_back(1);
  return drop;
}

// Solves and returns the drop set (row numbers from 1), empty when none or no solution;
// `timed_out` is set when the solve ran out of time.
using Solver = std::vector<int> (*)(const DropProgram&, bool& timed_out);

// Through the solver interface, which takes only non-negative right-hand sides: a row
// whose b is negative goes in negated.
std::vector<int> SolveOurs(const DropProgram& drop, bool& timed_out) {
  ScopedParameterOverride limit("MAXTIME", std::to_string(kSolveSeconds));
  SolverInit(drop.Columns(), drop.Rows());
  for (int j = drop.p + 1; j <= drop.Columns(); ++j) {
    SolverSetColumnType(j, 'B');
    SolverSetObjective(j, -1);
  }
  for (int l = 0; l < drop.Rows(); ++l) {
    const double sign = drop.b[l] < 0 ? -1 : 1;
    for (int j = 0; j < drop.Columns(); ++j) {
      if (drop.a[l][j] != 0) SolverSetCoefficient(l + 1, j + 1, sign * drop.a[l][j]);
    }
    SolverSetRhs(l + 1, sign * drop.b[l]);
    SolverSetRowSense(l + 1, drop.Sense(l));
  }
  std::vector<int> set;
  const int status = SolverSolve();
  timed_out = status == -1;
  if (status != 0) return set;
  for (int i = 1; i <= drop.m; ++i) {
    if (SolverValue(drop.p + i) == 1) set.push_back(i);
  }
  return set;
}

#ifdef VIDO_BENCH_GLPK
std::vector<int> SolveGlpk(const DropProgram& drop, bool& timed_out) {
  return GlpkDropSet(drop, 1e-9, kSolveSeconds, timed_out);
}
#endif

void RunSuggestions(benchmark::State& state, Solver solve) {
  const int m = static_cast<int>(state.range(0));
  const RowTable table = MakeTable(m, 2024);
  int suggestions = 0;
  bool timed_out = false;
  for (auto _ : state) {
    DropProgram drop = Drop(table);
    suggestions = 0;
    for (int s = 0; s < kSuggestions && !timed_out; ++s) {
      const std::vector<int> set = solve(drop, timed_out);
      if (set.empty()) break;
      drop.AddCut(set);
      ++suggestions;
    }
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
