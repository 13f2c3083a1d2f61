#include "cli/cli.h"

#include <ostream>

#include "cli/cli_args.h"
#include "cli/cli_commands.h"
#include "cli/interrupt.h"
#include "lp/solver_interface.h"
#include "support/engine_folder.h"

namespace vido {

namespace {

struct CommandEntry {
  const char* name;
  const char* usage;
  const char* summary;
  CliCommand run;
};

const std::vector<CommandEntry>& Commands() {
  static const std::vector<CommandEntry> commands = {
      {"new", "new [--criteria N] [--categories K] [--actions M] [--overwrite] OUT",
       "Creates a problem as the New command does (N criteria 2..12, K categories 2..20,\n"
       "      M actions 2..1000; each 2 when not given) and saves it to OUT (\".tri\"\n"
       "      is appended when OUT does not end in it).",
       CliNew},
      {"convert", "convert [--overwrite] IN OUT",
       "Reads the problem file IN (version 1 or 2) and writes it to OUT as version 2.", CliConvert},
      {"import-csv", "import-csv TABLE --categories K [--minimise NAMES] [--overwrite] OUT",
       "Makes a problem of the performance table TABLE (CSV: the first row names the\n"
       "      criteria, the first column the actions, optional columns ELow and EHigh\n"
       "      hold assignment examples) with K categories (2..20) and the defaults of\n"
       "      New, each criterion's profiles spread evenly over the range of its\n"
       "      performances, and saves it to OUT (\".tri\" is appended when OUT does not\n"
       "      end in it). NAMES: the criteria to minimise, separated by commas (a name\n"
       "      of the header, or gJ for criterion J); the others are maximised.",
       CliImportCsv},
      {"summary", "summary IN",
       "Prints an overview of the problem: sizes, criteria with directions and weight\n"
       "      bounds, profiles and thresholds, actions with their assignment examples,\n"
       "      constraints.",
       CliSummary},
      {"assign", "assign IN --lambda L --weights k1,...,kn",
       "Prints every action's name, a TAB and its category under lambda L and the\n"
       "      weights k1..kn (pessimistic assignment).",
       CliAssign},
      {"program", "program IN",
       "Builds the example constraints, the inference program and the analysis table\n"
       "      and prints them (ICGrid, IPGrid, IGrid) as tab-separated text.",
       CliProgram},
      {"analyse",
       "analyse IN [--report OUT [--overwrite]] [--progress] [--format json|csv] [--chart SVG]",
       "Runs \"&Robust Assignments\" on IN: prints whether the information is\n"
       "      consistent (and alpha), the inferred lambda and weights, and for every\n"
       "      action its worst, inferred and best category and its impossible\n"
       "      categories (holes). --report writes the results report to OUT as the\n"
       "      \"&Report\" command does (OUT may not be IN); --progress shows progress\n"
       "      on standard error. --format prints the results as JSON or CSV for\n"
       "      programs instead (schema \"vido-results\", version 1; see the README).\n"
       "      --chart draws the category ranges of every action into the SVG file SVG.",
       CliAnalyse},
      {"inconsistency",
       "inconsistency IN [--max N] [--accept] [--format json|csv] [--drop-program] [--progress]",
       "Runs the results on IN and, when the information is inconsistent, the\n"
       "      inconsistency analysis' \"Suggest\": prints the constraints (numbered) and\n"
       "      up to N (3 to 30, default 5) smallest alternative sets of constraints whose\n"
       "      removal restores consistency. With --accept, a solution that needs no\n"
       "      removal is accepted and the results are printed again under it. --format\n"
       "      prints the results, the constraints and the suggestions as JSON or CSV.\n"
       "      Suggestions are printed as they are found. --drop-program solves the 0-1\n"
       "      program with a relaxation of 999 per constraint itself (the same sizes,\n"
       "      far slower on large problems). --progress tells on standard error, while\n"
       "      the search runs, the least size of the next suggestion and the best set\n"
       "      found so far.",
       CliInconsistency},
      {"acceptability",
       "acceptability IN [--samples N] [--seed S] [--csv OUT [--overwrite]] [--progress]",
       "Runs \"&Robust Assignments\" on IN and, when the information is consistent,\n"
       "      samples the compatible parameter vectors uniformly (hit-and-run, N samples,\n"
       "      200 to 10000000, default 10000; seed S, default 1): prints for every action\n"
       "      the share of the samples in each category with its 95 % interval, the\n"
       "      likeliest category, the category under the mean vector (printed too), and\n"
       "      the inferred, worst and best ones. --csv writes the table to OUT.",
       CliAcceptability},
      {"volume", "volume IN [--precision P] [--seed S]",
       "Estimates the volume of the parameter region compatible with the problem's\n"
       "      information; P significant digits (2 to 5, default 3), seed S for a\n"
       "      repeatable run (default: the clock).",
       CliVolume},
  };
  return commands;
}

void PrintHelp(std::ostream& out) {
  out << "Usage: vido-cli COMMAND [OPTIONS] ARGUMENTS\n\n"
         "Multicriteria sorting problems (\".tri\" files) from the command line.\n"
         "Messages of the program are written to standard error, one per line, as\n"
         "\"error: TEXT\", \"warning: TEXT\", \"information: TEXT\" or \"question: TEXT\";\n"
         "questions are answered No unless a command's option says otherwise.\n"
         "An existing OUT file is replaced only with --overwrite, which answers Yes to\n"
         "\"OUT already exists. Do you want to replace it?\"; without it nothing is written\n"
         "and the command fails. OUT may be a symbolic link: the file it names is written.\n"
         "Exit status: 0 when no error message was shown, 1 when one was, 2 for a\n"
         "usage error, 130 when Ctrl-C stopped the command (a second Ctrl-C ends it at\n"
         "once).\n"
         "Every command also takes --solver-log FILE: the LP/MIP engine appends its log\n"
         "to FILE. The engine's working files live in a private temporary folder,\n"
         "never in the current one. With --cold every linear program is built afresh\n"
         "and solved from the slack basis; by default one that differs from the one\n"
         "before only in its objective or bounds is re-solved from that one's basis\n"
         "(same results, much faster).\n\nCommands:\n";
  for (const auto& c : Commands()) {
    out << "  vido-cli " << c.usage << "\n      " << c.summary << "\n";
  }
  out << "  vido-cli --help\n      Shows this text.\n";
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    PrintHelp(err);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp(out);
    return kExitOk;
  }
  for (const auto& c : Commands()) {
    if (args[0] != c.name) continue;
    // --solver-log FILE and --cold, for every command: the engine's log goes there; every
    // solve starts from nothing.
    CliArgs rest;
    std::string log;
    bool cold = false;
    for (size_t a = 1; a < args.size(); ++a) {
      if (args[a] == kColdOption) {
        cold = true;
        continue;
      }
      if (args[a] != kSolverLogOption) {
        rest.push_back(args[a]);
        continue;
      }
      if (a + 1 >= args.size()) return UsageError(err, c.name, "--solver-log needs a FILE");
      log = args[++a];
      const std::string problem = OutputPathError(log);
      if (!problem.empty()) return UsageError(err, c.name, "--solver-log: " + problem);
    }
    SetSolverLogFile(log);
    SolverSetColdStart(cold);
    ClearInterrupt();
    int status = c.run(rest, out, err);
    SetSolverLogFile("");
    SolverSetColdStart(false);
    if (InterruptRequested()) {
      // Stopped by Ctrl-C: whatever was printed is not the command's whole answer.
      err << "error: Interrupted\n";
      status = kExitInterrupted;
    }
    return status;
  }
  err << "vido-cli: unknown command '" << args[0] << "' (see vido-cli --help)\n";
  return kExitUsage;
}

}  // namespace vido
