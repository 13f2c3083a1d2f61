#include "analysis/pending_analyses.h"

#include "analysis/robust_assignments.h"
#include "model/results_report.h"

namespace vido {

IAForm& InconsistencyForm() {
  static IAForm form;
  return form;
}

AnalysisStatus RobustAssignmentsCommand(Workspace& ws, UserPort& port) {
  const bool has_problem = ws.HasProblem();
  CalcRangeItemClick(ws, port);  // says "You must read data first" itself
  return has_problem ? AnalysisStatus::kDone : AnalysisStatus::kNoData;
}

AnalysisStatus InconsistencyCommand(Workspace& ws, UserPort& port) {
  if (!ws.HasProblem()) {
    port.Error("You must read data first");
    return AnalysisStatus::kNoData;
  }
  InconsistMenuClick(ws, port, InconsistencyForm());
  return AnalysisStatus::kDone;
}

AnalysisStatus ResultsReportCommand(Workspace& ws, UserPort& port) {
  if (!ws.HasProblem()) {
    port.Error("You must read data first");
    return AnalysisStatus::kNoData;
  }
  SaveResClick(ws, port);
  return AnalysisStatus::kDone;
}

}  // namespace vido
