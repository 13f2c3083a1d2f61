#ifndef VIDO_CLI_CLI_H_
#define VIDO_CLI_CLI_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace vido {

// Exit statuses of vido-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;          // an error message was shown
inline constexpr int kExitUsage = 2;          // the command line itself was wrong
inline constexpr int kExitInterrupted = 130;  // Ctrl-C stopped the command
inline constexpr const char* kSolverLogOption = "--solver-log";
inline constexpr const char* kColdOption = "--cold";

// Runs one vido-cli command line (args without the program name); results go to
// `out`, messages to `err`.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vido

#endif  // VIDO_CLI_CLI_H_
