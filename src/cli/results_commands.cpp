#include <filesystem>
#include <ostream>

#include "analysis/robust_assignments.h"
#include "cli/cli.h"
#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_user_port.h"
#include "cli/results_printout.h"
#include "model/results_report.h"
#include "solver/solver_interface.h"

namespace vido {

int CliAnalyse(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed = SplitArguments(args, {"--report"}, {"--progress"}, 1);
  if (!parsed.error.empty()) return UsageError(err, "analyse", parsed.error);
  Workspace ws;
  CliUserPort port(err);
  port.SetShowProgress(parsed.Flag("--progress"));
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
  if (const auto report = parsed.Option("--report")) {
    port.SetSaveFileName(*report);
    if (!SaveResClick(ws, port)) return kExitError;
    out << "Report written to " << *report << '\n';
  }
  return ExitStatus(port);
}

}  // namespace vido
