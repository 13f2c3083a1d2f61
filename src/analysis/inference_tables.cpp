#include "analysis/inference_tables.h"

#include <vector>

#include "sorting/credibility.h"
#include "support/command_error.h"
#include "support/number_text.h"

namespace vido {

namespace {

std::string Num(double value) { return FormatGeneral(value); }

// A coefficient cell of CGrid; an empty cell counts as 0.
double Coefficient(const Table& grid, int col, int row) {
  return grid.Cell(col, row).empty() ? 0.0 : grid.Real(col, row);
}

// Checked before anything is written, so that a bad sign never leaves a half-built table.
void CheckConstraintSenses(const Workspace& ws) {
  for (int r = 2; r < ws.CGrid.RowCount(); ++r) ConstraintSense(ws, r);
}

// A bound that restricts more than [0, 1]: an "LB" row for LB > 0, a "UB" row for UB
// not >= 1.
struct BoundRow {
  std::string name;
  int column;  // of the variable among lambda, k_1..k_n (0 is lambda)
  double value;
  bool lower;
};

// Variable by variable, the lower bound's row before the upper bound's.
std::vector<BoundRow> ReadBoundRows(const Workspace& ws) {
  std::vector<BoundRow> rows;
  for (int u = 0; u <= ws.CriteriaCount; ++u) {
    const std::string& name = ws.BGrid.Cell(1 + u, 0);
    const double lower = ws.BGrid.Real(1 + u, 1);
    const double upper = ws.BGrid.Real(1 + u, 2);
    if (lower > 0) rows.push_back({"LB " + name, u, lower, true});
    if (!(upper >= 1)) rows.push_back({"UB " + name, u, upper, false});
  }
  return rows;
}

void WriteVariableHeaders(Table& grid, int first_col, int n) {
  grid.SetCell(first_col, 0, "lambda");
  for (int j = 1; j <= n; ++j) grid.SetCell(first_col + j, 0, Format("k%d", j));
}

}  // namespace

char ConstraintSense(const Workspace& ws, int row) {
  const int n = ws.CriteriaCount;
  const std::string& sign = ws.CGrid.Cell(n + 2, row);
  if (!sign.empty() && (sign[0] == '<' || sign[0] == '=' || sign[0] == '>')) return sign[0];
  throw CommandError(Format("Invalid sign \"%s\" in constraint %s (row %d): use <=, = or >=",
                            sign.c_str(), ws.CGrid.Cell(0, row).c_str(), row - 1));
}

std::string AnalysisTableCellText(const Table& igrid, int col, int row) {
  const std::string& text = igrid.Cell(col, row);
  if (text == "0" && col != igrid.ColCount() - 1) return "";
  return text;
}

void BuildExampleConstraints(Workspace& ws, UserPort& port) {
  const int n = ws.CriteriaCount;
  const int k = ws.CategoriesCount;
  Table& ic = ws.ICGrid;
  ws.ExampleRowsCount = 0;
  ic.SetSize(n + 4, 2);
  ic.Clear();
  ic.SetCell(0, 0, "");
  WriteVariableHeaders(ic, 1, n);
  ic.SetCell(n + 2, 0, "<,=,>");
  ic.SetCell(n + 3, 0, "RHS");
  // The placeholder row stays when no example yields a row.
  for (int c = 1; c <= n + 1; ++c) ic.SetCell(c, 1, "0");
  ic.SetCell(n + 2, 1, ">=");
  ic.SetCell(n + 3, 1, "0");

  auto append = [&](const std::string& description, const char* lambda,
                    const std::vector<double>& coefficients, double sign, const char* rhs) {
    const int row = ++ws.ExampleRowsCount;
    if (ic.RowCount() < row + 1) ic.SetRowCount(row + 1);
    ic.SetCell(0, row, description);
    ic.SetCell(1, row, lambda);
    for (int j = 1; j <= n; ++j) ic.SetCell(1 + j, row, Num(sign * coefficients[j - 1]));
    ic.SetCell(n + 2, row, ">=");
    ic.SetCell(n + 3, row, rhs);
  };

  for (int i = 1; i <= ws.ActionsCount; ++i) {
    for (int j = 1; j <= n; ++j) ws.AGrid.Real(2 + j, i);  // every performance must read
    const int low = ws.AGrid.Integer(1, i);
    const int high = ws.AGrid.Integer(2, i);
    const std::string& name = ws.AGrid.Cell(0, i);
    if (low > k) {
      // No profile b_{ELow-1} exists: the example cannot be stated at all.
      throw CommandError(Format("Invalid assignment example of %s: lower category %d exceeds %d",
                                name.c_str(), low, k));
    }
    std::vector<double> lower_coefficients;
    std::vector<double> upper_coefficients;
    if (low > 1) {
      // sigma(a, b_{ELow-1}) - lambda >= 0
      lower_coefficients = CredibilityCoefficients(ws, i, low - 1);
      append(Format("C(%s)>=%d", name.c_str(), low), "-1", lower_coefficients, 1.0, "0");
    }
    if (high > 0 && high < k) {
      // lambda - sigma(a, b_EHigh) >= 0.0001: sigma strictly below lambda
      upper_coefficients = CredibilityCoefficients(ws, i, high);
      append(Format("C(%s)<=%d", name.c_str(), high), "1", upper_coefficients, -1.0, "0.0001");
    }
    if (!lower_coefficients.empty() && !upper_coefficients.empty() &&
        lower_coefficients == upper_coefficients) {
      port.Warning("Symmetric constraints due to assignment example of " + name +
                   ". Infeasible problem.");
    }
  }
}

void BuildInferenceProgram(Workspace& ws) {
  CheckConstraintSenses(ws);
  const std::vector<BoundRow> bounds = ReadBoundRows(ws);
  const int n = ws.CriteriaCount;
  Table& ip = ws.IPGrid;
  ip.SetSize(n + 6, 1);
  ip.Clear();
  ip.SetCell(0, 0, "Descr");
  ip.SetCell(1, 0, "alpha");
  WriteVariableHeaders(ip, 2, n);
  ip.SetCell(n + 3, 0, "<,=,>");
  ip.SetCell(n + 4, 0, "RHS");
  ip.SetCell(n + 5, 0, "Error");

  auto add_row = [&]() {
    const int row = ip.RowCount();
    ip.SetRowCount(row + 1);
    return row;
  };
  for (int r = 1; r <= ws.ExampleRowsCount; ++r) {
    const int row = add_row();
    ip.SetCell(0, row, ws.ICGrid.Cell(0, r));
    ip.SetCell(1, row, "1");
    for (int c = 1; c <= n + 1; ++c) ip.SetCell(1 + c, row, ws.ICGrid.Cell(c, r));
    ip.SetCell(n + 3, row, ">=");
    ip.SetCell(n + 4, row, ws.ICGrid.Cell(n + 3, r));
  }
  // The "Norm" row (row 1) is left out: the loader adds its own normalisation.
  for (int r = 2; r < ws.CGrid.RowCount(); ++r) {
    const char sense = ConstraintSense(ws, r);
    auto copy = [&](const char* alpha, const char* sign) {
      const int row = add_row();
      ip.SetCell(0, row, ws.CGrid.Cell(0, r));
      ip.SetCell(1, row, alpha);
      for (int c = 1; c <= n + 1; ++c) ip.SetCell(1 + c, row, ws.CGrid.Cell(c, r));
      ip.SetCell(n + 3, row, sign);
      ip.SetCell(n + 4, row, ws.CGrid.Cell(n + 3, r));
    };
    if (sense == '<') {
      copy("-1", "<=");
    } else if (sense == '>') {
      copy("1", ">=");
    } else {
      copy("1", ">=");
      copy("-1", "<=");
    }
  }
  for (const BoundRow& bound : bounds) {
    const bool lower = bound.lower;
    const int row = add_row();
    ip.SetCell(0, row, bound.name);
    ip.SetCell(1, row, lower ? "1" : "-1");
    for (int u = 0; u <= n; ++u) ip.SetCell(2 + u, row, u == bound.column ? "1" : "0");
    ip.SetCell(n + 3, row, lower ? ">=" : "<=");
    ip.SetCell(n + 4, row, Num(bound.value));
  }
}

void BuildAnalysisTable(Workspace& ws) {
  CheckConstraintSenses(ws);
  const std::vector<BoundRow> bounds = ReadBoundRows(ws);
  const int n = ws.CriteriaCount;
  // Negated rows need the numbers of their constraints; read them all before writing.
  for (int r = 2; r < ws.CGrid.RowCount(); ++r) {
    if (ConstraintSense(ws, r) == '>') continue;
    for (int c = 1; c <= n + 1; ++c) Coefficient(ws.CGrid, c, r);
    ws.CGrid.Real(n + 3, r);
  }
  Table& ig = ws.IGrid;
  ig.SetFixedCols(2);
  ig.SetFixedRows(1);
  ig.SetSize(n + 5, 1);
  ig.Clear();
  ig.SetCell(0, 0, "No.");
  ig.SetCell(1, 0, "Descr");
  WriteVariableHeaders(ig, 2, n);
  ig.SetCell(n + 3, 0, ">=");
  ig.SetCell(n + 4, 0, "RHS");

  auto add_row = [&](const std::string& description) {
    const int row = ig.RowCount();
    ig.SetRowCount(row + 1);
    ig.SetCell(0, row, Format("%d", row));
    ig.SetCell(1, row, description);
    ig.SetCell(n + 3, row, ">=");
    return row;
  };
  for (int r = 1; r <= ws.ExampleRowsCount; ++r) {
    const int row = add_row(ws.ICGrid.Cell(0, r));
    for (int c = 1; c <= n + 1; ++c) ig.SetCell(1 + c, row, ws.ICGrid.Cell(c, r));
    ig.SetCell(n + 4, row, ws.ICGrid.Cell(n + 3, r));
  }
  for (int r = 2; r < ws.CGrid.RowCount(); ++r) {
    const char sense = ConstraintSense(ws, r);
    const std::string& description = ws.CGrid.Cell(0, r);
    auto as_is = [&]() {
      const int row = add_row(description);
      for (int c = 1; c <= n + 1; ++c) ig.SetCell(1 + c, row, ws.CGrid.Cell(c, r));
      ig.SetCell(n + 4, row, ws.CGrid.Cell(n + 3, r));
    };
    auto negated = [&]() {
      const int row = add_row(description);
      for (int c = 1; c <= n + 1; ++c) ig.SetCell(1 + c, row, Num(-Coefficient(ws.CGrid, c, r)));
      ig.SetCell(n + 4, row, Num(-ws.CGrid.Real(n + 3, r)));
    };
    if (sense == '>') {
      as_is();
    } else if (sense == '<') {
      negated();
    } else {
      negated();
      as_is();
    }
  }
  for (const BoundRow& bound : bounds) {
    const bool lower = bound.lower;
    const int row = add_row(bound.name);
    for (int u = 0; u <= n; ++u) {
      ig.SetCell(2 + u, row, u != bound.column ? "0" : (lower ? "1" : "-1"));
    }
    ig.SetCell(n + 4, row, Num(lower ? bound.value : -bound.value));
  }
}

}  // namespace vido
