#ifndef VIDO_SORTING_ASSIGNMENT_H_
#define VIDO_SORTING_ASSIGNMENT_H_

#include <vector>

#include "model/workspace.h"

namespace vido {

// Category (1..K) of action i under lambda and the weights k_1..k_n (weights[0] is
// k_1), by the pessimistic scan from the lowest profile. A profile counts as outranked
// when sigma - lambda >= -0.000001, but the scan goes on only when sigma >= lambda.
int PessimisticCategory(const Workspace& ws, int i, double lambda,
                        const std::vector<double>& weights);

// Sets InferredCategory[1..m] from InferredSolution (lambda, k_1..k_n).
void ComputeInferredCategories(Workspace& ws);

// True when category h (2..K-1) is impossible for action i whatever the parameters:
// every coefficient against b_h equals the one against b_{h-1} exactly. Any other h
// is an internal error (CommandError).
bool IsCategoryHole(const Workspace& ws, int i, int h);

}  // namespace vido

#endif  // VIDO_SORTING_ASSIGNMENT_H_
