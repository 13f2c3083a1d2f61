#include <optional>
#include <ostream>
#include <utility>

#include "cli/cli.h"
#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_user_port.h"
#include "cli/problem_summary.h"
#include "model/new_problem.h"
#include "model/problem_file.h"
#include "model/table_import.h"
#include "support/number_text.h"

namespace vido {

namespace {

// What is wrong with `name` as the problem file to write (".tri" appended as the save
// appends it), for a usage error; empty when nothing is.
std::string ProblemOutputError(const std::string& name) {
  std::string error = OutputPathError(name);
  if (error.empty()) error = OutputPathError(WithTriExtension(name));
  return error;
}

// Saves as "&Save Data As..." does, the dialog answering with `name`; an existing file
// is replaced only when the question allows it.
bool SaveAs(Workspace& ws, CliUserPort& port, const std::string& name, std::ostream& out) {
  if (!MayWrite(WithTriExtension(name), port)) return false;
  port.SetSaveFileName(name);
  if (!SaveProblemFile(ws, port, true)) return false;
  out << "Written " << ws.view.save_dialog_file_name << '\n';
  return true;
}

}  // namespace

int CliNew(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed =
      SplitArguments(args, {"--criteria", "--categories", "--actions"}, {kOverwriteFlag}, 1);
  if (!parsed.error.empty()) return UsageError(err, "new", parsed.error);
  if (const std::string error = ProblemOutputError(parsed.plain[0]); !error.empty()) {
    return UsageError(err, "new", error);
  }
  CliUserPort port(err);
  port.SetOverwriteAnswer(parsed.Flag(kOverwriteFlag));
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
  if (!ws.HasProblem()) return ExitStatus(port);
  SaveAs(ws, port, parsed.plain[0], out);
  return ExitStatus(port);
}

int CliConvert(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed = SplitArguments(args, {}, {kOverwriteFlag}, 2);
  if (!parsed.error.empty()) return UsageError(err, "convert", parsed.error);
  if (const std::string error = ProblemOutputError(parsed.plain[1]); !error.empty()) {
    return UsageError(err, "convert", error);
  }
  CliUserPort port(err);
  port.SetOverwriteAnswer(parsed.Flag(kOverwriteFlag));
  Workspace ws;
  if (!LoadProblem(parsed.plain[0], ws, port)) return kExitError;
  SaveAs(ws, port, parsed.plain[1], out);
  return ExitStatus(port);
}

int CliImportCsv(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed =
      SplitArguments(args, {"--categories", "--minimise"}, {kOverwriteFlag}, 2);
  if (!parsed.error.empty()) return UsageError(err, "import-csv", parsed.error);
  const std::string& table = parsed.plain[0];
  const std::string& output = parsed.plain[1];
  if (const std::string error = ProblemOutputError(output); !error.empty()) {
    return UsageError(err, "import-csv", error);
  }
  if (SameFile(WithTriExtension(output), table)) {
    return UsageError(err, "import-csv", "'" + output + "' is the table itself");
  }
  TableImportOptions options;
  const std::optional<std::string> categories = parsed.Option("--categories");
  const std::optional<int> k = categories ? ParseInteger(*categories) : std::nullopt;
  if (!k || *k < kImportMinCategories || *k > kImportMaxCategories) {
    return UsageError(err, "import-csv", "--categories K is required, an integer from 2 to 20");
  }
  options.categories = *k;
  // Also given more than once, for names that hold a comma.
  for (const auto& [name, value] : parsed.options) {
    if (name != "--minimise") continue;
    const std::vector<std::string> names = SplitNameList(value);
    options.minimised.insert(options.minimised.end(), names.begin(), names.end());
  }
  CliUserPort port(err);
  port.SetOverwriteAnswer(parsed.Flag(kOverwriteFlag));
  Workspace ws;
  if (!ImportPerformanceTableFile(ws, port, table, options)) return kExitError;
  SaveAs(ws, port, output, out);
  return ExitStatus(port);
}

int CliSummary(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed = SplitArguments(args, {}, {}, 1);
  if (!parsed.error.empty()) return UsageError(err, "summary", parsed.error);
  CliUserPort port(err);
  Workspace ws;
  if (!LoadProblem(parsed.plain[0], ws, port)) return kExitError;
  PrintProblemSummary(ws, parsed.plain[0], out);
  return ExitStatus(port);
}

}  // namespace vido
