#include "support/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace vido {

namespace {

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

std::string ResolveTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  }
  return path;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content) {
  if (path.empty()) return false;
  const std::string target = ResolveTarget(path);

  mode_t mode = DefaultFileMode();
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return false;  // never replace a folder or a device
    mode = st.st_mode & 07777;
  }

  std::string pattern = target + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return false;
  const std::string temp(name.data());

  bool ok = WriteAll(fd, content);
  ok = ok && ::fchmod(fd, mode) == 0;
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace vido
