#include "cli/cli_args.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
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

std::string OutputPathError(const std::string& path) {
  if (path.empty()) return "the file name is empty";
  const std::filesystem::path name(path);
  const std::string last = name.filename().string();
  std::error_code ec;
  if (last.empty() || last == "." || last == ".." || std::filesystem::is_directory(name, ec)) {
    return "'" + path + "' is a folder";
  }
  return "";
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa;
  struct stat sb;
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) {
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  }
  std::error_code ea;
  std::error_code eb;
  const auto ca = std::filesystem::weakly_canonical(a, ea);
  const auto cb = std::filesystem::weakly_canonical(b, eb);
  return !ea && !eb && ca == cb;
}

bool MayWrite(const std::string& path, CliUserPort& port) {
  std::error_code ec;
  // A dangling link names no file yet: writing through it loses nothing.
  if (!std::filesystem::exists(path, ec)) return true;
  if (port.ConfirmReplace(path + " already exists. Do you want to replace it?")) return true;
  port.Error("Not written: " + path + " already exists (" + kOverwriteFlag + " replaces it)");
  return false;
}

}  // namespace vido
