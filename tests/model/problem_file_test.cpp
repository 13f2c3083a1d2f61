#include "model/problem_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/fake_user_port.h"
#include "model/new_problem.h"
#include "model/problem_reader.h"

namespace vido {
namespace {

namespace fs = std::filesystem;
using testing::FakeUserPort;
using Strings = std::vector<std::string>;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void Spit(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A folder of its own for each test, emptied first.
fs::path Scratch(const std::string& name) {
  const fs::path dir = fs::current_path() / ("problem_file_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

const char* const kExample =
    "c version 2\r\n"
    "c Size of the problem:\r\n"
    "t 2\t2\t2\r\n"
    "c Directions of preference:\r\n"
    "d\t1\t1\r\n"
    "c Profiles:\r\n"
    "p 1\t0\t0\r\n"
    "c Thresholds:\r\n"
    "s 1\t1\t0\t0\t0\t0\r\n"
    "s 1\t2\t0\t0\t0\t0\r\n"
    "c Actions:\r\n"
    "a 0\t0\t0\t1\t2\t0\r\n"
    "a 1\t0\t0\t1\t2\t1\r\n"
    "c Upper bounds on weights:\r\n"
    "K S 1\t0.5\r\n"
    "K S 2\t0.5\r\n"
    "c Lower bounds on weights:\r\n"
    "K I 1\t0\r\n"
    "K I 2\t0\r\n"
    "c Additional constraints:\r\n"
    "K N 0\r\n"
    "c Bounds on lambda:\r\n"
    "L M 1.0\r\n"
    "L m 0.5\r\n"
    "n name of criteria:\r\n"
    "g1\r\n"
    "g2\r\n"
    "c *** END OF FILE ***\r\n";

TEST(SaveProblemFile, NewTwoByTwoProblemIsTheDocumentedExample) {
  const fs::path dir = Scratch("example");
  Workspace ws;
  BuildNewProblem(ws, 2, 2, 2);
  ws.DataModified = true;
  FakeUserPort port;
  port.save_answers.push_back((dir / "prob").string());
  ASSERT_TRUE(SaveProblemFile(ws, port, false));  // bare caption: the dialog asks
  ASSERT_EQ(port.save_requests.size(), 1u);
  EXPECT_EQ(port.save_requests[0].filter, "VIDO (v.2) (*.tri)|*.tri");
  EXPECT_EQ(port.save_requests[0].default_extension, "tri");
  EXPECT_EQ(port.save_requests[0].file_name, "output");
  EXPECT_TRUE(port.save_requests[0].overwrite_prompt);
  const std::string full = (dir / "prob.tri").string();
  EXPECT_EQ(Slurp(full), kExample);
  EXPECT_FALSE(ws.DataModified);
  EXPECT_EQ(ws.view.caption, "VIDO 2.0  -  " + full);
  EXPECT_EQ(ws.view.save_dialog_file_name, full);
  EXPECT_EQ(ws.view.open_dialog_file_name, full);
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(fs::directory_iterator(dir)->path(), full);  // no temporary file left
}

TEST(SaveProblemFile, NameRulesAndAskingRules) {
  EXPECT_EQ(WithTriExtension("prob"), "prob.tri");
  EXPECT_EQ(WithTriExtension("prob.TRI"), "prob.TRI.tri");
  EXPECT_EQ(WithTriExtension("prob.tri"), "prob.tri");
  EXPECT_EQ(WithoutExtension("/a.b/prob.tri"), "/a.b/prob");
  EXPECT_EQ(WithoutExtension("/a.b/prob"), "/a.b/prob");
  EXPECT_EQ(WithoutExtension("x.y.tri"), "x.y");

  const fs::path dir = Scratch("asking");
  Workspace ws;
  FakeUserPort port;
  EXPECT_FALSE(SaveProblemFile(ws, port, true));  // no problem yet
  EXPECT_EQ(port.Errors(), Strings{"You must read data first"});
  EXPECT_TRUE(port.save_requests.empty());
  port.messages.clear();
  BuildNewProblem(ws, 2, 2, 2);
  // Cancel writes nothing but the open dialog still follows the save dialog.
  EXPECT_FALSE(SaveProblemFile(ws, port, true));
  EXPECT_EQ(ws.view.caption, "VIDO 2.0");
  EXPECT_EQ(ws.view.open_dialog_file_name, "output");
  EXPECT_TRUE(fs::is_empty(dir));

  port.save_answers.push_back((dir / "prob.TRI").string());
  ASSERT_TRUE(SaveProblemFile(ws, port, true));
  EXPECT_TRUE(fs::exists(dir / "prob.TRI.tri"));
  // A plain save with a named problem does not ask.
  ws.AGrid.SetCell(3, 1, "7");
  ASSERT_TRUE(SaveProblemFile(ws, port, false));
  EXPECT_EQ(port.save_requests.size(), 2u);
  EXPECT_NE(Slurp(dir / "prob.TRI.tri").find("a 0\t7\t0\t1\t2\t0\r\n"), std::string::npos);
}

TEST(SaveProblemFile, LessOrEqualRowsAreStoredNegatedAndReadBack) {
  Workspace ws;
  BuildNewProblem(ws, 2, 2, 2);
  ws.CGrid.SetRowCount(4);
  ws.ConstraintsCount = 3;
  const Strings le = {"ad1", "0", "1", "-1", "<=", "0.1"};
  const Strings eq = {"ad2", "0.50", "", "1", "=", "0.3"};
  for (int c = 0; c < 6; ++c) {
    ws.CGrid.SetCell(c, 2, le[c]);
    ws.CGrid.SetCell(c, 3, eq[c]);
  }
  const std::string text = ProblemFileText(ws);
  EXPECT_NE(text.find("K N 2\r\nK g\t0\t-1\t1\t-0.1\r\nK e\t0.50\t0\t1\t0.3\r\n"),
            std::string::npos);

  Workspace back;
  FakeUserPort port;
  ASSERT_EQ(ReadProblemText(back, port, text, "x.tri"), ReadOutcome::kLoaded);
  EXPECT_EQ(back.ConstraintsCount, 3);
  EXPECT_EQ(back.CGrid.Row(2), (Strings{"ad1", "0", "1", "-1", "<=", "0.1"}));
  EXPECT_EQ(back.CGrid.Row(3), (Strings{"ad2", "0.5", "0", "1", "=", "0.3"}));
}

TEST(SaveProblemFile, FailuresLeaveTheOldFileUntouched) {
  const fs::path dir = Scratch("failures");
  const fs::path target = dir / "prob.tri";
  Spit(target, "old contents");
  Workspace ws;
  BuildNewProblem(ws, 2, 2, 2);
  ws.view.save_dialog_file_name = target.string();
  ws.view.caption = "VIDO 2.0  -  elsewhere";
  ws.DataModified = true;

  // A "<=" row that is not a number stops the writing with the conversion message.
  ws.CGrid.SetRowCount(3);
  ws.ConstraintsCount = 2;
  const Strings row = {"ad1", "0", "x", "1", "<=", "0"};
  for (int c = 0; c < 6; ++c) ws.CGrid.SetCell(c, 2, row[c]);
  FakeUserPort port;
  EXPECT_FALSE(SaveProblemFile(ws, port, false));
  EXPECT_EQ(
      port.Errors(),
      Strings{"'x' is not a valid floating point value\nConstraints, row 2 (ad1), column k1"});
  EXPECT_EQ(Slurp(target), "old contents");
  EXPECT_TRUE(ws.DataModified);
  // A performance the key filter let through but that is no number, named by its cell.
  ws.CGrid.SetCell(2, 2, "1");
  ws.AGrid.SetCell(4, 2, "1.2.3");
  port.messages.clear();
  EXPECT_FALSE(SaveProblemFile(ws, port, false));
  EXPECT_EQ(port.Errors(),
            Strings{"'1.2.3' is not a valid floating point value\nActions, row 2 (1), column g2"});
  EXPECT_EQ(Slurp(target), "old contents");
  ws.AGrid.SetCell(4, 2, "0");

  // A target that cannot be replaced.
  ws.CGrid.SetCell(2, 2, "1");
  port.messages.clear();
  ws.view.save_dialog_file_name = (dir / "missing" / "prob.tri").string();
  EXPECT_FALSE(SaveProblemFile(ws, port, false));
  fs::create_directories(dir / "folder.tri");
  ws.view.save_dialog_file_name = (dir / "folder.tri").string();
  EXPECT_FALSE(SaveProblemFile(ws, port, false));
  EXPECT_EQ(port.Errors(), (Strings{"Disk write error: check permissions and available size",
                                    "Disk write error: check permissions and available size"}));
  EXPECT_TRUE(fs::is_directory(dir / "folder.tri"));
  EXPECT_EQ(ws.view.caption, "VIDO 2.0  -  elsewhere");
  EXPECT_TRUE(ws.DataModified);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(SaveProblemFile, EditedProblemRoundTrips) {
  Workspace ws;
  BuildNewProblem(ws, 3, 4, 4);
  ws.AGrid.SetCell(0, 2, "Flat with a view");
  ws.AGrid.SetCell(1, 2, "2");
  ws.AGrid.SetCell(2, 2, "3");
  ws.AGrid.SetCell(4, 3, "12.5");
  ws.FGrid.SetCell(1, 0, "price (EUR)");
  ws.AGrid.SetCell(3, 0, "price (EUR)");
  ws.FGrid.SetCell(2, 7, "3");     // g(b2) on criterion 2
  ws.FGrid.SetCell(3, 10, "1.5");  // v2 on criterion 3
  ws.FGrid.SetCell(2, 16, "-1");
  ws.BGrid.SetCell(3, 2, "0.4");
  ws.BGrid.SetCell(1, 1, "0.6");
  ws.BGrid.SetCell(1, 2, "0.9");  // reals come back in the general format: "1.0" would be "1"
  ws.CGrid.SetRowCount(3);
  ws.ConstraintsCount = 2;
  const Strings row = {"ad1", "0", "1", "0", "-1", ">=", "0"};
  for (int c = 0; c < 7; ++c) ws.CGrid.SetCell(c, 2, row[c]);

  Workspace back;
  FakeUserPort port;
  ASSERT_EQ(ReadProblemText(back, port, ProblemFileText(ws), "p.tri"), ReadOutcome::kLoaded);
  EXPECT_TRUE(port.messages.empty());
  for (const auto& [mine, theirs] : {std::pair{&ws.AGrid, &back.AGrid},
                                     {&ws.FGrid, &back.FGrid},
                                     {&ws.BGrid, &back.BGrid},
                                     {&ws.CGrid, &back.CGrid}}) {
    ASSERT_EQ(mine->RowCount(), theirs->RowCount());
    for (int r = 0; r < mine->RowCount(); ++r) EXPECT_EQ(mine->Row(r), theirs->Row(r)) << r;
  }
  EXPECT_EQ(back.AGrid.Cell(3, 0), "price (EUR)");
}

TEST(SaveProblemFile, EmptyNumberCellsAndLineBreaksCannotShiftTheFile) {
  Workspace ws;
  BuildNewProblem(ws, 2, 2, 2);
  ws.AGrid.SetCell(3, 1, "");
  ws.AGrid.SetCell(0, 2, "two\r\nlines");
  ws.FGrid.SetCell(1, 2, "");
  ws.FGrid.SetCell(2, 0, "name\nbroken");
  Workspace back;
  FakeUserPort port;
  ASSERT_EQ(ReadProblemText(back, port, ProblemFileText(ws), "p.tri"), ReadOutcome::kLoaded);
  EXPECT_EQ(back.AGrid.Row(1), (Strings{"0", "1", "2", "0", "0"}));
  EXPECT_EQ(back.AGrid.Cell(0, 2), "two  lines");
  EXPECT_EQ(back.FGrid.Cell(2, 0), "name broken");
  EXPECT_EQ(back.FGrid.Cell(1, 2), "0");
}

}  // namespace
}  // namespace vido
