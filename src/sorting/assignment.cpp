#include "sorting/assignment.h"

#include "sorting/credibility.h"
#include "support/assertion.h"

namespace vido {

int PessimisticCategory(const Workspace& ws, int i, double lambda,
                        const std::vector<double>& weights) {
  const int k = ws.CategoriesCount;
  int h = 1;
  while (h < k) {
    const double s = Credibility(CredibilityCoefficients(ws, i, h), weights);
    if (s - lambda >= -0.000001) ++h;
    if (h == k) break;
    // Within the tolerance below lambda the action is lifted once more, but the
    // next profile is examined only when it truly reaches lambda.
    if (s < lambda) break;
  }
  return h;
}

void ComputeInferredCategories(Workspace& ws) {
  const int m = ws.ActionsCount;
  const int n = ws.CriteriaCount;
  std::vector<double> solution = ws.InferredSolution;
  solution.resize(static_cast<size_t>(n) + 1, 0.0);
  const double lambda = solution[0];
  const std::vector<double> weights(solution.begin() + 1, solution.end());
  ws.InferredCategory.assign(static_cast<size_t>(m) + 1, 0);
  for (int i = 1; i <= m; ++i) ws.InferredCategory[i] = PessimisticCategory(ws, i, lambda, weights);
}

bool IsCategoryHole(const Workspace& ws, int i, int h) {
  if (h < 2 || h > ws.CategoriesCount - 1) {
    throw AssertionFailure("cat=pior ou cat=melhor em buraco", "Main");
  }
  return CredibilityCoefficients(ws, i, h) == CredibilityCoefficients(ws, i, h - 1);
}

}  // namespace vido
