#include "model/validation.h"

#include <optional>
#include <string>

#include "model/problem_layout.h"
#include "support/number_text.h"
#include "support/user_port.h"

namespace vido {

bool ValidateBounds(Workspace& ws, UserPort& port) {
  bool ok = true;
  Table& b = ws.BGrid;
  for (int c = 1; c <= ws.CriteriaCount + 1; ++c) {
    const std::string column = std::to_string(c);
    // Both bounds are compared as read, before the corrections below.
    const std::optional<double> lower = ParseReal(b.Cell(c, 1));
    const std::optional<double> upper = ParseReal(b.Cell(c, 2));
    if (!lower) {
      port.Error("Invalid lower bound in column " + column);
      ok = false;
    } else if (*lower < 0) {
      port.Error("Lower bound in column " + column + " was <0: changed it to 0");
      b.SetCell(c, 1, "0.0");
    }
    if (!upper) {
      port.Error("Invalid upper bound in column " + column);
      ok = false;
    } else if (*upper > 1) {
      port.Error("Upper bound in column " + column + " was >1: changed it to 1");
      b.SetCell(c, 2, "1.0");
    }
    if (lower && upper && *lower > *upper) {
      port.Error("Lower bound exceeds upper bound in column " + column);
      ok = false;
    }
  }
  return ok;
}

bool ValidateRhs(Workspace& ws, UserPort& port) {
  bool ok = true;
  Table& c = ws.CGrid;
  const int col = RhsCol(ws.CriteriaCount);
  for (int row = 2; row <= ws.ConstraintsCount; ++row) {
    const std::string number = std::to_string(row - 1);
    if (c.Cell(col, row).find_first_not_of(" \t") == std::string::npos) {
      c.SetCell(col, row, "0");
      continue;
    }
    const std::optional<double> rhs = ParseReal(c.Cell(col, row));
    if (!rhs) {
      port.Error("Invalid RHS is row " + number);
      ok = false;
    } else if (*rhs < 0) {
      port.Error("Negative RHS is row " + number);
      ok = false;
    }
  }
  return ok;
}

namespace {

// What is wrong with one action's example, or nothing.
std::optional<std::string> ExampleFault(const Workspace& ws, int row) {
  const int k = ws.CategoriesCount;
  const std::string& low_text = ws.AGrid.Cell(kELowCol, row);
  const std::string& high_text = ws.AGrid.Cell(kEHighCol, row);
  const std::optional<int> low = ParseInteger(low_text);
  const std::optional<int> high = ParseInteger(high_text);
  // Outside 1..K an example names no category: no profile bounds it from below or above.
  if (!low || *low < 1 || *low > k) {
    return Format("lower category %s is not a category from 1 to %d", low_text.c_str(), k);
  }
  if (!high || *high < 1 || *high > k) {
    return Format("upper category %s is not a category from 1 to %d", high_text.c_str(), k);
  }
  if (*low > *high) return Format("lower category %d exceeds upper category %d", *low, *high);
  return std::nullopt;
}

}  // namespace

bool ValidateExamples(const Workspace& ws, UserPort& port) {
  int faults = 0;
  for (int row = 1; row <= ws.ActionsCount; ++row) {
    const std::optional<std::string> fault = ExampleFault(ws, row);
    if (!fault) continue;
    if (++faults > kExampleMessagesShown) continue;
    const std::string& name = ws.AGrid.Cell(kActionNameCol, row);
    const std::string action = name.find_first_not_of(" \t") == std::string::npos
                                   ? Format("the action in row %d", row)
                                   : name;
    port.Error("Invalid assignment example of " + action + ": " + *fault);
  }
  if (faults > kExampleMessagesShown) {
    port.Error(Format("%d more actions have an invalid assignment example",
                      faults - kExampleMessagesShown));
  }
  return faults == 0;
}

namespace {

std::string Place(const char* tab, const Table& t, int col, int row) {
  std::string place = std::string(tab) + ", row " + std::to_string(row);
  if (!t.Cell(0, row).empty()) place += " (" + t.Cell(0, row) + ")";
  place += ", column " + (t.Cell(col, 0).empty() ? std::to_string(col) : t.Cell(col, 0));
  return place;
}

}  // namespace

std::optional<std::string> UnreadableNumberCell(const Workspace& ws) {
  const int n = ws.CriteriaCount;
  const int k = ws.CategoriesCount;
  // Cell by cell in the order the file holds them; `integer` cells need whole numbers,
  // `optional` ones may be empty.
  auto check = [](const char* tab, const Table& t, int col, int row, bool integer,
                  bool optional) -> std::optional<std::string> {
    const std::string& text = t.Cell(col, row);
    if (optional && text.empty()) return std::nullopt;
    if (integer ? ParseInteger(text).has_value() : ParseReal(text).has_value()) {
      return std::nullopt;
    }
    return (integer ? NotIntegerMessage(text) : NotRealMessage(text)) + "\n" +
           Place(tab, t, col, row);
  };
  for (int j = 1; j <= n; ++j) {
    if (auto m = check("Fixed Par.", ws.FGrid, j, DirectionRow(k), true, false)) return m;
  }
  for (int h = 1; h < k; ++h) {
    for (int offset = 0; offset < kProfileBlockRows; ++offset) {
      for (int j = 1; j <= n; ++j) {
        if (auto m = check("Fixed Par.", ws.FGrid, j, ProfileRow(h, offset), false, false)) {
          return m;
        }
      }
    }
  }
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    for (int col : {kELowCol, kEHighCol}) {
      if (auto m = check("Actions", ws.AGrid, col, i, true, false)) return m;
    }
    for (int j = 1; j <= n; ++j) {
      if (auto m = check("Actions", ws.AGrid, PerformanceCol(j), i, false, false)) return m;
    }
  }
  for (int row = 1; row <= 2; ++row) {
    for (int col = 1; col <= n + 1; ++col) {
      if (auto m = check("Bounds", ws.BGrid, col, row, false, false)) return m;
    }
  }
  for (int row = 2; row <= ws.ConstraintsCount; ++row) {
    for (int col = 1; col <= n + 1; ++col) {
      if (auto m = check("Constraints", ws.CGrid, col, row, false, true)) return m;
    }
    if (auto m = check("Constraints", ws.CGrid, RhsCol(n), row, false, true)) return m;
  }
  return std::nullopt;
}

}  // namespace vido
