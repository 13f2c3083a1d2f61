#ifndef VIDO_SOLVER_LP_ENGINE_H_
#define VIDO_SOLVER_LP_ENGINE_H_

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/parameter_table.h"
#include "support/trace_display.h"

namespace vido {

class UserPort;

// Sizes and limits of the engine's model.
inline constexpr int kMaxRows = 65535;              // objective row included
inline constexpr int kHashSlots = 131070;           // slots 1..kHashSlots of each name table
inline constexpr int kMaxColumnPositions = 131067;  // when a column is added
inline constexpr int kMaxSetupColumns = 131068;     // columns + rows at setup
inline constexpr int kNameLength = 25;              // longer row and column names are cut
inline constexpr double kNoBound = 1e21;            // the bound that stands for none
inline constexpr double kInfinite = 1e20;           // any magnitude above counts as infinite
inline constexpr double kZeroTolerance = 1e-11;
inline constexpr float kUnknownPseudoCost = 1e10f;
inline constexpr int kEntryGrowth = 5;

// Row types, stored as the engine writes them.
enum LpRowType : int8_t { kRowE = 0, kRowG = 1, kRowL = -1, kRowN = 2 };

// Column kinds.
enum LpColumnKind : int8_t {
  kStructural = 0,
  kSlackOfL = 1,
  kSurplusOfG = 2,
  kSlackOfE = 3,
  kLogicalOfN = 4,
  kFreeStructural = 5,
};

// Column status: non-basic at a bound, or basic and feasible / below / above.
inline constexpr int8_t kAtLower = -1;
inline constexpr int8_t kAtUpper = 1;
inline constexpr int8_t kBasic = 0;

struct LpEntry {
  int32_t row;
  double value;
};

// One entry of a row work list built during factorisation: where the entry lives.
struct LpRowWorkEntry {
  int32_t position;     // column position
  int32_t entry_index;  // index into that column's entries
  double value;
};

struct LpRow {
  std::string name;
  int8_t type = kRowN;
  int32_t entry_count = 1;  // 1 at creation, +1 per entry appended, -1 per entry removed
  int32_t hash_slot = 0;
  // Work lists, used only during a factorisation.
  std::vector<LpRowWorkEntry> work;
  int32_t active_count = 0;
};

struct LpColumn {
  std::vector<LpEntry> entries;  // non-zeros; the entry count is entries.size()
  int32_t hash_slot = 0;         // 0 for the pseudo-columns, which are not hashed
  std::string name;
  double lower = 0;
  double upper = kNoBound;
  double cost = 0;  // internal objective coefficient (LpSetObjectiveRow)
  double value = 0;
  double reduced_cost = 0;
  float pseudo_cost_up = 0;        // PseudoCostUp
  float pseudo_cost_down = 0;      // PseudoCostDown
  float integer_value = 0;         // value in the best integer solution
  float integer_reduced_cost = 0;  // reduced cost in the best integer solution
  bool is_integer = false;
  int8_t status = kAtLower;
  int8_t kind = kStructural;
  bool threshold = true;  // counts in the threshold statistics of the candidate scan
  bool parked = false;    // left out of the scans until the basis is feasible again
  int32_t work = -1;      // scratch index of a basic column during a factorisation

