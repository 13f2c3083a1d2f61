#ifndef VIDO_MODEL_EDITING_H_
#define VIDO_MODEL_EDITING_H_

#include <optional>
#include <string>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// A number prompt: asks again while the text is not an integer in [low, high]; nothing
// when the user cancels.
std::optional<int> AskNumber(UserPort& port, const std::string& title, const std::string& prompt,
                             int low, int high);

// The editing commands of the main window. Each keeps the four input tables consistent
// with one another and with the counts, and (except Erase examples, which only marks the
// results stale) ends by setting DataModified and calling ResetResults. A command whose
// menu item would be disabled does nothing; a cell that does not convert ends the
// command with its message before anything changes.

// "&Split": category v (1..K) is divided in two by a new profile at position v.
void InsertCatClick(Workspace& ws, UserPort& port);
// "&Merge": categories v and v+1 (v in 1..K-1) become one by removing profile b_v.
void DeleteCatClick(Workspace& ws, UserPort& port);
// Criteria "&Insert": a criterion appended, maximised, weight fixed at 0.
void InsertCritClick(Workspace& ws, UserPort& port);
// Criteria "&Delete": criterion j (1..n) removed from all four tables.
void DeleteCritClick(Workspace& ws, UserPort& port);
// Actions "&Insert": an action appended, named after the last one plus 1.
void InsertActClick(Workspace& ws, UserPort& port);
// Actions "&Delete": the first action whose name is the number typed.
void DeleteActClick(Workspace& ws, UserPort& port);
// "&Erase examples": every action back to the range [1, K].
void EraseexamplesClick(Workspace& ws, UserPort& port);
// Constraints "&Insert": a row "ad%d" 0 ... 0 "<=" 0 appended.
void InsertConsClick(Workspace& ws, UserPort& port);
// Constraints "&Delete": additional constraint c (1..ConstraintsCount-1) removed.
void DeleteConsClick(Workspace& ws, UserPort& port);

}  // namespace vido

#endif  // VIDO_MODEL_EDITING_H_
