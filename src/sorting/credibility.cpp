#include "sorting/credibility.h"

#include <algorithm>

namespace vido {

namespace {

int ProfileRow(int h) { return 5 * (h - 1) + 1; }

bool Maximised(const Workspace& ws, int j) {
  return ws.FGrid.Cell(j, 5 * (ws.CategoriesCount - 1) + 1) == "1";
}

// How much better the action is than the profile on g_j (negative: worse).
double Advantage(const Workspace& ws, int j, int h, double x) {
  const double g = ws.FGrid.Real(j, ProfileRow(h));
  return Maximised(ws, j) ? x - g : g - x;
}

}  // namespace

double PartialConcordance(const Workspace& ws, int j, int h, double x) {
  const double delta = Advantage(ws, j, h, x);
  const double q = ws.FGrid.Real(j, ProfileRow(h) + 1);
  if (delta >= -q) return 1;
  const double p = ws.FGrid.Real(j, ProfileRow(h) + 2);
  if (delta <= -p) return 0;
  // Reached only with -p < delta < -q, so p > q and the division is safe.
  return (delta + p) / (p - q);
}

double PartialDiscordance(const Workspace& ws, int j, int h, double x) {
  // With "Use vj" up no criterion has a veto: the hidden u and v cells are not read.
  if (!ws.UsevjButton) return 0;
  const int row = ProfileRow(h);
  const double p = ws.FGrid.Real(j, row + 2);
  const double v = ws.FGrid.Real(j, row + 4);
  if (v <= p) return 0;
  const double delta = -Advantage(ws, j, h, x);
  double u = 0.25 * p + 0.75 * v;
  if (ws.UseujButton) {
    const double user_u = ws.FGrid.Real(j, row + 3);
    if (user_u > p) u = user_u;
  }
  if (delta >= v) return 1;
  if (delta > u) return (delta - u) / (v - u);  // delta < v here, so u < v
  return 0;
}

double NonDiscordanceFactor(const Workspace& ws, int i, int h) {
  double d = 1;
  for (int j = 1; j <= ws.CriteriaCount && d > 0; ++j) {
    const double x = ws.AGrid.Real(2 + j, i);
    d = std::min(d, 1 - PartialDiscordance(ws, j, h, x));
  }
  return d;
}

std::vector<double> CredibilityCoefficients(const Workspace& ws, int i, int h) {
  const int n = ws.CriteriaCount;
  std::vector<double> c(static_cast<size_t>(n));
  for (int j = 1; j <= n; ++j) {
    c[j - 1] = PartialConcordance(ws, j, h, ws.AGrid.Real(2 + j, i));
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