  int32_t EntryCount() const { return static_cast<int32_t>(entries.size()); }
  // Index of the entry in `row`, or -1.
  int FindEntry(int32_t row) const;
};

// The settings copied from the parameter table when the engine is created.
struct LpSettings {
  int32_t iteration_log = 0;      // ITERLOG
  bool log_file = false;          // LOGFILE
  int32_t pricing = 30000;        // PRICING (replaced by the candidate limit at setup)
  double integer_crit = 1e-7;     // INTEGER-CRIT
  int32_t min_nodes = 100;        // MIN-NODES
  int32_t basis_interval = 0;     // BASIS-INTERVALL
  double dj_min = -1e-6;          // DJ-MIN
  int32_t max_iter = 2000000000;  // MAXITER
  int32_t max_time = 2000000000;  // MAXTIME, seconds
  double lo_limit = -1e30;        // LO-LIMIT
  double up_limit = 1e30;         // UP-LIMIT
  double max_memory_mb = 30;      // MAXMEMORY[MB]
  bool tight = false;             // TIGHT
  bool assess_pse = true;         // ASSESS-PSE
  bool restart = true;            // RESTART
  bool pse = true;                // PSE
  int32_t strat1 = 90;            // STRAT-1
  int32_t strat2 = 100;           // STRAT-2
  bool strat3 = true;             // STRAT-3
  // Printer settings: kept, used by nothing.
  std::string printer;          // DRUCKER
  std::string destination;      // DESTINATION
  std::string format;           // FORMAT
  int32_t pitch = 20;           // PITCH
  int32_t margin = 3;           // RAND
  int32_t lines_per_page = 89;  // LINES-PER-PAGE
  int32_t lines_per_inch = 8;   // LINES-PER-INCH
};

// The product-form inverse: an ordered file of eta vectors. The first entry of an eta
// holds the pivot row and the reciprocal of the pivot, the others the rows and values
// of the transformed column.
struct LpEtaFile {
  bool created = false;
  int32_t capacity = 0;  // min(8 m, 65535), fixed at setup
  // All etas back to back, rows and values apart (BTRAN walks them for every pivot).
  std::vector<int32_t> rows;
  std::vector<double> values;
  std::vector<int32_t> starts;  // where each eta begins

