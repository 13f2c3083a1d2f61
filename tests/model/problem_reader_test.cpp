#include "model/problem_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/fake_user_port.h"
#include "model/new_problem.h"
#include "model/problem_file.h"
#include "model/window_rules.h"

namespace vido {
namespace {

namespace fs = std::filesystem;
using testing::FakeUserPort;
using Strings = std::vector<std::string>;

// `text` with every LF replaced by `eol`.
std::string WithLineEnds(const std::string& text, const std::string& eol) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += eol;
    } else {
      out += c;
    }
  }
  return out;
}

std::string Crlf(const std::string& text) { return WithLineEnds(text, "\r\n"); }

// 3 criteria, 3 categories, 2 actions, written by hand with comments between sections.
const char* const kVersion2 =
    "c version 2\n"
    "c a hand-written problem\n"
    "t 3\t3\t2\n"
    "x an unknown line\n"
    "d\t1\t-1\t0\n"
    "p 1\t10\t20.50\t30\n"
    "p 2\t11\t21\t31\n"
    "s 2\t3\t1\t2\t3\t4\n"
    "s 1\t1\t0.1\t0.2\t0.3\t0.4\n"
    "s 1\t2\t0\t0\t0\t0\n"
    "s 1\t3\t0\t0\t0\t0\n"
    "s 2\t1\t0\t0\t0\t0\n"
    "s 2\t2\t0\t0\t0\t0\n"
    "a 0\t1\t2\t3\t1\t2\tFirst flat, top floor\n"
    "a 1\t4\t5\t6\t2\t3\t\n"
    "K S 1\t0.6\n"
    "K M 0.9\n"
    "K m 0.05\n"
    "K S 2\t0.7\n"
    "K X 3\t0.1\n"
    "K S 3\t0.8\n"
    "K I 1\t0.1\n"
    "K I 2\t0.2\n"
    "K I 3\t0.3\n"
    "K N 3\n"
    "K g\t0\t1\t-1\t0\t0.1\n"
    "K e\t0\t1\t1\t0\t-0.5\n"
    "K g\t0\t1\t0\t-1\t-0.2\n"
    "L m 0.60\n"
    "L M 0.95\n"
    "n name of criteria:\n"
    "price\n"
    "floor area\n"
    "noise\n"
    "c *** END OF FILE ***\n";

