#include "support/trace_display.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/fake_user_port.h"

namespace vido {
namespace {

using testing::FakeUserPort;
using Output = std::pair<std::string, std::string>;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(TraceDisplay, SinkReceivesTargetsAndTexts) {
  FakeUserPort port;
  std::vector<Output> out;
  TraceDisplay trace;
  trace.SetSink(
      [&](const std::string& target, const std::string& text) { out.emplace_back(target, text); });
  trace.TraceLine("before activation");  // an inactive display shows nothing
  EXPECT_TRUE(out.empty());

  const TraceSinkFunction previous = InstallTraceSink(
      [&](const std::string& target, const std::string& text) { out.emplace_back(target, text); });
  trace.Activate(port, ".");
  InstallTraceSink(previous);

  trace.TraceLine("LINE");
  trace.TraceField(BoundsField, "b");
  trace.TraceField(IntegerSolutionField, "INT. SOL. FOUND");
  trace.TraceField({5, 33}, "any column of row 5");
  trace.TraceField(SolverStatusField, "");
  trace.TraceField({6, 3}, "no field here");
  trace.TraceField({4, 2}, "nor here");
  trace.TraceHeader();
  trace.TraceEps(12);
  trace.TraceRemoveEps();
  trace.TraceProgress("INVERSION ");
  trace.TraceProgressClear();
  const std::vector<Output> expected = {
      {"Memo", "LINE"},
      {"Label5", "b"},
      {"Label19", "INT. SOL. FOUND"},
      {"Label19", "any column of row 5"},
      {"Label7", ""},
      {"Label6", "NONINT  VECTOR      NEW     OLD       PSEUDO            OBJF"},
      {"Memo", "EPS 12"},
      {"Memo", "REMOVE EPS "},
      {"Label8", "INVERSION "},
      {"Label8", ""},
  };
  EXPECT_EQ(out, expected);
  EXPECT_EQ(port.pumps, 2);  // progress texts let pending events through
}

TEST(TraceDisplay, FieldTable) {
  EXPECT_STREQ(TraceFieldLabel({0, 0}), "Label5");
  EXPECT_STREQ(TraceFieldLabel(OpenNodesField), "Label13");
  EXPECT_STREQ(TraceFieldLabel(IncumbentNodeField), "Label21");
  EXPECT_STREQ(TraceFieldLabel(IncumbentNodeField2), "Label16");
  EXPECT_STREQ(TraceFieldLabel(SwapField), "Label7");
  EXPECT_STREQ(TraceFieldLabel(TieField), "Label18");
  EXPECT_STREQ(TraceFieldLabel(StrategyField), "Label23");
  EXPECT_STREQ(TraceFieldLabel(PseudoCostCountField), "Label10");
  EXPECT_STREQ(TraceFieldLabel(BoundCountField), "Label11");
  EXPECT_STREQ(TraceFieldLabel({2, 75}), "Label9");
  EXPECT_EQ(TraceFieldLabel({0, 1}), nullptr);
  EXPECT_EQ(TraceFieldLabel({6, -1}), nullptr);
}

TEST(TraceDisplay, DefaultSinkDiscardsAndCancelIsRemembered) {
  FakeUserPort port;
  port.cancel_at_pump = 1;
  TraceDisplay trace;
  trace.Activate(port, ".");
  trace.TraceLine("goes nowhere");
  EXPECT_FALSE(trace.CancelRequested());
  trace.TraceProgress("x");
  EXPECT_TRUE(trace.CancelRequested());
  trace.ClearCancelRequest();
  EXPECT_FALSE(trace.CancelRequested());
}

TEST(TraceDisplay, LogFileIsCreatedThenAppendedAcrossDisplays) {
  FakeUserPort port;
  const std::filesystem::path folder = std::filesystem::absolute("trace_log_folder");
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  {
    TraceDisplay trace;
    trace.Activate(port, (folder / "LP.LOG").string());
    EXPECT_EQ(trace.LogPath(), (folder / "LP.LOG").string());
    trace.AppendLogLine("first");
    trace.AppendLogLine("Searched 10 Open 2");
  }
  TraceDisplay later;
  later.Activate(port, (folder / "LP.LOG").string());
  later.AppendLogLine("INT SOLUTION FOUND");
  EXPECT_EQ(ReadFile((folder / "LP.LOG").string()),
            "first\r\nSearched 10 Open 2\r\nINT SOLUTION FOUND\r\n");
  EXPECT_TRUE(port.messages.empty());
  std::filesystem::remove_all(folder);
}

TEST(TraceDisplay, UnwritableLogIsReportedOnce) {
  FakeUserPort port;
  TraceDisplay trace;
  trace.Activate(port, "no/such/folder");
  trace.AppendLogLine("a");
  trace.AppendLogLine("b");
  EXPECT_EQ(port.Errors(),
            std::vector<std::string>{"Disk write error: check permissions and available size"});
}

TEST(TraceDisplay, FormatElapsed) {
  EXPECT_EQ(FormatElapsed(75.3), "1'15.3\"");
  EXPECT_EQ(FormatElapsed(3725.5), " 1h 2' 5.5\"");
  EXPECT_EQ(FormatElapsed(5), "0' 5.0\"");
  EXPECT_EQ(FormatElapsed(0), "0' 0.0\"");
  EXPECT_EQ(FormatElapsed(36000 + 600 + 12.25), "10h10'12.2\"");
  EXPECT_EQ(FormatElapsed(90061), "1d 1h 1' 1.0\"");
  EXPECT_EQ(FormatElapsed(86400 + 30), "1d0'30.0\"");
}

}  // namespace
}  // namespace vido
