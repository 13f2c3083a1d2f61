#ifndef VIDO_TESTS_COMMON_RANGE_PROBLEM_H_
#define VIDO_TESTS_COMMON_RANGE_PROBLEM_H_

#include "common/small_problem.h"
#include "model/workspace.h"

namespace vido::testing {

// Two criteria, three categories, b_1 at 10 and b_2 at 20 on both criteria (no
// thresholds), lambda in [0.5, 0.9] (no knife edge at sigma = lambda = 1), weights in
// [0, 1]. Under these bounds:
//   action 1 (15, 15): always category 2;
//   action 2 (25, 5):  category 1 or 3; its coefficients against b_1 and b_2 are
//                      equal, so category 2 is a hole;
//   action 3 (25, 25): always category 3;
//   action 4 (5, 5):   always category 1;
//   action 5 (15, 25): category 2 or 3.
inline void MakeRangeProblem(Workspace& ws, int actions = 5) {
  MakeSmallProblem(ws, 2, 3, actions);
  ws.BGrid.SetCell(1, 2, "0.9");
  for (int j = 1; j <= 2; ++j) {
    SetProfile(ws, 1, j, 10);
    SetProfile(ws, 2, j, 20);
    ws.BGrid.SetCell(1 + j, 2, "1");
  }
  const std::vector<std::vector<double>> performances = {
      {15, 15}, {25, 5}, {25, 25}, {5, 5}, {15, 25}};
  for (int i = 1; i <= actions; ++i) SetPerformances(ws, i, performances[(i - 1) % 5]);
}

}  // namespace vido::testing

#endif  // VIDO_TESTS_COMMON_RANGE_PROBLEM_H_
