#include "sorting/credibility.h"

#include <algorithm>

#include "model/problem_layout.h"

namespace vido {

namespace {

bool Maximised(const Workspace& ws, int j) {
  return ws.FGrid.Cell(j, DirectionRow(ws.CategoriesCount)) == "1";
}

// How much better the action is than the profile on g_j (negative: worse).
double Advantage(const Workspace& ws, int j, int h, double x) {
  const double g = ws.FGrid.Real(j, ProfileRow(h, kProfileValue));
  return Maximised(ws, j) ? x - g : g - x;
}

}  // namespace

double PartialConcordance(const Workspace& ws, int j, int h, double x) {
  const double delta = Advantage(ws, j, h, x);
  const double q = ws.FGrid.Real(j, ProfileRow(h, kIndifference));
  if (delta >= -q) return 1;
  const double p = ws.FGrid.Real(j, ProfileRow(h, kPreference));
  if (delta <= -p) return 0;
  // Reached only with -p < delta < -q, so p > q and the division is safe.
  return (delta + p) / (p - q);
}

double PartialDiscordance(const Workspace& ws, int j, int h, double x) {
  // With "Use vj" up no criterion has a veto: the hidden u and v cells are not read.
  if (!ws.UsevjButton) return 0;
  const double p = ws.FGrid.Real(j, ProfileRow(h, kPreference));
  const double v = ws.FGrid.Real(j, ProfileRow(h, kVeto));
  if (v <= p) return 0;
  const double delta = -Advantage(ws, j, h, x);
  double u = 0.25 * p + 0.75 * v;
  if (ws.UseujButton) {
    const double user_u = ws.FGrid.Real(j, ProfileRow(h, kDiscordance));
    if (user_u > p) u = user_u;
  }
  if (delta >= v) return 1;
  if (delta > u) return (delta - u) / (v - u);  // delta < v here, so u < v
  return 0;
}

double NonDiscordanceFactor(const Workspace& ws, int i, int h) {
  double d = 1;
  for (int j = 1; j <= ws.CriteriaCount && d > 0; ++j) {
    const double x = ws.AGrid.Real(PerformanceCol(j), i);
    d = std::min(d, 1 - PartialDiscordance(ws, j, h, x));
  }
  return d;
}

std::vector<double> CredibilityCoefficients(const Workspace& ws, int i, int h) {
  const int n = ws.CriteriaCount;
  std::vector<double> c(static_cast<size_t>(n));
  for (int j = 1; j <= n; ++j) {
    c[j - 1] = PartialConcordance(ws, j, h, ws.AGrid.Real(PerformanceCol(j), i));
  }
  const double d = NonDiscordanceFactor(ws, i, h);
  for (double& value : c) value *= d;
  return c;
}

double Credibility(const std::vector<double>& coefficients, const std::vector<double>& weights) {
  double sigma = 0;
  const size_t n = std::min(coefficients.size(), weights.size());
  for (size_t j = 0; j < n; ++j) sigma += weights[j] * coefficients[j];
  return sigma;
}

}  // namespace vido
