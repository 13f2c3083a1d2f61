#include "solver/lp_engine.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "support/engine_failure.h"
#include "support/engine_folder.h"
#include "support/support_routines.h"
#include "support/user_port.h"

namespace vido {

namespace {

unsigned Code(const std::string& name, size_t k) {
  return k < name.size() ? static_cast<unsigned char>(name[k]) : 0u;
}

// Shows an internal failure and unwinds the solve.
[[noreturn]] void Fail(LpEngine& engine, const std::string& message) {
  if (engine.port != nullptr) ShowMessageText(*engine.port, message);
  throw EngineFailure(message);
}

// Walks the probe sequence of `name` until `matches` accepts the slot's content or the
// slot is empty; returns that slot. The step of a name may share a factor with the table
// size, so its cycle can be shorter than the table: when the walk comes back to where
// the cycle began without meeting an empty slot, it moves one slot on and walks the next
// cycle with the same step. The cycles together cover every slot, and the engine's
// limits always leave some slot empty.
template <typename Matches>
int32_t Probe(const std::vector<int32_t>& table, const std::string& name, Matches matches) {
  int32_t slot = LpHashHome(name);
  int32_t cycle_start = slot;
  for (int64_t steps = 0; steps < 2 * static_cast<int64_t>(kHashSlots) + 2; ++steps) {
    const int32_t content = table[slot];
    if (content == 0 || matches(content)) return slot;
    slot = LpHashNext(name, slot);
    if (slot == cycle_start) {
      slot = slot % kHashSlots + 1;
      cycle_start = slot;
    }
  }
  return 0;  // table full; excluded by the limits
}

int32_t ProbeRow(const LpEngine& engine, const std::string& name) {
  return Probe(engine.row_hash, name,
               [&](int32_t index) { return engine.rows[index]->name == name; });
}

int32_t ProbeColumn(const LpEngine& engine, const std::string& name) {
  return Probe(engine.column_hash, name,
               [&](int32_t position) { return engine.Column(position).name == name; });
}

std::string CutName(const std::string& name) { return name.substr(0, kNameLength); }

void AddPseudoColumns(LpEngine& engine) {
  engine.columns.clear();
  for (const char* name : {"RANGE", "RHS"}) {
    auto column = std::make_unique<LpColumn>();
    column->name = name;
    engine.columns.push_back(std::move(column));
  }
  engine.column_count = 0;
}

// Model, work vectors, eta file, counters and flags back to the empty state.
void EmptyModel(LpEngine& engine) {
  engine.rows.clear();
  engine.rows.push_back(nullptr);
  engine.row_count = 0;
  engine.row_hash.assign(kHashSlots + 1, 0);
  engine.column_hash.assign(kHashSlots + 1, 0);
  AddPseudoColumns(engine);
  engine.y.clear();
  engine.alpha.clear();
  engine.xB.clear();
  engine.eta = LpEtaFile{};
  engine.factor = LpFactorState{};
  engine.iter = LpIterationState{};
  const bool maximise = engine.flags.maximise;
  const bool non_interactive = engine.flags.non_interactive;
  engine.flags = LpFlags{};
  engine.flags.maximise = maximise;
  engine.flags.non_interactive = non_interactive;
  engine.search.HasIntegerSolution = false;
  engine.search.UpperValue = 1e30;
  engine.search.LowerValue = -1e30;
}

// Appends (row, value) to a column, growing its list by kEntryGrowth.
void AppendEntry(LpEngine& engine, LpColumn& column, int32_t row, double value) {
  if (column.entries.size() == column.entries.capacity()) {
    column.entries.reserve(column.entries.capacity() + kEntryGrowth);
  }
  column.entries.push_back({row, value});
  ++engine.Row(row).entry_count;
}

// Sets, overwrites or removes the entry of `row` in the column at `position`.
//   value = 0 with no entry: nothing; |value| < 1e-11 on an entry: the entry goes (the
//   last one takes its place); otherwise the value is stored.
void SetColumnEntry(LpEngine& engine, int32_t position, int32_t row, double value) {
  LpColumn& column = engine.Column(position);
  const int index = column.FindEntry(row);
  if (index >= 0) {
    if (std::fabs(value) < kZeroTolerance) {
      column.entries[index] = column.entries.back();
      column.entries.pop_back();
      --engine.Row(row).entry_count;
    } else {
      column.entries[index].value = value;
    }
    return;
  }
  if (value != 0) AppendEntry(engine, column, row, value);
}

int32_t RequireRow(LpEngine& engine, const std::string& row_name) {
  const int32_t row = LpFindRow(engine, row_name);
  if (row == 0) Fail(engine, "Row not defined");
  return row;
}

}  // namespace

int LpColumn::FindEntry(int32_t row) const {
  for (size_t k = 0; k < entries.size(); ++k) {
    if (entries[k].row == row) return static_cast<int>(k);
  }
  return -1;
}

// h = sum over the name's bytes c_k of c_k << s_k, s_k = k for odd k and k + 1 for even
// k (32-bit wrapping); home = (h mod 131070, made non-negative) + 1.
int32_t LpHashHome(const std::string& name) {
  uint32_t h = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned k = static_cast<unsigned>(i) + 1;
    const unsigned shift = (k % 2 == 1) ? k : k + 1;
    h += static_cast<uint32_t>(Code(name, i)) << (shift & 31u);
  }
  int32_t r = static_cast<int32_t>(h) % kHashSlots;
  if (r < 0) r += kHashSlots;
  return r + 1;
}

