#include "cli/interrupt.h"

#include <signal.h>

#include <csignal>

#include "support/cleanup_on_signal.h"

namespace vido {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int signal_number) {
  if (interrupted != 0) {
    RemoveRegisteredPaths();
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
    return;
  }
  interrupted = 1;
}

}  // namespace

void InstallInterruptHandler() {
  // The clean-up handlers for SIGTERM and SIGHUP first; SIGINT is then ours.
  InstallCleanupSignalHandlers();
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return interrupted != 0; }

void RequestInterruptForTesting() { interrupted = 1; }

void ClearInterrupt() { interrupted = 0; }

}  // namespace vido
