#ifndef VIDO_TESTS_COMMON_SMALL_PROBLEM_H_
#define VIDO_TESTS_COMMON_SMALL_PROBLEM_H_

#include <string>
#include <vector>

#include "model/new_problem.h"
#include "model/workspace.h"
#include "support/number_text.h"

namespace vido::testing {

// A new problem of n criteria, K categories and m actions with its defaults, which the
// tests then shape with the setters below.
inline void MakeSmallProblem(Workspace& ws, int n, int k, int m) { BuildNewProblem(ws, n, m, k); }

// FGrid cell of profile h: offset 0 g(b), 1 q, 2 p, 3 u, 4 v.
inline void SetThreshold(Workspace& ws, int h, int offset, int j, const std::string& text) {
  ws.FGrid.SetCell(j, 5 * (h - 1) + 1 + offset, text);
}

inline void SetProfile(Workspace& ws, int h, int j, double g, double q = 0, double p = 0,
                       double u = 0, double v = 0) {
  const double values[5] = {g, q, p, u, v};
  for (int o = 0; o < 5; ++o) SetThreshold(ws, h, o, j, FormatGeneral(values[o]));
}

inline void SetDirection(Workspace& ws, int j, const std::string& text) {
  ws.FGrid.SetCell(j, 5 * (ws.CategoriesCount - 1) + 1, text);
}

inline void SetPerformances(Workspace& ws, int i, const std::vector<double>& values) {
  for (size_t j = 0; j < values.size(); ++j) {
    ws.AGrid.SetCell(3 + static_cast<int>(j), i, FormatGeneral(values[j]));
  }
}

inline void SetExample(Workspace& ws, int i, int low, int high) {
  ws.AGrid.SetCell(1, i, Format("%d", low));
  ws.AGrid.SetCell(2, i, Format("%d", high));
}

// Appends an additional constraint "ad%d": coefficients of lambda, k_1..k_n, sign, RHS.
inline void AddConstraint(Workspace& ws, const std::vector<std::string>& coefficients,
                          const std::string& sign, const std::string& rhs) {
  const int n = ws.CriteriaCount;
  const int row = ws.CGrid.RowCount();
  ws.CGrid.SetRowCount(row + 1);
  ws.ConstraintsCount = row;
  ws.CGrid.SetCell(0, row, Format("ad%d", row - 1));
  for (size_t c = 0; c < coefficients.size(); ++c) {
    ws.CGrid.SetCell(1 + static_cast<int>(c), row, coefficients[c]);
  }
  ws.CGrid.SetCell(n + 2, row, sign);
  ws.CGrid.SetCell(n + 3, row, rhs);
}

}  // namespace vido::testing

#endif  // VIDO_TESTS_COMMON_SMALL_PROBLEM_H_
