#include "sorting/result_display.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "support/number_text.h"

namespace vido {

namespace {

struct Example {
  int low;
  int high;
};

// The example of action i as it reads now, or nothing while a cell is not a number.
std::optional<Example> ReadExample(const Workspace& ws, int i) {
  const auto low = ParseInteger(ws.AGrid.Cell(1, i));
  const auto high = ParseInteger(ws.AGrid.Cell(2, i));
  if (!low || !high) return std::nullopt;
  return Example{*low, *high};
}

bool HasExample(const Workspace& ws, int i) {
  const auto example = ReadExample(ws, i);
  return example && (example->low > 1 || example->high < ws.CategoriesCount);
}

int ResultOf(const std::vector<int>& values, int i) {
  return i >= 0 && static_cast<size_t>(i) < values.size() ? values[i] : 0;
}

CellFill RangeFill(const Workspace& ws, const Table& grid, int col, int row, int i) {
  const int worst = ResultOf(ws.WorstCategory, i);
  const int best = ResultOf(ws.BestCategory, i);
  if (col < worst || col > best) return CellFill::kWhite;
  if (col == ResultOf(ws.InferredCategory, i)) return CellFill::kGreen;
  if (grid.Cell(col, row) == "X") return CellFill::kHatched;
  return CellFill::kLime;
}

CellFill ExampleFill(const Workspace& ws, int col, int i) {
  if (col != ResultOf(ws.InferredCategory, i)) return CellFill::kWhite;
  const auto example = ReadExample(ws, i);
  if (!example) return CellFill::kWhite;
  return example->low <= col && col <= example->high ? CellFill::kGreen : CellFill::kRed;
}

// Shared by both tables; `action` is the 1-based action shown in `row`.
CellLook ResultCellLook(const Workspace& ws, const Table& grid, int col, int row, int action,
                        bool by_ranges) {
  CellLook look;
  if (row < grid.FixedRows()) {
    look.fill = CellFill::kHeader;
    look.text = grid.Cell(col, row);
    return look;
  }
  if (col == 0) {
    look.text = grid.Cell(col, row);
    look.fill = action >= 1 && action <= ws.ActionsCount && HasExample(ws, action)
                    ? CellFill::kCyan
                    : CellFill::kHeader;
    return look;
  }
  if (action < 1 || action > ws.ActionsCount) return look;
  look.fill = by_ranges ? RangeFill(ws, grid, col, row, action) : ExampleFill(ws, col, action);
  return look;
}

void EmptySelectedSolution(Workspace& ws) {
  for (int c = 0; c <= ws.CriteriaCount; ++c) ws.DGrid.SetCell(c, 1, "");
}

}  // namespace

CellLook RGridCellLook(const Workspace& ws, int col, int row) {
  return ResultCellLook(ws, ws.RGrid, col, row, row, ws.RangesValid);
}

CellLook ORGridCellLook(const Workspace& ws, int col, int row) {
  // Row r shows action VariabilityOrder[r-1] + 1.
  int action = 0;
  if (row >= 1 && static_cast<size_t>(row - 1) < ws.VariabilityOrder.size()) {
    action = ws.VariabilityOrder[row - 1] + 1;
  }
  return ResultCellLook(ws, ws.ORGrid, col, row, action, true);
}

CellLook AccGridCellLook(const Workspace& ws, int col, int row) {
  const Table& grid = ws.AccGrid;
  CellLook look;
  look.text = grid.Cell(col, row);
  const int k = ws.CategoriesCount;
  if (row < grid.FixedRows() || col < grid.FixedCols()) {
    look.fill = CellFill::kHeader;
    return look;
  }
  if (col > k) return look;  // the likeliest and the central category
  const std::optional<double> share = ParseReal(look.text);
  if (!share) return look;  // a category proven out of reach: empty
  look.fill = CellFill::kShade;
  look.shade = static_cast<int>(std::lround(std::clamp(*share, 0.0, 1.0) * 100));
  look.bold =
      static_cast<size_t>(row) < ws.InferredCategory.size() && ws.InferredCategory[row] == col;
  return look;
}

CellLook DGridCellLook(const Workspace& ws, int col, int row) {
  CellLook look;
  look.text = ws.DGrid.Cell(col, row);
  if (row < ws.DGrid.FixedRows()) look.fill = CellFill::kHeader;
  look.green_text = row == 2;
  return look;
}

CellLook IPGridCellLook(const Workspace& ws, int col, int row) {
  const Table& grid = ws.IPGrid;
  CellLook look;
  look.text = grid.Cell(col, row);
  if (row < grid.FixedRows() || col < grid.FixedCols()) look.fill = CellFill::kHeader;
  if (row < grid.FixedRows()) return look;
  if (look.text == "0" && col != grid.ColCount() - 2) look.text.clear();
  for (const int violated : ws.ViolatedRows) {
    if (violated == row - 1) look.red_text = true;
  }
  return look;
}

void byInputItemClick(Workspace& ws) {
  ws.display_order = DisplayOrder::kInput;
  EmptySelectedSolution(ws);
}

void byVariabilityItemClick(Workspace& ws) {
  ws.display_order = DisplayOrder::kVariability;
  EmptySelectedSolution(ws);
}

}  // namespace vido
