#ifndef VIDO_ANALYSIS_PENDING_ANALYSES_H_
#define VIDO_ANALYSIS_PENDING_ANALYSES_H_

#include "analysis/inconsistency_analysis.h"
#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// The window's entry points to the analyses that need the LP engine and to the
// results report written from them. A command that this build cannot run says so
// plainly in an information box and computes nothing.

enum class AnalysisStatus {
  kDone,          // the command ran
  kNoData,        // "You must read data first"
  kNotAvailable,  // this build does not have the analysis yet
};

// "&Robust Assignments": CalcRangeItemClick.
AnalysisStatus RobustAssignmentsCommand(Workspace& ws, UserPort& port);
// The inconsistency-analysis window's state for the whole run of the program; the GUI
// sets its show_modal to show the window.
IAForm& InconsistencyForm();
// "&Inconsistency": InconsistMenuClick with that window.
AnalysisStatus InconsistencyCommand(Workspace& ws, UserPort& port);
// "&Report" and the tool bar's "Save on file a results report"; reached only while
// the results are current: SaveResClick.
AnalysisStatus ResultsReportCommand(Workspace& ws, UserPort& port);

}  // namespace vido

#endif  // VIDO_ANALYSIS_PENDING_ANALYSES_H_
