#ifndef VIDO_SUPPORT_COMMAND_BOUNDARY_H_
#define VIDO_SUPPORT_COMMAND_BOUNDARY_H_

#include <utility>

#include "support/command_error.h"
#include "support/user_port.h"

namespace vido {

// The boundary of one command: a CommandError raised anywhere inside `body` ends the
// command here and its message is shown (unless it already was). Clean-up belongs in
// destructors inside `body` (BusyCursor and the like), so it runs either way.
// Returns false when the command was ended by a CommandError.
template <typename Body>
bool RunCommand(UserPort& port, Body&& body) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (const CommandError& e) {
    if (!e.AlreadyShown()) port.Error(e.what());
    return false;
  }
}

}  // namespace vido

#endif  // VIDO_SUPPORT_COMMAND_BOUNDARY_H_
