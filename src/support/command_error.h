#ifndef VIDO_SUPPORT_COMMAND_ERROR_H_
#define VIDO_SUPPORT_COMMAND_ERROR_H_

#include <stdexcept>
#include <string>

namespace vido {

// Unwinds the running command after a failure whose message the user must see:
// a cell that does not convert, an assertion, an internal failure of the engine.
// Caught at the command boundary, which shows what() in an error box (unless
// already_shown) and still runs the command's clean-up.
class CommandError : public std::runtime_error {
 public:
  explicit CommandError(const std::string& message, bool already_shown = false)
      : std::runtime_error(message), already_shown_(already_shown) {}
  bool AlreadyShown() const { return already_shown_; }

 private:
  bool already_shown_;
};

}  // namespace vido

#endif  // VIDO_SUPPORT_COMMAND_ERROR_H_
