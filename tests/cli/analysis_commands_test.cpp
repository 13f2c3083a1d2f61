#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "common/cli_run.h"
#include "common/small_problem.h"
#include "model/problem_file.h"

namespace vido {
namespace {

using testing::CliRun;
using testing::Example;
using testing::ReadFile;
using testing::RunVido;

using testing::AddConstraint;
using testing::MakeSmallProblem;
using testing::SetExample;
using testing::SetPerformances;
using testing::SetProfile;

void WriteProblem(const Workspace& ws, const std::string& path) {
  std::ofstream(path, std::ios::binary) << ProblemFileText(ws);
}

// Three categories on two criteria, profiles at 10 and 20 on both; the actions sit
// below b_1, between the profiles, above both, and half way (g1 only) above both.
Workspace SortingProblem() {
  Workspace ws;
  MakeSmallProblem(ws, 2, 3, 4);
  for (int j = 1; j <= 2; ++j) {
    SetProfile(ws, 1, j, 10);
    SetProfile(ws, 2, j, 20);
  }
  SetPerformances(ws, 1, {0, 0});
  SetPerformances(ws, 2, {15, 15});
  SetPerformances(ws, 3, {25, 25});
  SetPerformances(ws, 4, {25, 0});
  return ws;
}

TEST(CliAnalysisCommands, AssignPrintsEveryActionsCategory) {
  WriteProblem(SortingProblem(), "assign.tri");
  CliRun run = RunVido({"assign", "assign.tri", "--lambda", "0.6", "--weights", "0.5,0.5"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "0\t1\n1\t2\n2\t3\n3\t1\n");
  run = RunVido({"assign", "assign.tri", "--lambda", "0.5000005", "--weights", "0.5,0.5"});
  EXPECT_EQ(run.out, "0\t1\n1\t2\n2\t3\n3\t2\n");  // lifted by the tolerance, scan ended

  EXPECT_EQ(RunVido({"assign", "assign.tri", "--lambda", "0.6", "--weights", "0.5"}).status,
            kExitUsage);
  EXPECT_EQ(RunVido({"assign", "assign.tri", "--weights", "0.5,0.5"}).status, kExitUsage);
  EXPECT_EQ(RunVido({"assign", "assign.tri", "--lambda", "x", "--weights", "0.5,0.5"}).status,
            kExitUsage);
  run = RunVido({"assign", "missing.tri", "--lambda", "0.6", "--weights", "0.5,0.5"});
  EXPECT_EQ(run.status, kExitError);
  EXPECT_EQ(run.err,
            "error: Error on reading : Could not open file\n"
            "missing.tri: No such file or directory\n");
}

TEST(CliAnalysisCommands, ProgramPrintsTheThreeTables) {
  Workspace ws = SortingProblem();
  SetExample(ws, 2, 2, 2);
  AddConstraint(ws, {"0", "1", "-1"}, ">=", "0.1");
  WriteProblem(ws, "program.tri");
  const CliRun run = RunVido({"program", "program.tri"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out,
            "ICGrid\n"
            "\tlambda\tk1\tk2\t<,=,>\tRHS\n"
            "C(1)>=2\t-1\t1\t1\t>=\t0\n"
            "C(1)<=2\t1\t0\t0\t>=\t0.0001\n"
            "IPGrid\n"
            "Descr\talpha\tlambda\tk1\tk2\t<,=,>\tRHS\tError\n"
            "C(1)>=2\t1\t-1\t1\t1\t>=\t0\t\n"
            "C(1)<=2\t1\t1\t0\t0\t>=\t0.0001\t\n"
            "ad1\t1\t0\t1\t-1\t>=\t0.1\t\n"
            "LB lambda\t1\t1\t0\t0\t>=\t0.5\t\n"
            "UB k1\t-1\t0\t1\t0\t<=\t0.5\t\n"
            "UB k2\t-1\t0\t0\t1\t<=\t0.5\t\n"
            "IGrid\n"
            "No.\tDescr\tlambda\tk1\tk2\t>=\tRHS\n"
            "1\tC(1)>=2\t-1\t1\t1\t>=\t0\n"
            "2\tC(1)<=2\t1\t0\t0\t>=\t0.0001\n"
            "3\tad1\t0\t1\t-1\t>=\t0.1\n"
            "4\tLB lambda\t1\t0\t0\t>=\t0.5\n"
            "5\tUB k1\t0\t-1\t0\t>=\t-0.5\n"
            "6\tUB k2\t0\t0\t-1\t>=\t-0.5\n");
}

TEST(CliAnalysisCommands, ProgramStopsOnInvalidBounds) {
  Workspace ws = SortingProblem();
  ws.BGrid.SetCell(2, 1, "0.8");  // k1 in [0.8, 0.5]
  WriteProblem(ws, "bounds.tri");
  const CliRun run = RunVido({"program", "bounds.tri"});
  EXPECT_EQ(run.status, kExitError);
  EXPECT_EQ(run.err, "error: Lower bound exceeds upper bound in column 2\n");
  EXPECT_EQ(run.out, "");
}

TEST(CliAnalysisCommands, AnExampleOutsideTheCategoriesStopsEveryAnalysis) {
  Workspace ws = SortingProblem();
  SetExample(ws, 2, 1, 0);  // EHigh 0 would restrict nothing
  SetExample(ws, 3, 3, 2);
  WriteProblem(ws, "examples.tri");
  for (const char* command : {"analyse", "inconsistency", "volume", "program"}) {
    const CliRun run = RunVido({command, "examples.tri"});
    EXPECT_EQ(run.status, kExitError) << command;
    EXPECT_EQ(run.err,
              "error: Invalid assignment example of 1: upper category 0 is not a category from 1 "
              "to 3\n"
              "error: Invalid assignment example of 2: lower category 3 exceeds upper category 2\n")
        << command;
    EXPECT_EQ(run.out, "") << command;
  }
}

// Right-hand sides at the end of the doubles: a clear answer from every analysis, never
// a verdict computed from numbers the engine cannot carry.
TEST(CliAnalysisCommands, RightHandSidesBeyondTheEnginesNumbers) {
  for (const char* rhs : {"1e308", "-1e308"}) {
    Workspace ws = SortingProblem();
    AddConstraint(ws, {"0", "1", "0"}, "<=", rhs);
    WriteProblem(ws, "huge.tri");
    for (const char* command : {"analyse", "inconsistency"}) {
      const CliRun run = RunVido({command, "huge.tri"});
      EXPECT_EQ(run.status, kExitError) << command << rhs;
      EXPECT_NE(run.err.find("numerical trouble"), std::string::npos) << command << run.err;
    }
  }
}

TEST(CliAnalysisCommands, VolumeOfTheTwoCriteriaExample) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 2, 2);
  ws.BGrid.SetCell(2, 2, "1");
  ws.BGrid.SetCell(3, 2, "1");
  WriteProblem(ws, "volume.tri");
  CliRun run = RunVido({"volume", "volume.tri", "--seed", "7"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out,
            "Dimension: 2\nAbsolute Volume: 0.5\nVolume to bounds: 1\n95 % interval: [0.5, 0.5]\n");
  run = RunVido({"volume", "volume.tri", "--precision", "5"});  // clock seed
  EXPECT_EQ(run.out,
            "Dimension: 2\nAbsolute Volume: 0.5\nVolume to bounds: 1\n95 % interval: [0.5, 0.5]\n");
  EXPECT_EQ(RunVido({"volume", "volume.tri", "--precision", "6"}).status, kExitUsage);
  EXPECT_EQ(RunVido({"volume", "volume.tri", "--seed", "-1"}).status, kExitUsage);
  EXPECT_EQ(RunVido({"volume", "volume.tri", "--colour", "red"}).status, kExitUsage);
}

size_t Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

// The bundled example: a line per action, repeatable with its seed, the table as CSV;
// an inconsistent problem is refused with the way out named.
TEST(CliAnalysisCommands, AcceptabilityOfTheBundledExamples) {
  std::remove("acceptability.csv");
  const std::vector<std::string> args = {
      "acceptability", Example("suppliers.tri"), "--samples", "1000", "--seed", "3",
      "--csv",         "acceptability.csv"};
  const CliRun run = RunVido(args);
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("1000 samples, seed 3, 6 free variables"), std::string::npos) << run.out;
  // Its range is C2 alone: certain, no interval to draw.
  EXPECT_NE(run.out.find("Acme Metals\t0.0000 [0.0000, 0.0000]\t1.0000 [1.0000, 1.0000]"),
            std::string::npos);
  EXPECT_EQ(Lines(run.out), 7u + 25u + 1u);  // settings, vector, table of 25, the file line
  std::ifstream csv("acceptability.csv", std::ios::binary);
  std::stringstream text;
  text << csv.rdbuf();
  EXPECT_EQ(Lines(text.str()), 26u);
  EXPECT_EQ(text.str().rfind("action,C1,C1 low,C1 high,C2", 0), 0u);
  EXPECT_NE(text.str().find("\"Acme Metals\",0,0,0,1,1,1,0,0,0,0,0,0,2,2,2,2,2\r\n"),
            std::string::npos);
  // Again: the same numbers; the table is replaced only when asked.
  EXPECT_EQ(RunVido(args).status, kExitError);
  std::vector<std::string> again = args;
  again.push_back("--overwrite");
  EXPECT_EQ(RunVido(again).out, run.out);

  const CliRun refused = RunVido({"acceptability", Example("suppliers-inconsistent.tri")});
  EXPECT_EQ(refused.status, kExitError);
  EXPECT_NE(refused.err.find("vido-cli inconsistency"), std::string::npos) << refused.err;
  EXPECT_EQ(refused.out, "");
  for (const char* samples : {"10", "x", "20000000"}) {
    EXPECT_EQ(RunVido({"acceptability", Example("suppliers.tri"), "--samples", samples}).status,
              kExitUsage);
  }
}

}  // namespace
}  // namespace vido
