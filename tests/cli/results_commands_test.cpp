#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "cli/interrupt.h"
#include "common/cli_run.h"
#include "common/integer_search.h"
#include "lp/solver_interface.h"
#include "support/trace_display.h"

namespace vido {
namespace {

using testing::CliRun;
using testing::Example;
using testing::ReadFile;
using testing::RunVido;

// The expected outputs beside the examples are reviewed results: a change is a
// decision, not a refresh. Solves from the previous basis and --cold (every solve from
// nothing) give them alike.
TEST(CliAnalyse, GoldenRunsOfTheBundledExamples) {
  for (const std::vector<std::string>& option : {std::vector<std::string>{}, {"--cold"}}) {
    std::vector<std::string> args = {"analyse", Example("suppliers.tri")};
    args.insert(args.end(), option.begin(), option.end());
    const CliRun consistent = RunVido(args);
    EXPECT_EQ(consistent.status, 0) << consistent.err;
    EXPECT_EQ(consistent.err, "");
    EXPECT_EQ(consistent.out, ReadFile(Example("suppliers.analyse.txt")));

    args[1] = Example("suppliers-inconsistent.tri");
    const CliRun inconsistent = RunVido(args);
    EXPECT_EQ(inconsistent.status, 0);
    EXPECT_EQ(inconsistent.err, "warning: Inconsistent information!\n");
    EXPECT_EQ(inconsistent.out, ReadFile(Example("suppliers-inconsistent.analyse.txt")));
  }
  EXPECT_FALSE(SolverColdStart());
}

TEST(CliAnalyse, ReportNamesTheInputInFull) {
  std::filesystem::remove("suppliers.rpt");
  const CliRun run =
      RunVido({"analyse", Example("suppliers.tri"), "--report", "suppliers.rpt", "--progress"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("progress: 25/25"), std::string::npos);
  const std::string report = ReadFile("suppliers.rpt");
  const std::string full =
      std::filesystem::absolute(Example("suppliers.tri")).lexically_normal().string();
  EXPECT_EQ(report.rfind("INPUT FILE:\r\n" + full + "\r\n\r\nRESULTS:\r\n", 0), 0u);
  EXPECT_NE(report.find("\r\nAcme Metals\t2\t2\t2\r\n"), std::string::npos);
  EXPECT_NE(report.back(), '\n');

  const CliRun unwritable =
      RunVido({"analyse", Example("suppliers.tri"), "--report", "no-such-folder/x.rpt"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("error: Disk write error: check permissions and available size"),
            std::string::npos);

  EXPECT_EQ(RunVido({"analyse"}).status, 2);
  EXPECT_EQ(RunVido({"analyse", "missing.tri"}).status, 1);
}

TEST(CliAnalyse, TheReportNeverReplacesTheProblemAndAnotherFileOnlyWhenAsked) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::current_path() / "report_target";
  fs::remove_all(dir);
  fs::create_directories(dir / "sub");
  const std::string problem = (dir / "problem.tri").string();
  fs::copy_file(Example("suppliers.tri"), problem);
  fs::create_symlink("problem.tri", dir / "link.tri");
  fs::create_hard_link(problem, dir / "hard.tri");
  const std::string original = ReadFile(problem);
  for (const fs::path& out : {dir / "problem.tri", dir / "link.tri", dir / "hard.tri",
                              dir / "sub" / ".." / "problem.tri", dir / "sub", dir / "sub/"}) {
    const CliRun run = RunVido({"analyse", problem, "--report", out.string(), "--overwrite"});
    EXPECT_EQ(run.status, 2) << out;
    EXPECT_EQ(run.out, "") << out;
  }
  EXPECT_EQ(ReadFile(problem), original);

  const std::string report = (dir / "results.rpt").string();
  std::ofstream(report) << "earlier";
  const CliRun kept = RunVido({"analyse", problem, "--report", report});
  EXPECT_EQ(kept.status, 1);
  EXPECT_EQ(kept.err, "question: " + report + " already exists. Do you want to replace it?\n" +
                          "error: Not written: " + report +
                          " already exists (--overwrite replaces it)\n");
  EXPECT_EQ(ReadFile(report), "earlier");
  const CliRun replaced = RunVido({"analyse", problem, "--report", report, "--overwrite"});
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(ReadFile(report).rfind("INPUT FILE:\r\n", 0), 0u);
}

TEST(CliInconsistency, SuggestionsOfTheInconsistentExample) {
  const CliRun consistent = RunVido({"inconsistency", Example("suppliers.tri")});
  EXPECT_EQ(consistent.status, 0);
  EXPECT_NE(consistent.out.find("there is nothing to remove"), std::string::npos);
  EXPECT_EQ(RunVido({"inconsistency", Example("suppliers.tri"), "--max", "2"}).status, 2);
  EXPECT_EQ(RunVido({"inconsistency", Example("suppliers.tri"), "--max", "x"}).status, 2);

  if (!testing::IntegerSearchAvailable()) GTEST_SKIP() << "no integer search in this build";
  // The search and, with --drop-program, the 0-1 program itself: the same alternatives.
  for (const bool drop_program : {false, true}) {
    std::vector<std::string> args = {"inconsistency", Example("suppliers-inconsistent.tri"),
                                     "--max", "10"};
    if (drop_program) args.push_back("--drop-program");
    const CliRun run = RunVido(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("16\tLB lambda"), std::string::npos);
    // Three alternatives of one constraint each: "LB lambda" (16), the example of
    // Iberia Components (5) and "UB k4" (25), in the order the search finds them.
    const size_t table = run.out.find(" # \t Quant.\t Constraints to remove\n");
    ASSERT_NE(table, std::string::npos);
    std::istringstream rows(run.out.substr(table));
    std::string line;
    std::getline(rows, line);
    std::vector<std::string> removed;
    while (std::getline(rows, line) && !line.empty()) {
      EXPECT_EQ(line.substr(line.find('\t'), 3), "\t1\t") << line;
      removed.push_back(line.substr(line.rfind('\t') + 1));
    }
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{"16", "25", "5"}));
    EXPECT_NE(run.err.find("information: There are no more alternatives"), std::string::npos);
    EXPECT_EQ(run.err.find("progress:"), std::string::npos);
  }
  // --progress: what the search knows of the next one, on standard error only.
  const CliRun told = RunVido(
      {"inconsistency", Example("suppliers-inconsistent.tri"), "--max", "10", "--progress"});
  EXPECT_EQ(told.status, 0) << told.err;
  EXPECT_NE(told.err.find("progress: Searching: at least 1 constraint\n"), std::string::npos)
      << told.err;
  EXPECT_EQ(told.out.find("progress:"), std::string::npos);
}

// Files named as the engine's working files, in the folder the user runs the program
// from, are the user's: never read, written or deleted.
TEST(CliInconsistency, TheEngineNeverTouchesTheUsersFolder) {
  if (!testing::IntegerSearchAvailable()) GTEST_SKIP() << "no integer search in this build";
  namespace fs = std::filesystem;
  const std::string problem = fs::absolute(Example("suppliers-inconsistent.tri")).string();
  // The 0-1 program, so that the integer search and its files are in play.
  const CliRun clean = RunVido({"inconsistency", problem, "--max", "3", "--drop-program"});
  ASSERT_EQ(clean.status, 0) << clean.err;

  const fs::path start = fs::current_path();
  const fs::path folder = start / "users_folder";
  fs::remove_all(folder);
  fs::create_directories(folder);
  // A pseudo-cost file that would steer the search if it were read.
  const std::vector<std::pair<std::string, std::string>> files = {
      {"INF", "mine\n"},        {"PSE", "Var4 1000000 -1000000\nVar20 5 5\n"},
      {"FIL", "my swap\n"},     {"BSS", "MIPSolver\n X Var30\nENDATA\n"},
      {"LP.LOG", "my notes\n"}, {"CMP", "my report\n"}};
  for (const auto& [name, text] : files) std::ofstream(folder / name, std::ios::binary) << text;
  fs::current_path(folder);
  const CliRun run = RunVido(
      {"inconsistency", problem, "--max", "3", "--drop-program", "--solver-log", "engine.log"});
  fs::current_path(start);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, clean.out);
  for (const auto& [name, text] : files)
    EXPECT_EQ(ReadFile((folder / name).string()), text) << name;
  // The log the user asked for is where they said.
  EXPECT_TRUE(fs::exists(folder / "engine.log"));
  EXPECT_EQ(RunVido({"summary", problem, "--solver-log", ""}).status, kExitUsage);
  fs::remove_all(folder);
}

TEST(CliInconsistency, CtrlCStopsTheSearchAndSaysSo) {
  if (!testing::IntegerSearchAvailable()) GTEST_SKIP() << "no integer search in this build";
  // The first line the engine traces stands for the moment the user presses Ctrl-C.
  const TraceSinkFunction previous = InstallTraceSink(
      [](const std::string&, const std::string&) { RequestInterruptForTesting(); });
  const CliRun run = RunVido({"inconsistency", Example("suppliers-inconsistent.tri")});
  InstallTraceSink(previous);
  EXPECT_EQ(run.status, kExitInterrupted);
  EXPECT_NE(run.err.find("error: Interrupted\n"), std::string::npos) << run.err;
  // No verdict from a stopped search.
  EXPECT_EQ(run.err.find("There are no more alternatives"), std::string::npos) << run.err;
  ClearInterrupt();
}

}  // namespace
}  // namespace vido
