#include "cli/problem_summary.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <ostream>
#include <vector>

#include "model/problem_layout.h"
#include "support/number_text.h"

namespace vido {

namespace {

using Row = std::vector<std::string>;

// Prints rows as columns aligned on their widest cell, indented by two blanks.
void PrintColumns(std::ostream& out, const std::vector<Row>& rows) {
  std::vector<size_t> widths;
  for (const Row& row : rows) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  for (const Row& row : rows) {
    std::string line = " ";
    for (size_t c = 0; c < row.size(); ++c) {
      line += ' ' + row[c];
      if (c + 1 < row.size()) line += std::string(widths[c] - row[c].size() + 1, ' ');
    }
    out << line << '\n';
  }
}

std::string Range(const std::string& low, const std::string& high) {
  return "[" + low + ", " + high + "]";
}

// "0.5 k1 - k2 + 2 lambda >= 0.1", leaving out zero and empty coefficients.
std::string Constraint(const Table& c, int row, int criteria) {
  std::string text;
  for (int col = 1; col <= criteria + 1; ++col) {
    const std::string& cell = c.Cell(col, row);
    const std::optional<double> value = ParseReal(cell);
    if (cell.empty() || (value && *value == 0)) continue;
    const std::string name = c.Cell(col, 0);
    std::string term;
    if (value && std::abs(*value) == 1) {
      term = name;
    } else {
      term = (value ? FormatGeneral(std::abs(*value)) : cell) + " " + name;
    }
    const bool minus = value && *value < 0;
    if (text.empty()) {
      text = (minus ? "-" : "") + term;
    } else {
      text += (minus ? " - " : " + ") + term;
    }
  }
  if (text.empty()) text = "0";
  return text + " " + c.Cell(SignCol(criteria), row) + " " + c.Cell(RhsCol(criteria), row);
}

}  // namespace

void PrintProblemSummary(const Workspace& ws, const std::string& file_name, std::ostream& out) {
  const int n = ws.CriteriaCount;
  const int k = ws.CategoriesCount;
  const int m = ws.ActionsCount;
  const Table& a = ws.AGrid;
  const Table& f = ws.FGrid;
  const Table& b = ws.BGrid;
  const Table& c = ws.CGrid;

  int examples = 0;
  for (int i = 1; i <= m; ++i) {
    if (a.Cell(kELowCol, i) != "1" || a.Cell(kEHighCol, i) != std::to_string(k)) ++examples;
  }
  out << "Problem " << file_name << '\n'
      << Format(
             "  %d criteria, %d categories (%d profiles), %d actions (%d with an assignment "
             "example), %d additional constraints\n",
             n, k, k - 1, m, examples, ws.ConstraintsCount - 1);

  out << "\nCriteria (direction, bounds of the weight):\n";
  std::vector<Row> rows;
  for (int j = 1; j <= n; ++j) {
    rows.push_back({Format("g%d", j), f.Cell(j, 0),
                    f.Cell(j, DirectionRow(k)) == "1" ? "max" : "min",
                    b.Cell(1 + j, 0) + " in " + Range(b.Cell(1 + j, 1), b.Cell(1 + j, 2))});
  }
  PrintColumns(out, rows);
  out << "Cutting level: lambda in " << Range(b.Cell(1, 1), b.Cell(1, 2)) << '\n';

  out << "\nProfiles and thresholds (q indifference, p preference, u discordance, v veto):\n";
  rows.clear();
  Row head = {""};
  for (int j = 1; j <= n; ++j) head.push_back(f.Cell(j, 0));
  rows.push_back(head);
  for (int h = 1; h < k; ++h) {
    for (int offset = 0; offset < kProfileBlockRows; ++offset) {
      Row row = {f.Cell(0, ProfileRow(h, offset))};
      for (int j = 1; j <= n; ++j) row.push_back(f.Cell(j, ProfileRow(h, offset)));
      rows.push_back(row);
    }
  }
  PrintColumns(out, rows);

  out << "\nActions (performances, assignment example):\n";
  rows.clear();
  head = {"Action"};
  for (int j = 1; j <= n; ++j) head.push_back(a.Cell(PerformanceCol(j), 0));
  head.push_back("Example");
  rows.push_back(head);
  for (int i = 1; i <= m; ++i) {
    Row row = {a.Cell(kActionNameCol, i)};
    for (int j = 1; j <= n; ++j) row.push_back(a.Cell(PerformanceCol(j), i));
    const std::string& low = a.Cell(kELowCol, i);
    const std::string& high = a.Cell(kEHighCol, i);
    if (low == "1" && high == std::to_string(k)) {
      row.push_back("-");
    } else {
      row.push_back(low == high ? "C" + low : "C" + low + " to C" + high);
    }
    rows.push_back(row);
  }
  PrintColumns(out, rows);

  out << "\nConstraints on the parameters:\n";
  rows.clear();
  for (int row = 1; row <= ws.ConstraintsCount; ++row) {
    rows.push_back({c.Cell(0, row), Constraint(c, row, n)});
  }
  PrintColumns(out, rows);
}

}  // namespace vido
