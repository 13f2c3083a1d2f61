// The volume estimate's sampling loop at full length: 12 criteria, 2000 example rows,
// 5000000 samples.
#include <benchmark/benchmark.h>

#include <random>

#include "analysis/inference_tables.h"
#include "analysis/volume_region.h"
#include "model/new_problem.h"
#include "sorting/assignment.h"
#include "support/number_text.h"
#include "support/user_port.h"

namespace vido {
namespace {

constexpr int kCriteria = 12;
constexpr int kCategories = 3;
constexpr int kActions = 2000;

// Random actions whose examples agree with one parameter vector (lambda 0.65, equal
// weights), so the region is small but not empty. Every action yields one row: a lower
// row when that vector puts it above C1, an upper row otherwise.
Workspace BenchProblem() {
  Workspace ws;
  BuildNewProblem(ws, kCriteria, kActions, kCategories);
  for (int j = 1; j <= kCriteria; ++j) {
    const double g[2] = {40, 60};
    for (int h = 1; h < kCategories; ++h) {
      const int row = 5 * (h - 1) + 1;
      ws.FGrid.SetCell(j, row, FormatGeneral(g[h - 1]));
      ws.FGrid.SetCell(j, row + 1, "2");
      ws.FGrid.SetCell(j, row + 2, "5");
      ws.FGrid.SetCell(j, row + 4, "30");
    }
  }
  // Weights within [0, 0.2]: k12 = 1 - (k1 + ... + k11) then respects its bounds often
  // enough for the example rows to be evaluated.
  for (int j = 1; j <= kCriteria; ++j) ws.BGrid.SetCell(1 + j, 2, "0.2");
  std::mt19937 random(2026);
  std::uniform_real_distribution<double> performance(20, 80);
  for (int i = 1; i <= kActions; ++i) {
    for (int j = 1; j <= kCriteria; ++j) {
      ws.AGrid.SetCell(2 + j, i, FormatGeneral(performance(random)));
    }
  }
  const std::vector<double> weights(kCriteria, 1.0 / kCriteria);
  for (int i = 1; i <= kActions; ++i) {
    const int category = PessimisticCategory(ws, i, 0.65, weights);
    if (category >= 2) {
      ws.AGrid.SetCell(1, i, Format("%d", category));
    } else {
      ws.AGrid.SetCell(2, i, "1");
    }
  }
  return ws;
}

void BM_VolumeFullRun(benchmark::State& state) {
  Workspace ws = BenchProblem();
  SilentUserPort port;
  BuildExampleConstraints(ws, port);
  VolumeRegion region = ReadVolumeRegion(ws);
  EliminateEqualities(region);
  uint32_t inside_bounds = 0;
  uint32_t inside_all = 0;
  for (auto _ : state) {
    HitOrMissSampler sampler(region);
    UniformRandom random(1);
    sampler.Draw(HitOrMissSampler::kMaxSamples, random);
    inside_bounds = sampler.InsideBounds();
    inside_all = sampler.InsideAll();
    benchmark::DoNotOptimize(inside_all);
  }
  state.counters["example_rows"] = ws.ExampleRowsCount;
  state.counters["inside_bounds"] = inside_bounds;
  state.counters["inside_all"] = inside_all;
  state.counters["samples_per_s"] =
      benchmark::Counter(static_cast<double>(HitOrMissSampler::kMaxSamples) * state.iterations(),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VolumeFullRun)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vido
