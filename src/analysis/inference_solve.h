#ifndef VIDO_ANALYSIS_INFERENCE_SOLVE_H_
#define VIDO_ANALYSIS_INFERENCE_SOLVE_H_

#include <optional>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// Alpha above this makes the information inconsistent; up to kNegligibleAlpha the
// inconsistency is called negligible.
inline constexpr double kConsistentAlpha = 0.00001;
inline constexpr double kNegligibleAlpha = 0.0001;
// The Error column and the red rows are shown only for IPGrid tables up to this many
// rows, header included.
inline constexpr int kMaxMarkedRows = 256;

// Loads the alpha program of IPGrid (alpha split into alpha+ and alpha-, then lambda
// and the weights) and its normalisation row into the solver interface. 0 on
// success; -1 after an error message. Empty coefficient cells are set to "0".
int LoadInferenceProgram(Workspace& ws, UserPort& port);

// Loads the plain program in lambda and the weights: CGrid (with its "Norm" row),
// the example rows of ICGrid, and the bounds of BGrid as column bounds. The objective
// is left at 0. 0 on success; -1 after an error message. A positive `tolerance` (the
// alpha of a consistent verdict) relaxes every row but "Norm", and every bound within
// [0, 1], by that much, as the alpha program does: the region the verdict found
// non-empty. Column n + 2 then carries the relaxation.
int LoadRobustProgram(Workspace& ws, UserPort& port, double tolerance = 0);

// Solves the alpha program and stores the inferred parameters (InferredSolution and
// DGrid row 2). The smallest relaxation alpha, or nothing after a message.
std::optional<double> InferParameters(Workspace& ws, UserPort& port);

// The presentation of an inconsistent run: the warning, the Error column, the
// violated rows, the menu and tab changes.
void ShowInconsistentResult(Workspace& ws, UserPort& port, double alpha);

// The largest violation of the IPGrid rows (each on its unit scale), of the [0, 1] bounds and of
// the normalisation row by the parameter vector `solution` (lambda, k_1..k_n): the alpha under
// which that vector satisfies the alpha program. Nothing violated gives 0 at most (a negative value
// is the smallest margin of the rows).
double RelaxationOf(const Workspace& ws, const std::vector<double>& solution);

// Re-solves the alpha program with the assignment of action `row` to category `h`
// imposed by two temporary IPGrid rows, which are removed again whatever happens,
// and shows the parameters in DGrid row 1.
void SolveForAssignment(Workspace& ws, UserPort& port, int row, int h);

// Selecting a cell of RGrid (row = action) or ORGrid (row r = the action at position
// r of VariabilityOrder): solves for that assignment when the ranges are current and
// the cell is a possible assignment; otherwise empties DGrid row 1.
void RGridSelectCell(Workspace& ws, UserPort& port, int col, int row);
void ORGridSelectCell(Workspace& ws, UserPort& port, int col, int row);

}  // namespace vido

#endif  // VIDO_ANALYSIS_INFERENCE_SOLVE_H_
