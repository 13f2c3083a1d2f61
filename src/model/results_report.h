#ifndef VIDO_MODEL_RESULTS_REPORT_H_
#define VIDO_MODEL_RESULTS_REPORT_H_

#include <string>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

inline constexpr const char* kReportFilter = "VIDO Results Report (*.rpt)|*.rpt";

// The text of the results report: the input file, every action's range and inferred
// category, the inference program and the inferred solution. Fields are separated by
// TAB, lines end with CR LF except the last, which has no line end.
std::string ResultsReportText(const Workspace& ws);

// "&Report": asks for a file name (the save dialog starts from the problem's name
// without its extension) and writes the report. True when the report was written.
// The name chosen stays the save dialog's name.
bool SaveResClick(Workspace& ws, UserPort& port);

}  // namespace vido

#endif  // VIDO_MODEL_RESULTS_REPORT_H_