void ExpectHandWrittenProblem(const Workspace& ws) {
  EXPECT_EQ(ws.CriteriaCount, 3);
  EXPECT_EQ(ws.CategoriesCount, 3);
  EXPECT_EQ(ws.ActionsCount, 2);
  EXPECT_EQ(ws.ConstraintsCount, 4);
  EXPECT_EQ(ws.FGrid.Row(0), (Strings{"", "price", "floor area", "noise"}));
  EXPECT_EQ(ws.FGrid.Row(1), (Strings{"g(b1)", "10", "20.5", "30"}));
  EXPECT_EQ(ws.FGrid.Row(2), (Strings{"q1", "0.1", "0", "0"}));
  EXPECT_EQ(ws.FGrid.Row(5), (Strings{"v1", "0.4", "0", "0"}));
  EXPECT_EQ(ws.FGrid.Row(6), (Strings{"g(b2)", "11", "21", "31"}));
  EXPECT_EQ(ws.FGrid.Row(7), (Strings{"q2", "0", "0", "1"}));
  EXPECT_EQ(ws.FGrid.Row(10), (Strings{"v2", "0", "0", "4"}));
  EXPECT_EQ(ws.FGrid.Row(11), (Strings{"MAX/min?(1/-1)", "1", "-1", "-1"}));
  EXPECT_EQ(ws.AGrid.Row(0), (Strings{"Action", "ELow", "EHigh", "price", "floor area", "noise"}));
  EXPECT_EQ(ws.AGrid.Row(1), (Strings{"First flat, top floor", "1", "2", "1", "2", "3"}));
  EXPECT_EQ(ws.AGrid.Row(2), (Strings{"", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(ws.BGrid.Row(1), (Strings{"LB - Lower Bound", "0.6", "0.1", "0.2", "0.3"}));
  // "K M" sets every upper bound at once, the later "K S" lines override it.
  EXPECT_EQ(ws.BGrid.Row(2), (Strings{"UB - Upper Bound", "0.95", "0.9", "0.7", "0.8"}));
  EXPECT_EQ(ws.CGrid.Row(1), (Strings{"Norm", "0", "1", "1", "1", "=", "1"}));
  EXPECT_EQ(ws.CGrid.Row(2), (Strings{"ad1", "0", "1", "-1", "0", ">=", "0.1"}));
  EXPECT_EQ(ws.CGrid.Row(3), (Strings{"ad2", "0", "-1", "-1", "0", "=", "0.5"}));
  EXPECT_EQ(ws.CGrid.Row(4), (Strings{"ad3", "0", "-1", "0", "1", "<=", "0.2"}));
}

TEST(ReadProblemText, VersionTwoWithAnyLineEndAndAByteOrderMark) {
  const std::string bom = "\xEF\xBB\xBF";
  for (const std::string& text :
       {std::string(kVersion2), Crlf(kVersion2), WithLineEnds(kVersion2, "\r"),
        bom + Crlf(kVersion2), bom + WithLineEnds(kVersion2, "\r")}) {
    Workspace ws;
    FakeUserPort port;
    ws.DataModified = true;
    EXPECT_EQ(ReadProblemText(ws, port, text, "/data/flats.v2.tri"), ReadOutcome::kLoaded);
    EXPECT_EQ(port.Errors(), Strings{"Unknown symbol when reading bound 2"});
    ExpectHandWrittenProblem(ws);
    EXPECT_EQ(ws.view.caption, "VIDO 2.0  -  /data/flats.v2.tri");
    EXPECT_EQ(ws.view.save_dialog_file_name, "/data/flats.v2");
    EXPECT_FALSE(ws.DataModified);
    EXPECT_TRUE(ws.view.input_tabs_visible);
    EXPECT_TRUE(ws.view.output_stale);
  }
}

TEST(ReadProblemText, VersionOneAndTheOldConstraintForm) {
  const char* text =
      "t 3 2 2\n"
      "d 1 1 -1\n"
      "p 1 5 6 7\n"
      "s 1 1 0.5 1 9 9\n"
      "s 1 2 0.5 1\n"
      "s 1 3 0.5 1\n"
      "a 7 1 2 3 1 1 ignored text\n"
      "a 8 4 5 6 2 2\n"
      "K I 1 0\nK I 2 0\nK I 3 0\nK S 1 1\nK S 2 1\nK S 3 1\n"
      "K N 2\n"
      "K E 1 -3 0\n"
      "K G -2 3 0\n"
      "L M 1\nL m 0.5\n"
      "n name of criteria:\nnever\nread\nhere\n";
  Workspace ws;
  ws.UseujButton = true;
  FakeUserPort port;
  EXPECT_EQ(ReadProblemText(ws, port, text, "old.tri"), ReadOutcome::kLoaded);
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(ws.FGrid.Row(0), (Strings{"", "g1", "g2", "g3"}));
  EXPECT_EQ(ws.FGrid.Row(4), (Strings{"u1", "0", "0", "0"}));  // u and v are not in version 1
  EXPECT_EQ(ws.FGrid.Row(5), (Strings{"v1", "0", "0", "0"}));
  EXPECT_EQ(ws.AGrid.Row(1), (Strings{"7", "1", "1", "1", "2", "3"}));
  EXPECT_EQ(ws.AGrid.Row(2), (Strings{"8", "2", "2", "4", "5", "6"}));
  EXPECT_EQ(ws.CGrid.Row(2), (Strings{"ad1", "0", "1", "", "-1", "=", "0"}));
  EXPECT_EQ(ws.CGrid.Row(3), (Strings{"ad2", "0", "", "-1", "1", ">=", "0"}));
  EXPECT_TRUE(ws.UseujButton);  // the switches are not part of the file

  // A first comment line without a digit 2..9 is version 1 too.
  Workspace ws1;
  EXPECT_EQ(ReadProblemText(ws1, port, std::string("c first version\n") + text, "old.tri"),
            ReadOutcome::kLoaded);
  EXPECT_EQ(ws1.FGrid.Row(0), (Strings{"", "g1", "g2", "g3"}));

  // CR alone ends the lines the reader skips as well.
  Workspace cr;
  EXPECT_EQ(ReadProblemText(cr, port, WithLineEnds(text, "\r"), "old.tri"), ReadOutcome::kLoaded);
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(ProblemFileText(cr), ProblemFileText(ws));
}

TEST(ReadProblemText, RefusedSizesChangeNothing) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"t 20 2 2\n", "Maximum number of criteria exceeded"},
      {"t 0 2 2\n", "Error on reading reading size of the problem\nline 1"},
      {"t 2 1 2\n", "Error on reading reading size of the problem\nline 1"},
      {"t 2 2 -1\n", "Error on reading reading size of the problem\nline 1"},
      {"t 19 2000000000 2\n", "Error on reading reading size of the problem\nline 1"},
      {"t 2 2 2000000000\n", "Error on reading reading size of the problem\nline 1"},
      {"t 2 2 99999999999\n", "Error on reading reading size of the problem\nline 1"},
      {"t 2 x 2\n", "Error on reading reading size of the problem\nline 1"},
      {"", "Unexpected e.o.f. when reading size of the problem"},
      {"c version 2\nc no sizes\n", "Unexpected e.o.f. when reading size of the problem"},
      {"t 2 2", "Unexpected e.o.f. when reading size of the problem"},
  };
  for (const Case& c : cases) {
    Workspace ws;
    BuildNewProblem(ws, 4, 5, 3);
    ws.view.caption = "VIDO 2.0  -  mine.tri";
    FakeUserPort port;
    EXPECT_EQ(ReadProblemText(ws, port, c.text, "bad.tri"), ReadOutcome::kUnchanged) << c.text;
    EXPECT_EQ(port.Errors(), Strings{c.message}) << c.text;
    EXPECT_EQ(ws.CriteriaCount, 4);
    EXPECT_EQ(ws.ActionsCount, 5);
    EXPECT_EQ(ws.AGrid.RowCount(), 6);
    EXPECT_EQ(ws.view.caption, "VIDO 2.0  -  mine.tri");
  }
}

