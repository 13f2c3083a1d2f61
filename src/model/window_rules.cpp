#include "model/window_rules.h"

namespace vido {

std::array<OutputTabLook, 5> OutputTabLooks(const Workspace& ws) {
  const ViewState& v = ws.view;
  const bool red = v.output_stale;
  return {{
      {OutputTab::kResults, "Results", v.results_tab_visible, red},
      {OutputTab::kInferredConstraints, "Inferred constraints", v.inferred_constraints_tab_visible,
       red},
      {OutputTab::kInferProg, "Infer. Prog.", v.infer_prog_tab_visible, red},
      {OutputTab::kIndices, "Indices", v.indices_tab_visible, red},
      {OutputTab::kAcceptability, "Acceptability", v.acceptability_tab_visible, red},
  }};
}

std::string WindowTitle(const Workspace& ws) {
  return ws.DataModified ? "* " + ws.view.caption : ws.view.caption;
}

bool ShowsVariabilityOrder(const Workspace& ws) {
  return ws.display_order == DisplayOrder::kVariability;
}

void ClearResults(Workspace& ws) {
  ReleaseResults(ws);
  for (Table* table : {&ws.RGrid, &ws.ORGrid, &ws.DGrid, &ws.ICGrid, &ws.IPGrid, &ws.AccGrid}) {
    table->SetSize(table->FixedCols(), table->FixedRows());
    table->Clear();
  }
  ws.Alpha = 0;
  ws.ViolatedRows.clear();
  ViewState& v = ws.view;
  v.output_tabs_visible = false;
  v.acceptability_tab_visible = false;
  v.report_enabled = false;
  v.inconsistency_enabled = false;
  v.output_stale = true;  // no results describe this problem
  v.label_ma = "0";
  v.label_ma_dif.clear();
}

void ReleaseResults(Workspace& ws) {
  ws.InferredCategory = {};
  ws.WorstCategory = {};
  ws.BestCategory = {};
  ws.VariabilityOrder = {};
  ws.InferredSolution = {};
  ws.ResultsAvailable = false;
  ws.RangesValid = false;
}

}  // namespace vido
