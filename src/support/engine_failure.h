#ifndef VIDO_SUPPORT_ENGINE_FAILURE_H_
#define VIDO_SUPPORT_ENGINE_FAILURE_H_

#include <string>

#include "support/command_error.h"

namespace vido {

// An internal failure of the engine: a capacity limit, an undefined row, a missing
// parameter. The engine has already shown the message through the port; the failure
// unwinds the solve (the solver interface releases the engine and reports a rejected
// solve) and, failing that, the command. The program itself goes on, and the user's
// tables are untouched since the engine works on its own copy of the problem.
class EngineFailure : public CommandError {
 public:
  explicit EngineFailure(const std::string& message) : CommandError(message, true) {}
};

}  // namespace vido

#endif  // VIDO_SUPPORT_ENGINE_FAILURE_H_
