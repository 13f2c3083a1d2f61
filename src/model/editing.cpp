#include "model/editing.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "model/menu_rules.h"
#include "model/new_problem.h"
#include "model/problem_layout.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

struct Answer {
  int value;
  std::string text;
};

std::optional<Answer> AskNumberText(UserPort& port, const std::string& title,
                                    const std::string& prompt, int low, int high) {
  for (;;) {
    const std::optional<std::string> text = port.QueryText(title, prompt, "");
    if (!text) return std::nullopt;
    const std::optional<int> value = ParseInteger(*text);
    if (value && *value >= low && *value <= high) return Answer{*value, *text};
  }
}

void MarkEdited(Workspace& ws) {
  ws.DataModified = true;
  ws.ResetResults();
}

// The assignment examples (ELow, EHigh) of every action, read before anything changes
// so that a cell that does not convert leaves the problem as it was.
std::vector<std::pair<int, int>> ReadExamples(const Workspace& ws) {
  std::vector<std::pair<int, int>> ranges;
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    ranges.emplace_back(ws.AGrid.Integer(kELowCol, i), ws.AGrid.Integer(kEHighCol, i));
  }
  return ranges;
}

void WriteExamples(Workspace& ws, const std::vector<std::pair<int, int>>& ranges) {
  for (int i = 1; i <= static_cast<int>(ranges.size()); ++i) {
    ws.AGrid.SetInteger(kELowCol, i, ranges[i - 1].first);
    ws.AGrid.SetInteger(kEHighCol, i, ranges[i - 1].second);
  }
}

// Copies the criterion cells of profile block `from` over block `to`.
void CopyBlock(Table& f, int from, int to, int criteria) {
  for (int offset = 0; offset < kProfileBlockRows; ++offset) {
    for (int j = 1; j <= criteria; ++j) {
      f.SetCell(j, ProfileRow(to, offset), f.Cell(j, ProfileRow(from, offset)));
    }
  }
}

// Moves the data rows (from `first_row` down) of the columns after `col` one column to
// the left, over `col`, and drops the last column.
void RemoveColumn(Table& t, int col, int first_row) {
  for (int row = first_row; row < t.RowCount(); ++row) {
    for (int c = col; c + 1 < t.ColCount(); ++c) t.SetCell(c, row, t.Cell(c + 1, row));
  }
  t.SetColCount(t.ColCount() - 1);
}

// Criterion names follow their data when a criterion is deleted; a default name "g%d"
// is renumbered with its new position, so default names stay without a gap.
void ShiftCriterionNames(Table& t, int first_col, int j, int criteria) {
  for (int p = j; p < criteria; ++p) {
    const std::string name = t.Cell(first_col + p + 1, 0);
    t.SetCell(first_col + p, 0, name == Format("g%d", p + 1) ? Format("g%d", p) : name);
  }
}

}  // namespace

std::optional<int> AskNumber(UserPort& port, const std::string& title, const std::string& prompt,
                             int low, int high) {
  const std::optional<Answer> answer = AskNumberText(port, title, prompt, low, high);
  if (!answer) return std::nullopt;
  return answer->value;
}

void InsertCatClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!MenuRules(ws).split) return;
    const int k = ws.CategoriesCount;
    const int n = ws.CriteriaCount;
    const std::optional<int> v = AskNumber(port, "", "Split category No.:", 1, k);
    if (!v) return;
    // One more would make a file that cannot be read back.
    if (k >= kMaxCategories) {
      port.Error("Number is too high");
      return;
    }
    auto ranges = ReadExamples(ws);
    Table& f = ws.FGrid;
    f.SetRowCount(FGridRowCount(k + 1));
    f.MoveRow(DirectionRow(k), DirectionRow(k + 1));
    // The new profile at position v starts as a copy of b_(v-1) (of b_1 for v = 1).
    for (int i = k - 1; i >= std::max(*v - 1, 1); --i) CopyBlock(f, i, i + 1, n);
    LabelProfileBlock(f, k);
    for (auto& [low, high] : ranges) {
      if (low > *v) ++low;
      if (high >= *v) ++high;
    }
    WriteExamples(ws, ranges);
    ws.CategoriesCount = k + 1;
    MarkEdited(ws);
  });
}

void DeleteCatClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!MenuRules(ws).merge) return;
    if (!port.Confirm("Are you sure you want to merge two categories?")) return;
    const int k = ws.CategoriesCount;
    const int n = ws.CriteriaCount;
    const std::optional<int> v = AskNumber(port, "", "Merge the categories from No. :", 1, k - 1);
    if (!v) return;
    auto ranges = ReadExamples(ws);
    Table& f = ws.FGrid;
    for (int i = *v; i <= k - 2; ++i) CopyBlock(f, i + 1, i, n);
    f.MoveRow(DirectionRow(k), DirectionRow(k - 1));
    f.SetRowCount(FGridRowCount(k - 1));
    for (auto& [low, high] : ranges) {
      if (low > *v) --low;
      if (high > *v) --high;
    }
    WriteExamples(ws, ranges);
    ws.CategoriesCount = k - 1;
    MarkEdited(ws);
  });
}

void InsertCritClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!MenuRules(ws).insert_criterion) return;
    if (ws.CriteriaCount >= kMaxCriteria) {
      port.Error("Maximum number of criteria exceeded");
      return;
    }
    const int n = ws.CriteriaCount + 1;
    const std::string name = Format("g%d", n);
    const std::string weight = Format("k%d", n);

    Table& f = ws.FGrid;
    f.SetColCount(1 + n);
    f.SetCell(n, 0, name);
    for (int row = 1; row < f.RowCount(); ++row) f.SetCell(n, row, "0");
    f.SetCell(n, DirectionRow(ws.CategoriesCount), "1");

    Table& a = ws.AGrid;
    a.SetColCount(3 + n);
    a.SetCell(PerformanceCol(n), 0, name);
    for (int i = 1; i <= ws.ActionsCount; ++i) a.SetCell(PerformanceCol(n), i, "0");

    // The new weight is fixed at 0 until the user raises its upper bound.
    Table& b = ws.BGrid;
    b.SetColCount(n + 2);
    b.SetCell(1 + n, 0, weight);
    b.SetCell(1 + n, 1, "0");
    b.SetCell(1 + n, 2, "0");

    Table& c = ws.CGrid;
    c.SetColCount(n + 4);
    for (int row = 0; row < c.RowCount(); ++row) {
      c.SetCell(RhsCol(n), row, c.Cell(SignCol(n), row));
      c.SetCell(SignCol(n), row, c.Cell(1 + n, row));
      c.SetCell(1 + n, row, row == 0 ? weight : row == 1 ? "1" : "0");
    }
    ws.CriteriaCount = n;
    MarkEdited(ws);
  });
}

void DeleteCritClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!MenuRules(ws).delete_criterion) return;
    const int n = ws.CriteriaCount;
    const std::optional<int> j = AskNumber(port, "", "Delete criterion No.:", 1, n);
    if (!j) return;
    ShiftCriterionNames(ws.FGrid, 0, *j, n);
    RemoveColumn(ws.FGrid, *j, 1);
    ShiftCriterionNames(ws.AGrid, PerformanceCol(0), *j, n);
    RemoveColumn(ws.AGrid, PerformanceCol(*j), 1);
    RemoveColumn(ws.BGrid, 1 + *j, 1);
    RemoveColumn(ws.CGrid, 1 + *j, 1);
    ws.CGrid.SetCell(SignCol(n - 1), 0, "<,=,>");
    ws.CGrid.SetCell(RhsCol(n - 1), 0, "RHS");
    ws.CriteriaCount = n - 1;
    MarkEdited(ws);
  });
}

void InsertActClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!MenuRules(ws).insert_action) return;
    const int m = ws.ActionsCount;
    if (m >= kMaxActions) {
      port.Error("Number is too high");
      return;
    }
    Table& a = ws.AGrid;
    // Named after the last action plus 1; the first action of an empty list is "0". After
    // a name that is no whole number (most problems name their actions) the new one is the
    // number of actions, or the next number up that no action bears.
    long long name = 0;
    if (m > 0) {
      const std::optional<int> last = ParseInteger(a.Cell(kActionNameCol, m));
      if (last) {
        name = static_cast<long long>(*last) + 1;
      } else {
        name = m + 1;
        auto taken = [&](long long candidate) {
          for (int i = 1; i <= m; ++i) {
            if (a.Cell(kActionNameCol, i) == std::to_string(candidate)) return true;
          }
          return false;
        };
        while (taken(name)) ++name;
      }
    }
    a.SetRowCount(m + 2);
    a.SetCell(kActionNameCol, m + 1, std::to_string(name));
    a.SetCell(kELowCol, m + 1, "1");
    a.SetInteger(kEHighCol, m + 1, ws.CategoriesCount);
    for (int j = 1; j <= ws.CriteriaCount; ++j) a.SetCell(PerformanceCol(j), m + 1, "0");
    ws.ActionsCount = m + 1;
    MarkEdited(ws);
  });
}

void DeleteActClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!MenuRules(ws).delete_action) return;
    const std::optional<Answer> answer =
        AskNumberText(port, "", "Delete action No.:", 1, std::numeric_limits<int>::max());
    if (!answer) return;
    const int m = ws.ActionsCount;
    Table& a = ws.AGrid;
    // The action of that name (a name read as a number: "07" is 7), else the one at that
    // position: names need not be numbers.
    int found = 0;
    for (int i = 1; i <= m && found == 0; ++i) {
      const std::optional<int> name = ParseInteger(a.Cell(kActionNameCol, i));
      if (name && *name == answer->value) found = i;
    }
    if (found == 0 && answer->value >= 1 && answer->value <= m) found = answer->value;
    if (found == 0) {
      port.Error("Action " + answer->text + " not found");
      return;
    }
    for (int row = found; row < m; ++row) a.MoveRow(row + 1, row);
    a.SetRowCount(m);
    ws.ActionsCount = m - 1;
    MarkEdited(ws);
  });
}

void EraseexamplesClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!ws.HasProblem()) return;
    if (!port.Confirm("Do you really want to erase all assignment examples?")) return;
    for (int i = 1; i <= ws.ActionsCount; ++i) {
      ws.AGrid.SetCell(kELowCol, i, "1");
      ws.AGrid.SetInteger(kEHighCol, i, ws.CategoriesCount);
    }
    ws.ResetResults();
  });
}

void InsertConsClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!MenuRules(ws).insert_constraint) return;
    const int n = ws.CriteriaCount;
    const int row = ++ws.ConstraintsCount;
    Table& c = ws.CGrid;
    c.SetRowCount(row + 1);
    // Labelled as the file numbers the additional constraints ("Norm" is row 1), so that
    // "Delete constraint No." finds the row of its label.
    c.SetCell(0, row, Format("ad%d", row - 1));
    for (int col = 1; col <= n + 1; ++col) c.SetCell(col, row, "0");
    c.SetCell(SignCol(n), row, "<=");
    c.SetCell(RhsCol(n), row, "0");
    MarkEdited(ws);
  });
}

void DeleteConsClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!MenuRules(ws).delete_constraint) return;
    const int count = ws.ConstraintsCount;
    const std::optional<int> number =
        AskNumber(port, "Delete Constraint", "Delete constraint No.:", 1, count - 1);
    if (!number) return;
    Table& c = ws.CGrid;
    // The labels in column 0 stay where they are.
    for (int row = *number + 1; row < count; ++row) {
      for (int col = 1; col < c.ColCount(); ++col) c.SetCell(col, row, c.Cell(col, row + 1));
    }
    c.SetRowCount(count);
    ws.ConstraintsCount = count - 1;
    MarkEdited(ws);
  });
}

}  // namespace vido
