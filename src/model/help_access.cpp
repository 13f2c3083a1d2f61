#include "model/help_access.h"

#include <filesystem>
#include <system_error>

namespace vido {

std::string HelpFolderFor(const std::string& program_folder) {
  std::string folder = program_folder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + "Manual/";
}

bool OpenHelpPage(UserPort& port, const std::string& help_folder, const std::string& page) {
  const std::string path = help_folder + page;
  // Desktop handlers start in the background and cannot tell that the page is missing,
  // so the page is looked for first.
  std::error_code error;
  const bool present = std::filesystem::is_regular_file(path, error);
  if (!present || !port.OpenHelpPage(path)) {
    port.Error("Cannot open help file " + path + ". Please check its existance and properties.");
    return false;
  }
  return true;
}

}  // namespace vido