// next = ((slot + 10 c1 + c2) mod 131070) + 1; a one-character name uses c2 = 0.
int32_t LpHashNext(const std::string& name, int32_t slot) {
  const int32_t step = static_cast<int32_t>(10 * Code(name, 0) + Code(name, 1));
  return (slot + step) % kHashSlots + 1;
}

void LpCreate(LpEngine& engine, UserPort& port) {
  LpRelease(engine);
  engine.port = &port;
  engine.parameters = std::make_unique<ParameterTable>(port);
  ParameterTable& p = *engine.parameters;
  p.LoadDefaultParameters();
  LpSettings& s = engine.settings;
  s.iteration_log = p.IntegerParameter("ITERLOG");
  s.log_file = p.BooleanParameter("LOGFILE");
  s.pricing = p.IntegerParameter("PRICING");
  s.integer_crit = p.RealParameter("INTEGER-CRIT");
  s.min_nodes = p.IntegerParameter("MIN-NODES");
  s.basis_interval = p.IntegerParameter("BASIS-INTERVALL");
  s.dj_min = p.RealParameter("DJ-MIN");
  s.max_iter = p.IntegerParameter("MAXITER");
  s.max_time = p.IntegerParameter("MAXTIME");
  s.lo_limit = p.RealParameter("LO-LIMIT");
  s.up_limit = p.RealParameter("UP-LIMIT");
  s.max_memory_mb = p.RealParameter("MAXMEMORY[MB]");
  s.tight = p.BooleanParameter("TIGHT");
  s.assess_pse = p.BooleanParameter("ASSESS-PSE");
  s.restart = p.BooleanParameter("RESTART");
  s.pse = p.BooleanParameter("PSE");
  s.strat1 = p.IntegerParameter("STRAT-1");
  s.strat2 = p.IntegerParameter("STRAT-2");
  s.strat3 = p.BooleanParameter("STRAT-3");
  s.printer = p.TextParameter("DRUCKER");
  s.destination = p.TextParameter("DESTINATION");
  s.format = p.TextParameter("FORMAT");
  s.pitch = p.IntegerParameter("PITCH");
  s.margin = p.IntegerParameter("RAND");
  s.lines_per_page = p.IntegerParameter("LINES-PER-PAGE");
  s.lines_per_inch = p.IntegerParameter("LINES-PER-INCH");
  engine.iter.candidate_limit = s.pricing;
  engine.search.StrategyShare1 = static_cast<uint8_t>(std::clamp(s.strat1, 0, 255));
  engine.search.StrategyShare2 = static_cast<uint8_t>(std::clamp(s.strat2, 0, 255));

  // The log goes where the user asked for one (and is then on), else into the
  // engine's own folder.
  if (!SolverLogFile().empty()) s.log_file = true;
  EmptyModel(engine);
  engine.trace.Activate(port,
                        SolverLogFile().empty() ? EngineFolder() + "LP.LOG" : SolverLogFile());
}

void LpClear(LpEngine& engine) {
  // Also clears a model that was being built but never marked loaded, so that nothing of
  // it survives into the next one.
  if (!engine.flags.loaded && engine.row_count == 0 && engine.column_count == 0) return;
  EmptyModel(engine);
}

void LpRelease(LpEngine& engine) { engine = LpEngine{}; }

bool LpDefineRow(LpEngine& engine, const std::string& name, char type) {
  const std::string row_name = CutName(name);
  int8_t row_type = kRowN;
  switch (type) {
    case 'E':
      row_type = kRowE;
      break;
    case 'G':
      row_type = kRowG;
      break;
    case 'L':
      row_type = kRowL;
      break;
    case 'N':
      row_type = kRowN;
      break;
    default:
      ShowMessageText(*engine.port,
                      std::string("Unknown Row Type ") + type + " at row " + row_name);
      return false;
  }
  std::string failure;
  if (LpFindRow(engine, row_name) != 0) {
    failure = "ROW " + row_name + " ALREADY DEFINED";
  } else if (engine.row_count >= kMaxRows) {
    failure = "MAXROWS IST ZU KLEIN";
  }
  if (!failure.empty()) {
    ShowMessageText(*engine.port, failure);
    EmptyModel(engine);
    engine.flags.unfinished = true;
    return false;
  }
  auto row = std::make_unique<LpRow>();
  row->name = row_name;
  row->type = row_type;
  const int32_t slot = ProbeRow(engine, row_name);
  row->hash_slot = slot;
  engine.rows.push_back(std::move(row));
  ++engine.row_count;
  engine.row_hash[slot] = engine.row_count;
  return true;
}

