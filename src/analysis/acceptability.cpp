#include "analysis/acceptability.h"

#include <algorithm>
#include <cmath>

#include "analysis/hit_and_run.h"
#include "analysis/inference_solve.h"
#include "analysis/uniform_random.h"
#include "analysis/volume_region.h"
#include "lp/solver_interface.h"
#include "sorting/assignment.h"
#include "sorting/credibility.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

// Measured on generated problems of 2 to 12 free variables (see the README): with one
// step per free variable between two samples the batch means of 20 batches still show
// the chain's memory, with three they no longer do; 50 steps per variable bring the
// chain from the centre to a point that no statistic tells from later ones.
constexpr int kBurnInPerDimension = 50;
constexpr int kThinningPerDimension = 3;
// The 0.975 quantile of Student's t with kBatches - 1 = 19 degrees of freedom.
constexpr double kStudent19 = 2.093;
constexpr double kThinRadius = 1e-9;

// The pessimistic rule of the sorting model on precomputed coefficients, the same
// arithmetic as PessimisticCategory: sigma summed in criterion order, lifted when
// sigma - lambda >= -0.000001, going on only when sigma >= lambda.
int Category(const double* coefficients, int n, int k, const double* x) {
  const double lambda = x[0];
  const double* weights = x + 1;
  int h = 1;
  while (h < k) {
    const double* c = coefficients + static_cast<size_t>(h - 1) * n;
    double s = 0;
    for (int j = 0; j < n; ++j) s += weights[j] * c[j];
    if (s - lambda >= -0.000001) ++h;
    if (h == k) break;
    if (s < lambda) break;
  }
  return h;
}

bool Impossible(const Workspace& ws, int i, int c) {
  if (static_cast<size_t>(i) >= ws.WorstCategory.size() ||
      static_cast<size_t>(i) >= ws.BestCategory.size()) {
    return false;
  }
  if (c < ws.WorstCategory[i] || c > ws.BestCategory[i]) return true;
  return c > ws.WorstCategory[i] && c < ws.BestCategory[i] && IsCategoryHole(ws, i, c);
}

Share Interval(double mean, double sum_of_squares, int batches, int samples) {
  Share share;
  share.value = mean;
  const double variance =
      std::max(0.0, (sum_of_squares - batches * mean * mean) / std::max(1, batches - 1));
  double half = kStudent19 * std::sqrt(variance / batches);
  // The chain's samples are positively correlated: its mean varies at least as much as
  // that of independent samples, whatever a small number of batches happened to show.
  half = std::max(half, kStudent19 * std::sqrt(mean * (1 - mean) / samples));
  if (half == 0) {
    // Every batch alike (a share of 0 or 1 throughout): the rule of three bounds what
    // the samples cannot have seen.
    half = 3.0 / samples;
  }
  share.low = std::max(0.0, mean - half);
  share.high = std::min(1.0, mean + half);
  return share;
}

}  // namespace

VolumeRegion SampledRegion(const Workspace& ws, const std::vector<LinearRow>& extra) {
  VolumeRegion region = ReadVolumeRegion(ws);
  // A variable whose bounds meet leaves the region no width along it: an equality.
  for (int i = 0; i < region.variable_count; ++i) {
    if (region.lower[i] != region.upper[i]) continue;
    LinearRow fixed{std::vector<double>(region.variable_count, 0.0), region.lower[i]};
    fixed.a[i] = 1;
    region.equalities.push_back(std::move(fixed));
  }
  region.inequalities.insert(region.inequalities.begin() + region.constraint_rows, extra.begin(),
                             extra.end());
  region.constraint_rows += static_cast<int>(extra.size());
  EliminateEqualities(region);
  return region;
}

