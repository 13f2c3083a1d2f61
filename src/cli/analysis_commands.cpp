#include <cstdlib>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>

#include "analysis/inference_tables.h"
#include "analysis/volume.h"
#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_user_port.h"
#include "model/problem_reader.h"
#include "model/validation.h"
#include "sorting/assignment.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

// The problem file named on the command line, read whole; false after the reader's
// messages.
bool LoadProblem(const std::string& path, Workspace& ws, UserPort& port) {
  std::filebuf file;
  if (!file.open(path, std::ios::in | std::ios::binary)) {
    port.Error("Error on reading : Could not open file");
    return false;
  }
  return ProblemFileReader(file, ws, port).Read(path) == ReadOutcome::kLoaded;
}

// Splits the arguments into one input file and "--name value" options.
struct ParsedArgs {
  std::string input;
  std::vector<std::pair<std::string, std::string>> options;
  std::string error;

  std::optional<std::string> Option(const std::string& name) const {
    for (const auto& [key, value] : options) {
      if (key == name) return value;
    }
    return std::nullopt;
  }
};

ParsedArgs Parse(const CliArgs& args, const std::vector<std::string>& known) {
  ParsedArgs parsed;
  for (size_t a = 0; a < args.size(); ++a) {
    const std::string& arg = args[a];
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      bool is_known = false;
      for (const auto& name : known) is_known = is_known || name == arg;
      if (!is_known) {
        parsed.error = "unknown option '" + arg + "'";
        return parsed;
      }
      if (a + 1 >= args.size()) {
        parsed.error = "option " + arg + " needs a value";
        return parsed;
      }
      parsed.options.emplace_back(arg, args[++a]);
    } else if (parsed.input.empty()) {
      parsed.input = arg;
    } else {
      parsed.error = "unexpected argument '" + arg + "'";
      return parsed;
    }
  }
  if (parsed.input.empty()) parsed.error = "no input file";
  return parsed;
}

int UsageError(std::ostream& err, const std::string& command, const std::string& text) {
  err << "vido-cli " << command << ": " << text << " (see vido-cli --help)\n";
  return kExitUsage;
}

int Status(const CliUserPort& port) { return port.ErrorShown() ? kExitError : kExitOk; }

void PrintTable(std::ostream& out, const char* name, const Table& table) {
  out << name << '\n';
  for (int r = 0; r < table.RowCount(); ++r) {
    for (int c = 0; c < table.ColCount(); ++c) {
      if (c > 0) out << '\t';
      out << table.Cell(c, r);
    }
    out << '\n';
  }
}

}  // namespace

int CliAssign(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const ParsedArgs parsed = Parse(args, {"--lambda", "--weights"});
  if (!parsed.error.empty()) return UsageError(err, "assign", parsed.error);
  const auto lambda_text = parsed.Option("--lambda");
  const auto weights_text = parsed.Option("--weights");
  if (!lambda_text || !weights_text) {
    return UsageError(err, "assign", "--lambda and --weights are required");
  }
  const auto lambda = ParseReal(*lambda_text);
  if (!lambda) return UsageError(err, "assign", "--lambda: " + NotRealMessage(*lambda_text));
  std::vector<double> solution = {*lambda};
  std::stringstream list(*weights_text);
  for (std::string item; std::getline(list, item, ',');) {
    const auto weight = ParseReal(item);
    if (!weight) return UsageError(err, "assign", "--weights: " + NotRealMessage(item));
    solution.push_back(*weight);
  }

  Workspace ws;
  CliUserPort port(err);
  if (!LoadProblem(parsed.input, ws, port)) return kExitError;
  if (static_cast<int>(solution.size()) != ws.CriteriaCount + 1) {
    return UsageError(err, "assign",
                      Format("--weights needs %d values, one per criterion", ws.CriteriaCount));
  }
  RunCommand(port, [&] {
    ws.InferredSolution = solution;
    ComputeInferredCategories(ws);
    for (int i = 1; i <= ws.ActionsCount; ++i) {
      out << ws.AGrid.Cell(0, i) << '\t' << ws.InferredCategory[i] << '\n';
    }
  });
  return Status(port);
}

int CliProgram(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const ParsedArgs parsed = Parse(args, {});
  if (!parsed.error.empty()) return UsageError(err, "program", parsed.error);
  Workspace ws;
  CliUserPort port(err);
  if (!LoadProblem(parsed.input, ws, port)) return kExitError;
  // The order of a results run: the checks, then the three tables.
  RunCommand(port, [&] {
    if (!ValidateBounds(ws, port) || !ValidateRhs(ws, port)) return;
    BuildExampleConstraints(ws, port);
    BuildAnalysisTable(ws);
    BuildInferenceProgram(ws);
    PrintTable(out, "ICGrid", ws.ICGrid);
    PrintTable(out, "IPGrid", ws.IPGrid);
    PrintTable(out, "IGrid", ws.IGrid);
  });
  return Status(port);
}

int CliVolume(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const ParsedArgs parsed = Parse(args, {"--precision", "--seed"});
  if (!parsed.error.empty()) return UsageError(err, "volume", parsed.error);
  VolumeForm form;
  if (const auto text = parsed.Option("--precision")) {
    const auto digits = ParseInteger(*text);
    if (!digits || *digits < VolumeForm::kMinPrecision || *digits > VolumeForm::kMaxPrecision) {
      return UsageError(err, "volume", "--precision must be an integer from 2 to 5");
    }
    form.SetPrecision(*digits);
  }
  if (const auto text = parsed.Option("--seed")) {
    char* end = nullptr;
    const unsigned long long seed = std::strtoull(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || (*text)[0] == '-') {
      return UsageError(err, "volume", "--seed must be a non-negative integer");
    }
    form.seed = seed;
  }
  Workspace ws;
  CliUserPort port(err);
  if (!LoadProblem(parsed.input, ws, port)) return kExitError;
  if (!VolumeItemClick(ws, port, form)) return kExitError;
  StartButtonClick(ws, port, form);
  out << VolumeForm::kDimensionCaption << ' ' << form.dimension << '\n'
      << VolumeForm::kAbsoluteCaption << ' ' << form.absolute_volume << '\n'
      << VolumeForm::kRelativeCaption << ' ' << form.relative_volume << '\n';
  return Status(port);
}

}  // namespace vido