int32_t LpFindRow(const LpEngine& engine, const std::string& name) {
  if (engine.row_hash.empty()) return 0;
  const int32_t slot = ProbeRow(engine, CutName(name));
  return slot == 0 ? 0 : engine.row_hash[slot];
}

int32_t LpLookupColumn(const LpEngine& engine, const std::string& name) {
  if (engine.column_hash.empty()) return 0;
  const int32_t slot = ProbeColumn(engine, CutName(name));
  return slot == 0 ? 0 : engine.column_hash[slot];
}

int32_t LpFindColumn(LpEngine& engine, const std::string& name, int8_t kind) {
  const std::string column_name = CutName(name);
  const int32_t slot = ProbeColumn(engine, column_name);
  if (engine.column_hash[slot] != 0) return engine.column_hash[slot];
  if (engine.column_count + 1 > kMaxColumnPositions) {
    Fail(engine, " FATAL ERROR\nMAXcolumn TOO SMALL");
  }
  return LpAppendColumn(engine, column_name, kind);
}

int32_t LpAppendColumn(LpEngine& engine, const std::string& name, int8_t kind) {
  auto column = std::make_unique<LpColumn>();
  column->name = CutName(name);
  column->kind = kind;
  column->hash_slot = ProbeColumn(engine, column->name);
  column->entries.reserve(kEntryGrowth);
  const int32_t slot = column->hash_slot;
  engine.columns.push_back(std::move(column));
  ++engine.column_count;
  engine.column_hash[slot] = engine.column_count;
  return engine.column_count;
}

void LpAppendEntry(LpEngine& engine, int32_t position, int32_t row, double value) {
  AppendEntry(engine, engine.Column(position), row, value);
}

// A zero value never creates a column. Beyond the usual rule (overwrite, or remove below
// 1e-11), an exact 0 also removes an existing entry: a caller setting a coefficient to
// zero must not keep the old one.
void LpSetElement(LpEngine& engine, const std::string& row_name, const std::string& column_name,
                  double value) {
  if (value == 0) {
    const int32_t position = LpLookupColumn(engine, column_name);
    const int32_t row = LpFindRow(engine, row_name);
    if (position != 0 && row != 0) SetColumnEntry(engine, position, row, value);
    return;
  }
  const int32_t position = LpFindColumn(engine, column_name);
  const int32_t row = RequireRow(engine, row_name);
  SetColumnEntry(engine, position, row, value);
}

void LpSetRhs(LpEngine& engine, const std::string& row_name, double value) {
  if (value == 0) {
    const int32_t row = LpFindRow(engine, row_name);
    if (row != 0) SetColumnEntry(engine, kRhsColumn, row, value);
    return;
  }
  SetColumnEntry(engine, kRhsColumn, RequireRow(engine, row_name), value);
}

void LpSetRange(LpEngine& engine, const std::string& row_name, double value) {
  if (value == 0) {
    const int32_t row = LpFindRow(engine, row_name);
    if (row != 0) SetColumnEntry(engine, kRangeColumn, row, value);
    return;
  }
  SetColumnEntry(engine, kRangeColumn, RequireRow(engine, row_name), value);
}

void LpSetBound(LpEngine& engine, const std::string& column_name, const std::string& type,
                double value) {
  LpColumn& column = engine.Column(LpFindColumn(engine, column_name));
  if (type == "UP") {
    column.upper = value;
  } else if (type == "LO") {
    column.lower = value;
  } else if (type == "FR") {
    column.kind = kFreeStructural;
    engine.flags.has_free_columns = true;
  } else if (type == "FX") {
    column.upper = value;
    column.lower = value;
  } else if (type == "MI") {
    column.lower = -kNoBound;
    column.upper = 0;
  } else if (type == "BV") {
    column.is_integer = true;
    column.pseudo_cost_up = kUnknownPseudoCost;
    column.pseudo_cost_down = kUnknownPseudoCost;
    column.upper = 1;
  } else if (type == "UI") {
    column.upper = std::min({value, column.upper, 300000.0});
    column.is_integer = true;
    column.pseudo_cost_up = kUnknownPseudoCost;
    column.pseudo_cost_down = kUnknownPseudoCost;
  } else {
    ShowMessageText(*engine.port, "Unknown Bound Type " + type + " at column " + column.name);
  }
}

