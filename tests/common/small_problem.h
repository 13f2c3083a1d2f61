#ifndef VIDO_TESTS_COMMON_SMALL_PROBLEM_H_
#define VIDO_TESTS_COMMON_SMALL_PROBLEM_H_

#include <string>
#include <vector>

#include "model/workspace.h"
#include "support/number_text.h"

namespace vido::testing {

// Fills a Workspace's input tables directly with the defaults of a new problem of n
// criteria, K categories and m actions, so that tests of the analyses do not depend
// on the file reader or the editing commands.
inline void MakeSmallProblem(Workspace& ws, int n, int k, int m) {
  ws.CriteriaCount = n;
  ws.CategoriesCount = k;
  ws.ActionsCount = m;
  ws.ConstraintsCount = 1;

  ws.AGrid.SetSize(3 + n, 1 + m);
  ws.AGrid.SetCell(0, 0, "Action");
  ws.AGrid.SetCell(1, 0, "ELow");
  ws.AGrid.SetCell(2, 0, "EHigh");
  ws.FGrid.SetSize(1 + n, 5 * (k - 1) + 2);
  for (int j = 1; j <= n; ++j) {
    ws.AGrid.SetCell(2 + j, 0, Format("g%d", j));
    ws.FGrid.SetCell(j, 0, Format("g%d", j));
  }
  for (int i = 1; i <= m; ++i) {
    ws.AGrid.SetCell(0, i, Format("%d", i - 1));
    ws.AGrid.SetCell(1, i, "1");
    ws.AGrid.SetCell(2, i, Format("%d", k));
    for (int j = 1; j <= n; ++j) ws.AGrid.SetCell(2 + j, i, "0");
  }
  const char* labels[5] = {"g(b%d)", "q%d", "p%d", "u%d", "v%d"};
  for (int h = 1; h < k; ++h) {
    for (int o = 0; o < 5; ++o) {
      const int row = 5 * (h - 1) + 1 + o;
      ws.FGrid.SetCell(0, row, Format(labels[o], h));
      for (int j = 1; j <= n; ++j) ws.FGrid.SetCell(j, row, "0");
    }
  }
  ws.FGrid.SetCell(0, 5 * (k - 1) + 1, "MAX/min?(1/-1)");
  for (int j = 1; j <= n; ++j) ws.FGrid.SetCell(j, 5 * (k - 1) + 1, "1");

  ws.BGrid.SetSize(n + 2, 3);
  ws.BGrid.SetCell(1, 0, "lambda");
  ws.BGrid.SetCell(1, 1, "0.5");
  ws.BGrid.SetCell(1, 2, "1.0");
  for (int j = 1; j <= n; ++j) {
    ws.BGrid.SetCell(1 + j, 0, Format("k%d", j));
    ws.BGrid.SetCell(1 + j, 1, "0");
    ws.BGrid.SetCell(1 + j, 2, "0.5");
  }

  ws.CGrid.SetSize(n + 4, 2);
  ws.CGrid.SetCell(1, 0, "lambda");
  for (int j = 1; j <= n; ++j) ws.CGrid.SetCell(1 + j, 0, Format("k%d", j));
  ws.CGrid.SetCell(n + 2, 0, "<,=,>");
  ws.CGrid.SetCell(n + 3, 0, "RHS");
  ws.CGrid.SetCell(0, 1, "Norm");
  ws.CGrid.SetCell(1, 1, "0");
  for (int j = 1; j <= n; ++j) ws.CGrid.SetCell(1 + j, 1, "1");
  ws.CGrid.SetCell(n + 2, 1, "=");
  ws.CGrid.SetCell(n + 3, 1, "1");
}

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
