#ifndef VIDO_ANALYSIS_ROBUST_ASSIGNMENTS_H_
#define VIDO_ANALYSIS_ROBUST_ASSIGNMENTS_H_

#include <string>
#include <vector>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// A category boundary counts as crossable when the best the parameters can do beats
// it by more than this.
inline constexpr double kReachableMargin = 0.00001;

// "&Robust Assignments": rebuilds the derived tables, infers lambda and the weights,
// assigns every action and, when the information is consistent, computes every
// action's range of reachable categories. With UseAcceptedSolution set, the inference
// is skipped and the results are recomputed under the accepted InferredSolution.
// Whatever way the run ends, the busy cursor and the progress panel go away and
// UseAcceptedSolution is cleared.
// A run the user stopped (Esc, Ctrl-C) says so, leaves no category drawn and marks the
// results stale.
void CalcRangeItemClick(Workspace& ws, UserPort& port);
inline constexpr const char* kRobustAssignmentsCancelled =
    "The robust assignments were cancelled: the results shown are not current";

// Action indices (0-based) by decreasing range width, ties in table order; empty when
// some action's width is outside 0..K-1.
std::vector<int> ComputeVariabilityOrder(const Workspace& ws);

// The geometric mean of the range sizes (Best - Worst + 1), computed through the
// logarithms so that 1000 actions with 20-category ranges do not overflow.
double GeometricMeanOfRanges(const Workspace& ws);

// The "Indices" tab after a run whose mean is `mean`: LabelMA and, unless it still
// reads "0", the variation against its previous value in LabelMADif.
void UpdateRobustnessIndex(ViewState& view, double mean);

}  // namespace vido

#endif  // VIDO_ANALYSIS_ROBUST_ASSIGNMENTS_H_
