#include <algorithm>
#include <optional>
#include <ostream>
#include <utility>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_user_port.h"
#include "cli/problem_summary.h"
#include "model/new_problem.h"
#include "model/problem_file.h"
#include "model/problem_reader.h"

namespace vido {

namespace {

// "--name value" options and plain arguments, in any order.
struct Arguments {
  std::vector<std::string> plain;
  std::vector<std::pair<std::string, std::string>> options;
  std::string error;

  std::optional<std::string> Option(const std::string& name) const {
    for (const auto& [key, value] : options) {
      if (key == name) return value;
    }
    return std::nullopt;
  }
};

Arguments SplitArguments(const CliArgs& args, const std::vector<std::string>& known,
                         size_t plain_count) {
  Arguments parsed;
  for (size_t a = 0; a < args.size() && parsed.error.empty(); ++a) {
    const std::string& arg = args[a];
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      if (std::find(known.begin(), known.end(), arg) == known.end()) {
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

int Usage(std::ostream& err, const char* command, const std::string& text) {
  err << "vido-cli " << command << ": " << text << " (see vido-cli --help)\n";
  return kExitUsage;
}

int Status(const CliUserPort& port) { return port.ErrorShown() ? kExitError : kExitOk; }

// Saves as "&Save Data As..." does, the dialog answering with `name`.
bool SaveAs(Workspace& ws, CliUserPort& port, const std::string& name, std::ostream& out) {
  port.SetSaveFileName(name);
  if (!SaveProblemFile(ws, port, true)) return false;
  out << "Written " << ws.view.save_dialog_file_name << '\n';
  return true;
}

}  // namespace

int CliNew(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const Arguments parsed = SplitArguments(args, {"--criteria", "--categories", "--actions"}, 1);
  if (!parsed.error.empty()) return Usage(err, "new", parsed.error);
  CliUserPort port(err);
  Workspace ws;
  NewProblemFields fields;
  // Fills the dialog's fields and leaves each of them, as a user would, before OK.
  const NewProblemDialog dialog = [&](NewProblemFields& f) {
    if (auto v = parsed.Option("--actions")) f.alternatives = *v;
    if (auto v = parsed.Option("--criteria")) f.criteria = *v;
    if (auto v = parsed.Option("--categories")) f.categories = *v;
    const std::pair<NewProblemField, const std::string*> order[] = {
        {NewProblemField::kAlternatives, &f.alternatives},
        {NewProblemField::kCriteria, &f.criteria},
        {NewProblemField::kCategories, &f.categories}};
    for (const auto& [field, text] : order) {
      if (const auto message = CheckNewProblemField(field, *text)) {
        port.Error(*message);
        return false;
      }
    }
    return true;
  };
  New1Click(ws, port, fields, dialog);
  if (!ws.HasProblem()) return Status(port);
  SaveAs(ws, port, parsed.plain[0], out);
  return Status(port);
}

int CliConvert(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const Arguments parsed = SplitArguments(args, {}, 2);
  if (!parsed.error.empty()) return Usage(err, "convert", parsed.error);
  CliUserPort port(err);
  Workspace ws;
  if (ReadProblemFile(ws, port, parsed.plain[0]) != ReadOutcome::kLoaded) return kExitError;
  SaveAs(ws, port, parsed.plain[1], out);
  return Status(port);
}

int CliSummary(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const Arguments parsed = SplitArguments(args, {}, 1);
  if (!parsed.error.empty()) return Usage(err, "summary", parsed.error);
  CliUserPort port(err);
  Workspace ws;
  if (ReadProblemFile(ws, port, parsed.plain[0]) != ReadOutcome::kLoaded) return kExitError;
  PrintProblemSummary(ws, parsed.plain[0], out);
  return Status(port);
}

}  // namespace vido
