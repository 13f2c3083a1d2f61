#ifndef VIDO_MODEL_AGRID_DIALOGS_H_
#define VIDO_MODEL_AGRID_DIALOGS_H_

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// The mouse on the actions table. Names and assignment examples are not typed in
// place: a click on them opens a one-line query.

// A button pressed on cell (col, row): a data row becomes the current row; the pressed
// column becomes the current column, a press in one of the fixed columns making the
// first criterion column current.
void AGridMouseDown(Workspace& ws, int col, int row);

// The button released on cell (col, row): the header of a criterion column asks for the
// criterion's name (kept equal in FGrid), an action's name cell for the action's name,
// its ELow and EHigh cells for the bounds of its assignment example. Cancel changes
// nothing; none of these sets DataModified. True when a table changed.
bool AGridMouseUp(Workspace& ws, UserPort& port, int col, int row);

}  // namespace vido

#endif  // VIDO_MODEL_AGRID_DIALOGS_H_
