#ifndef VIDO_MODEL_PROBLEM_FILE_H_
#define VIDO_MODEL_PROBLEM_FILE_H_

#include <string>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// The save dialog of the problem file.
inline constexpr const char* kProblemSaveFilter = "VIDO (v.2) (*.tri)|*.tri";
// The window caption once the problem belongs to a file: "VIDO 2.0  -  " + file name.
std::string FileCaption(const std::string& file_name);

// The file name rule of saving: ".tri" (exactly, case-sensitive) is appended to a name
// that does not end in it, so "prob.TRI" becomes "prob.TRI.tri".
std::string WithTriExtension(const std::string& name);
// The name without the extension of its last component ("dir/prob.tri" -> "dir/prob");
// a name whose last component has no dot, or only a leading one, is returned unchanged.
std::string WithoutExtension(const std::string& name);

// The whole problem file, version 2, lines ending in CR LF. Throws CommandError with
// the conversion message when a "<=" constraint holds a coefficient or right-hand side
// that is not a number.
std::string ProblemFileText(const Workspace& ws);

// Before the problem on screen gives way (New, Open, an import, closing the window):
// with unsaved changes asks "Save current files?" and saves on Yes. False when the user
// asked for a save that did not happen: going on would lose what they meant to keep.
bool SaveChangesFirst(Workspace& ws, UserPort& port);

// Writes the problem. With ask_for_name, or while the caption is the bare "VIDO 2.0",
// the save dialog asks for the name (cancel writes nothing); otherwise the dialog's
// current name is used. The previous file is replaced only by a complete new one.
// On success clears DataModified and sets the caption. True when the file was written.
bool SaveProblemFile(Workspace& ws, UserPort& port, bool ask_for_name);

}  // namespace vido

#endif  // VIDO_MODEL_PROBLEM_FILE_H_
