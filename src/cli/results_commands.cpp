#include <filesystem>
#include <optional>
#include <ostream>

#include "analysis/inconsistency_analysis.h"
#include "analysis/inference_tables.h"
#include "analysis/results_export.h"
#include "analysis/robust_assignments.h"
#include "cli/cli.h"
#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_user_port.h"
#include "cli/interrupt.h"
#include "cli/results_printout.h"
#include "lp/solver_interface.h"
#include "model/range_chart.h"
#include "model/results_report.h"
#include "support/number_text.h"

namespace vido {

namespace {

enum class OutputForm { kText, kJson, kCsv };

// --format json|csv; false after the usage error.
bool ReadOutputForm(const CliArguments& parsed, OutputForm& form) {
  form = OutputForm::kText;
  const std::optional<std::string> text = parsed.Option("--format");
  if (!text) return true;
  if (*text == "json") {
    form = OutputForm::kJson;
  } else if (*text == "csv") {
    form = OutputForm::kCsv;
  } else {
    return false;
  }
  return true;
}

void PrintResultsAs(OutputForm form, std::ostream& out, const Workspace& ws,
                    const InconsistencyFindings& findings = {}) {
  switch (form) {
    case OutputForm::kText:
      PrintResults(out, ws);
      break;
    case OutputForm::kJson:
      out << ResultsJson(ws, findings);
      break;
    case OutputForm::kCsv:
      out << ResultsCsv(ws, findings);
      break;
  }
}

// What is wrong with `path` as a file the results are written to beside the problem at
// `problem`; empty when nothing is. Written over the problem, it would lose the problem.
std::string ResultFileError(const std::string& path, const std::string& problem) {
  if (const std::string error = OutputPathError(path); !error.empty()) return error;
  if (SameFile(path, problem)) return "'" + path + "' is the problem file itself";
  return "";
}

// The full name of the problem file, as the open dialog would give it.
std::string FullName(const std::string& path) {
  std::error_code ec;
  const auto full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

}  // namespace

int CliAnalyse(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed =
      SplitArguments(args, {"--report", "--format", "--chart"}, {"--progress", kOverwriteFlag}, 1);
  if (!parsed.error.empty()) return UsageError(err, "analyse", parsed.error);
  OutputForm form;
  if (!ReadOutputForm(parsed, form)) {
    return UsageError(err, "analyse", "--format must be json or csv");
  }
  const std::optional<std::string> report = parsed.Option("--report");
  const std::optional<std::string> chart = parsed.Option("--chart");
  const std::pair<const char*, std::optional<std::string>> outputs[] = {{"--report", report},
                                                                        {"--chart", chart}};
  for (const auto& [option, path] : outputs) {
    if (!path) continue;
    if (const std::string error = ResultFileError(*path, parsed.plain[0]); !error.empty()) {
      return UsageError(err, "analyse", std::string(option) + ": " + error);
    }
  }
  if (report && chart && SameFile(*report, *chart)) {
    return UsageError(err, "analyse", "--report and --chart name the same file");
  }
  Workspace ws;
  CliUserPort port(err);
  port.SetShowProgress(parsed.Flag("--progress"));
  port.SetOverwriteAnswer(parsed.Flag(kOverwriteFlag));
  if (!LoadProblem(parsed.plain[0], ws, port)) return kExitError;
  // The report names the problem file as the open dialog would: in full.
  ws.view.open_dialog_file_name = FullName(parsed.plain[0]);

  SolverSetUserPort(&port);
  CalcRangeItemClick(ws, port);
  SolverSetUserPort(nullptr);
  if (!ws.ResultsAvailable) return kExitError;
  PrintResultsAs(form, out, ws);
  // A script reading the results on standard output gets nothing else there.
  const bool text = form == OutputForm::kText;
  if (report) {
    if (!MayWrite(*report, port)) return kExitError;
    port.SetSaveFileName(*report);
    if (!SaveResClick(ws, port)) return kExitError;
    if (text) out << "Report written to " << *report << '\n';
  }
  if (chart) {
    if (!MayWrite(*chart, port)) return kExitError;
    port.SetSaveFileName(*chart);
    if (!SaveChartClick(ws, port)) return kExitError;
    if (text) out << "Chart written to " << *chart << '\n';
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

// The rows of the suggestions table from `first` on; with `filled`, only as far as they
// are written (the search adds them as it finds them). Returns the row after the last.
int PrintSuggestionRows(std::ostream& out, const Table& grid, int first, bool filled) {
  int r = first;
  for (; r < grid.RowCount() && (!filled || !grid.Cell(0, r).empty()); ++r) {
    out << grid.Cell(0, r) << '\t' << grid.Cell(1, r) << '\t' << grid.Cell(2, r) << '\n';
  }
  out.flush();
  return r;
}

}  // namespace

int CliInconsistency(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed =
      SplitArguments(args, {"--max", "--format"}, {"--accept", "--drop-program", "--progress"}, 1);
  if (!parsed.error.empty()) return UsageError(err, "inconsistency", parsed.error);
  OutputForm output;
  if (!ReadOutputForm(parsed, output)) {
    return UsageError(err, "inconsistency", "--format must be json or csv");
  }
  IAForm form;
  if (const auto text = parsed.Option("--max")) {
    const auto count = ParseInteger(*text);
    if (!count || *count < IAForm::kMinSuggestions || *count > IAForm::kMaxSuggestions) {
      return UsageError(err, "inconsistency", "--max must be an integer from 3 to 30");
    }
    form.SetMaxSuggestions(*count);
  }
  form.drop_program = parsed.Flag("--drop-program");
  // With --progress, what the search knows of the next suggestion, each time it changes.
  std::string progress;
  auto show_progress = [&, on = parsed.Flag("--progress")](const IAForm& shown) {
    if (!on || shown.progress.empty() || shown.progress == progress) return;
    progress = shown.progress;
    err << "progress: " << progress << '\n';
  };
  form.repaint = show_progress;
  Workspace ws;
  CliUserPort port(err);
  if (!LoadProblem(parsed.plain[0], ws, port)) return kExitError;
  ws.view.open_dialog_file_name = FullName(parsed.plain[0]);
  SolverSetUserPort(&port);
  CalcRangeItemClick(ws, port);
  if (!ws.ResultsAvailable) {
    SolverSetUserPort(nullptr);
    return kExitError;
  }
  if (output != OutputForm::kText) {
    // The same runs as below, the findings printed once at the end.
    if (!ws.RangesValid) {
      form.show_modal = [&](IAForm& shown) { BSuggestClick(ws, port, shown); };
      port.SetConfirmAnswer(parsed.Flag("--accept"));
      InconsistMenuClick(ws, port, form);
    }
    SolverSetUserPort(nullptr);
    // A stopped search has not found everything: a program would take a part for the whole.
    if (InterruptRequested()) return kExitInterrupted;
    const bool accepted = form.NoDropSolutionFound && parsed.Flag("--accept");
    PrintResultsAs(output, out, ws, {&form, accepted});
    return ExitStatus(port);
  }
  if (ws.RangesValid) {
    out << "The information is consistent (alpha = " << FormatGeneral(ws.Alpha, 5)
        << "): there is nothing to remove.\n";
    SolverSetUserPort(nullptr);
    return ExitStatus(port);
  }
  // Each suggestion is printed as it is found: a long search shows what it has.
  int printed = 0;
  form.repaint = [&](const IAForm& shown) {
    printed = PrintSuggestionRows(out, shown.StringGrid1, printed, true);
    show_progress(shown);
  };
  form.show_modal = [&](IAForm& shown) {
    PrintAnalysisTable(out, ws.IGrid);
    out << "\nSuggestions (constraints whose removal restores consistency):\n";
    printed = 0;
    BSuggestClick(ws, port, shown);
    PrintSuggestionRows(out, shown.StringGrid1, printed, false);
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
