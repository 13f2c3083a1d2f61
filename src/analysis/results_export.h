#ifndef VIDO_ANALYSIS_RESULTS_EXPORT_H_
#define VIDO_ANALYSIS_RESULTS_EXPORT_H_

#include <string>

#include "analysis/inconsistency_analysis.h"
#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// The results for programs rather than people. Both forms carry the name and version of
// their schema; a version changes only when a field changes its meaning or goes away.
inline constexpr const char* kResultsFormatName = "vido-results";
inline constexpr int kResultsFormatVersion = 1;
inline constexpr const char* kResultsCsvFilter = "Results table (*.csv)|*.csv";

// What the inconsistency analysis adds to the results: its constraints, the suggestions
// it found, and whether a vector that needs no removal was accepted.
struct InconsistencyFindings {
  const IAForm* form = nullptr;
  bool accepted = false;
};

// The results of the last run (ResultsAvailable) as one JSON object, UTF-8, LF line ends.
std::string ResultsJson(const Workspace& ws, const InconsistencyFindings& findings = {});

// The same as a CSV table (comma separated, "." decimals, CR LF line ends), one record
// per line whose first field says what it holds.
std::string ResultsCsv(const Workspace& ws, const InconsistencyFindings& findings = {});

// "&File" > "Export results as CSV...": asks for a file name (starting from the
// problem's name) and writes ResultsCsv. True when the file was written.
bool ExportResultsCsvClick(Workspace& ws, UserPort& port);

}  // namespace vido

#endif  // VIDO_ANALYSIS_RESULTS_EXPORT_H_
