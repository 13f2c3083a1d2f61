// "Suggest" on generated inconsistent problems (12 criteria, 10 categories, examples a
// hidden vector gives, some moved two categories away) of about 100, 300 and 500 analysis
// rows: the times to the first and to the fifth suggestion. Ours is the search through
// conflicts; DropProgram our engine's branch and bound on the 0-1 program with the
// relaxation of 999 per row; Glpk GLPK's glp_intopt on that same program, with a cut after
// each suggestion, in the same run. The 0-1 programs get at most kSolveSeconds per
// suggestion; `timed_out` tells when one ran out of it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/inconsistency_analysis.h"
#include "analysis/robust_assignments.h"
#include "common/generated_problem.h"
#include "lp/solver_interface.h"
#include "support/heap_reuse.h"
#include "support/parameter_table.h"
#include "support/user_port.h"

#if __has_include(<glpk.h>)
#include "glpk_drop_program.h"
#define VIDO_BENCH_GLPK 1
#endif

namespace vido {
namespace {

// The whole benchmark program keeps freed memory as the front ends' main() does, so that
// every engine measured allocates as it does for a user.
const bool kHeapRetained = (RetainFreedMemory(), true);

constexpr int kSuggestions = 5;
constexpr int kSolveSeconds = 20;

using Clock = std::chrono::steady_clock;

struct Size {
  int actions;
  int examples;
  int contradictions;
};

// Arguments: the size's index.
const Size kSizes[] = {{300, 45, 3}, {300, 170, 8}, {500, 290, 10}};

// Messages go to standard error: a run that ends early says why.
class BenchPort : public SilentUserPort {
 public:
  void ShowMessage(MessageKind, const std::string& text) override {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
};

Workspace Problem(const Size& size, SilentUserPort& port) {
  Workspace ws =
      testing::InconsistentProblem(12, 10, size.actions, size.examples, size.contradictions);
  SolverSetUserPort(&port);
  CalcRangeItemClick(ws, port);
  return ws;
}

// The times of the first and the fifth suggestion and the sizes found.
struct Run {
  std::vector<double> seconds;
  std::vector<int> sizes;
  bool timed_out = false;
};

void Report(benchmark::State& state, const Workspace& ws, const Run& run) {
  state.counters["rows"] = ReadDropProgram(ws).m;
  state.counters["suggestions"] = static_cast<double>(run.sizes.size());
  state.counters["first_s"] = run.seconds.empty() ? -1 : run.seconds.front();
  state.counters["fifth_s"] = run.seconds.size() < kSuggestions ? -1 : run.seconds.back();
  state.counters["first_size"] = run.sizes.empty() ? -1 : run.sizes.front();
  state.counters["fifth_size"] = run.sizes.size() < kSuggestions ? -1 : run.sizes.back();
  state.counters["timed_out"] = run.timed_out ? 1 : 0;
}

void RunSuggest(benchmark::State& state, bool drop_program) {
  BenchPort port;
  const Workspace ws = Problem(kSizes[state.range(0)], port);
  ScopedParameterOverride limit("MAXTIME", std::to_string(kSolveSeconds));
  Run run;
  for (auto _ : state) {
    run = Run{};
    IAForm form;
    form.drop_program = drop_program;
    form.SetMaxSuggestions(kSuggestions);
    const auto start = Clock::now();
    form.repaint = [&](const IAForm& shown) {
      if (shown.suggested_sets.size() > run.seconds.size()) {
        run.seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        run.sizes.push_back(static_cast<int>(shown.suggested_sets.back().size()));
      }
    };
    BSuggestClick(ws, port, form);
    run.timed_out = run.sizes.size() < kSuggestions && SolverLastStop() == SolverStop::kTimeLimit;
  }
  Report(state, ws, run);
  SolverSetUserPort(nullptr);
  SolverFree();
}

void BM_SuggestOurs(benchmark::State& state) { RunSuggest(state, false); }
void BM_SuggestDropProgram(benchmark::State& state) { RunSuggest(state, true); }
BENCHMARK(BM_SuggestOurs)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SuggestDropProgram)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);

#ifdef VIDO_BENCH_GLPK
void BM_SuggestGlpk(benchmark::State& state) {
  SilentUserPort port;
  const Workspace ws = Problem(kSizes[state.range(0)], port);
  Run run;
  for (auto _ : state) {
    run = Run{};
    DropProgram drop = ReadDropProgram(ws);
    const auto start = Clock::now();
    while (static_cast<int>(run.sizes.size()) < kSuggestions) {
      // A "zero" drop variable of 1e-8 would relax its row by 1e-5, the margin itself.
      const std::vector<int> set = GlpkDropSet(drop, 1e-10, kSolveSeconds, run.timed_out);
      if (set.empty()) break;
      run.seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
      run.sizes.push_back(static_cast<int>(set.size()));
      drop.AddCut(set);
    }
  }
  Report(state, ws, run);
  SolverSetUserPort(nullptr);
}
BENCHMARK(BM_SuggestGlpk)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
}  // namespace vido
