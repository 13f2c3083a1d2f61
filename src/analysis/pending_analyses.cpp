#include "analysis/pending_analyses.h"

namespace vido {

namespace {

AnalysisStatus NotAvailable(UserPort& port, const char* what) {
  port.Information(std::string(what) + " are not available in this build of VIDO yet.");
  return AnalysisStatus::kNotAvailable;
}

}  // namespace

AnalysisStatus RobustAssignmentsCommand(Workspace& ws, UserPort& port) {
  if (!ws.HasProblem()) {
    port.Error("You must read data first");
    return AnalysisStatus::kNoData;
  }
  return NotAvailable(port, "Robust assignments");
}

AnalysisStatus InconsistencyCommand(Workspace& ws, UserPort& port) {
  if (!ws.HasProblem()) {
    port.Error("You must read data first");
    return AnalysisStatus::kNoData;
  }
  return NotAvailable(port, "The inconsistency analysis and its suggestions");
}

AnalysisStatus ResultsReportCommand(Workspace& ws, UserPort& port) {
  if (!ws.HasProblem()) {
    port.Error("You must read data first");
    return AnalysisStatus::kNoData;
  }
  return NotAvailable(port, "Results reports");
}

}  // namespace vido
