#ifndef VIDO_ANALYSIS_INCONSISTENCY_ANALYSIS_H_
#define VIDO_ANALYSIS_INCONSISTENCY_ANALYSIS_H_

#include <functional>
#include <string>
#include <vector>

#include "model/table.h"
#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// The drop program read from IGrid: P = n + 1 continuous columns (lambda, k_1..k_n)
// then one binary column y_i per IGrid row. Row i (1..M) is a_i x + 999 y_i >= b_i +
// 0.00001, row M + 1 the normalisation of the weights, then one cut per suggestion
// found: the sum of its y_i at most its size - 1. Dense, rows and columns from 0.
struct DropProgram {
  int p = 0;  // continuous columns
  int m = 0;  // IGrid rows (binary columns)
  std::vector<std::vector<double>> a;
  std::vector<double> b;

  int Rows() const { return static_cast<int>(a.size()); }
  int Columns() const { return p + m; }
  // '>' (or '<' when b is negative and the row goes to the solver negated) for the
  // IGrid rows, '=' for the normalisation, '<' for the cuts.
  char Sense(int row) const;
  void AddCut(const std::vector<int>& dropped);  // 1-based IGrid row numbers
};

// Reads IGrid (an empty coefficient cell counts 0).
DropProgram ReadDropProgram(const Workspace& ws);

// The state of the window "Inconsistency analysis": what the GUI shows and the
// command line prints. One exists for the whole run of the program; the suggestions
// and the kept solution stay between openings.
struct IAForm {
  static constexpr int kMinSuggestions = 3;
  static constexpr int kMaxSuggestions = 30;
  static constexpr const char* kNoDrop = "No need to drop restrictions";

  int max_suggestions = 5;  // UpDownMaxS, shown in EditMaxS
  // Solve the 0-1 program above itself, every row relaxed by 999, instead of searching
  // for the smallest sets through their conflicts: sets of the same sizes, far slower
  // on large problems (kept for comparison).
  bool drop_program = false;
  Table StringGrid1{0, 1, 3, 2};
  bool suggestions_visible = false;
  bool NoDropSolutionFound = false;
  // The sets of constraints (1-based IGrid row numbers) of the suggestions shown, in order.
  std::vector<std::vector<int>> suggested_sets;
  // lambda, k_1..k_n of the solution that needed no removal.
  std::vector<double> kept_solution;
  // Shows the window modally and returns when it is closed; the GUI sets it. Without
  // one, opening the window runs "Suggest" once on its own.
  std::function<void(IAForm&)> show_modal;
  // While "Suggest" searches (the window shows it and offers to stop).
  bool searching = false;
  // While it searches, what the search knows of the next suggestion ("Searching: at
  // least 34 constraints; a set of 36 found"), for the window to show; empty otherwise.
  std::string progress;
  // Called when the search starts, after each suggestion it adds and when its progress
  // changes, so that the window shows them as they come.
  std::function<void(const IAForm&)> repaint;

  IAForm();
  // UpDownMaxS clamps to 3..30.
  void SetMaxSuggestions(int count);
};

// The window appears: the suggestions table is hidden until the next "Suggest".
void FormActivate(IAForm& form);

// What suggestion `row` (1-based, as StringGrid1 shows it) drops, one line per
// constraint: its number and its description as the analysis table holds them ("5:
// C(Iberia Components)>=2"). Empty for a row without a set.
std::string SuggestionDescriptions(const Workspace& ws, const IAForm& form, int row);

// "Suggest": the smallest set of constraints to remove, then the smallest that contains
// no set found before, up to the maximum of suggestions, each shown as it is found (by
// the search of drop_search.h, or the drop program with a cut after each set).
void BSuggestClick(const Workspace& ws, UserPort& port, IAForm& form);

// "Help": the page "inconsistency.htm" of the help folder.
void BHelpClick(UserPort& port, const std::string& help_folder);

// "&Inconsistency": shows the window; when it is closed after a solution that needs
// no removal and the user accepts it, that vector replaces the inferred solution and
// the results are computed again under it.
void InconsistMenuClick(Workspace& ws, UserPort& port, IAForm& form);

}  // namespace vido

#endif  // VIDO_ANALYSIS_INCONSISTENCY_ANALYSIS_H_
