#ifndef VIDO_MODEL_NEW_PROBLEM_H_
#define VIDO_MODEL_NEW_PROBLEM_H_

#include "model/workspace.h"

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

}  // namespace vido

#endif  // VIDO_MODEL_NEW_PROBLEM_H_