bool ComputeAcceptability(const Workspace& ws, UserPort& port,
                          const AcceptabilitySettings& settings, AcceptabilityResult& result) {
  result = AcceptabilityResult{};
  if (!ws.ResultsAvailable || ws.view.output_stale) {
    port.Error(kAcceptabilityNeedsRanges);
    return false;
  }
  if (!ws.RangesValid || ws.Alpha > kConsistentAlpha) {
    port.Error(kAcceptabilityInconsistent);
    return false;
  }
  const int m = ws.ActionsCount;
  const int n = ws.CriteriaCount;
  const int k = ws.CategoriesCount;
  const int samples = std::clamp(settings.samples, AcceptabilitySettings::kMinSamples,
                                 AcceptabilitySettings::kMaxSamples);

  const VolumeRegion region = SampledRegion(ws);
  HitAndRunSampler sampler(region);
  const double radius = sampler.Start();
  if (!(radius > kThinRadius)) {
    const SolverStop stop = SolverLastStop();
    if (stop == SolverStop::kCancelled) {
      result.cancelled = true;
      return false;
    }
    port.Error(stop == SolverStop::kNone ? std::string(kAcceptabilityThin)
                                         : SolveErrorText(kAcceptabilityThin));
    return false;
  }
  const int d = sampler.Dimension();
  result.samples = samples;
  result.seed = settings.seed;
  result.dimension = d;
  result.radius = radius;
  result.burn_in =
      std::max(1, d) *
      (settings.burn_in_per_dimension > 0 ? settings.burn_in_per_dimension : kBurnInPerDimension);
  result.thinning =
      std::max(1, d) * (settings.thinning_per_dimension > 0 ? settings.thinning_per_dimension
                                                            : kThinningPerDimension);

  // The coefficients of every action against every profile, read once.
  std::vector<double> coefficients(static_cast<size_t>(m) * std::max(1, k - 1) * n);
  for (int i = 1; i <= m; ++i) {
    for (int h = 1; h < k; ++h) {
      const std::vector<double> c = CredibilityCoefficients(ws, i, h);
      std::copy(c.begin(), c.end(),
                coefficients.begin() + (static_cast<size_t>(i - 1) * (k - 1) + (h - 1)) * n);
    }
  }
  const size_t per_action = static_cast<size_t>(std::max(1, k - 1)) * n;

  const int batches = AcceptabilitySettings::kBatches;
  const int batch_size = samples / batches;
  const size_t cells = static_cast<size_t>(m) * k;
  std::vector<int> batch_counts(cells, 0);
  std::vector<double> share_sum(cells, 0.0);
  std::vector<double> share_squares(cells, 0.0);
  std::vector<int> totals(cells, 0);
  std::vector<double> centre(static_cast<size_t>(n) + 1, 0.0);

  UniformRandom random(settings.seed);
  for (int s = 0; s < result.burn_in; ++s) sampler.Step(random);
  port.ShowProgress(samples);
  const int report_every = std::max(1, samples / 100);
  int batch = 0;
  int in_batch = 0;
  for (int s = 0; s < samples; ++s) {
    for (int t = 0; t < result.thinning; ++t) sampler.Step(random);
    const std::vector<double>& x = sampler.Point();
    for (int c = 0; c <= n; ++c) centre[c] += x[c];
    for (int i = 0; i < m; ++i) {
      const int category = Category(coefficients.data() + i * per_action, n, k, x.data());
      ++batch_counts[static_cast<size_t>(i) * k + (category - 1)];
    }
    ++in_batch;
    // The last batch takes the samples that do not divide evenly.
    const bool last_batch = batch == batches - 1;
    if ((!last_batch && in_batch == batch_size) || s == samples - 1) {
      for (size_t cell = 0; cell < cells; ++cell) {
        const double p = static_cast<double>(batch_counts[cell]) / in_batch;
        share_sum[cell] += p;
        share_squares[cell] += p * p;
        totals[cell] += batch_counts[cell];
        batch_counts[cell] = 0;
      }
      ++batch;
      in_batch = 0;
    }
    if ((s + 1) % report_every == 0) {
      port.SetProgress(s + 1);
      if (port.PumpEvents()) {
        port.HideProgress();
        result.cancelled = true;
        return false;
      }
    }
  }
  port.HideProgress();

  result.shares.assign(static_cast<size_t>(m) + 1, std::vector<Share>(static_cast<size_t>(k) + 1));
  result.most_likely.assign(static_cast<size_t>(m) + 1, 0);
  for (int i = 1; i <= m; ++i) {
    int best = 1;
    for (int c = 1; c <= k; ++c) {
      const size_t cell = static_cast<size_t>(i - 1) * k + (c - 1);
      Share share = Interval(share_sum[cell] / batch, share_squares[cell], batch, samples);
      // The interval is of the batch means; the share itself is that of all samples.
      share.value = static_cast<double>(totals[cell]) / samples;
      share.low = std::min(share.low, share.value);
      share.high = std::max(share.high, share.value);
      // A category the ranges prove out of reach (outside [worst, best], or a hole) has
      // no share to bound.
      if (totals[cell] == 0 && Impossible(ws, i, c)) share = Share{};
      // And one whose range is this category alone is certain.
      if (totals[cell] == samples && c == ws.WorstCategory[i] && c == ws.BestCategory[i]) {
        share = Share{1, 1, 1};
      }
      result.shares[i][c] = share;
      if (share.value > result.shares[i][best].value) best = c;
    }
    result.most_likely[i] = best;
  }
  for (double& c : centre) c /= samples;
  result.central_vector = centre;
  const std::vector<double> weights(centre.begin() + 1, centre.end());
  result.central_category.assign(static_cast<size_t>(m) + 1, 0);
  for (int i = 1; i <= m; ++i) {
    result.central_category[i] = PessimisticCategory(ws, i, centre[0], weights);
  }
  return true;
}

bool AcceptabilityItemClick(Workspace& ws, UserPort& port) {
  AcceptabilityResult result;
  BusyCursor busy(port);
  if (!ComputeAcceptability(ws, port, AcceptabilitySettings{}, result)) return false;
  const int m = ws.ActionsCount;
  const int k = ws.CategoriesCount;
  Table& grid = ws.AccGrid;
  grid.SetSize(0, 0);
  grid.SetSize(k + 3, m + 1);
  for (int c = 1; c <= k; ++c) grid.SetCell(c, 0, Format("C%d", c));
  grid.SetCell(k + 1, 0, "Likeliest");
  grid.SetCell(k + 2, 0, "Central");
  for (int i = 1; i <= m; ++i) {
    grid.SetCell(0, i, ws.AGrid.Cell(0, i));
    for (int c = 1; c <= k; ++c) {
      const Share& share = result.shares[i][c];
      // A category the ranges rule out stays empty; any other shows its share.
      const bool ruled_out = share.value == 0 && share.high == 0;
      grid.SetCell(c, i, ruled_out ? "" : Format("%.3f", share.value));
    }
    grid.SetCell(k + 1, i, Format("C%d", result.most_likely[i]));
    grid.SetCell(k + 2, i, Format("C%d", result.central_category[i]));
  }
  ws.view.acceptability_tab_visible = true;
  return true;
}

}  // namespace vido
