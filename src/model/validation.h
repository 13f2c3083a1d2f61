#ifndef VIDO_MODEL_VALIDATION_H_
#define VIDO_MODEL_VALIDATION_H_

#include <optional>
#include <string>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// The checks every analysis runs first. Each failure shows its own error box; every
// column (every row) is checked before the result is returned.

// BGrid bounds of lambda and the weights: numbers within [0, 1], lower <= upper. A
// negative lower bound becomes "0.0" and an upper bound above 1 becomes "1.0" (with a
// message) without failing the check.
bool ValidateBounds(Workspace& ws, UserPort& port);

// Right-hand sides of the additional constraints: numbers >= 0; an empty one becomes "0".
bool ValidateRhs(Workspace& ws, UserPort& port);

// Assignment examples (AGrid ELow, EHigh): integers with 1 <= ELow <= EHigh <= K. One
// message per action at fault, naming it, up to kExampleMessagesShown of them.
bool ValidateExamples(const Workspace& ws, UserPort& port);
inline constexpr int kExampleMessagesShown = 10;

// The first cell of the input tables that the problem file would hold as a number but
// whose text is none ("1.2.3": the key filter lets each key through), as the conversion
// message and, on a line of its own, where it is: "Actions, row 4 (Acme Metals), column
// price index". Nothing when every such cell reads.
std::optional<std::string> UnreadableNumberCell(const Workspace& ws);

}  // namespace vido

#endif  // VIDO_MODEL_VALIDATION_H_
