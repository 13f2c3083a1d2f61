#ifndef VIDO_MODEL_NEW_PROBLEM_H_
#define VIDO_MODEL_NEW_PROBLEM_H_

#include <functional>
#include <optional>
#include <string>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// Sizes and labels the input tables for n criteria and K categories and fills them with
// the defaults of a new problem. The problem-file reader starts from the same tables.
void PrepareFGrid(Workspace& ws, int criteria, int categories);
void PrepareAGrid(Workspace& ws, int criteria, int actions, int categories);
void PrepareBGrid(Workspace& ws, int criteria);
// Header row and the "Norm" row only; ConstraintsCount becomes 1.
void PrepareCGrid(Workspace& ws, int criteria);

// Labels profile block h of FGrid: "g(b%d)", "q%d", "p%d", "u%d", "v%d".
void LabelProfileBlock(Table& fgrid, int h);

// What New does once the sizes are known: sets the counts and builds the four input
// tables with their layouts, labels and defaults. The caller checks the sizes.
void BuildNewProblem(Workspace& ws, int criteria, int actions, int categories);

// The three fields of the "New Problem" dialog. The dialog lives for the whole run, so
// its owner keeps one of these and the fields keep the last values entered.
struct NewProblemFields {
  std::string alternatives = "2";  // "Number of alternatives" (EditAlt)
  std::string criteria = "2";      // "Number of criteria" (EditCrit)
  std::string categories = "2";    // "Number of categories" (EditCat)
};

enum class NewProblemField { kAlternatives, kCriteria, kCategories };

// The check made when a field is left: the error message to show (the field then gets
// the focus back), or nothing when the text is accepted.
std::optional<std::string> CheckNewProblemField(NewProblemField field, const std::string& text);
// The fields accept only the keys 0..9 and backspace.
bool NewProblemFieldAcceptsKey(char key);

// Shows the dialog modally on `fields` (which it edits in place); true for OK.
using NewProblemDialog = std::function<bool(NewProblemFields& fields)>;

// "&New": offers to save modified data, shows the dialog and builds the new problem.
// The problem in memory stays as it was when the dialog is cancelled, when a field is
// refused, or when the offered save does not happen.
void New1Click(Workspace& ws, UserPort& port, NewProblemFields& fields,
               const NewProblemDialog& dialog);

}  // namespace vido

#endif  // VIDO_MODEL_NEW_PROBLEM_H_
