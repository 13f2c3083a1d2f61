#include "support/cleanup_on_signal.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

namespace vido {

namespace {

// A slot is claimed before its path is copied and published only once the copy is
// complete, so the handler never reads a half-written path.
enum SlotState : int { kFree, kClaimed, kFileReady, kFolderReady };

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the slots lock-free");

Slot g_slots[kCleanupSlots];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t TerminationSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kSignals) sigaddset(&set, sig);
  return set;
}

extern "C" void OnTerminationSignal(int sig) {
  const int saved_errno = errno;
  RemoveRegisteredPaths();
  // The default action ends the process once the handler returns and the signal,
  // blocked while it runs, is delivered again.
  struct sigaction default_action;
  std::memset(&default_action, 0, sizeof default_action);
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(sig, &default_action, nullptr);
  raise(sig);
  errno = saved_errno;
}

}  // namespace

void InstallCleanupSignalHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnTerminationSignal;
    action.sa_mask = TerminationSignals();  // one clean-up at a time
    for (int sig : kSignals) {
      struct sigaction current;
      // A handler of the program's own, or an ignored signal, stays as it is.
      if (sigaction(sig, nullptr, &current) != 0) continue;
      if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
      sigaction(sig, &action, nullptr);
    }
  });
}

int RegisterCleanupPath(const std::string& path, CleanupKind kind) {
  if (path.empty() || path.size() >= PATH_MAX) return -1;
  InstallCleanupSignalHandlers();
  for (int s = 0; s < kCleanupSlots; ++s) {
    int expected = kFree;
    if (!g_slots[s].state.compare_exchange_strong(expected, kClaimed)) continue;
    std::memcpy(g_slots[s].path, path.c_str(), path.size() + 1);
    g_slots[s].state.store(kind == CleanupKind::kFile ? kFileReady : kFolderReady,
                           std::memory_order_release);
    return s;
  }
  return -1;
}

void UnregisterCleanupPath(int handle) {
  if (handle < 0 || handle >= kCleanupSlots) return;
  g_slots[handle].state.store(kFree, std::memory_order_release);
}

void RemoveRegisteredPaths() {
  for (Slot& slot : g_slots) {
    if (slot.state.load(std::memory_order_acquire) == kFileReady) unlink(slot.path);
  }
  // A folder may hold another registered folder: passes until none goes any more.
  bool removed = true;
  for (int pass = 0; pass < kCleanupSlots && removed; ++pass) {
    removed = false;
    for (Slot& slot : g_slots) {
      if (slot.state.load(std::memory_order_acquire) == kFolderReady && rmdir(slot.path) == 0) {
        removed = true;
      }
    }
  }
}

TerminationSignalsHeld::TerminationSignalsHeld() {
  const sigset_t held = TerminationSignals();
  pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

TerminationSignalsHeld::~TerminationSignalsHeld() {
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace vido
