#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "solver/factorization.h"
#include "solver/lp_engine.h"
#include "solver/perturbation.h"
#include "solver/presolve.h"
#include "support/engine_failure.h"
#include "support/support_routines.h"
#include "support/user_port.h"

namespace vido {

namespace {

// Step 3: lower := min(lower, upper) when upper + 1e-11 >= lower; otherwise the column
// is reported ("VECTOR : " name lower upper " **") and setup goes on.
void CheckBounds(LpEngine& engine) {
  bool infeasible = false;
  for (int32_t p = 1; p <= engine.column_count; ++p) {
    LpColumn& column = engine.Column(p);
    // A continuous column bounded on neither side ("MI" then "UP" 1e21, or the interface's
    // -1e21 lower bound with the default upper one) is a free column: it starts at the
    // artificial lower bound 0 and may go anywhere. Integer columns keep their bounds and
    // are refused by the search.
    if (column.kind == kStructural && !column.is_integer && column.lower < -kInfinite &&
        column.upper > kInfinite) {
      column.kind = kFreeStructural;
      column.lower = 0;
      column.upper = kNoBound;
      engine.flags.has_free_columns = true;
    }
    if (column.upper + kZeroTolerance >= column.lower) {
      column.lower = std::min(column.lower, column.upper);
    } else {
      engine.trace.TraceLine("VECTOR : " + PadLeft(column.name, 14) +
                             FixedText(column.lower, 14, 10) + FixedText(column.upper, 14, 10) +
                             " **");
      infeasible = true;
    }
  }
  if (infeasible) engine.trace.TraceLine("MODEL IS INFEASIBLE");
}

// A name for row i's logical that no column and no other row bears: the row's name,
// prefixed with character 255 (and cut to 25) as often as needed. `taken` holds the
// names given to rows in this pass, which the row table learns only when it is rebuilt.
std::string LogicalName(const LpEngine& engine, int32_t i, const std::set<std::string>& taken) {
  std::string name = engine.Row(i).name;
  for (int tries = 0; tries <= kNameLength; ++tries) {
    const int32_t row = LpFindRow(engine, name);
    if (LpLookupColumn(engine, name) == 0 && (row == 0 || row == i) && !taken.count(name)) {
      return name;
    }
    name = (std::string(1, static_cast<char>(255)) + name).substr(0, kNameLength);
  }
  return std::string();
}

// Step 7: one logical column per row, bearing the row's name, with one entry in it:
//   E: kind 3, +1, [0, 0];  G: kind 2, -1, [0, r or none];  L: kind 1, +1, [0, r or none];
//   N: kind 4, +1, [-1e21, none]; r is the row's "RANGE" entry when non-zero.
void AddLogicalColumns(LpEngine& engine) {
  std::set<std::string> renamed;
  const LpColumn& range = engine.Column(kRangeColumn);
  for (int32_t i = 1; i <= engine.row_count; ++i) {
    LpRow& row = engine.Row(i);
    const std::string name = LogicalName(engine, i, renamed);
    if (name.empty()) {
      const std::string message = "ROW " + row.name + " ALREADY DEFINED";
      ShowMessageText(*engine.port, message);
      throw EngineFailure(message);
    }
    if (name != row.name) {
      // The row takes the new name with its logical, so that the logical still bears the
      // row's name; the objective row's name follows.
      if (engine.objective_row_name == row.name) engine.objective_row_name = name;
      row.name = name;
      renamed.insert(name);
    }
    const int k = range.FindEntry(i);
    const double r = k >= 0 ? range.entries[k].value : 0.0;
    int8_t kind = kSlackOfE;
    double entry = 1;
    switch (row.type) {
      case kRowE:
        kind = kSlackOfE;
        break;
      case kRowG:
        kind = kSurplusOfG;
        entry = -1;
        break;
      case kRowL:
        kind = kSlackOfL;
        break;
      default:
        kind = kLogicalOfN;
        break;
    }
    const int32_t position = LpAppendColumn(engine, name, kind);
    LpAppendEntry(engine, position, i, entry);
    LpColumn& logical = engine.Column(position);
    if (kind == kSlackOfE) {
      logical.upper = 0;
    } else if (kind == kLogicalOfN) {
      logical.lower = -kNoBound;
    } else if (r != 0) {
      logical.upper = r;
    }
  }
  if (!renamed.empty()) LpRebuildHashTables(engine);
}

// Step 8: the m logicals (appended last) go to positions 1..m, the logical of row i to
// position i; the other columns follow in their previous order.
void PlaceLogicalsFirst(LpEngine& engine, int32_t structural_count) {
  auto first = engine.columns.begin() + 2;  // position 1
  std::rotate(first, first + structural_count, engine.columns.end());
  for (int32_t p = 1; p <= engine.column_count; ++p) {
    const LpColumn& column = engine.Column(p);
    if (column.hash_slot != 0) engine.column_hash[column.hash_slot] = p;
  }
}

// Step 9: walking up from the last row, every N row is swapped to the last unclaimed
// position; then the objective row is swapped to position m.
void ReorderRows(LpEngine& engine) {
  const int32_t m = engine.row_count;
  int32_t last = m;
  for (int32_t i = m; i >= 1; --i) {
    if (engine.Row(i).type != kRowN) continue;
    LpSwapRows(engine, i, last);
    --last;
  }
  const int32_t objective = LpFindRow(engine, engine.objective_row_name);
  if (objective != 0) LpSwapRows(engine, objective, m);
}

// Step 10: a non-basic free column enters the basis in p = its smallest row index (at
// most m) when p < m, in place of the logical of row p, which becomes non-basic. (The
// rows were reordered after the logicals were placed, so the column standing at position
// p may belong to another row, even to the objective row, whose logical must stay basic.)
void BringFreeColumnsIn(LpEngine& engine) {
  const int32_t m = engine.row_count;
  std::vector<int32_t> logical_of_row(m + 1, 0);
  for (int32_t q = 1; q <= m; ++q) {
    const LpColumn& column = engine.Column(q);
    if (column.kind != kStructural && column.kind != kFreeStructural && column.EntryCount() == 1) {
      logical_of_row[column.entries[0].row] = q;
    }
  }
  for (int32_t j = m + 1; j <= engine.column_count; ++j) {
    const LpColumn& column = engine.Column(j);
    if (column.kind != kFreeStructural) continue;
    int32_t p = m;
    for (const LpEntry& entry : column.entries) p = std::min(p, entry.row);
    if (p >= m || logical_of_row[p] == 0) continue;
    LpSwapColumns(engine, j, logical_of_row[p]);
    logical_of_row[p] = 0;
  }
}

// Step 12: "R m C n <>0 nnz density %  > nG = nE < nL",
// density = nnz * 100 / m / (all columns).
void TraceStatistics(LpEngine& engine, int64_t nonzeros) {
  const int32_t m = engine.row_count;
  int32_t structural = 0;
  for (int32_t p = 1; p <= engine.column_count; ++p) {
    const int8_t kind = engine.Column(p).kind;
    if (kind == kStructural || kind == kFreeStructural) ++structural;
  }
  int32_t g = 0, e = 0, l = 0;
  for (int32_t i = 1; i <= m; ++i) {
    const int8_t type = engine.Row(i).type;
    g += type == kRowG;
    e += type == kRowE;
    l += type == kRowL;
  }
  const double density = (m > 0 && engine.column_count > 0)
                             ? static_cast<double>(nonzeros) * 100.0 / m / engine.column_count
                             : 0.0;
  engine.trace.TraceLine("R " + IntText(m) + " C " + IntText(structural) + " <>0 " +
                         IntText(nonzeros) + " " + FixedText(density, 5, 2) + " %  > " +
                         IntText(g) + " = " + IntText(e) + " < " + IntText(l));
}

}  // namespace

bool LpSetup(LpEngine& engine) {
  if (!engine.flags.loaded) return false;
  if (engine.flags.setup_done) return true;

  // 1. Presolve on request.
  if (engine.settings.tight) LpPresolve(engine);

  // 2. Phase-1 penalty, no perturbation, candidate lists of up to 30000 columns.
  engine.iter.penalty = 1e10;
  engine.flags.perturbation_mode = 0;
  engine.iter.candidate_limit = 30000;
  engine.settings.pricing = 30000;

  // 3. Bound check.
  CheckBounds(engine);

  // 4. Non-zeros, objective entries included.
  int64_t nonzeros = 0;
  for (int32_t p = 1; p <= engine.column_count; ++p) nonzeros += engine.Column(p).EntryCount();

  // 5. Room for the logicals.
  const int32_t m = engine.row_count;
  if (engine.column_count + m > kMaxSetupColumns) {
    const std::string message = " FATAL ERROR\nMAXcolumn TOO SMALL";
    ShowMessageText(*engine.port, message);
    LpRelease(engine);
    throw EngineFailure(message);
  }

  // 6. Names with blanks are reported; nothing else happens to them.
  for (int32_t p = 1; p <= engine.column_count; ++p) {
    const std::string& name = engine.Column(p).name;
    if (name.find(' ') != std::string::npos) {
      ShowMessageText(*engine.port, "Var " + name + " Has Spaces");
    }
  }

  // 7. and 8. Logical columns, placed as the initial all-logical basis.
  const int32_t structural_count = engine.column_count;
  AddLogicalColumns(engine);
  PlaceLogicalsFirst(engine, structural_count);

  // 9. to 11. Row order, free columns, statuses.
  ReorderRows(engine);
  if (engine.flags.has_free_columns) BringFreeColumnsIn(engine);
  for (int32_t p = 1; p <= engine.column_count; ++p) {
    engine.Column(p).status = p <= m ? kBasic : kAtLower;
  }

  // 12. and 13. Statistics line; the work vectors.
  TraceStatistics(engine, nonzeros);
  engine.y.assign(m + 1, 0.0);
  engine.alpha.assign(m + 1, 0.0);
  engine.xB.assign(m + 1, 0.0);

  // 14. Perturbation of the right-hand sides; an empty eta file.
  LpPerturb(engine, 1);
  engine.eta = LpEtaFile{};
  engine.eta.created = true;
  engine.eta.capacity = std::min(8 * m, 65535);

  // 15. The first factorisation (SEAM: see factorization.cpp; not available yet).
  if (!LpInversion(engine)) return false;
  engine.flags.setup_done = true;
  return true;
}

}  // namespace vido
