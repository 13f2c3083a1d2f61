#ifndef VIDO_MODEL_HELP_ACCESS_H_
#define VIDO_MODEL_HELP_ACCESS_H_

#include <string>

#include "support/user_port.h"

namespace vido {

// The help pages, in the folder "Manual" beside the program.
inline constexpr const char* kMainManualPage = "Main_man.htm";
inline constexpr const char* kActionsHelpPage = "actions_in.htm";
inline constexpr const char* kFixedParHelpPage = "fixedpar_in.htm";
inline constexpr const char* kBoundsHelpPage = "bound_in.htm";
inline constexpr const char* kConstraintsHelpPage = "cons_in.htm";
inline constexpr const char* kResultsHelpPage = "results.htm";
inline constexpr const char* kInferProgHelpPage = "inferprog.htm";
inline constexpr const char* kInconsistencyHelpPage = "inconsistency.htm";

// The four fixed lines of the window "How to get help"; the folder follows them.
inline constexpr const char* kHowToGetHelpTitle = "How to get help";
inline constexpr const char* kHowToGetHelpLines[4] = {
    "You can learn how to use this program following the Online Manual.",
    "The help texts are based on HTML and assume that your system has a",
    "default system browser installed. The files should be located in the following",
    "location:",
};

// The folder of the help pages: the program's own folder followed by "Manual/".
std::string HelpFolderFor(const std::string& program_folder);

// Hands the page to the desktop's default handler through the port. A page that is not
// there, or a handler that fails, gives "Cannot open help file " + folder + page +
// ". Please check its existance and properties." in an error box; false then.
bool OpenHelpPage(UserPort& port, const std::string& help_folder, const std::string& page);

}  // namespace vido

#endif  // VIDO_MODEL_HELP_ACCESS_H_
