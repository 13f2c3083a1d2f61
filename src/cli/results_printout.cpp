#include "cli/results_printout.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "support/number_text.h"
#include "support/utf8_text.h"

namespace vido {

namespace {

// Padded by the characters a terminal shows, so that a name such as "Saint-Étienne" (two
// bytes for "É") does not push its row's columns out of line.
std::string Column(const std::string& text, size_t width) {
  const size_t shown = DisplayLength(text);
  return shown >= width ? text + ' ' : text + std::string(width - shown, ' ');
}

}  // namespace

void PrintResults(std::ostream& out, const Workspace& ws) {
  const int n = ws.CriteriaCount;
  if (ws.RangesValid) {
    out << "The information is consistent (alpha = " << FormatGeneral(ws.Alpha, 5) << ").\n";
  } else {
    out << "The information is INCONSISTENT (alpha = " << FormatGeneral(ws.Alpha, 5)
        << "): no parameter vector satisfies every example, constraint and bound.\n";
  }
  out << "Inferred lambda: " << FormatGeneral(ws.InferredSolution[0], 5) << '\n';
  out << "Inferred weights:";
  for (int j = 1; j <= n; ++j) {
    out << (j > 1 ? ", " : " ") << "k" << j << " = " << FormatGeneral(ws.InferredSolution[j], 5);
  }
  out << "\n\n";

  size_t width = 6;
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    width = std::max(width, DisplayLength(ws.AGrid.Cell(0, i)));
  }
  width += 2;
  out << Column("Action", width) << "Worst  Inferred  Best  Holes\n";
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    const std::string worst = ws.RangesValid ? std::to_string(ws.WorstCategory[i]) : "-";
    const std::string best = ws.RangesValid ? std::to_string(ws.BestCategory[i]) : "-";
    std::string holes;
    if (ws.RangesValid) {
      for (int c = 1; c <= ws.CategoriesCount; ++c) {
        if (ws.RGrid.Cell(c, i) == "X") holes += (holes.empty() ? "C" : " C") + std::to_string(c);
      }
    }
    std::string line = Column(ws.AGrid.Cell(0, i), width) + Column(worst, 7) +
                       Column(std::to_string(ws.InferredCategory[i]), 10) + Column(best, 6) + holes;
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << '\n';
  }
  if (ws.RangesValid) {
    out << "\nGeometric mean of the range sizes: " << ws.view.label_ma << '\n';
    return;
  }
  out << "\nRows of the inference program violated by the inferred solution:\n";
  if (ws.IPGrid.RowCount() > 256) {
    out << "  (not marked: the program has more than 255 rows)\n";
  } else if (ws.ViolatedRows.empty()) {
    out << "  (none)\n";
  }
  for (const int r : ws.ViolatedRows) {
    const int row = r + 1;
    out << "  " << ws.IPGrid.Cell(0, row) << "  error "
        << ws.IPGrid.Cell(ws.IPGrid.ColCount() - 1, row) << '\n';
  }
  out << "Run \"vido-cli inconsistency\" for the smallest sets of constraints to remove.\n";
}

}  // namespace vido
