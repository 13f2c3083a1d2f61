#ifndef VIDO_MODEL_GRID_RULES_H_
#define VIDO_MODEL_GRID_RULES_H_

#include <string>

#include "model/workspace.h"

namespace vido {

// The nine tables the main window shows.
enum class GridId {
  kAGrid,
  kFGrid,
  kBGrid,
  kCGrid,
  kRGrid,
  kORGrid,
  kDGrid,
  kICGrid,
  kIPGrid,
  kAccGrid
};
inline constexpr int kGridCount = static_cast<int>(GridId::kAccGrid) + 1;

const Table& GridTable(const Workspace& ws, GridId grid);
Table& GridTable(Workspace& ws, GridId grid);
bool IsInputGrid(GridId grid);

// Fills of the input tables; the GUI maps each to its colour.
enum class InputFill {
  kHeader,  // a fixed cell, drawn as the toolkit draws headers
  kWhite,
  kCyan,    // RGB 0, 255, 255: name of an action with an assignment example
  kYellow,  // RGB 255, 255, 0: ELow above 1, EHigh below K, a read-only CGrid row
  kLime,    // RGB 0, 255, 0: profile values and directions of FGrid
};

struct InputCellLook {
  InputFill fill = InputFill::kWhite;
  bool white_text = false;  // a u or v threshold that plays no part in the discordance
  bool blank = false;       // the text is not drawn (a "0" coefficient of CGrid)
};

// How a cell of AGrid, FGrid, BGrid or CGrid is drawn. Never throws: a cell that does
// not hold a number is drawn plainly.
InputCellLook InputCellLookAt(const Workspace& ws, GridId grid, int col, int row);

// A CGrid row is read-only when its label does not start with "a" (the "Norm" row).
// Its cells cannot become the current cell unless the label is empty.
bool CGridRowReadOnly(const Workspace& ws, int row);
bool CellSelectable(const Workspace& ws, GridId grid, int col, int row);
// Cells typed into in place: the non-header cells of the input tables, except the
// read-only CGrid rows. The output tables are read-only.
bool CellEditable(const Workspace& ws, GridId grid, int col, int row);

// The key filter of an input table for a key typed into cell (col, row): backspace is
// '\b'; any other character is given as its code point.
bool InputGridAcceptsKey(const Workspace& ws, GridId grid, int col, int row, char32_t key);
// A key typed into an input table, accepted or not: the results become stale and the
// data count as modified (not for a read-only CGrid row). True when the key may reach
// the cell.
bool InputGridKeyPress(Workspace& ws, GridId grid, int col, int row, char32_t key);
// A cell's text as the in-place editor leaves it. A change by any way (keys, deleting,
// cutting) makes the results stale and the data modified. False when the cell is not
// editable, which leaves it unchanged.
bool SetInputCellText(Workspace& ws, GridId grid, int col, int row, const std::string& text);

// A cell whose text is wider than the table's default column width shows its full text
// as a tool-tip, which follows the mouse within this many pixels in each direction.
inline constexpr int kToolTipSlack = 3;
inline bool CellNeedsToolTip(int text_width, int column_width) { return text_width > column_width; }

// One of the three up/down controls of the tool bar: "Heigth", "Width", "Font size".
// They stop at their limits instead of wrapping.
struct CellSizeControl {
  int value;
  int minimum;
  int maximum;
  int step;
  // Sets the value the control shows, kept inside its range; the value applied.
  int Set(int wanted);
  int Up() { return Set(value + step); }
  int Down() { return Set(value - step); }
};

struct CellSizes {
  CellSizeControl height{16, 8, 30, 2};
  CellSizeControl width{48, 12, 96, 4};
  CellSizeControl font{8, 6, 24, 2};
};

// Which tables each control applies to: the height to all but DGrid, the width and the
// font size to all nine.
bool HeightAppliesTo(GridId grid);
// Width of a column for the "Width" value: column 0 of ICGrid and IPGrid (their row
// descriptions) is twice as wide.
int ColumnWidth(GridId grid, int col, int width);
// Columns of names and descriptions (the first of every table) and the parameter vectors
// under the results (DGrid) fit their widest text, measured by the window with its
// margins: never narrower than ColumnWidth, never wider than kMaxFittedWidth (longer
// texts show whole in their tooltip). The others keep the width "CELLS:" sets.
inline constexpr int kMaxFittedWidth = 320;
bool ColumnFitsItsText(GridId grid, int col);
int FittedColumnWidth(GridId grid, int col, int width, int widest_text);

}  // namespace vido

#endif  // VIDO_MODEL_GRID_RULES_H_
