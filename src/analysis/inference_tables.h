#ifndef VIDO_ANALYSIS_INFERENCE_TABLES_H_
#define VIDO_ANALYSIS_INFERENCE_TABLES_H_

#include <string>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// The derived tables every analysis reads, rebuilt from the input tables. Numbers are
// written as text in the 15-digit general format. A cell that does not convert, or a
// constraint whose sign is none of "<", "=", ">", throws CommandError before the
// table concerned is touched.

// ICGrid and ExampleRowsCount: one ">=" row per bound an assignment example imposes.
// Warns through `port` about an example whose two rows contradict each other.
void BuildExampleConstraints(Workspace& ws, UserPort& port);

// IPGrid: the example rows, the additional constraints and the bound rows, each
// relaxed by alpha. Must follow BuildExampleConstraints.
void BuildInferenceProgram(Workspace& ws);

// IGrid: every constraint as a numbered ">=" row for the inconsistency analysis.
// Must follow BuildExampleConstraints.
void BuildAnalysisTable(Workspace& ws);

// What a cell of IGrid shows: a "0" is drawn blank, except in the last column (RHS).
std::string AnalysisTableCellText(const Table& igrid, int col, int row);

// The sense of CGrid row `row` by the first character of its sign cell ('<', '=' or
// '>'); CommandError naming the row for anything else.
char ConstraintSense(const Workspace& ws, int row);

}  // namespace vido

#endif  // VIDO_ANALYSIS_INFERENCE_TABLES_H_
