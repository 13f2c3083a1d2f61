#ifndef VIDO_TESTS_DIFFERENTIAL_RANDOM_PROBLEM_H_
#define VIDO_TESTS_DIFFERENTIAL_RANDOM_PROBLEM_H_

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/small_problem.h"
#include "sorting/credibility.h"
#include "support/number_text.h"

namespace vido::testing {

inline double Uniform(std::mt19937& rng, double lo, double hi) {
  return std::uniform_real_distribution<double>(lo, hi)(rng);
}
inline int Between(std::mt19937& rng, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rng);
}
inline std::string Num(double v) { return FormatGeneral(v, 4); }

// A random problem: profiles in order, thresholds with and without veto, examples
// near the categories a hidden parameter vector gives (or, with `wild_examples`, any
// categories at all, which makes most problems inconsistent), constraints of each
// sign that the hidden vector satisfies, and bounds.
inline void MakeRandomProblem(Workspace& ws, std::mt19937& rng, bool wild_examples = false) {
  const int n = Between(rng, 2, 5);
  const int k = Between(rng, 2, 6);
  const int m = Between(rng, 4, 14);
  MakeSmallProblem(ws, n, k, m);
  ws.SetUsevj(Between(rng, 0, 2) > 0);
  for (int j = 1; j <= n; ++j) {
    const bool maximised = Between(rng, 0, 3) > 0;
    SetDirection(ws, j, maximised ? "1" : "-1");
    for (int h = 1; h < k; ++h) {
      const double g = maximised ? 10.0 * h : 100 - 10.0 * h;
      const double q = Between(rng, 0, 2) == 0 ? 0 : Uniform(rng, 0, 2);
      const double p = q + (Between(rng, 0, 2) == 0 ? 0 : Uniform(rng, 0, 4));
      const double v = Between(rng, 0, 1) == 0 ? 0 : p + Uniform(rng, 1, 15);
      SetProfile(ws, h, j, *ParseReal(Num(g + Uniform(rng, -2, 2))), *ParseReal(Num(q)),
                 *ParseReal(Num(p)), 0, *ParseReal(Num(v)));
    }
  }
  // The hidden vector.
  std::vector<double> w(n);
  double sum = 0;
  for (double& x : w) sum += (x = Uniform(rng, 0.1, 1));
  for (double& x : w) x /= sum;
  const double lambda = Uniform(rng, 0.55, 0.85);

  for (int i = 1; i <= m; ++i) {
    std::vector<double> perf(n);
    for (int j = 1; j <= n; ++j) {
      const bool maximised = ws.FGrid.Cell(j, 5 * (k - 1) + 1) == "1";
      const double x = Uniform(rng, 0, 10.0 * k);
      perf[j - 1] = *ParseReal(Num(maximised ? x : 100 - x));
    }
    SetPerformances(ws, i, perf);
  }
  for (int i = 1; i <= m; ++i) {
    if (Between(rng, 0, 2) != 0) continue;
    int c = 1;
    while (c < k && Credibility(CredibilityCoefficients(ws, i, c), w) >= lambda + 0.001) ++c;
    if (wild_examples) c = Between(rng, 1, k);
    const int low = std::max(1, c - Between(rng, 0, 1));
    const int high = std::min(k, c + Between(rng, 0, 1));
    if (low == 1 && high == k) continue;
    SetExample(ws, i, low, high);
  }
  const int constraints = Between(rng, 0, 3);
  for (int t = 0; t < constraints; ++t) {
    std::vector<double> coef(n + 1);
    for (double& x : coef) x = Between(rng, -1, 2);
    double value = coef[0] * lambda;
    for (int j = 1; j <= n; ++j) value += coef[j] * w[j - 1];
    if (value < 0) {
      for (double& x : coef) x = -x;
      value = -value;
    }
    const int sign = Between(rng, 0, 5);
    std::vector<std::string> texts;
    for (double x : coef) texts.push_back(Num(x));
    if (sign == 0) {
      AddConstraint(ws, texts, "=", FormatGeneral(value));
    } else if (sign <= 2) {
      AddConstraint(ws, texts, "<=", Num(value + Uniform(rng, 0.01, 0.2)));
    } else {
      AddConstraint(ws, texts, ">=", Num(std::max(0.0, value - Uniform(rng, 0.01, 0.2))));
    }
  }
  ws.BGrid.SetCell(1, 1, Num(Uniform(rng, 0.5, 0.55)));
  ws.BGrid.SetCell(1, 2, Num(Uniform(rng, 0.9, 1)));
  for (int j = 1; j <= n; ++j) {
    ws.BGrid.SetCell(1 + j, 1, Between(rng, 0, 2) == 0 ? Num(Uniform(rng, 0, 0.05)) : "0");
    ws.BGrid.SetCell(1 + j, 2, Between(rng, 0, 2) == 0 ? Num(Uniform(rng, 0.6, 1)) : "1");
  }
}

}  // namespace vido::testing

#endif  // VIDO_TESTS_DIFFERENTIAL_RANDOM_PROBLEM_H_
