#include "model/new_problem.h"

#include <string>

#include "model/problem_layout.h"
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

}  // namespace vido
