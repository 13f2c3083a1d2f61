#include "model/results_report.h"

#include <optional>

#include "model/problem_file.h"
#include "support/atomic_file.h"

namespace vido {

namespace {

std::string ResultOf(const std::vector<int>& values, int i) {
  return i >= 0 && static_cast<size_t>(i) < values.size() ? std::to_string(values[i]) : "";
}

// Every cell of the row, each followed by a TAB.
std::string RowLine(const Table& table, int row) {
  std::string line;
  for (int c = 0; c < table.ColCount(); ++c) line += table.Cell(c, row) + '\t';
  return line;
}

}  // namespace

std::string ResultsReportText(const Workspace& ws) {
  std::vector<std::string> lines = {"INPUT FILE:", ws.view.open_dialog_file_name, "",
                                    "RESULTS:", "ACTION\tWorst Cat\tInferred Cat\tBest Cat"};
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    const std::string worst = ws.RangesValid ? ResultOf(ws.WorstCategory, i) : "";
    const std::string best = ws.RangesValid ? ResultOf(ws.BestCategory, i) : "";
    lines.push_back(ws.AGrid.Cell(0, i) + '\t' + worst + '\t' + ResultOf(ws.InferredCategory, i) +
                    '\t' + best);
  }
  lines.push_back("");
  lines.push_back("INFERENCE PROGRAM:");
  for (int r = 0; r < ws.IPGrid.RowCount(); ++r) lines.push_back(RowLine(ws.IPGrid, r));
  lines.push_back("");
  lines.push_back("INFERRED SOLUTION:");
  lines.push_back(RowLine(ws.DGrid, 0));
  lines.push_back(RowLine(ws.DGrid, 2));

  std::string text;
  for (size_t l = 0; l < lines.size(); ++l) {
    if (l > 0) text += "\r\n";
    text += lines[l];
  }
  return text;
}

bool SaveResClick(Workspace& ws, UserPort& port) {
  // The command is enabled only while the results are current.
  if (!ws.ResultsAvailable) return false;
  FileDialogRequest request;
  request.file_name = WithoutExtension(ws.view.save_dialog_file_name);
  request.default_extension = "rpt";
  request.filter = kReportFilter;
  request.overwrite_prompt = true;
  const std::optional<std::string> chosen = port.AskSaveFileName(request);
  if (!chosen) return false;
  ws.view.save_dialog_file_name = *chosen;
  // Written whole or not at all: a failed write leaves any earlier report intact.
  if (!WriteFileAtomically(*chosen, ResultsReportText(ws))) {
    port.Error(kDiskWriteError);
    return false;
  }
  return true;
}

}  // namespace vido
