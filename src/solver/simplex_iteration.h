#ifndef VIDO_SOLVER_SIMPLEX_ITERATION_H_
#define VIDO_SOLVER_SIMPLEX_ITERATION_H_

#include "solver/lp_engine.h"

namespace vido {

// Step codes of the ratio test.
inline constexpr int32_t kLeaveToLower = 1;
inline constexpr int32_t kLeaveToUpper = 2;
inline constexpr int32_t kFlipToUpper = 3;
inline constexpr int32_t kFlipToLower = 4;
inline constexpr int32_t kUnboundedStep = 5;

inline constexpr double kPhaseOnePenalty = 1e10;
inline constexpr double kSmallPivot = 1e-6;

// y: the basic costs (+-1e10 for basic variables below / above their bounds), BTRAN.
void LpPricingVector(LpEngine& engine);
// Reduced cost of the column at `position`, stored in the column and returned.
double LpReducedCost(LpEngine& engine, int32_t position);
// Builds the candidate list from `start` (candidates gather at start.., most negative
// reduced cost first) and resets the threshold; returns the next scan start.
int32_t LpScanCandidates(LpEngine& engine, int32_t start);
// alpha = B^-1 a for the column at `position` (FTRAN).
void LpTransformColumn(LpEngine& engine, int32_t position);
// Chooses the leaving row or a bound flip for the transformed entering column.
void LpRatioTest(LpEngine& engine, int32_t entering);
// Performs the step the ratio test chose.
void LpPivot(LpEngine& engine, int32_t entering);
// xB from scratch: right-hand side minus the non-basic columns at their bounds, FTRAN.
void LpBasicValues(LpEngine& engine);
// Statuses of the basic variables, the infeasibility list, nINF and INF from xB.
void LpInfeasibilities(LpEngine& engine);
// Quiet mode: the branch-and-bound search is running.
inline bool LpQuiet(const LpEngine& engine) { return engine.search.InSearch; }
// Elapsed time of the engine: this solve so far plus the accumulated time.
double LpElapsed(const LpEngine& engine);

}  // namespace vido

#endif  // VIDO_SOLVER_SIMPLEX_ITERATION_H_
