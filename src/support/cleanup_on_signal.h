#ifndef VIDO_SUPPORT_CLEANUP_ON_SIGNAL_H_
#define VIDO_SUPPORT_CLEANUP_ON_SIGNAL_H_

#include <signal.h>

#include <string>

namespace vido {

// Files and folders the process must not leave behind if SIGINT, SIGTERM or SIGHUP
// ends it: a temporary file being saved, the engine's private folder. The paths live
// in fixed slots, so the signal handler reaches them without allocating.
//
// The handlers are installed with the first registration, for each of the three
// signals whose action is still the default; they remove every registered path and
// then end the process with the signal's default action. A program that installs its
// own handler for one of these signals, and ends the process from it, calls
// RemoveRegisteredPaths() first.

enum class CleanupKind {
  kFile,    // unlink
  kFolder,  // rmdir, after every registered file; a folder that is not empty stays
};

// The number of paths that can be registered at once.
inline constexpr int kCleanupSlots = 64;

// Registers `path`. Returns a handle for UnregisterCleanupPath, or -1 when the path is
// empty or too long, or every slot is taken (the path is then not protected).
int RegisterCleanupPath(const std::string& path, CleanupKind kind);

// Forgets the path of `handle` (once it has been removed or has become a user's
// file); -1 is ignored.
void UnregisterCleanupPath(int handle);

// Removes every registered path, files first, then folders. Async-signal-safe.
void RemoveRegisteredPaths();

// Installs the handlers now (registration does it too).
void InstallCleanupSignalHandlers();

// A registration for the lifetime of the object.
class CleanupPath {
 public:
  CleanupPath(const std::string& path, CleanupKind kind)
      : handle_(RegisterCleanupPath(path, kind)) {}
  ~CleanupPath() { Release(); }
  CleanupPath(const CleanupPath&) = delete;
  CleanupPath& operator=(const CleanupPath&) = delete;

  // The path is no longer removed on a signal.
  void Release() {
    UnregisterCleanupPath(handle_);
    handle_ = -1;
  }
  bool Registered() const { return handle_ >= 0; }

 private:
  int handle_;
};

// Holds SIGINT, SIGTERM and SIGHUP back for the lifetime of the object (in the calling
// thread): a file created and registered inside cannot be orphaned by a signal that
// falls between the two steps. The signals are delivered when the object goes.
class TerminationSignalsHeld {
 public:
  TerminationSignalsHeld();
  ~TerminationSignalsHeld();
  TerminationSignalsHeld(const TerminationSignalsHeld&) = delete;
  TerminationSignalsHeld& operator=(const TerminationSignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace vido

#endif  // VIDO_SUPPORT_CLEANUP_ON_SIGNAL_H_
