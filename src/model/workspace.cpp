#include "model/workspace.h"

namespace vido {

Workspace::Workspace() {
  // Labels the bounds table as the main window does when it is created.
  BGrid.SetSize(2, 3);
  BGrid.SetCell(0, 1, "LB - Lower Bound");
  BGrid.SetCell(0, 2, "UB - Upper Bound");
}

void Workspace::ResetResults() {
  ResultsAvailable = false;
  view.report_enabled = false;
  view.output_stale = true;
}

bool Workspace::FGridRowVisible(int row) const {
  if (row <= 0 || CategoriesCount < 2) return true;
  if (row > 5 * (CategoriesCount - 1)) return true;  // the direction row
  const int offset = (row - 1) % 5;
  if (offset == 3) return UseujButton;
  if (offset == 4) return UsevjButton;
  return true;
}

void Workspace::SetUsevj(bool down) {
  UsevjButton = down;
  if (!down) UseujButton = false;
  view.uj_button_enabled = down;
}

void Workspace::SetUseuj(bool down) {
  if (view.uj_button_enabled) UseujButton = down;
}

}  // namespace vido
