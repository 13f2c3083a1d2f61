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
// only once complete. A symbolic link is followed, so the file it names is replaced.
// An existing file keeps its permissions. False on any failure (the temporary file is
// then removed).
bool WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace vido

#endif  // VIDO_SUPPORT_ATOMIC_FILE_H_
