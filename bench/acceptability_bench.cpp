// Category acceptability on the generated problems of the robust analysis's benchmark:
// at the program's limits (1000 actions, 12 criteria, 20 categories, 200 actions with
// examples) and mid-size (200 actions, 6 criteria, 5 categories); 10000 samples each.
// The results run that the sampling needs is made once, outside the timing.
#include <benchmark/benchmark.h>

#include "analysis/acceptability.h"
#include "analysis/robust_assignments.h"
#include "common/generated_problem.h"
#include "lp/solver_interface.h"
#include "support/user_port.h"

namespace vido {
namespace {

void RunAcceptability(benchmark::State& state, int n, int k, int m, int examples) {
  Workspace ws = testing::GeneratedProblem(n, k, m, examples);
  SilentUserPort port;
  CalcRangeItemClick(ws, port);
  AcceptabilitySettings settings;
  settings.samples = 10000;
  AcceptabilityResult result;
  bool computed = false;
  for (auto _ : state) computed = ComputeAcceptability(ws, port, settings, result);
  if (!computed) {
    state.SkipWithError("no acceptabilities: the generated problem is not consistent");
    return;
  }
  state.counters["samples"] = result.samples;
  state.counters["dimension"] = result.dimension;
  state.counters["steps"] =
      static_cast<double>(result.burn_in) + static_cast<double>(result.samples) * result.thinning;
  double spread = 0;
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    int categories = 0;
    for (int c = 1; c <= ws.CategoriesCount; ++c) categories += result.shares[i][c].value > 0;
    spread += categories;
  }
  state.counters["mean_categories_seen"] = spread / ws.ActionsCount;
}

void BM_AcceptabilityLimits(benchmark::State& state) { RunAcceptability(state, 12, 20, 1000, 200); }
void BM_AcceptabilityMid(benchmark::State& state) { RunAcceptability(state, 6, 5, 200, 40); }

BENCHMARK(BM_AcceptabilityMid)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AcceptabilityLimits)->Unit(benchmark::kSecond)->Iterations(3);

}  // namespace
}  // namespace vido
