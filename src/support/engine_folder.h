#ifndef VIDO_SUPPORT_ENGINE_FOLDER_H_
#define VIDO_SUPPORT_ENGINE_FOLDER_H_

#include <string>

namespace vido {

// The process' private folder for the engine's working files (swap file, pseudo-cost and
// basis files, the log nobody asked for): made on first use, mode 0700, under $TMPDIR or
// /tmp, and removed with its contents when the process exits or a termination signal
// ends it. The user's current folder is never the engine's scratch space. The path ends
// in "/"; empty only when no folder could be made.
const std::string& EngineFolder();

// The solver log the user asked for ("" when none): the engines then log there, and the
// log is switched on.
void SetSolverLogFile(const std::string& path);
const std::string& SolverLogFile();

}  // namespace vido

#endif  // VIDO_SUPPORT_ENGINE_FOLDER_H_
