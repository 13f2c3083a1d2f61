#include "support/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <vector>

#include "support/cleanup_on_signal.h"

namespace vido {

namespace {

// As the system resolves names: a longer chain of links is a loop.
constexpr int kMaxLinks = 40;

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// The permissions a newly created file would get: 0666 less the process' umask.
mode_t DefaultFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The file a save at `path` replaces: `path` itself or, through symbolic links, the
// name at the end of the chain, which need not exist yet. A relative link is read
// from the link's own folder, as the system reads it. Nothing for a loop.
std::optional<std::string> ResolveTarget(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> buffer(PATH_MAX);
    const ssize_t length = ::readlink(current.c_str(), buffer.data(), buffer.size());
    if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) return std::nullopt;
    std::string target(buffer.data(), static_cast<size_t>(length));
    if (target[0] != '/') {
      const size_t slash = current.find_last_of('/');
      if (slash != std::string::npos) target = current.substr(0, slash + 1) + target;
    }
    current = target;
  }
  return std::nullopt;
}

// The rename that replaces a file needs only the folder's permission, so the file's own
// protection is checked as a direct write would meet it. A file nobody may write is
// refused even to root, whom access() lets through whatever the mode.
bool MayReplace(const std::string& target, const struct stat& st) {
  if ((st.st_mode & 0222) == 0) return false;
  return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content) {
  if (path.empty()) return false;
  const std::optional<std::string> resolved = ResolveTarget(path);
  if (!resolved) return false;
  const std::string& target = *resolved;

  mode_t mode = DefaultFileMode();
  struct stat st;
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    if (!S_ISREG(st.st_mode)) return false;  // never replace a folder or a device
    if (!MayReplace(target, st)) return false;
    mode = st.st_mode & 07777;
  }

  std::string pattern = target + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = -1;
  std::optional<CleanupPath> cleanup;
  {
    // A signal between creating the temporary file and registering it would orphan it.
    TerminationSignalsHeld held;
    fd = ::mkstemp(name.data());
    if (fd >= 0) cleanup.emplace(name.data(), CleanupKind::kFile);
  }
  if (fd < 0) return false;
  const std::string temp(name.data());

  bool ok = WriteAll(fd, content);
  if (ok && exists) {
    // The owner and the group stay where the process may keep them (root may; another
    // user may keep a group of their own); the mode is set after, as fchown may clear
    // its set-id bits.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
      // Neither can be kept: the file becomes the process' own, as a new one would.
    }
  }
  ok = ok && ::fchmod(fd, mode) == 0;
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace vido
