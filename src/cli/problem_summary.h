#ifndef VIDO_CLI_PROBLEM_SUMMARY_H_
#define VIDO_CLI_PROBLEM_SUMMARY_H_

#include <iosfwd>
#include <string>

#include "model/workspace.h"

namespace vido {

// A human-readable overview of the problem in the workspace: sizes, criteria with their
// directions and weight bounds, lambda's bounds, the profiles and thresholds, the
// actions with their assignment examples, the additional constraints. Cell texts are
// shown as they stand.
void PrintProblemSummary(const Workspace& ws, const std::string& file_name, std::ostream& out);

}  // namespace vido

#endif  // VIDO_CLI_PROBLEM_SUMMARY_H_
