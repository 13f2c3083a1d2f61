#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "analysis/pending_analyses.h"
#include "common/fake_user_port.h"
#include "common/small_problem.h"
#include "model/agrid_dialogs.h"
#include "model/help_access.h"
#include "model/window_rules.h"

namespace vido {
namespace {

using testing::FakeUserPort;
using testing::MakeSmallProblem;
using testing::SetExample;

TEST(AGridDialogsTest, PressMovesTheCurrentCell) {
  Workspace ws;
  MakeSmallProblem(ws, 3, 3, 4);
  AGridMouseDown(ws, 1, 2);  // a fixed column: the first criterion column becomes current
  EXPECT_EQ(ws.AGrid.CurrentCol(), 3);
  EXPECT_EQ(ws.AGrid.CurrentRow(), 2);
  AGridMouseDown(ws, 5, 0);  // the header row keeps the current row
  EXPECT_EQ(ws.AGrid.CurrentCol(), 5);
  EXPECT_EQ(ws.AGrid.CurrentRow(), 2);
}

TEST(AGridDialogsTest, NamesAreKeptEqualInBothTables) {
  Workspace ws;
  MakeSmallProblem(ws, 3, 2, 2);
  ws.ResultsAvailable = true;
  FakeUserPort port;
  port.query_answers = {std::string("price\nindex")};
  EXPECT_TRUE(AGridMouseUp(ws, port, 4, 0));
  EXPECT_EQ(ws.AGrid.Cell(4, 0), "price index");  // one line, as the file needs
  EXPECT_EQ(ws.FGrid.Cell(2, 0), "price index");
  EXPECT_FALSE(ws.ResultsAvailable);
  EXPECT_FALSE(ws.DataModified);

  port.query_answers = {std::string("supplier A")};
  EXPECT_TRUE(AGridMouseUp(ws, port, 0, 2));
  EXPECT_EQ(ws.AGrid.Cell(0, 2), "supplier A");
  EXPECT_EQ(port.queries,
            (std::vector<std::string>{"New name for this criterion", "New name for this action"}));
  // Cancel changes nothing; the fixed headers have no dialog.
  EXPECT_FALSE(AGridMouseUp(ws, port, 0, 1));
  EXPECT_EQ(ws.AGrid.Cell(0, 1), "0");
  EXPECT_FALSE(AGridMouseUp(ws, port, 1, 0));
  EXPECT_EQ(port.queries.size(), 3u);
  EXPECT_FALSE(ws.DataModified);
}

TEST(AGridDialogsTest, ExampleBoundsAskAgainAndRefuseInvalidCategories) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 4, 3);
  SetExample(ws, 1, 1, 2);
  FakeUserPort port;
  // Not a number asks again; 3 is above the action's EHigh.
  port.query_answers = {std::string("x"), std::string("3")};
  EXPECT_FALSE(AGridMouseUp(ws, port, 1, 1));
  EXPECT_EQ(port.Errors(), (std::vector<std::string>{"Invalid category"}));
  EXPECT_EQ(port.queries, (std::vector<std::string>{"Lower category", "Lower category"}));
  EXPECT_EQ(ws.AGrid.Cell(1, 1), "1");

  port.query_answers = {std::string(" 2")};
  EXPECT_TRUE(AGridMouseUp(ws, port, 1, 1));
  EXPECT_EQ(ws.AGrid.Cell(1, 1), "2");
  // EHigh lies between ELow and K.
  port.query_answers = {std::string("1")};
  EXPECT_FALSE(AGridMouseUp(ws, port, 2, 1));
  port.query_answers = {std::string("5")};
  EXPECT_FALSE(AGridMouseUp(ws, port, 2, 1));
  port.query_answers = {std::string("4")};
  EXPECT_TRUE(AGridMouseUp(ws, port, 2, 1));
  EXPECT_EQ(ws.AGrid.Cell(2, 1), "4");
  EXPECT_EQ(port.Errors().size(), 3u);
  EXPECT_FALSE(ws.DataModified);