  int32_t Count() const { return static_cast<int32_t>(starts.size()); }
  // Entries of all etas.
  int64_t Nonzeros() const { return static_cast<int64_t>(rows.size()); }
  int32_t Begin(int32_t k) const { return starts[k]; }
  int32_t End(int32_t k) const {
    return k + 1 < Count() ? starts[k + 1] : static_cast<int32_t>(rows.size());
  }
  void StartEta() { starts.push_back(static_cast<int32_t>(rows.size())); }
  void Add(int32_t row, double value) {
    rows.push_back(row);
    values.push_back(value);
  }
  void Clear() {
    rows.clear();
    values.clear();
    starts.clear();
  }
  // Keeps the first `count` etas.
  void Truncate(int32_t count) {
    if (count >= Count()) return;
    rows.resize(starts[count]);
    values.resize(starts[count]);
    starts.resize(count);
  }
};

// What the factorisation keeps between its runs.
struct LpFactorState {
  double smallest_pivot = 1e21;  // since the last INVERSION
  int32_t etas_since_inversion = 0;
  int32_t inversion_count = 0;
  double last_inversion_time = 0;
  // The cost of the last INVERSION and the FTRAN/BTRAN work since, both counted in eta
  // entries (not seconds: a rule on the clock made runs of one program differ).
  double inversion_duration = 0;
  mutable int64_t work_since_inversion = 0;
  double memory_estimate = 0;      // 12 x eta non-zeros + 12 x m bytes
  int64_t inversion_nonzeros = 0;  // of the file the last INVERSION wrote
  bool stale = false;              // the basis matrix changed beyond the file: INVERSION first
};

// Results of one iteration and the driver's bookkeeping.
struct LpIterationState {
  int32_t iteration_count = 0;  // since LpClear; branch-and-bound nodes accumulate
  int32_t entering = 0;         // position
  int32_t leaving = 0;          // basis position r, 0 for none
  int32_t step_code = 0;        // 1..5
  double theta = 0;
  double pivot_magnitude = 1;       // recorded by the ratio test
  std::vector<int32_t> infeasible;  // positions of infeasible basic variables
  int32_t n_inf = 0;                // nINF
  double inf_sum = 0;               // INF
  // INF below this counts as feasible. 1e-9 proved too tight: removing the right-hand-
  // side perturbation at a degenerate optimum leaves violations of a few 1e-10 on many
  // basic variables, which the composite phase 1 could not always drive out, and a
  // feasible program was then reported infeasible. 1e-7 is the usual primal feasibility
  // tolerance; the integer search tightens it where that is not enough.
  double feasible_sum = 1e-7;
  double objective = 0;  // -xB[m]
  int32_t candidate_count = 0;
  int32_t candidate_limit = 30000;
  double threshold = 0;  // acceptance threshold thr
  double history[10] = {};
  double most_negative_dj = 0;  // of the last scan
  std::vector<int32_t> rejected;
  int32_t progress_mark = 0;
  int32_t stall_count = 0;
  int32_t restart_count = 0;
  double penalty = 1e10;        // phase-1 penalty
  double leaving_limit = 0;     // bound the leaving variable goes to (ratio test)
  int8_t leaving_status = -1;   // and the status it leaves with
  int32_t accepted_pivots = 0;  // since the threshold flags were last reset
  bool rejections_happened = false;
  int32_t candidates_shown_at = -1000;  // iteration of the last candidate-count display
  int32_t parked_count = 0;             // columns parked for an unbounded step while infeasible
};

struct LpFlags {
  bool loaded = false;
  bool setup_done = false;
  bool unbounded = false;
  bool unfinished = false;
  bool numerical_trouble = false;
  bool limit_reached = false;
  bool cancelled = false;  // the user asked to stop
  bool has_free_columns = false;
  bool non_interactive = false;
  bool maximise = true;          // objective sign: +1 when set
  int8_t perturbation_mode = 0;  // 0 none, 1 RHS shifted, 2 and equality slacks widened
};

// Search state of the branch-and-bound (held here so that every engine part reads it).
struct LpSearchState {
  double LowerValue = -1e30;
  double UpperValue = 1e30;
  double BestOpenBound = 0;
  double RootObjective = 0;
  double BaseObjective = 0;
  int32_t SearchedNodes = 0;
  int32_t IncumbentNode = 0;
  int32_t WaitingCount = 0;
  int32_t SwappedCount = 0;
  int32_t WaitingLimit = 1073741824;
  int32_t TieCount = 0;
  int32_t PseudoCostInits = 0;
  int32_t CutCount = 0;
  bool HasIntegerSolution = false;
  bool InSearch = false;  // the engine's quiet mode
  bool NodeCut = false;
  uint8_t StrategyShare1 = 90;
  uint8_t StrategyShare2 = 100;
};

// The one engine instance of a solve. Filled only through the operations below. After
// setup, positions 1..m of the column array hold the basis (the logical of row i at
// position i to begin with) and positions m+1.. the non-basic columns; the objective
// row is row m. Every swap of columns or rows goes through LpSwapColumns / LpSwapRows,
// which keep the name tables and the row indices of entries and etas in step.
struct LpEngine {
  UserPort* port = nullptr;
  std::unique_ptr<ParameterTable> parameters;
  LpSettings settings;
  TraceDisplay trace;

  std::string problem_name;
  std::string objective_row_name = "OBJ";

  // Rows 1..row_count (index 0 unused) and their name table.
  std::vector<std::unique_ptr<LpRow>> rows;
  int32_t row_count = 0;          // m
  std::vector<int32_t> row_hash;  // slots 1..kHashSlots, holding row indices, 0 = empty

  // Columns by position -1..column_count: -1 "RANGE", 0 "RHS", 1.. the model's columns.
  // Stored at index position + 1; use Column(position).
  std::vector<std::unique_ptr<LpColumn>> columns;
  int32_t column_count = 0;
  std::vector<int32_t> column_hash;  // slots holding column positions, 0 = empty

  // Work vectors by basis position 1..m (index 0 unused).
  std::vector<double> y;      // pricing vector
  std::vector<double> alpha;  // transformed entering column
  std::vector<double> xB;     // values of the basic variables

  LpEtaFile eta;
  LpFactorState factor;
  LpIterationState iter;
  LpFlags flags;
  LpSearchState search;

  double elapsed_time = 0;  // accumulated over the solves of this engine
  double solve_start = 0;
  std::mt19937 random{12345};  // bounds of the equality slacks under perturbation mode 2

