#include "model/agrid_dialogs.h"

#include <optional>
#include <string>

#include "model/problem_layout.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

// A line break would split the name's line of the problem file.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// The query of an example bound: asks again while the text is not an integer; an
// integer outside [low, high] ends with "Invalid category".
bool EditExampleBound(Workspace& ws, UserPort& port, int col, int row, const char* prompt, int low,
                      int high) {
  const std::string title = "Assignment example for action " + ws.AGrid.Cell(kActionNameCol, row);
  std::string initial = ws.AGrid.Cell(col, row);
  for (;;) {
    const std::optional<std::string> answer = port.QueryText(title, prompt, initial);
    if (!answer) return false;
    const std::optional<int> value = ParseInteger(*answer);
    if (!value) {
      initial = *answer;
      continue;
    }
    if (*value < low || *value > high) {
      port.Error("Invalid category");
      return false;
    }
    ws.AGrid.SetInteger(col, row, *value);
    ws.ResetResults();
    return true;
  }
}

}  // namespace

void AGridMouseDown(Workspace& ws, int col, int row) {
  Table& a = ws.AGrid;
  if (!a.Contains(col, row)) return;
  const int current_row = row >= a.FixedRows() ? row : a.CurrentRow();
  int current_col = col < a.FixedCols() ? a.FixedCols() : col;
  if (current_col >= a.ColCount()) current_col = a.ColCount() - 1;
  a.SetCurrent(current_col, current_row);
}

bool AGridMouseUp(Workspace& ws, UserPort& port, int col, int row) {
  Table& a = ws.AGrid;
  if (!ws.HasProblem() || !a.Contains(col, row)) return false;
  bool changed = false;
  RunCommand(port, [&] {
    if (row == 0) {
      if (col < a.FixedCols()) return;
      const std::optional<std::string> name =
          port.QueryText("Edit criterion name", "New name for this criterion", a.Cell(col, 0));
      if (!name) return;
      a.SetCell(col, 0, OneLine(*name));
      ws.FGrid.SetCell(col - 2, 0, OneLine(*name));
      ws.ResetResults();
      changed = true;
      return;
    }
    if (col == kActionNameCol) {
      const std::optional<std::string> name =
          port.QueryText("Edit action name", "New name for this action", a.Cell(col, row));
      if (!name) return;
      a.SetCell(col, row, OneLine(*name));
      ws.ResetResults();
      changed = true;
    } else if (col == kELowCol) {
      changed =
          EditExampleBound(ws, port, col, row, "Lower category", 1, a.Integer(kEHighCol, row));
    } else if (col == kEHighCol) {
      changed = EditExampleBound(ws, port, col, row, "Upper category", a.Integer(kELowCol, row),
                                 ws.CategoriesCount);
    }
  });
  return changed;
}

}  // namespace vido
