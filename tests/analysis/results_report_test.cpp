#include "model/results_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "analysis/robust_assignments.h"
#include "common/fake_user_port.h"
#include "common/range_problem.h"

namespace vido {
namespace {

using testing::FakeUserPort;
using testing::MakeRangeProblem;
using testing::SetExample;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ResultsReportTest, LayoutOfAConsistentAndAnInconsistentRun) {
  Workspace ws;
  FakeUserPort port;
  MakeRangeProblem(ws, 2);
  ws.view.open_dialog_file_name = "/data/p.tri";
  CalcRangeItemClick(ws, port);
  ASSERT_TRUE(ws.RangesValid);
  const std::string lambda = ws.DGrid.Cell(0, 2);
  EXPECT_EQ(ResultsReportText(ws),
            "INPUT FILE:\r\n/data/p.tri\r\n\r\nRESULTS:\r\n"
            "ACTION\tWorst Cat\tInferred Cat\tBest Cat\r\n0\t2\t2\t2\r\n1\t1\t" +
                std::to_string(ws.InferredCategory[2]) +
                "\t3\r\n\r\nINFERENCE PROGRAM:\r\n"
                "Descr\talpha\tlambda\tk1\tk2\t<,=,>\tRHS\tError\t\r\n"
                "LB lambda\t1\t1\t0\t0\t>=\t0.5\t\t\r\n"
                "UB lambda\t-1\t1\t0\t0\t<=\t0.9\t\t\r\n\r\n"
                "INFERRED SOLUTION:\r\nlambda\tk1\tk2\t\r\n" +
                lambda + "\t" + ws.DGrid.Cell(1, 2) + "\t" + ws.DGrid.Cell(2, 2) + "\t");

  // Inconsistent (action 0 never reaches lambda against b_2): the worst and best
  // fields stay empty, their TABs remain.
  SetExample(ws, 1, 3, 3);
  CalcRangeItemClick(ws, port);
  ASSERT_FALSE(ws.RangesValid);
  const std::string text = ResultsReportText(ws);
  EXPECT_NE(text.find("\r\n0\t\t2\t\r\n1\t\t"), std::string::npos) << text;
  EXPECT_NE(text.find("C(0)>=3\t1\t-1\t0\t0\t>=\t0\t0.25\t"), std::string::npos) << text;
}

TEST(ResultsReportTest, SaveDialogAndWriteFailure) {
  Workspace ws;
  FakeUserPort port;
  MakeRangeProblem(ws, 2);
  ws.view.save_dialog_file_name = "problems/suppliers.tri";
  // Not current: the command does nothing.
  EXPECT_FALSE(SaveResClick(ws, port));
  EXPECT_TRUE(port.save_requests.empty());

  CalcRangeItemClick(ws, port);
  port.save_answers = {std::nullopt, "out.rpt", "no-such-folder/out.rpt"};
  EXPECT_FALSE(SaveResClick(ws, port));
  ASSERT_EQ(port.save_requests.size(), 1u);
  EXPECT_EQ(port.save_requests[0].file_name, "problems/suppliers");
  EXPECT_EQ(port.save_requests[0].default_extension, "rpt");
  EXPECT_EQ(port.save_requests[0].filter, "VIDO Results Report (*.rpt)|*.rpt");
  EXPECT_EQ(ws.view.save_dialog_file_name, "problems/suppliers.tri");

  EXPECT_TRUE(SaveResClick(ws, port));
  EXPECT_EQ(ReadFile("out.rpt"), ResultsReportText(ws));
  EXPECT_EQ(ws.view.save_dialog_file_name, "out.rpt");
  EXPECT_EQ(port.save_requests[1].file_name, "problems/suppliers");

  EXPECT_FALSE(SaveResClick(ws, port));
  EXPECT_EQ(port.save_requests[2].file_name, "out");
  EXPECT_EQ(port.Errors(),
            std::vector<std::string>{"Disk write error: check permissions and available size"});
}

}  // namespace
}  // namespace vido
