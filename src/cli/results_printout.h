#ifndef VIDO_CLI_RESULTS_PRINTOUT_H_
#define VIDO_CLI_RESULTS_PRINTOUT_H_

#include <iosfwd>

#include "model/workspace.h"

namespace vido {

// The results of a run for a person: consistency and alpha, the inferred parameters,
// one line per action with its worst, inferred and best category and its holes; for
// an inconsistent run the rows the inferred solution violates.
void PrintResults(std::ostream& out, const Workspace& ws);

}  // namespace vido

#endif  // VIDO_CLI_RESULTS_PRINTOUT_H_