TEST(ReadProblemText, ErrorsStopReadingAndKeepWhatWasRead) {
  struct Case {
    std::string text;
    const char* message;
  };
  const std::string head = "c version 2\nt 2 3 1\nd 1 1\np 1 1 1\np 2 2 2\n";
  const std::string thresholds = "s 1 1 0 0 0 0\ns 1 2 0 0 0 0\ns 2 1 0 0 0 0\ns 2 2 0 0 0 0\n";
  const Case cases[] = {
      {head + "s 3 1 0 0 0 0\n", "Error on reading reading thesholds 3/1\nline 6"},
      {head + "s 1 -5 0 0 0 0\n", "Error on reading reading thesholds 1/-5\nline 6"},
      {head + "s 1 1 0 zero 0 0\n", "Error on reading reading thesholds 1/1\nline 6"},
      {head + thresholds + "a 0 1 1 1\n", "Unexpected e.o.f. when reading actions"},
      {head + thresholds + "a 0 1 1 1.5 3\n", "Error on reading reading actions\nline 10"},
      {head + thresholds + "a 0 1 1 1 3 x\nK I 9 0.1\n",
       "Error on reading reading bound 0\nline 11"},
      {head + thresholds + "a 0 1 1 1 3 x\nK I 1 0.1\n", "Unexpected e.o.f. when reading bound 1"},
      {head + thresholds + "a 0 1 1 1 3 x\nK I 1 0\nK I 2 0\nK S 1 1\nK S 2 1\nK N -1\n",
       "Error on reading reading No. Constraints\nline 15"},
      {head + thresholds + "a 0 1 1 1 3 x\nK I 1 0\nK I 2 0\nK S 1 1\nK S 2 1\nK N 5\n",
       "Unexpected e.o.f. when reading constraint 1"},
      {head + thresholds + "a 0 1 1 1 3 x\nK I 1 0\nK I 2 0\nK S 1 1\nK S 2 1\nK N 1\nK E 3 1\n",
       "Error on reading reading constraint 1\nline 16"},
      {head + thresholds + "a 0 1 1 1 3 x\nK I 1 0\nK I 2 0\nK S 1 1\nK S 2 1\nK N 0\nL M 1\n",
       "Unexpected e.o.f. when reading lambda bound 2"},
      {head + thresholds +
           "a 0 1 1 1 3 x\nK I 1 0\nK I 2 0\nK S 1 1\nK S 2 1\nK N 0\nL M 1\nL m 0\nn\nonly\n",
       "Unexpected e.o.f. when reading criteria names"},
      {head + "s 1 1 0 0 0 1e999\n", "Error on reading reading thesholds 1/1\nline 6"},
      {head + "s 1 1 0 0 0 " + std::string(5000, '1') + "\n",
       "Error on reading reading thesholds 1/1\nline 6"},
  };
  for (const Case& c : cases) {
    Workspace ws;
    ws.view.caption = "VIDO 2.0  -  mine.tri";
    FakeUserPort port;
    EXPECT_EQ(ReadProblemText(ws, port, c.text, "bad.tri"), ReadOutcome::kPartial) << c.text;
    EXPECT_EQ(port.Errors(), Strings{c.message}) << c.text;
    // The tables match the counts and keep what was read.
    EXPECT_EQ(ws.CriteriaCount, 2);
    EXPECT_EQ(ws.FGrid.RowCount(), 12);
    EXPECT_EQ(ws.AGrid.RowCount(), 2);
    EXPECT_EQ(ws.CGrid.RowCount(), ws.ConstraintsCount + 1);
    EXPECT_EQ(ws.FGrid.Row(6), (Strings{"g(b2)", "2", "2"}));
    // The partial problem must not be saved over the file the caption named.
    EXPECT_EQ(ws.view.caption, "VIDO 2.0");
    EXPECT_TRUE(ws.DataModified);
  }
}

