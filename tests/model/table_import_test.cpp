#include "model/table_import.h"

#include <gtest/gtest.h>

#include "common/fake_user_port.h"
#include "model/new_problem.h"
#include "model/problem_layout.h"

namespace vido {
namespace {

using Strings = std::vector<std::string>;

struct Imported {
  Workspace ws;
  std::vector<LineIssue> issues;
  bool built = false;
};

Imported Import(const std::string& csv, int categories, Strings minimised = {}) {
  Imported r;
  const PerformanceTable table = ReadPerformanceTable(csv, r.issues);
  if (r.issues.empty()) {
    r.built = BuildImportedProblem(r.ws, table, {categories, std::move(minimised)}, r.issues);
  }
  return r;
}

Strings ProfileRow(const Workspace& ws, int h) {
  Strings row;
  for (int j = 1; j <= ws.CriteriaCount; ++j) row.push_back(ws.FGrid.Cell(j, ProfileBlockRow(h)));
  return row;
}

TEST(TableImport, ProfilesSpreadEvenlyOverEachObservedRangeFromTheWorstEnd) {
  const Imported r = Import(
      "Action;cost;quality;Risk;elow;EHIGH\n"
      "a;10;0,5;3;;\n"
      "b;40;0,1;3;2;3\n"
      "c;25;0,9;3;1;\n",
      4, {"cost", "g3"});
  ASSERT_TRUE(r.built) << r.issues.size();
  const Workspace& ws = r.ws;
  EXPECT_EQ(ws.CriteriaCount, 3);
  EXPECT_EQ(ws.CategoriesCount, 4);
  EXPECT_EQ(ws.ActionsCount, 3);
  EXPECT_EQ(ws.FGrid.Cell(1, 0), "cost");
  EXPECT_EQ(ws.AGrid.Cell(PerformanceCol(3), 0), "Risk");
  // cost is minimised: its profiles come down from the dearest; quality climbs; a
  // criterion on which every action is equal has every profile there.
  EXPECT_EQ(ProfileRow(ws, 1), (Strings{"32.5", "0.3", "3"}));
  EXPECT_EQ(ProfileRow(ws, 2), (Strings{"25", "0.5", "3"}));
  EXPECT_EQ(ProfileRow(ws, 3), (Strings{"17.5", "0.7", "3"}));
  const int directions = DirectionRow(4);
  EXPECT_EQ((Strings{ws.FGrid.Cell(1, directions), ws.FGrid.Cell(2, directions),
                     ws.FGrid.Cell(3, directions)}),
            (Strings{"-1", "1", "-1"}));
  // Decimal commas become points; an empty example cell is the open end of the range.
  EXPECT_EQ(ws.AGrid.Row(1), (Strings{"a", "1", "4", "10", "0.5", "3"}));
  EXPECT_EQ(ws.AGrid.Row(2), (Strings{"b", "2", "3", "40", "0.1", "3"}));
  EXPECT_EQ(ws.AGrid.Row(3), (Strings{"c", "1", "4", "25", "0.9", "3"}));
  // The rest is a new problem's: thresholds 0, the bounds and the "Norm" row of New.
  Workspace fresh;
  BuildNewProblem(fresh, 3, 3, 4);
  EXPECT_EQ(ws.BGrid.Row(1), fresh.BGrid.Row(1));
  EXPECT_EQ(ws.BGrid.Row(2), fresh.BGrid.Row(2));
  EXPECT_EQ(ws.CGrid.Row(1), fresh.CGrid.Row(1));
  EXPECT_EQ(ws.FGrid.Cell(2, ProfileRow(1, kPreference)), "0");
  EXPECT_TRUE(ws.DataModified);
  EXPECT_EQ(ws.view.caption, kBareCaption);
}

// Every malformed row is reported with its line, and nothing is imported.
TEST(TableImport, EveryMalformedRowIsReportedAndNothingIsImported) {
  const std::string csv =
      "name,g1,g2,ELow,EHigh\n"
      "ok,1,2,,\n"
      "short,1\n"
      ",3,4,,\n"
      "bad,x,,,\n"
      "\n"
      "range,1,2,3,2\n"
      "word,1,2,two,\n"
      "extra,1,2,,,surplus\n"
      "trailing empties are fine,1,2,,,,\n";
  const Imported r = Import(csv, 3);
  EXPECT_FALSE(r.built);
  EXPECT_EQ(r.issues, (std::vector<LineIssue>{{3, "2 fields where the header has 5"},
                                              {4, "the action has no name"},
                                              {5, "'x' on 'g1' is not a number"},
                                              {5, "no performance on 'g2'"},
                                              {7, "ELow 3 is above EHigh 2"},
                                              {8, "ELow 'two' is not an integer"},
                                              {9, "6 fields where the header has 5"}}));

  // Problems that only the number of categories and the options reveal.
  const Imported k = Import("n,g1,g2,ELow,EHigh\na,1,2,4,\nb,1,2,,0\n", 3, {"g3", "g1"});
  EXPECT_FALSE(k.built);
  EXPECT_EQ(k.issues, (std::vector<LineIssue>{{0, "no criterion is named 'g3'"},
                                              {2, "ELow 4 is not a category from 1 to 3"},
                                              {3, "EHigh 0 is not a category from 1 to 3"}}));
  EXPECT_EQ(k.ws.CriteriaCount, 0);

  // The message lists them all, after the file's name.
  testing::FakeUserPort port;
  Workspace ws;
  BuildNewProblem(ws, 2, 2, 2);
  const Workspace before = ws;
  ReportImportIssues(port, "t.csv", r.issues);
  ASSERT_EQ(port.Errors().size(), 1u);
  EXPECT_EQ(port.Errors()[0],
            "The performance table t.csv was not imported:\n"
            "Line 3: 2 fields where the header has 5\nLine 4: the action has no name\n"
            "Line 5: 'x' on 'g1' is not a number\nLine 5: no performance on 'g2'\n"
            "Line 7: ELow 3 is above EHigh 2\nLine 8: ELow 'two' is not an integer\n"
            "Line 9: 6 fields where the header has 5");
  EXPECT_EQ(ImportPerformanceTableFile(ws, port, "missing.csv", {}), false);
  EXPECT_EQ(ws.AGrid.Row(1), before.AGrid.Row(1));
}

TEST(TableImport, HeaderProblems) {
  const auto issues = [](const std::string& csv) {
    std::vector<LineIssue> found;
    ReadPerformanceTable(csv, found);
    return found;
  };
  EXPECT_EQ(issues(""), (std::vector<LineIssue>{{0, "the file holds no table"}}));
  EXPECT_EQ(issues("n,g1,g2\n"),
            (std::vector<LineIssue>{{0, "the table has no actions: no row below the header"}}));
  EXPECT_EQ(issues("n,g1,,g1,elow,ELow\na,1,2,3,1,1\n"),
            (std::vector<LineIssue>{{1, "column 3 has no name"},
                                    {1, "column 4: the criterion 'g1' is named twice"},
                                    {1, "column 6: a second ELow column"},
                                    {1,
                                     "the header names fewer than two criteria (the first column "
                                     "holds the action names, columns ELow and EHigh the "
                                     "examples)"}}));
  std::string wide = "n";
  std::string row = "a";
  for (int j = 1; j <= 20; ++j) wide += ",c" + std::to_string(j), row += ",1";
  EXPECT_EQ(issues(wide + "\n" + row + "\n"),
            (std::vector<LineIssue>{{1, "Maximum number of criteria exceeded"}}));
  // Empty columns right of the table, as spreadsheets export them, are no criteria.
  EXPECT_EQ(issues("n,g1,g2,,\na,1,2,,\n"), std::vector<LineIssue>{});
}

TEST(TableImport, CriteriaByNameOrNumber) {
  std::vector<LineIssue> issues;
  const PerformanceTable table = ReadPerformanceTable("n,g2,price,x\na,1,2,3\n", issues);
  ASSERT_TRUE(issues.empty());
  // A name wins over a number: "g2" is the first criterion, whose name it is.
  EXPECT_EQ(DesignatedCriteria(table, {"g2", "g3", "price", "price"}, issues),
            (std::vector<int>{1, 3, 2}));
  EXPECT_TRUE(issues.empty());
  DesignatedCriteria(table, {"g4", "g0", "Price", "g1x"}, issues);
  EXPECT_EQ(issues.size(), 4u);
  EXPECT_EQ(SplitNameList(" a, b c ,,d,"), (Strings{"a", "b c", "d"}));
}

}  // namespace
}  // namespace vido
