#ifndef VIDO_CLI_CLI_ARGS_H_
#define VIDO_CLI_CLI_ARGS_H_

#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_commands.h"

namespace vido {

class CliUserPort;
struct Workspace;

// A command's arguments: "--name value" options, "--name" flags and plain arguments,
// in any order.
struct CliArguments {
  std::vector<std::string> plain;
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> flags;
  std::string error;  // empty when the arguments fit the command

  std::optional<std::string> Option(const std::string& name) const;
  bool Flag(const std::string& name) const;
};

// Splits `args` for a command that takes the options `with_value`, the flags
// `flags` and exactly `plain_count` plain arguments.
CliArguments SplitArguments(const CliArgs& args, const std::vector<std::string>& with_value,
                            const std::vector<std::string>& flags, size_t plain_count);

// "vido-cli COMMAND: TEXT (see vido-cli --help)" on `err`; returns the usage status.
int UsageError(std::ostream& err, const std::string& command, const std::string& text);

// 1 when an error message was shown, else 0.
int ExitStatus(const CliUserPort& port);

// Reads the problem file at `path` into `ws`; false after the reader's messages.
bool LoadProblem(const std::string& path, Workspace& ws, CliUserPort& port);

// The flag that answers Yes to "... already exists. Do you want to replace it?".
inline constexpr const char* kOverwriteFlag = "--overwrite";

// What is wrong with `path` as a file to write, for a usage error: it is empty or names
// a folder. Empty when it may be written.
std::string OutputPathError(const std::string& path);

// True when `a` and `b` name one file, also through links or another path (the same
// device and inode, or the same canonical path while one of them does not exist).
bool SameFile(const std::string& a, const std::string& b);

// Whether the file at `path` may be written: true when there is none; otherwise the
// question whether to replace it, answered by the port's overwrite answer. A No is an
// error: nothing was written.
bool MayWrite(const std::string& path, CliUserPort& port);

}  // namespace vido

#endif  // VIDO_CLI_CLI_ARGS_H_