  // A damaged bound ends the dialog with the conversion message.
  ws.AGrid.SetCell(2, 2, "two");
  EXPECT_FALSE(AGridMouseUp(ws, port, 1, 2));
  EXPECT_EQ(port.Errors().back(), "'two' is not a valid integer value");
}

TEST(HelpAccessTest, OpensPagesOfTheManualFolder) {
  namespace fs = std::filesystem;
  const fs::path program = fs::current_path() / "help_program";
  fs::remove_all(program);
  fs::create_directories(program / "Manual");
  std::ofstream(program / "Manual" / "Main_man.htm") << "<html></html>";
  const std::string folder = HelpFolderFor(program.string());
  EXPECT_EQ(folder, program.string() + "/Manual/");
  EXPECT_EQ(HelpFolderFor(program.string() + "/"), folder);

  FakeUserPort port;
  EXPECT_TRUE(OpenHelpPage(port, folder, kMainManualPage));
  EXPECT_EQ(port.help_pages, (std::vector<std::string>{folder + "Main_man.htm"}));
  EXPECT_TRUE(port.Errors().empty());

  const std::string expected =
      "Cannot open help file " + folder + "results.htm. Please check its existance and properties.";
  EXPECT_FALSE(OpenHelpPage(port, folder, kResultsHelpPage));  // no such page
  EXPECT_EQ(port.Errors(), (std::vector<std::string>{expected}));
  port.help_opens = false;  // the handler itself fails
  EXPECT_FALSE(OpenHelpPage(port, folder, kMainManualPage));
  EXPECT_EQ(port.Errors().size(), 2u);
  fs::remove_all(program);
}

TEST(WindowRulesTest, OutputTabsTurnRedWhenStale) {
  Workspace ws;
  auto tabs = OutputTabLooks(ws);
  EXPECT_STREQ(tabs[0].caption, "Results");
  EXPECT_STREQ(tabs[1].caption, "Inferred constraints");
  EXPECT_STREQ(tabs[2].caption, "Infer. Prog.");
  EXPECT_STREQ(tabs[3].caption, "Indices");
  ws.view.output_stale = false;
  ws.view.inferred_constraints_tab_visible = false;
  tabs = OutputTabLooks(ws);
  EXPECT_FALSE(tabs[0].red);
  EXPECT_FALSE(tabs[1].visible);
  ws.ResetResults();
  for (const auto& tab : OutputTabLooks(ws)) EXPECT_TRUE(tab.red);
  EXPECT_FALSE(ShowsVariabilityOrder(ws));
  ws.display_order = DisplayOrder::kVariability;
  EXPECT_TRUE(ShowsVariabilityOrder(ws));

  ws.InferredCategory = {0, 1, 2};
  ws.ResultsAvailable = true;
  ReleaseResults(ws);
  EXPECT_TRUE(ws.InferredCategory.empty());
  EXPECT_FALSE(ws.ResultsAvailable);
}

TEST(PendingAnalysesTest, WindowEntryPointsRunTheAnalyses) {
  Workspace ws;
  FakeUserPort port;
  EXPECT_EQ(RobustAssignmentsCommand(ws, port), AnalysisStatus::kNoData);
  EXPECT_EQ(InconsistencyCommand(ws, port), AnalysisStatus::kNoData);
  EXPECT_EQ(port.Errors(), (std::vector<std::string>(2, "You must read data first")));
  MakeSmallProblem(ws, 2, 2, 2);
  EXPECT_EQ(RobustAssignmentsCommand(ws, port), AnalysisStatus::kDone);
  EXPECT_TRUE(ws.ResultsAvailable);
  port.save_answers = {"window.rpt"};
  EXPECT_EQ(ResultsReportCommand(ws, port), AnalysisStatus::kDone);
  EXPECT_EQ(port.save_requests.size(), 1u);
  EXPECT_EQ(port.Errors().size(), 2u);
}

}  // namespace
}  // namespace vido
