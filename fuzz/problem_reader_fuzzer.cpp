// libFuzzer target for the problem-file reader. Any input must end in an orderly way,
// leave tables that agree with the counts, and a problem that was read must come back
// unchanged when it is written and read again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/problem_file.h"
#include "model/problem_layout.h"
#include "model/problem_reader.h"
#include "model/workspace.h"
#include "support/user_port.h"

namespace {

// Answers nothing and counts the messages.
class QuietPort : public vido::UserPort {
 public:
  int messages = 0;
  void ShowMessage(vido::MessageKind, const std::string&) override { ++messages; }
  bool Confirm(const std::string&) override { return false; }
  bool EngineMessage(const std::string&) override { return true; }
  std::optional<std::string> QueryText(const std::string&, const std::string&,
                                       const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> AskOpenFileName(const vido::FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<std::string> AskSaveFileName(const vido::FileDialogRequest&) override {
    return std::nullopt;
  }
  void SetBusy(bool) override {}
  void ShowProgress(int) override {}
  void SetProgress(int) override {}
  void HideProgress() override {}
  bool PumpEvents() override { return false; }
  bool OpenHelpPage(const std::string&) override { return false; }
};

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

void CheckShape(const vido::Workspace& ws) {
  if (!ws.HasProblem()) return;
  const int n = ws.CriteriaCount;
  Check(n < 20, "criteria below 20");
  Check(ws.AGrid.ColCount() == 3 + n && ws.AGrid.RowCount() == 1 + ws.ActionsCount, "AGrid");
  Check(ws.FGrid.ColCount() == 1 + n &&
            ws.FGrid.RowCount() == vido::FGridRowCount(ws.CategoriesCount),
        "FGrid");
  Check(ws.BGrid.ColCount() == n + 2 && ws.BGrid.RowCount() == 3, "BGrid");
  Check(ws.CGrid.ColCount() == n + 4 && ws.CGrid.RowCount() == 1 + ws.ConstraintsCount, "CGrid");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vido::Workspace ws;
  QuietPort port;
  const vido::ReadOutcome outcome = vido::ReadProblemText(ws, port, text, "fuzz.tri");
  CheckShape(ws);
  if (outcome != vido::ReadOutcome::kLoaded) {
    Check(port.messages > 0, "a failed read says why");
    return 0;
  }
  // Written and read back: the same problem. Cells the file never filled keep the
  // defaults' own texts ("1.0"), which come back in the general format ("1"), so the
  // comparison starts from the first read-back.
  std::string texts[3] = {vido::ProblemFileText(ws)};
  for (int pass = 1; pass < 3; ++pass) {
    vido::Workspace again;
    QuietPort quiet;
    Check(vido::ReadProblemText(again, quiet, texts[pass - 1], "again.tri") ==
              vido::ReadOutcome::kLoaded,
          "a written problem reads back");
    Check(quiet.messages == 0, "a written problem reads back without messages");
    CheckShape(again);
    Check(again.CriteriaCount == ws.CriteriaCount && again.ActionsCount == ws.ActionsCount &&
              again.CategoriesCount == ws.CategoriesCount &&
              again.ConstraintsCount == ws.ConstraintsCount,
          "a written problem keeps its sizes");
    texts[pass] = vido::ProblemFileText(again);
  }
  Check(texts[1] == texts[2], "writing is stable");
  return 0;
}
