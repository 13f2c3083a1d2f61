#include "cli/cli_args.h"

#include <algorithm>
#include <ostream>

#include "cli/cli.h"
#include "cli/cli_user_port.h"
#include "model/problem_reader.h"

namespace vido {

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

std::optional<std::string> CliArguments::Option(const std::string& name) const {
  for (const auto& [key, value] : options) {
    if (key == name) return value;
  }
  return std::nullopt;
}

bool CliArguments::Flag(const std::string& name) const { return Contains(flags, name); }

CliArguments SplitArguments(const CliArgs& args, const std::vector<std::string>& with_value,
                            const std::vector<std::string>& flags, size_t plain_count) {
  CliArguments parsed;
  for (size_t a = 0; a < args.size() && parsed.error.empty(); ++a) {
    const std::string& arg = args[a];
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      if (Contains(flags, arg)) {
        parsed.flags.push_back(arg);
      } else if (!Contains(with_value, arg)) {
        parsed.error = "unknown option '" + arg + "'";
      } else if (a + 1 >= args.size()) {
        parsed.error = "option " + arg + " needs a value";
      } else {
        parsed.options.emplace_back(arg, args[++a]);
      }
    } else {
      parsed.plain.push_back(arg);
    }
  }
  if (parsed.error.empty() && parsed.plain.size() != plain_count) {
    parsed.error = parsed.plain.size() < plain_count ? "missing file name" : "too many arguments";
  }
  return parsed;
}

int UsageError(std::ostream& err, const std::string& command, const std::string& text) {
  err << "vido-cli " << command << ": " << text << " (see vido-cli --help)\n";
  return kExitUsage;
}

int ExitStatus(const CliUserPort& port) { return port.ErrorShown() ? kExitError : kExitOk; }

bool LoadProblem(const std::string& path, Workspace& ws, CliUserPort& port) {
  return ReadProblemFile(ws, port, path) == ReadOutcome::kLoaded;
}

}  // namespace vido
