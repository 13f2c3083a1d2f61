#ifndef VIDO_SUPPORT_ASSERTION_H_
#define VIDO_SUPPORT_ASSERTION_H_

#include <string>

#include "support/command_error.h"

namespace vido {

// An internal check that failed: the message names the unit that made the check
// ("Main", "VolumeF") and ends the current command like any other CommandError.
inline CommandError AssertionFailure(const std::string& message, const std::string& unit) {
  return CommandError(message + " (" + unit + ")");
}

}  // namespace vido

#endif  // VIDO_SUPPORT_ASSERTION_H_
