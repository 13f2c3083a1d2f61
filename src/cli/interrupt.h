#ifndef VIDO_CLI_INTERRUPT_H_
#define VIDO_CLI_INTERRUPT_H_

namespace vido {

// Ctrl-C at the command line: the first SIGINT asks the running computation to stop at
// its next check (as Esc does in the window), so that the command ends cleanly and
// removes what it made; a second one ends the process at once, after removing the
// files registered for clean-up.
void InstallInterruptHandler();

// Whether the user pressed Ctrl-C since the handler was installed (or the last
// ClearInterrupt).
bool InterruptRequested();
void RequestInterruptForTesting();
void ClearInterrupt();

}  // namespace vido

#endif  // VIDO_CLI_INTERRUPT_H_
