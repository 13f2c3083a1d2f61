#ifndef VIDO_CLI_CLI_COMMANDS_H_
#define VIDO_CLI_CLI_COMMANDS_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace vido {

using CliArgs = std::vector<std::string>;
// A command receives the arguments after its name and returns the exit status.
using CliCommand = int (*)(const CliArgs& args, std::ostream& out, std::ostream& err);

// assign IN --lambda L --weights k1,...,kn: the category of every action.
int CliAssign(const CliArgs& args, std::ostream& out, std::ostream& err);
// program IN: the example constraints, the inference program and the analysis table.
int CliProgram(const CliArgs& args, std::ostream& out, std::ostream& err);
// volume IN [--precision P] [--seed S]: the volume estimate.
int CliVolume(const CliArgs& args, std::ostream& out, std::ostream& err);

// analyse IN [--report OUT] [--progress]: "&Robust Assignments" and its results.
int CliAnalyse(const CliArgs& args, std::ostream& out, std::ostream& err);
// inconsistency IN [--max N] [--accept]: the suggestions of the inconsistency analysis.
int CliInconsistency(const CliArgs& args, std::ostream& out, std::ostream& err);

// acceptability IN [--samples N] [--seed S] [--csv OUT]: how likely each category is.
int CliAcceptability(const CliArgs& args, std::ostream& out, std::ostream& err);

// new --criteria N --categories K --actions M OUT: a new problem saved to OUT.
int CliNew(const CliArgs& args, std::ostream& out, std::ostream& err);
// convert IN OUT: reads IN (version 1 or 2) and writes it to OUT as version 2.
int CliConvert(const CliArgs& args, std::ostream& out, std::ostream& err);
// import-csv TABLE --categories K [--minimise LIST] OUT: a problem made of a performance table.
int CliImportCsv(const CliArgs& args, std::ostream& out, std::ostream& err);
// summary IN: a readable overview of the problem.
int CliSummary(const CliArgs& args, std::ostream& out, std::ostream& err);

}  // namespace vido

#endif  // VIDO_CLI_CLI_COMMANDS_H_
