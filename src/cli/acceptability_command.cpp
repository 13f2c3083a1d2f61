#include <cstdlib>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "analysis/acceptability.h"
#include "analysis/robust_assignments.h"
#include "cli/cli.h"
#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/cli_user_port.h"
#include "lp/solver_interface.h"
#include "support/atomic_file.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

std::string Fixed(double value) { return Format("%.4f", value); }

void PrintAcceptability(std::ostream& out, const Workspace& ws, const AcceptabilityResult& r) {
  const int n = ws.CriteriaCount;
  const int k = ws.CategoriesCount;
  out << "Acceptability of the categories: " << r.samples << " samples, seed " << r.seed << ", "
      << r.dimension << " free variables, burn-in " << r.burn_in << " steps, " << r.thinning
      << " steps between two samples (hit-and-run from the centre of the largest ball, radius "
      << FormatGeneral(r.radius, 4) << ")\n";
  out << "Central parameter vector (mean of the samples):\nlambda";
  for (int j = 1; j <= n; ++j) out << "\tk" << j;
  out << '\n';
  for (int c = 0; c <= n; ++c) out << (c > 0 ? "\t" : "") << FormatGeneral(r.central_vector[c], 5);
  out << "\n\nShare of the samples per category, with its 95 % interval:\nAction";
  for (int c = 1; c <= k; ++c) out << "\tC" << c;
  out << "\tLikeliest\tCentral\tInferred\tWorst\tBest\n";
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    out << ws.AGrid.Cell(0, i);
    for (int c = 1; c <= k; ++c) {
      const Share& s = r.shares[i][c];
      out << '\t' << Fixed(s.value) << " [" << Fixed(s.low) << ", " << Fixed(s.high) << ']';
    }
    out << '\t' << r.most_likely[i] << '\t' << r.central_category[i] << '\t'
        << ws.InferredCategory[i] << '\t' << ws.WorstCategory[i] << '\t' << ws.BestCategory[i]
        << '\n';
  }
}

// One line per action: the name (quoted), then share, low and high per category, then the
// likeliest, central, inferred, worst and best categories. Decimal points, commas apart.
std::string AcceptabilityCsv(const Workspace& ws, const AcceptabilityResult& r) {
  std::ostringstream csv;
  const int k = ws.CategoriesCount;
  csv << "action";
  for (int c = 1; c <= k; ++c) csv << ",C" << c << ",C" << c << " low,C" << c << " high";
  csv << ",likeliest,central,inferred,worst,best\r\n";
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    std::string name = ws.AGrid.Cell(0, i);
    std::string quoted = "\"";
    for (char ch : name) quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    csv << quoted << '"';
    for (int c = 1; c <= k; ++c) {
      const Share& s = r.shares[i][c];
      csv << ',' << FormatGeneral(s.value, 6) << ',' << FormatGeneral(s.low, 6) << ','
          << FormatGeneral(s.high, 6);
    }
    csv << ',' << r.most_likely[i] << ',' << r.central_category[i] << ',' << ws.InferredCategory[i]
        << ',' << ws.WorstCategory[i] << ',' << ws.BestCategory[i] << "\r\n";
  }
  return csv.str();
}

}  // namespace

int CliAcceptability(const CliArgs& args, std::ostream& out, std::ostream& err) {
  const CliArguments parsed =
      SplitArguments(args, {"--samples", "--seed", "--csv"}, {"--progress", kOverwriteFlag}, 1);
  if (!parsed.error.empty()) return UsageError(err, "acceptability", parsed.error);
  AcceptabilitySettings settings;
  if (const auto text = parsed.Option("--samples")) {
    const auto count = ParseInteger(*text);
    if (!count || *count < AcceptabilitySettings::kMinSamples ||
        *count > AcceptabilitySettings::kMaxSamples) {
      return UsageError(err, "acceptability", "--samples must be an integer from 200 to 10000000");
    }
    settings.samples = *count;
  }
  if (const auto text = parsed.Option("--seed")) {
    char* end = nullptr;
    const unsigned long long seed = std::strtoull(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || (*text)[0] == '-') {
      return UsageError(err, "acceptability", "--seed must be a non-negative integer");
    }
    settings.seed = seed;
  }
  const std::optional<std::string> csv = parsed.Option("--csv");
  if (csv) {
    if (const std::string error = OutputPathError(*csv); !error.empty()) {
      return UsageError(err, "acceptability", "--csv: " + error);
    }
    if (SameFile(*csv, parsed.plain[0])) {
      return UsageError(err, "acceptability", "--csv: '" + *csv + "' is the problem file itself");
    }
  }
  Workspace ws;
  CliUserPort port(err);
  port.SetShowProgress(parsed.Flag("--progress"));
  port.SetOverwriteAnswer(parsed.Flag(kOverwriteFlag));
  if (!LoadProblem(parsed.plain[0], ws, port)) return kExitError;
  SolverSetUserPort(&port);
  CalcRangeItemClick(ws, port);
  AcceptabilityResult result;
  bool computed = false;
  if (ws.ResultsAvailable) {
    RunCommand(port, [&] { computed = ComputeAcceptability(ws, port, settings, result); });
  } else if (!port.ErrorShown()) {
    port.Error(kAcceptabilityNeedsRanges);
  }
  SolverSetUserPort(nullptr);
  if (!computed) return kExitError;
  PrintAcceptability(out, ws, result);
  if (csv) {
    if (!MayWrite(*csv, port)) return kExitError;
    if (!WriteFileAtomically(*csv, AcceptabilityCsv(ws, result))) {
      port.Error(kDiskWriteError);
      return kExitError;
    }
    out << "Table written to " << *csv << '\n';
  }
  return ExitStatus(port);
}

}  // namespace vido