  LpColumn& Column(int32_t position) { return *columns[position + 1]; }
  const LpColumn& Column(int32_t position) const { return *columns[position + 1]; }
  LpRow& Row(int32_t index) { return *rows[index]; }
  const LpRow& Row(int32_t index) const { return *rows[index]; }
};

inline constexpr int32_t kRangeColumn = -1;
inline constexpr int32_t kRhsColumn = 0;

// Creates the engine: settings from the built-in parameters, empty tables, "RANGE" and
// "RHS", the trace display and the log folder (the current directory). The engine
// shows its messages through `port`.
void LpCreate(LpEngine& engine, UserPort& port);
// Empties the model (rows, columns, work vectors, eta file) and resets the counters.
void LpClear(LpEngine& engine);
// Frees everything; the engine can be created again. Safe to call twice.
void LpRelease(LpEngine& engine);

// Defines a row of type 'E', 'G', 'L' or 'N'. A duplicate name or a 65536th row shows
// its message, sets the unfinished flag, empties the model and returns false.
bool LpDefineRow(LpEngine& engine, const std::string& name, char type);
// Row index 1..m, or 0.
int32_t LpFindRow(const LpEngine& engine, const std::string& name);
// Position of the column; an absent column is appended with `kind`. Too many columns
// is an internal failure (message, EngineFailure).
int32_t LpFindColumn(LpEngine& engine, const std::string& name, int8_t kind = kStructural);
// Appends a column without looking for its name or checking the limit (setup's logicals,
// whose names and count setup has checked).
int32_t LpAppendColumn(LpEngine& engine, const std::string& name, int8_t kind);
// Appends (row, value) to the column at `position`; the row's entry count follows.
void LpAppendEntry(LpEngine& engine, int32_t position, int32_t row, double value);
// Position of the column, or 0; never creates.
int32_t LpLookupColumn(const LpEngine& engine, const std::string& name);

// Sets the coefficient of a column in a row (an undefined row is an internal failure).
void LpSetElement(LpEngine& engine, const std::string& row_name, const std::string& column_name,
                  double value);
void LpSetRhs(LpEngine& engine, const std::string& row_name, double value);
// The range r of an L or G row (its activity may go r beyond the right-hand side).
void LpSetRange(LpEngine& engine, const std::string& row_name, double value);
// Bound types "UP", "LO", "FR", "FX", "MI", "BV", "UI".
void LpSetBound(LpEngine& engine, const std::string& column_name, const std::string& type,
                double value);
double LpColumnValue(const LpEngine& engine, const std::string& column_name);
double LpIntegerValue(const LpEngine& engine, const std::string& column_name);
// Moves the objective row to position m and sets the internal costs from it.
void LpSetObjectiveRow(LpEngine& engine);
// Replaces a structural column's objective coefficient in a set-up model: its entry in
// the objective row m and its internal cost. The objective row is part of the basis:
// for a basic column the eta file gets the change of the basis matrix (or, where it
// cannot, is marked stale).
void LpSetCost(LpEngine& engine, LpColumn& column, double value);

// Exchanges two column positions (records and name-table entries).
void LpSwapColumns(LpEngine& engine, int32_t p, int32_t q);
// Exchanges two rows: records, name-table entries, and the row index in every column
// entry and every eta.
void LpSwapRows(LpEngine& engine, int32_t i, int32_t j);
// Re-enters every row and column name (after renames or deleted rows).
void LpRebuildHashTables(LpEngine& engine);

// The home slot (1..kHashSlots) and probe step of a name.
int32_t LpHashHome(const std::string& name);
int32_t LpHashNext(const std::string& name, int32_t slot);

// Model setup: bound check, logical columns, initial basis, row order, eta file and the
// first factorisation. True when setup is done; false when it could not be completed
// (the engine then stays not set up; see the seams in lp_setup.cpp).
bool LpSetup(LpEngine& engine);

}  // namespace vido

#endif  // VIDO_SOLVER_LP_ENGINE_H_
