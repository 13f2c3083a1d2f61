#ifndef VIDO_MODEL_WORKSPACE_H_
#define VIDO_MODEL_WORKSPACE_H_

#include <string>
#include <vector>

#include "model/table.h"

namespace vido {

inline constexpr const char* kBareCaption = "VIDO 2.0";

enum class DisplayOrder { kInput, kVariability };

// What the main window shows besides the tables: visibility, enabling, captions and
// the file names the dialogs remember. The GUI renders it; the core decides it.
struct ViewState {
  std::string caption = kBareCaption;
  bool input_tabs_visible = false;   // PageControlIn
  bool output_tabs_visible = false;  // PageControlOut
  bool results_tab_visible = true;
  bool inferred_constraints_tab_visible = true;
  bool infer_prog_tab_visible = true;
  bool indices_tab_visible = true;
  bool acceptability_tab_visible = false;        // filled by "Category &Acceptability"
  bool output_stale = false;                     // red captions of the output tabs
  bool report_enabled = false;                   // SpeedButtonReport
  bool inconsistency_enabled = false;            // the "&Inconsistency" item of the menu bar
  bool variability_order_enabled = true;         // "by &Variability Order"
  bool calc_panel_visible = false;               // CalcPanel, "Calculating. Please wait..."
  bool uj_button_enabled = true;                 // "Use uj" is disabled while "Use vj" is up
  std::string save_dialog_file_name = "output";  // SaveDialog: problem file and report
  std::string open_dialog_file_name;             // OpenDialog2
  std::string label_ma = "0";                    // LabelMA, "Indices" tab
  std::string label_ma_dif;                      // LabelMADif, "Indices" tab
};

// Everything the main window shows, in one object: the input tables, the counts, the
// output tables, the per-action results, the flags and the view state. Commands take
// a Workspace&; the GUI renders it, the command line prints it, tests assert on it.
struct Workspace {
  Workspace();

  // Input tables.
  Table AGrid{3, 1};
  Table FGrid{1, 1};
  Table BGrid{1, 1};
  Table CGrid{1, 1};
  // Output tables.
  Table RGrid{1, 1};
  Table ORGrid{1, 1};
  Table DGrid{0, 1};
  Table ICGrid{1, 1};
  Table IPGrid{1, 1};
  // The inconsistency analysis' constraint table.
  Table IGrid{1, 1};
  // The acceptabilities: a row per action, the share of each category, then the
  // likeliest category and the one of the central vector.
  Table AccGrid{1, 1};

  int CriteriaCount = 0;
  int CategoriesCount = 0;
  int ActionsCount = 0;
  int ConstraintsCount = 0;
  int ExampleRowsCount = 0;

  // Per-action results, indexed by the 1-based action number (element 0 unused).
  std::vector<int> InferredCategory;
  std::vector<int> WorstCategory;
  std::vector<int> BestCategory;
  // Row order of ORGrid: 0-based action indices, one per position.
  std::vector<int> VariabilityOrder;
  // lambda, then k_1..k_n.
  std::vector<double> InferredSolution;
  // IPGrid rows that the inferred solution violates.
  std::vector<int> ViolatedRows;

  bool DataModified = false;
  bool ResultsAvailable = false;
  bool RangesValid = false;
  // Set by the inconsistency analysis before it re-runs the results under the
  // parameter vector the user accepted; every results run clears it when it ends.
  bool UseAcceptedSolution = false;
  // The relaxation alpha the last results run judged consistency by.
  double Alpha = 0;

  // The switches under FGrid; they are also model state read by the credibility.
  bool UseujButton = false;  // "Use uj": up at start
  bool UsevjButton = true;   // "Use vj": down at start

  DisplayOrder display_order = DisplayOrder::kInput;
  ViewState view;

  bool HasProblem() const { return CriteriaCount > 0; }

  // Every change of the input marks the results stale. The result tables and arrays
  // are kept; they are recomputed only on the user's command.
  void ResetResults();

  // Rows of FGrid that hold u and v thresholds are shown only while their switch is
  // down; hidden rows keep their values.
  bool FGridRowVisible(int row) const;
  // "Use vj" released also releases and disables "Use uj"; pressed again enables it.
  void SetUsevj(bool down);
  void SetUseuj(bool down);
};

}  // namespace vido

#endif  // VIDO_MODEL_WORKSPACE_H_
