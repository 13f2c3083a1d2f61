#ifndef VIDO_CLI_CLI_COMMANDS_H_
#define VIDO_CLI_CLI_COMMANDS_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace vido {

using CliArgs = std::vector<std::string>;
// A command receives the arguments after its name and returns the exit status.
using CliCommand = int (*)(const CliArgs& args, std::ostream& out, std::ostream& err);

}  // namespace vido

#endif  // VIDO_CLI_CLI_COMMANDS_H_
