#include "model/new_problem.h"

#include <string>

#include "model/problem_file.h"
#include "model/problem_layout.h"
#include "model/window_rules.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

void LabelProfileBlock(Table& fgrid, int h) {
  const int row = ProfileBlockRow(h);
  fgrid.SetCell(0, row + kProfileValue, Format("g(b%d)", h));
  fgrid.SetCell(0, row + kIndifference, Format("q%d", h));
  fgrid.SetCell(0, row + kPreference, Format("p%d", h));
  fgrid.SetCell(0, row + kDiscordance, Format("u%d", h));
  fgrid.SetCell(0, row + kVeto, Format("v%d", h));
}

void PrepareFGrid(Workspace& ws, int criteria, int categories) {
  Table& f = ws.FGrid;
  f.Clear();
  f.SetSize(1 + criteria, FGridRowCount(categories));
  for (int j = 1; j <= criteria; ++j) f.SetCell(j, 0, Format("g%d", j));
  for (int h = 1; h < categories; ++h) {
    LabelProfileBlock(f, h);
    for (int offset = 0; offset < kProfileBlockRows; ++offset) {
      for (int j = 1; j <= criteria; ++j) f.SetCell(j, ProfileRow(h, offset), "0");
    }
  }
  const int direction = DirectionRow(categories);
  f.SetCell(0, direction, kDirectionLabel);
  for (int j = 1; j <= criteria; ++j) f.SetCell(j, direction, "1");
}

void PrepareAGrid(Workspace& ws, int criteria, int actions, int categories) {
  Table& a = ws.AGrid;
  a.Clear();
  a.SetSize(3 + criteria, 1 + actions);
  a.SetCell(kActionNameCol, 0, "Action");
  a.SetCell(kELowCol, 0, "ELow");
  a.SetCell(kEHighCol, 0, "EHigh");
  for (int j = 1; j <= criteria; ++j) a.SetCell(PerformanceCol(j), 0, Format("g%d", j));
  const std::string high = std::to_string(categories);
  for (int i = 1; i <= actions; ++i) {
    a.SetCell(kActionNameCol, i, std::to_string(i - 1));
    a.SetCell(kELowCol, i, "1");
    a.SetCell(kEHighCol, i, high);
    for (int j = 1; j <= criteria; ++j) a.SetCell(PerformanceCol(j), i, "0");
  }
}

void PrepareBGrid(Workspace& ws, int criteria) {
  Table& b = ws.BGrid;
  b.Clear();
  b.SetSize(criteria + 2, 3);
  b.SetCell(0, 1, "LB - Lower Bound");
  b.SetCell(0, 2, "UB - Upper Bound");
  b.SetCell(1, 0, "lambda");
  b.SetCell(1, 1, "0.5");
  b.SetCell(1, 2, "1.0");
  for (int j = 1; j <= criteria; ++j) {
    b.SetCell(1 + j, 0, Format("k%d", j));
    b.SetCell(1 + j, 1, "0");
    b.SetCell(1 + j, 2, "0.5");
  }
}

void PrepareCGrid(Workspace& ws, int criteria) {
  Table& c = ws.CGrid;
  c.Clear();
  c.SetSize(criteria + 4, 2);
  c.SetCell(1, 0, "lambda");
  for (int j = 1; j <= criteria; ++j) c.SetCell(1 + j, 0, Format("k%d", j));
  c.SetCell(SignCol(criteria), 0, "<,=,>");
  c.SetCell(RhsCol(criteria), 0, "RHS");
  c.SetCell(0, 1, kNormLabel);
  c.SetCell(1, 1, "0");
  for (int j = 1; j <= criteria; ++j) c.SetCell(1 + j, 1, "1");
  c.SetCell(SignCol(criteria), 1, "=");
  c.SetCell(RhsCol(criteria), 1, "1");
  ws.ConstraintsCount = 1;
}

void BuildNewProblem(Workspace& ws, int criteria, int actions, int categories) {
  ws.CriteriaCount = criteria;
  ws.ActionsCount = actions;
  ws.CategoriesCount = categories;
  PrepareAGrid(ws, criteria, actions, categories);
  PrepareFGrid(ws, criteria, categories);
  PrepareBGrid(ws, criteria);
  PrepareCGrid(ws, criteria);
  ws.view.input_tabs_visible = true;
}

std::optional<std::string> CheckNewProblemField(NewProblemField field, const std::string& text) {
  if (text.empty()) return "You must enter a value";
  const bool digits = text.find_first_not_of("0123456789") == std::string::npos;
  const std::optional<int> value = ParseInteger(text);
  // Only digits, yet too long for an integer: certainly above the limit.
  if (!value && !digits) return "Invalid number";
  const int limit = field == NewProblemField::kAlternatives ? 1000
                    : field == NewProblemField::kCriteria   ? 12
                                                            : 20;
  if (!value || *value > limit) return "Number is too high";
  if (*value < 2) return "Number is too low";
  return std::nullopt;
}

bool NewProblemFieldAcceptsKey(char key) { return (key >= '0' && key <= '9') || key == '\b'; }

void New1Click(Workspace& ws, UserPort& port, NewProblemFields& fields,
               const NewProblemDialog& dialog) {
  RunCommand(port, [&] {
    if (!SaveChangesFirst(ws, port)) return;
    if (!dialog(fields)) return;
    struct Field {
      const std::string& text;
      NewProblemField kind;
      const char* assertion;
    };
    const Field order[] = {
        {fields.criteria, NewProblemField::kCriteria,
         "Assertion violated: No. Criteria is invalid"},
        {fields.alternatives, NewProblemField::kAlternatives,
         "Assertion violated: No. Actions is invalid"},
        {fields.categories, NewProblemField::kCategories,
         "Assertion violated: No. Categories is invalid"},
    };
    int values[3];
    for (int f = 0; f < 3; ++f) {
      const std::optional<int> value = ParseInteger(order[f].text);
      if (!value) {
        port.Error(order[f].assertion);
        return;
      }
      // The dialog checks each field as it is left; a value that got past it anyway
      // is refused here with the same message.
      if (const auto message = CheckNewProblemField(order[f].kind, order[f].text)) {
        port.Error(*message);
        return;
      }
      values[f] = *value;
    }
    // The limit of 12 criteria also keeps n below the 20 that no problem may reach.
    BuildNewProblem(ws, values[0], values[1], values[2]);
    ws.ResetResults();
    ClearResults(ws);
    ws.view.caption = kBareCaption;
  });
}

}  // namespace vido
