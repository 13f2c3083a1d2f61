#include "model/grid_rules.h"

#include <algorithm>
#include <optional>

#include "model/problem_layout.h"
#include "support/number_text.h"

namespace vido {

namespace {

bool IsDigit(char32_t key) { return key >= U'0' && key <= U'9'; }

// backspace, "-", ".", 0..9: the keys of every number cell.
bool NumberKey(char32_t key) { return key == U'\b' || key == U'-' || key == U'.' || IsDigit(key); }

bool IsHeader(const Table& t, int col, int row) {
  return col < t.FixedCols() || row < t.FixedRows();
}

std::optional<int> IntegerCell(const Table& t, int col, int row) {
  return ParseInteger(t.Cell(col, row));
}

// The u (or v) text is shown only when the preference threshold p lies strictly below
// it and it is not zero: otherwise it plays no part in the discordance.
bool ThresholdUsed(const Table& f, int col, int row, int p_row) {
  const std::optional<double> value = ParseReal(f.Cell(col, row));
  const std::optional<double> p = ParseReal(f.Cell(col, p_row));
  if (!value || !p) return true;
  return *p < *value && *value != 0;
}

InputCellLook AGridLook(const Workspace& ws, int col, int row) {
  InputCellLook look;
  const Table& a = ws.AGrid;
  if (row < a.FixedRows()) {
    look.fill = InputFill::kHeader;
    return look;
  }
  const std::optional<int> low = IntegerCell(a, kELowCol, row);
  const std::optional<int> high = IntegerCell(a, kEHighCol, row);
  const int k = ws.CategoriesCount;
  const bool low_set = low && *low > 1;
  const bool high_set = high && *high < k;
  if (col == kActionNameCol) {
    look.fill = low_set || high_set ? InputFill::kCyan : InputFill::kHeader;
  } else if (col == kELowCol) {
    look.fill = low_set ? InputFill::kYellow : InputFill::kHeader;
  } else if (col == kEHighCol) {
    look.fill = high_set ? InputFill::kYellow : InputFill::kHeader;
  }
  return look;
}

InputCellLook FGridLook(const Workspace& ws, int col, int row) {
  InputCellLook look;
  const Table& f = ws.FGrid;
  if (IsHeader(f, col, row)) {
    look.fill = InputFill::kHeader;
    return look;
  }
  if (ws.CategoriesCount < 2) return look;
  if (row == DirectionRow(ws.CategoriesCount)) {
    look.fill = InputFill::kLime;
    return look;
  }
  if (row > DirectionRow(ws.CategoriesCount)) return look;
  const int offset = (row - 1) % kProfileBlockRows;
  if (offset == kProfileValue) look.fill = InputFill::kLime;
  if (offset == kDiscordance) look.white_text = !ThresholdUsed(f, col, row, row - 1);
  if (offset == kVeto) look.white_text = !ThresholdUsed(f, col, row, row - 2);
  return look;
}

InputCellLook CGridLook(const Workspace& ws, int col, int row) {
  InputCellLook look;
  const Table& c = ws.CGrid;
  if (IsHeader(c, col, row)) {
    look.fill = InputFill::kHeader;
    return look;
  }
  const std::string& label = c.Cell(0, row);
  if (!label.empty() && label[0] != 'a') look.fill = InputFill::kYellow;
  look.blank = col != c.ColCount() - 1 && c.Cell(col, row) == "0";
  return look;
}

}  // namespace

const Table& GridTable(const Workspace& ws, GridId grid) {
  switch (grid) {
    case GridId::kAGrid:
      return ws.AGrid;
    case GridId::kFGrid:
      return ws.FGrid;
    case GridId::kBGrid:
      return ws.BGrid;
    case GridId::kCGrid:
      return ws.CGrid;
    case GridId::kRGrid:
      return ws.RGrid;
    case GridId::kORGrid:
      return ws.ORGrid;
    case GridId::kDGrid:
      return ws.DGrid;
    case GridId::kICGrid:
      return ws.ICGrid;
    case GridId::kIPGrid:
      return ws.IPGrid;
    case GridId::kAccGrid:
      return ws.AccGrid;
  }
  return ws.AGrid;
}

Table& GridTable(Workspace& ws, GridId grid) {
  return const_cast<Table&>(GridTable(static_cast<const Workspace&>(ws), grid));
}

bool IsInputGrid(GridId grid) {
  return grid == GridId::kAGrid || grid == GridId::kFGrid || grid == GridId::kBGrid ||
         grid == GridId::kCGrid;
}

InputCellLook InputCellLookAt(const Workspace& ws, GridId grid, int col, int row) {
  switch (grid) {
    case GridId::kAGrid:
      return AGridLook(ws, col, row);
    case GridId::kFGrid:
      return FGridLook(ws, col, row);
    case GridId::kCGrid:
      return CGridLook(ws, col, row);
    default: {
      InputCellLook look;
      if (IsHeader(GridTable(ws, grid), col, row)) look.fill = InputFill::kHeader;
      return look;
    }
  }
}

bool CGridRowReadOnly(const Workspace& ws, int row) {
  const std::string& label = ws.CGrid.Cell(0, row);
  return label.empty() || label[0] != 'a';
}

bool CellSelectable(const Workspace& ws, GridId grid, int col, int row) {
  const Table& t = GridTable(ws, grid);
  if (!t.Contains(col, row) || IsHeader(t, col, row)) return false;
  if (grid == GridId::kCGrid) {
    const std::string& label = ws.CGrid.Cell(0, row);
    return label.empty() || label[0] == 'a';
  }
  return true;
}

bool CellEditable(const Workspace& ws, GridId grid, int col, int row) {
  if (!IsInputGrid(grid)) return false;
  const Table& t = GridTable(ws, grid);
  if (!t.Contains(col, row) || IsHeader(t, col, row)) return false;
  return grid != GridId::kCGrid || !CGridRowReadOnly(ws, row);
}

bool InputGridAcceptsKey(const Workspace& ws, GridId grid, int col, int row, char32_t key) {
  switch (grid) {
    case GridId::kAGrid:
    case GridId::kBGrid:
      return NumberKey(key);
    case GridId::kFGrid:
      if (ws.CategoriesCount >= 2 && row == DirectionRow(ws.CategoriesCount)) {
        return key == U'\b' || key == U'-' || key == U'1';
      }
      return NumberKey(key);
    case GridId::kCGrid:
      if (CGridRowReadOnly(ws, row)) return false;
      if (col == ws.CGrid.ColCount() - 2) {
        return key == U'\b' || key == U'<' || key == U'=' || key == U'>';
      }
      return NumberKey(key);
    default:
      return false;
  }
}

bool InputGridKeyPress(Workspace& ws, GridId grid, int col, int row, char32_t key) {
  if (!IsInputGrid(grid)) return false;
  const bool accepted = InputGridAcceptsKey(ws, grid, col, row, key);
  ws.ResetResults();
  if (grid != GridId::kCGrid || !CGridRowReadOnly(ws, row)) ws.DataModified = true;
  return accepted;
}

bool SetInputCellText(Workspace& ws, GridId grid, int col, int row, const std::string& text) {
  if (!CellEditable(ws, grid, col, row)) return false;
  Table& t = GridTable(ws, grid);
  if (t.Cell(col, row) == text) return true;
  t.SetCell(col, row, text);
  ws.ResetResults();
  ws.DataModified = true;
  return true;
}

int CellSizeControl::Set(int wanted) {
  value = wanted < minimum ? minimum : wanted > maximum ? maximum : wanted;
  return value;
}

bool HeightAppliesTo(GridId grid) { return grid != GridId::kDGrid; }

int ColumnWidth(GridId grid, int col, int width) {
  if (col == 0 && (grid == GridId::kICGrid || grid == GridId::kIPGrid)) return 2 * width;
  return width;
}

bool ColumnFitsItsText(GridId grid, int col) { return col == 0 || grid == GridId::kDGrid; }

int FittedColumnWidth(GridId grid, int col, int width, int widest_text) {
  const int base = ColumnWidth(grid, col, width);
  if (!ColumnFitsItsText(grid, col)) return base;
  return std::max(base, std::min(widest_text, kMaxFittedWidth));
}

}  // namespace vido
