#ifndef VIDO_ANALYSIS_PENDING_ANALYSES_H_
#define VIDO_ANALYSIS_PENDING_ANALYSES_H_

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// SEAM: the commands below belong to the analyses that need the LP engine (the
// inference solve, the robust ranges, the inconsistency analysis) and to the results
// report written from them. Until those are in the build, each command checks what it
// can check and then says plainly, in an information box, that it is not available;
// it never computes or writes anything. Replace the bodies when the analyses land.

enum class AnalysisStatus {
  kDone,          // the command ran
  kNoData,        // "You must read data first"
  kNotAvailable,  // this build does not have the analysis yet
};

// "&Robust Assignments".
AnalysisStatus RobustAssignmentsCommand(Workspace& ws, UserPort& port);
// "&Inconsistency".
AnalysisStatus InconsistencyCommand(Workspace& ws, UserPort& port);
// "&Report" and the tool bar's "Save on file a results report"; reached only while
// the results are current.
AnalysisStatus ResultsReportCommand(Workspace& ws, UserPort& port);

}  // namespace vido

#endif  // VIDO_ANALYSIS_PENDING_ANALYSES_H_
