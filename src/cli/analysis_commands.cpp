#include <cstdlib>
#include <optional>
#include <ostream>
#include <sstream>

#include "analysis/inference_tables.h"
#include "analysis/volume.h"
#include "cli/cli.h"
#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_user_port.h"
#include "model/validation.h"
#include "sorting/assignment.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

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
  const CliArguments parsed = SplitArguments(args, {"--lambda", "--weights"}, {}, 1);
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
  if (!LoadProblem(parsed.plain[0], ws, port)) return kExitError;
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
  return ExitStatus(port);
}

int CliProgram(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed = SplitArguments(args, {}, {}, 1);
  if (!parsed.error.empty()) return UsageError(err, "program", parsed.error);
  Workspace ws;
  CliUserPort port(err);
  if (!LoadProblem(parsed.plain[0], ws, port)) return kExitError;
  // The order of a results run: the checks, then the three tables.
  RunCommand(port, [&] {
    if (!ValidateBounds(ws, port) || !ValidateRhs(ws, port) || !ValidateExamples(ws, port)) return;
    BuildExampleConstraints(ws, port);
    BuildAnalysisTable(ws);
    BuildInferenceProgram(ws);
    PrintTable(out, "ICGrid", ws.ICGrid);
    PrintTable(out, "IPGrid", ws.IPGrid);
    PrintTable(out, "IGrid", ws.IGrid);
  });
  return ExitStatus(port);
}

int CliVolume(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed = SplitArguments(args, {"--precision", "--seed"}, {}, 1);
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
  if (!LoadProblem(parsed.plain[0], ws, port)) return kExitError;
  if (!VolumeItemClick(ws, port, form)) return kExitError;
  StartButtonClick(ws, port, form);
  out << VolumeForm::kDimensionCaption << ' ' << form.dimension << '\n'
      << VolumeForm::kAbsoluteCaption << ' ' << form.absolute_volume << '\n'
      << VolumeForm::kRelativeCaption << ' ' << form.relative_volume << '\n'
      << VolumeForm::kIntervalCaption << ' ' << form.volume_interval << '\n';
  return ExitStatus(port);
}

}  // namespace vido
