#ifndef VIDO_SUPPORT_ATOMIC_FILE_H_
#define VIDO_SUPPORT_ATOMIC_FILE_H_

#include <string>
#include <string_view>

namespace vido {

inline constexpr const char* kDiskWriteError =
    "Disk write error: check permissions and available size";

// Replaces the file at `path` by `content` so that, whatever happens, the file is
// either the previous one, untouched, or the complete new one: the bytes go to a
// temporary file in the same folder, which is flushed to disk and renamed over `path`
// only once complete. A symbolic link is written through to the file it names (which
// is created if the link dangles). An existing file must be one the process may write
// and that has a write permission at all (a file of mode 0444 is refused even to root);
// it keeps its permissions, and its owner and group where the process may keep them.
// False on any failure; the temporary file is removed then, and also when SIGINT,
// SIGTERM or SIGHUP ends the process during the save.
bool WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace vido

#endif  // VIDO_SUPPORT_ATOMIC_FILE_H_
