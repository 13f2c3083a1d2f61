#include <filesystem>
#include <optional>
#include <ostream>

#include "analysis/inconsistency_analysis.h"
#include "analysis/inference_tables.h"
#include "analysis/robust_assignments.h"
#include "cli/cli.h"
#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_user_port.h"
#include "cli/results_printout.h"
#include "lp/solver_interface.h"
#include "model/results_report.h"
#include "support/number_text.h"

namespace vido {

int CliAnalyse(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed = SplitArguments(args, {"--report"}, {"--progress", kOverwriteFlag}, 1);
  if (!parsed.error.empty()) return UsageError(err, "analyse", parsed.error);
  const std::optional<std::string> report = parsed.Option("--report");
  if (report) {
    if (const std::string error = OutputPathError(*report); !error.empty()) {
      return UsageError(err, "analyse", "--report: " + error);
    }
    // The report written over the problem would lose the problem.
    if (SameFile(*report, parsed.plain[0])) {
      return UsageError(err, "analyse", "--report: '" + *report + "' is the problem file itself");
    }
  }
  Workspace ws;
  CliUserPort port(err);
  port.SetShowProgress(parsed.Flag("--progress"));
  port.SetOverwriteAnswer(parsed.Flag(kOverwriteFlag));
  if (!LoadProblem(parsed.plain[0], ws, port)) return kExitError;
  // The report names the problem file as the open dialog would: in full.
  std::error_code ec;
  const auto full = std::filesystem::absolute(parsed.plain[0], ec);
  ws.view.open_dialog_file_name = ec ? parsed.plain[0] : full.lexically_normal().string();

  SolverSetUserPort(&port);
  CalcRangeItemClick(ws, port);
  SolverSetUserPort(nullptr);
  if (!ws.ResultsAvailable) return kExitError;
  PrintResults(out, ws);
  if (report) {
    if (!MayWrite(*report, port)) return kExitError;
    port.SetSaveFileName(*report);
    if (!SaveResClick(ws, port)) return kExitError;
    out << "Report written to " << *report << '\n';
  }
  return ExitStatus(port);
}

namespace {

void PrintAnalysisTable(std::ostream& out, const Table& igrid) {
  out << "Constraints (each reads: sum of coefficient * variable >= RHS):\n";
  for (int r = 0; r < igrid.RowCount(); ++r) {
    for (int c = 0; c < igrid.ColCount(); ++c) {
      out << (c > 0 ? "\t" : "")
          << (r == 0 ? igrid.Cell(c, r) : AnalysisTableCellText(igrid, c, r));
    }
    out << '\n';
  }
}

void PrintSuggestions(std::ostream& out, const Table& grid) {
  out << "\nSuggestions (constraints whose removal restores consistency):\n";
  for (int r = 0; r < grid.RowCount(); ++r) {
    out << grid.Cell(0, r) << '\t' << grid.Cell(1, r) << '\t' << grid.Cell(2, r) << '\n';
  }
}

}  // namespace

int CliInconsistency(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed = SplitArguments(args, {"--max"}, {"--accept"}, 1);
  if (!parsed.error.empty()) return UsageError(err, "inconsistency", parsed.error);
  IAForm form;
  if (const auto text = parsed.Option("--max")) {
    const auto count = ParseInteger(*text);
    if (!count || *count < IAForm::kMinSuggestions || *count > IAForm::kMaxSuggestions) {
      return UsageError(err, "inconsistency", "--max must be an integer from 3 to 30");
    }
    form.SetMaxSuggestions(*count);
  }
  Workspace ws;
  CliUserPort port(err);
  if (!LoadProblem(parsed.plain[0], ws, port)) return kExitError;
  SolverSetUserPort(&port);
  CalcRangeItemClick(ws, port);
  if (!ws.ResultsAvailable) {
    SolverSetUserPort(nullptr);
    return kExitError;
  }
  if (ws.RangesValid) {
    out << "The information is consistent (alpha = " << FormatGeneral(ws.Alpha, 5)
        << "): there is nothing to remove.\n";
    SolverSetUserPort(nullptr);
    return ExitStatus(port);
  }
  form.show_modal = [&](IAForm& shown) {
    BSuggestClick(ws, port, shown);
    PrintAnalysisTable(out, ws.IGrid);
    PrintSuggestions(out, shown.StringGrid1);
  };
  port.SetConfirmAnswer(parsed.Flag("--accept"));
  InconsistMenuClick(ws, port, form);
  SolverSetUserPort(nullptr);
  if (form.NoDropSolutionFound && parsed.Flag("--accept")) {
    out << "\nAccepted the solution that needs no removal; results under it:\n";
    PrintResults(out, ws);
  }
  return ExitStatus(port);
}

}  // namespace vido