TEST(ReadProblemText, EveryTruncationEndsInAnOrderlyWay) {
  Workspace full;
  BuildNewProblem(full, 3, 3, 3);
  full.CGrid.SetRowCount(3);
  full.ConstraintsCount = 2;
  const Strings row = {"ad1", "0", "1", "-1", "0", "<=", "0.1"};
  for (int c = 0; c < 7; ++c) full.CGrid.SetCell(c, 2, row[c]);
  const std::string text = ProblemFileText(full);
  for (size_t cut = 0; cut < text.size(); ++cut) {
    Workspace ws;
    FakeUserPort port;
    const ReadOutcome outcome = ReadProblemText(ws, port, text.substr(0, cut), "cut.tri");
    // Once the last name has begun the cut cannot be told from a shorter name.
    if (cut > text.find("g3\r\n")) {
      EXPECT_EQ(outcome, ReadOutcome::kLoaded) << cut;
      continue;
    }
    EXPECT_NE(outcome, ReadOutcome::kLoaded) << cut;
    EXPECT_EQ(port.messages.size(), 1u) << cut;
    EXPECT_EQ(ws.AGrid.RowCount(), ws.HasProblem() ? ws.ActionsCount + 1 : 0) << cut;
  }
}

TEST(ReadProblemText, BinaryGarbageIsRefused) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
  Workspace ws;
  FakeUserPort port;
  EXPECT_NE(ReadProblemText(ws, port, garbage, "junk"), ReadOutcome::kLoaded);
  EXPECT_EQ(port.messages.size(), 1u);
}