double LpColumnValue(const LpEngine& engine, const std::string& column_name) {
  const int32_t position = LpLookupColumn(engine, column_name);
  return position == 0 ? 0 : engine.Column(position).value;
}

double LpIntegerValue(const LpEngine& engine, const std::string& column_name) {
  const int32_t position = LpLookupColumn(engine, column_name);
  if (position == 0) return 0;
  return std::nearbyint(static_cast<double>(engine.Column(position).integer_value));
}

// Objective row to position m; cost_j = a_mj * sign for structural and free columns,
// sign = +1 when maximising, -1 otherwise.
void LpSetObjectiveRow(LpEngine& engine) {
  const int32_t objective = RequireRow(engine, engine.objective_row_name);
  const int32_t m = engine.row_count;
  if (objective != m) LpSwapRows(engine, objective, m);
  const double sign = engine.flags.maximise ? 1.0 : -1.0;
  for (int32_t j = 1; j <= engine.column_count; ++j) {
    LpColumn& column = engine.Column(j);
    if (column.kind != kStructural && column.kind != kFreeStructural) continue;
    const int k = column.FindEntry(m);
    column.cost = k >= 0 ? column.entries[k].value * sign : 0.0;
  }
}

// A basic column at position p < m whose objective entry changes by delta changes the
// basis matrix to B' = B + delta e_m e_p^T. The logical of the objective row stands at
// position m with the column e_m, so B^-1 e_m = e_m and B'^-1 = (I - delta e_m e_p^T) B^-1:
// one more eta of pivot 1 at row p with the entry (m, delta), x_m -= delta x_p.
void LpSetCost(LpEngine& engine, LpColumn& column, double value) {
  const int32_t m = engine.row_count;
  const int k = column.FindEntry(m);
  const double old = k >= 0 ? column.entries[k].value : 0.0;
  if (k >= 0) {
    column.entries[k].value = value;
  } else if (value != 0) {
    AppendEntry(engine, column, m, value);
  }
  column.cost = value * (engine.flags.maximise ? 1.0 : -1.0);
  if (!engine.flags.setup_done || !engine.eta.created || value == old) return;
  const int32_t position = column.hash_slot != 0 ? engine.column_hash[column.hash_slot] : 0;
  if (position < 1 || position > m) return;  // non-basic: the matrix B is unchanged
  if (position == m || engine.Column(m).kind != kLogicalOfN ||
      engine.eta.Count() >= engine.eta.capacity) {
    engine.factor.stale = true;
    return;
  }
  engine.eta.StartEta();
  engine.eta.Add(position, 1.0);
  engine.eta.Add(m, value - old);
}

void LpSwapColumns(LpEngine& engine, int32_t p, int32_t q) {
  if (p == q) return;
  std::swap(engine.columns[p + 1], engine.columns[q + 1]);
  const LpColumn& at_p = engine.Column(p);
  const LpColumn& at_q = engine.Column(q);
  if (at_p.hash_slot != 0) engine.column_hash[at_p.hash_slot] = p;
  if (at_q.hash_slot != 0) engine.column_hash[at_q.hash_slot] = q;
}

void LpSwapRows(LpEngine& engine, int32_t i, int32_t j) {
  if (i == j) return;
  std::swap(engine.rows[i], engine.rows[j]);
  engine.row_hash[engine.Row(i).hash_slot] = i;
  engine.row_hash[engine.Row(j).hash_slot] = j;
  auto renumber = [i, j](LpEntry& entry) {
    if (entry.row == i) {
      entry.row = j;
    } else if (entry.row == j) {
      entry.row = i;
    }
  };
  for (int32_t p = kRangeColumn; p <= engine.column_count; ++p) {
    for (LpEntry& entry : engine.Column(p).entries) renumber(entry);
  }
  for (int32_t& row : engine.eta.rows) {
    if (row == i) {
      row = j;
    } else if (row == j) {
      row = i;
    }
  }
}

void LpRebuildHashTables(LpEngine& engine) {
  engine.row_hash.assign(kHashSlots + 1, 0);
  engine.column_hash.assign(kHashSlots + 1, 0);
  for (int32_t i = 1; i <= engine.row_count; ++i) {
    LpRow& row = engine.Row(i);
    row.hash_slot = ProbeRow(engine, row.name);
    engine.row_hash[row.hash_slot] = i;
  }
  for (int32_t p = 1; p <= engine.column_count; ++p) {
    LpColumn& column = engine.Column(p);
    column.hash_slot = ProbeColumn(engine, column.name);
    engine.column_hash[column.hash_slot] = p;
  }
}

}  // namespace vido
