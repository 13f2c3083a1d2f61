#ifndef VIDO_TESTS_COMMON_GENERATED_PROBLEM_H_
#define VIDO_TESTS_COMMON_GENERATED_PROBLEM_H_

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "model/new_problem.h"
#include "model/workspace.h"
#include "sorting/credibility.h"
#include "support/number_text.h"

namespace vido::testing {

// Problems of the sizes the program accepts, for the tests and the benchmarks: n
// criteria, k categories, m actions of which the first `examples` have assignment
// examples.
// Profiles spread evenly, thresholds q 1, p 3 and a veto at 25 on every criterion;
// random performances; the examples are the categories a hidden vector (equal
// weights, lambda 0.7) gives, widened by one category on one side for half of them.
inline Workspace GeneratedProblem(int n, int k, int m, int examples) {
  Workspace ws;
  BuildNewProblem(ws, n, m, k);
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> unit(0, 1);
  const double step = 100.0 / k;
  for (int j = 1; j <= n; ++j) {
    for (int h = 1; h < k; ++h) {
      const int row = 5 * (h - 1) + 1;
      ws.FGrid.SetCell(j, row, FormatGeneral(step * h));
      ws.FGrid.SetCell(j, row + 1, "1");
      ws.FGrid.SetCell(j, row + 2, "3");
      ws.FGrid.SetCell(j, row + 4, "25");
    }
    ws.BGrid.SetCell(1 + j, 2, "0.3");
  }
  for (int i = 1; i <= m; ++i) {
    const double level = unit(rng) * 100;
    for (int j = 1; j <= n; ++j) {
      const double x = std::clamp(level + (unit(rng) - 0.5) * 40, 0.0, 100.0);
      ws.AGrid.SetCell(2 + j, i, FormatGeneral(std::round(x * 10) / 10));
    }
  }
  const std::vector<double> weights(n, 1.0 / n);
  for (int i = 1; i <= examples; ++i) {
    int c = 1;
    while (c < k && Credibility(CredibilityCoefficients(ws, i, c), weights) >= 0.7 + 0.01) ++c;
    int low = c;
    int high = c;
    if (i % 2 == 0) (i % 4 == 0 ? low : high) += i % 4 == 0 ? -1 : 1;
    low = std::max(low, 1);
    high = std::min(high, k);
    ws.AGrid.SetCell(1, i, std::to_string(low));
    ws.AGrid.SetCell(2, i, std::to_string(high));
  }
  return ws;
}

// GeneratedProblem with `contradictions` of its examples (spread evenly over them) moved
// two categories away from the hidden vector's, the other way where two steps do not
// fit: each contradicts the examples the hidden vector satisfies, so the smallest sets
// to drop hold one row of each.
inline Workspace InconsistentProblem(int n, int k, int m, int examples, int contradictions) {
  Workspace ws = GeneratedProblem(n, k, m, examples);
  for (int t = 0; t < contradictions; ++t) {
    const int i = 1 + t * examples / contradictions;
    const int low = std::stoi(ws.AGrid.Cell(1, i));
    const int high = std::stoi(ws.AGrid.Cell(2, i));
    const int wrong = high + 2 <= k ? high + 2 : low - 2;
    ws.AGrid.SetCell(1, i, std::to_string(std::clamp(wrong, 1, k)));
    ws.AGrid.SetCell(2, i, std::to_string(std::clamp(wrong, 1, k)));
  }
  return ws;
}

}  // namespace vido::testing

#endif  // VIDO_TESTS_COMMON_GENERATED_PROBLEM_H_