TEST(OpenOthClick, OpensTheChosenFileAndAPlainSaveOverwritesIt) {
  const fs::path dir = fs::current_path() / "open_click";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "flats.tri").string();
  std::ofstream(path, std::ios::binary) << Crlf(kVersion2);

  Workspace ws;
  FakeUserPort port;
  OpenOthClick(ws, port);  // cancelled
  EXPECT_FALSE(ws.HasProblem());
  EXPECT_EQ(port.open_requests.at(0).filter,
            "TRI parameters & constraints (*.tri)|*.tri|All files (*.*)|*.*");

  port.open_answers.push_back(path);
  OpenOthClick(ws, port);
  ExpectHandWrittenProblem(ws);
  EXPECT_EQ(ws.view.caption, "VIDO 2.0  -  " + path);
  EXPECT_EQ(ws.view.open_dialog_file_name, path);

  ws.AGrid.SetCell(3, 1, "99");
  ASSERT_TRUE(SaveProblemFile(ws, port, false));
  EXPECT_TRUE(port.save_requests.empty());
  Workspace again;
  EXPECT_EQ(ReadProblemFile(again, port, path), ReadOutcome::kLoaded);
  EXPECT_EQ(again.AGrid.Cell(3, 1), "99");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

  port.messages.clear();
  const std::string missing = (dir / "missing.tri").string();
  EXPECT_EQ(ReadProblemFile(again, port, missing), ReadOutcome::kUnchanged);
  EXPECT_EQ(ReadProblemFile(again, port, dir.string()), ReadOutcome::kUnchanged);
  EXPECT_EQ(
      port.Errors(),
      (Strings{"Error on reading : Could not open file\n" + missing + ": No such file or directory",
               "Error on reading : Could not open file\n" + dir.string() + ": Is a directory"}));

  // A file that fails half way leaves the problem on screen whole; one that reads
  // replaces it, and the results of the one before go.
  const std::string text = Crlf(kVersion2);
  const std::string broken = (dir / "broken.tri").string();
  std::ofstream(broken, std::ios::binary) << text.substr(0, text.size() / 2);
  ws.view.output_tabs_visible = true;
  ws.RGrid.SetSize(3, 4);
  const Workspace before = ws;
  port.messages.clear();
  port.open_answers.push_back(broken);
  OpenOthClick(ws, port);
  EXPECT_EQ(port.Errors().size(), 1u);
  EXPECT_EQ(ws.AGrid.Row(1), before.AGrid.Row(1));
  EXPECT_EQ(ws.ActionsCount, before.ActionsCount);
  EXPECT_EQ(ws.view.caption, before.view.caption);
  EXPECT_TRUE(ws.view.output_tabs_visible);
  port.open_answers.push_back(path);
  OpenOthClick(ws, port);
  EXPECT_FALSE(ws.view.output_tabs_visible);
  EXPECT_EQ(ws.RGrid.RowCount(), 1);

  // Unsaved changes, marked in the title: Open offers to save them first, and a save
  // asked for that does not happen (a new problem's save dialog cancelled) stops it.
  ws.DataModified = true;
  ws.view.caption = kBareCaption;
  EXPECT_EQ(WindowTitle(ws), "* VIDO 2.0");
  port.confirmations.clear();
  port.confirm_answers = {true};
  port.open_answers.push_back(path);
  OpenOthClick(ws, port);
  EXPECT_EQ(port.confirmations, Strings{"Save current files?"});
  EXPECT_TRUE(ws.DataModified);
  EXPECT_EQ(port.open_answers.size(), 1u);  // never asked
  port.confirm_answers = {false};           // No: the changes go
  OpenOthClick(ws, port);
  EXPECT_FALSE(ws.DataModified);
  EXPECT_EQ(WindowTitle(ws), "VIDO 2.0  -  " + path);
}

}  // namespace
}  // namespace vido
