#include "support/engine_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "support/cleanup_on_signal.h"

namespace vido {

namespace {

// Every name the engine may create in its folder: a signal handler can only unlink
// what it knows by name, before it removes the (then empty) folder.
constexpr const char* kEngineFiles[] = {"FIL", "PSE", "BSS", "INF", "LP.LOG", "CMP"};

std::string& Folder() {
  static std::string folder;
  return folder;
}

void RemoveFolderAtExit() {
  if (Folder().empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(Folder(), ignored);
}

std::string MakeFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
  if (root.back() != '/') root += '/';
  for (const std::string& candidate : {root, std::string("/tmp/")}) {
    std::string pattern = candidate + "vido-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // Held back between making the folder and registering it, so that no signal can
    // leave it behind.
    TerminationSignalsHeld held;
    if (::mkdtemp(name.data()) == nullptr) continue;
    std::string folder = std::string(name.data()) + "/";
    for (const char* file : kEngineFiles) RegisterCleanupPath(folder + file, CleanupKind::kFile);
    RegisterCleanupPath(folder, CleanupKind::kFolder);
    return folder;
  }
  return "";
}

std::string& LogFile() {
  static std::string path;
  return path;
}

}  // namespace

const std::string& EngineFolder() {
  if (Folder().empty()) {
    Folder() = MakeFolder();
    if (!Folder().empty()) std::atexit(RemoveFolderAtExit);
  }
  return Folder();
}

void SetSolverLogFile(const std::string& path) { LogFile() = path; }

const std::string& SolverLogFile() { return LogFile(); }

}  // namespace vido
