#ifndef VIDO_SORTING_RESULT_DISPLAY_H_
#define VIDO_SORTING_RESULT_DISPLAY_H_

#include <string>

#include "model/workspace.h"

namespace vido {

// How a cell of the results tables is filled. The GUI maps each kind to its colour.
enum class CellFill {
  kHeader,   // a fixed cell, drawn as the toolkit draws headers
  kWhite,    // plain background
  kGreen,    // RGB 0, 128, 0: the inferred category
  kLime,     // RGB 0, 255, 0: another reachable category
  kHatched,  // black diagonal hatching on white: unreachable inside the range
  kRed,      // RGB 255, 0, 0: the inferred category contradicts the example
  kCyan,     // RGB 0, 255, 255: name of an action that has an assignment example
  kShade,    // the acceptability heat map: white for 0, deepest for a share of 1 (shade)
};

struct CellLook {
  CellFill fill = CellFill::kWhite;
  std::string text;
  bool green_text = false;  // RGB 0, 128, 0 font
  bool red_text = false;    // RGB 255, 0, 0 font
  int shade = 0;            // kShade: the share in percent, 0..100
  bool bold = false;        // the inferred category in the acceptability map
};

// The cell (col, row) of RGrid or ORGrid. Category cells show no text, only a fill.
// Never throws: a cell that cannot be decided (results not computed yet, an example
// cell being typed) is drawn white.
CellLook RGridCellLook(const Workspace& ws, int col, int row);
CellLook ORGridCellLook(const Workspace& ws, int col, int row);
// DGrid: row 2 (the inferred solution) in a green font, the rest plain.
CellLook DGridCellLook(const Workspace& ws, int col, int row);

// IPGrid: the rows the inferred solution violates (ViolatedRows) in a red font; a "0"
// is drawn empty except in the right-hand side column (the second-to-last).
CellLook IPGridCellLook(const Workspace& ws, int col, int row);

// AccGrid: share cells shaded by their share, the inferred category's share in bold.
CellLook AccGridCellLook(const Workspace& ws, int col, int row);

// The radio pair of the "&Results" menu: which results table is shown. Each empties
// the parameter vector of the selected assignment (DGrid row 1).
void byInputItemClick(Workspace& ws);
void byVariabilityItemClick(Workspace& ws);

}  // namespace vido

#endif  // VIDO_SORTING_RESULT_DISPLAY_H_
