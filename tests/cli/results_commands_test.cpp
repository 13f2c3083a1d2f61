#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"

namespace vido {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunVido(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

std::string Example(const std::string& name) {
  const char* source = std::getenv("VIDO_SOURCE_DIR");
  return std::string(source ? source : "..") + "/examples/" + name;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The expected outputs beside the examples are reviewed results: a change is a
// decision, not a refresh.
TEST(CliAnalyse, GoldenRunsOfTheBundledExamples) {
  const CliRun consistent = RunVido({"analyse", Example("suppliers.tri")});
  EXPECT_EQ(consistent.status, 0) << consistent.err;
  EXPECT_EQ(consistent.err, "");
  EXPECT_EQ(consistent.out, ReadFile(Example("suppliers.analyse.txt")));

  const CliRun inconsistent = RunVido({"analyse", Example("suppliers-inconsistent.tri")});
  EXPECT_EQ(inconsistent.status, 0);
  EXPECT_EQ(inconsistent.err, "warning: Inconsistent information!\n");
  EXPECT_EQ(inconsistent.out, ReadFile(Example("suppliers-inconsistent.analyse.txt")));
}

TEST(CliAnalyse, ReportNamesTheInputInFull) {
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

}  // namespace
}  // namespace vido
