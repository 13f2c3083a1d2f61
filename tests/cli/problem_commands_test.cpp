#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "common/cli_run.h"

namespace vido {
namespace {

using testing::CliRun;
using testing::Example;
using testing::ReadFile;
using testing::RunVido;

namespace fs = std::filesystem;

fs::path Scratch(const std::string& name) {
  const fs::path dir = fs::current_path() / ("problem_cli_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

TEST(CliHelp, DocumentsTheProblemCommands) {
  const CliRun help = RunVido({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* usage :
       {"vido-cli new [--criteria N] [--categories K] [--actions M] [--overwrite] OUT",
        "vido-cli convert [--overwrite] IN OUT", "vido-cli summary IN",
        "An existing OUT file is replaced only with --overwrite"}) {
    EXPECT_NE(help.out.find(usage), std::string::npos) << usage;
  }
}

TEST(CliNew, WritesTheNewProblemWithTheTriExtension) {
  const fs::path dir = Scratch("new");
  const CliRun run = RunVido({"new", (dir / "plain").string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "Written " + (dir / "plain.tri").string() + "\n");
  const std::string text = ReadFile(dir / "plain.tri");
  EXPECT_EQ(text.substr(0, 39), "c version 2\r\nc Size of the problem:\r\nt ");
  EXPECT_NE(text.find("t 2\t2\t2\r\n"), std::string::npos);

  const CliRun sized = RunVido({"new", "--criteria", "5", (dir / "big.tri").string(), "--actions",
                                "30", "--categories", "4"});
  EXPECT_EQ(sized.status, 0);
  EXPECT_NE(ReadFile(dir / "big.tri").find("t 5\t4\t30\r\n"), std::string::npos);
}

TEST(CliNew, RefusedSizesAndUsageErrors) {
  const fs::path dir = Scratch("refused");
  const std::string out = (dir / "x.tri").string();
  EXPECT_EQ(RunVido({"new", "--criteria", "13", out}).err, "error: Number is too high\n");
  EXPECT_EQ(RunVido({"new", "--actions", "1", out}).err, "error: Number is too low\n");
  EXPECT_EQ(RunVido({"new", "--categories", "", out}).err, "error: You must enter a value\n");
  const CliRun bad = RunVido({"new", "--criteria", "four", out});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "error: Invalid number\n");
  EXPECT_FALSE(fs::exists(out));

  EXPECT_EQ(RunVido({"new"}).status, 2);
  EXPECT_EQ(RunVido({"new", out, "other"}).status, 2);
  EXPECT_EQ(RunVido({"new", "--criteria"}).status, 2);
  EXPECT_EQ(RunVido({"new", "--colour", "red", out}).status, 2);

  const CliRun unwritable = RunVido({"new", (dir / "missing" / "x.tri").string()});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_EQ(unwritable.err, "error: Disk write error: check permissions and available size\n");
}

TEST(CliNew, NoOutputNameOrAFolderIsAUsageErrorAndAnExistingFileIsReplacedOnlyWhenAsked) {
  const fs::path dir = Scratch("existing");
  fs::create_directories(dir / "folder.tri");
  for (const std::string& out : {std::string(), dir.string(), (dir / "folder").string(),
                                 (dir / "folder.tri").string(), dir.string() + "/"}) {
    const CliRun run = RunVido({"new", out});
    EXPECT_EQ(run.status, 2) << out;
    EXPECT_EQ(RunVido({"convert", (dir / "none.tri").string(), out}).status, 2) << out;
  }
  EXPECT_EQ(RunVido({"new", ""}).err,
            "vido-cli new: the file name is empty (see vido-cli --help)\n");

  // "new" and "convert" ask before they replace a problem, as the save dialog does.
  const std::string mine = (dir / "mine.tri").string();
  std::ofstream(mine) << "precious";
  const std::string question =
      "question: " + mine + " already exists. Do you want to replace it?\n";
  const std::string refusal =
      question + "error: Not written: " + mine + " already exists (--overwrite replaces it)\n";
  const CliRun kept = RunVido({"new", (dir / "mine").string()});
  EXPECT_EQ(kept.status, 1);
  EXPECT_EQ(kept.err, refusal);
  EXPECT_EQ(ReadFile(mine), "precious");
  EXPECT_EQ(RunVido({"new", "--overwrite", mine}).err, question);
  const std::string created = ReadFile(mine);
  EXPECT_EQ(created.substr(0, 13), "c version 2\r\n");
  EXPECT_EQ(RunVido({"convert", mine, mine}).err, refusal);
  EXPECT_EQ(ReadFile(mine), created);
  EXPECT_EQ(RunVido({"convert", mine, mine, "--overwrite"}).status, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(CliConvert, VersionOneBecomesVersionTwo) {
  const fs::path dir = Scratch("convert");
  std::ofstream(dir / "old.tri", std::ios::binary)
      << "t 2 2 1\nd 1 -1\np 1 5 6\ns 1 1 0.5 1\ns 1 2 0 0\na 4 7 8 1 2\n"
         "K I 1 0\nK I 2 0\nK S 1 1\nK S 2 1\nK N 1\nK G 1 -2\nL M 1\nL m 0.5\n";
  const CliRun run = RunVido({"convert", (dir / "old.tri").string(), (dir / "new").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(dir / "new.tri"),
            "c version 2\r\nc Size of the problem:\r\nt 2\t2\t1\r\n"
            "c Directions of preference:\r\nd\t1\t-1\r\nc Profiles:\r\np 1\t5\t6\r\n"
            "c Thresholds:\r\ns 1\t1\t0.5\t1\t0\t0\r\ns 1\t2\t0\t0\t0\t0\r\n"
            "c Actions:\r\na 0\t7\t8\t1\t2\t4\r\n"
            "c Upper bounds on weights:\r\nK S 1\t1\r\nK S 2\t1\r\n"
            "c Lower bounds on weights:\r\nK I 1\t0\r\nK I 2\t0\r\n"
            "c Additional constraints:\r\nK N 1\r\nK g\t0\t1\t-1\t0\r\n"
            "c Bounds on lambda:\r\nL M 1\r\nL m 0.5\r\n"
            "n name of criteria:\r\ng1\r\ng2\r\nc *** END OF FILE ***\r\n");

  const CliRun missing =
      RunVido({"convert", (dir / "none.tri").string(), (dir / "y.tri").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "error: Error on reading : Could not open file\n" +
                             (dir / "none.tri").string() + ": No such file or directory\n");
  EXPECT_FALSE(fs::exists(dir / "y.tri"));
  EXPECT_EQ(RunVido({"convert", (dir / "old.tri").string()}).status, 2);
}

TEST(CliSummary, DescribesTheBundledExample) {
  const char* source = std::getenv("VIDO_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const CliRun run = RunVido({"summary", std::string(source) + "/examples/suppliers.tri"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* part :
       {"6 criteria, 4 categories (3 profiles), 25 actions (8 with an assignment example), "
        "3 additional constraints",
        "g1  price index            min  k1 in [0.05, 0.35]",
        "Cutting level: lambda in [0.6, 0.85]", "Nordic Precision", "C4\n", "C2 to C3\n",
        "Norm  k1 + k2 + k3 + k4 + k5 + k6 = 1", "ad2   k1 + k2 <= 0.6"}) {
    EXPECT_NE(run.out.find(part), std::string::npos) << part;
  }
  const CliRun broken = RunVido({"summary", std::string(source) + "/README.md"});
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(broken.out, "");
}

}  // namespace
}  // namespace vido
