#include "lp/solver_session.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "mip/branch_and_bound.h"
#include "solver/basis_file.h"
#include "solver/lp_engine.h"
#include "solver/simplex_driver.h"
#include "support/command_error.h"
#include "support/engine_folder.h"
#include "support/number_text.h"
#include "support/parameter_table.h"
#include "support/user_port.h"

namespace vido {

namespace {

constexpr std::pair<double, double> kOrdinaryRow{1.0 / 16, 16};
constexpr double kLargestRhs = 1e15;

UserPort& PortOrSilent(UserPort* port) {
  static SilentUserPort silent;
  return port != nullptr ? *port : silent;
}

std::string ColumnName(int32_t j) { return "Var" + std::to_string(j); }
std::string RowName(int32_t i) { return "Const" + std::to_string(i); }

// The power of two that brings the largest coefficient of row i into [1, 2): an exact
// scaling, so the row keeps its solutions, while the engine's absolute tolerances
// (pivots, feasibility, dropped entries) see rows of one size whatever magnitudes the
// user typed. Rows without coefficients keep the factor 1.
double RowScale(const DenseProgram& program, int32_t i) {
  double largest = 0;
  for (int32_t j = 1; j <= program.n; ++j) largest = std::max(largest, std::fabs(program.A(i, j)));
  // Rows of an ordinary size go in as they are, on the pivot paths the engine has always
  // taken for them.
  if (largest >= kOrdinaryRow.first && largest <= kOrdinaryRow.second) return 1;
  return UnitScale(largest);
}

// The factors of RowScale for a linear program; integer programs are not scaled: their
// big-M rows are built with the margin and the relaxation in the rows' own units, and the
// search's integrality tolerance is measured against them.
std::vector<double> RowScales(const DenseProgram& program) {
  std::vector<double> scale(program.m + 1, 1.0);
  const bool continuous = program.Continuous();
  for (int32_t i = 1; continuous && i <= program.m; ++i) scale[i] = RowScale(program, i);
  return scale;
}

// Numbers the engine's arithmetic cannot carry (its phase-one penalty is 1e10) give no
// verdict: a right-hand side beyond 1e15 times its row's size (rows of a linear program
// are scaled), or a coefficient that is not a finite number.
bool RowsRepresentable(const DenseProgram& program, const std::vector<double>& scale) {
  for (int32_t i = 1; i <= program.m; ++i) {
    if (!(std::fabs(program.b[i] * scale[i]) <= kLargestRhs)) return false;
    for (int32_t j = 1; j <= program.n; ++j) {
      if (!std::isfinite(program.A(i, j))) return false;
    }
  }
  return true;
}

bool ObjectiveRepresentable(const DenseProgram& program) {
  for (int32_t j = 1; j <= program.n; ++j) {
    if (!std::isfinite(program.c[j])) return false;
  }
  return true;
}

// The engine's model in the fixed order (rows; columns with the objective entry first,
// then rows 1..m; right-hand sides; bounds), then setup. False when the model could not
// be built.
bool BuildModel(LpEngine& engine, const DenseProgram& program, const std::vector<double>& scale) {
  LpClear(engine);
  engine.problem_name = "MIPSolver";
  if (!LpDefineRow(engine, "OBJ", 'N')) return false;
  std::vector<int32_t> row_index(program.m + 1, 0);
  row_index[0] = LpFindRow(engine, "OBJ");
  for (int32_t i = 1; i <= program.m; ++i) {
    const char type = program.sense[i] == '<' ? 'L' : program.sense[i] == '>' ? 'G' : 'E';
    if (!LpDefineRow(engine, RowName(i), type)) return false;
    row_index[i] = engine.row_count;
  }
  // Each (row, column) pair arrives once into a fresh model, so the entries are appended
  // directly: the same columns, entries and order as setting them one by one. An entry
  // that scaling leaves below the engine's zero is one the row's other coefficients
  // outweigh by more than 1e11: it goes, as the engine drops such values itself.
  for (int32_t j = 1; j <= program.n; ++j) {
    const std::string name = ColumnName(j);
    int32_t position = 0;
    auto add = [&](int32_t row, double value) {
      if (value == 0 || (row != row_index[0] && std::fabs(value) < kZeroTolerance)) return;
      if (position == 0) position = LpFindColumn(engine, name);
      LpAppendEntry(engine, position, row, value);
    };
    add(row_index[0], program.c[j]);
    for (int32_t i = 1; i <= program.m; ++i) add(row_index[i], program.A(i, j) * scale[i]);
  }
  for (int32_t i = 1; i <= program.m; ++i) {
    const double b = program.b[i] * scale[i];
    if (b != 0) LpSetRhs(engine, RowName(i), b);
  }
  for (int32_t j = 1; j <= program.n; ++j) {
    const std::string name = ColumnName(j);
    switch (program.type[j]) {
      case 'B':
        LpSetBound(engine, name, "BV", 1);
        break;
      case 'I':
        LpSetBound(engine, name, "UI", program.upper[j]);
        if (program.lower[j] != 0) LpSetBound(engine, name, "LO", program.lower[j]);
        break;
      default:
        LpSetBound(engine, name, "UP", program.upper[j]);
        if (program.lower[j] != 0) LpSetBound(engine, name, "LO", program.lower[j]);
        break;
    }
  }
  engine.objective_row_name = "OBJ";
  engine.flags.loaded = true;
  engine.elapsed_time = 0;
  if (!LpSetup(engine)) return false;
  engine.flags.maximise = true;
  engine.flags.unbounded = false;
  LpSetObjectiveRow(engine);
  engine.flags.non_interactive = true;
  return true;
}

// Why an unfinished solve stopped, from the engine's flags.
SolverStop StopOf(const LpEngine& engine) {
  if (engine.flags.cancelled) return SolverStop::kCancelled;
  if (engine.flags.numerical_trouble) return SolverStop::kNumerical;
  if (engine.flags.limit_reached) {
    return engine.iter.iteration_count > engine.settings.max_iter ? SolverStop::kIterationLimit
                                                                  : SolverStop::kTimeLimit;
  }
  return SolverStop::kRejected;
}

SolveStatus StatusOf(LpOutcome outcome) {
  switch (outcome) {
    case LpOutcome::kOptimal:
      return SolveStatus::kOptimal;
    case LpOutcome::kUnbounded:
      return SolveStatus::kUnbounded;
    case LpOutcome::kInfeasible:
      return SolveStatus::kInfeasible;
    case LpOutcome::kUnfinished:
      break;
  }
  return SolveStatus::kStopped;
}

// No solve runs unbounded in iterations or time: a linear program of these sizes needs
// a few times (rows + columns) pivots; the integer search is bounded by its time. A
// parameter setting that is tighter still (a test's) stays.
void ApplyLimits(LpEngine& engine, const DenseProgram& program, int64_t max_iterations,
                 double max_seconds, int32_t parameter_iter, int32_t parameter_time) {
  const bool continuous = program.Continuous();
  int64_t iterations = max_iterations;
  if (iterations <= 0) {
    iterations =
        continuous ? 10000 + 50 * (static_cast<int64_t>(program.m) + program.n) : 200000000;
  }
  const double seconds = max_seconds > 0 ? max_seconds : continuous ? 60 : 900;
  engine.settings.max_iter =
      static_cast<int32_t>(std::min<int64_t>({iterations, 2000000000, parameter_iter}));
  engine.settings.max_time = static_cast<int32_t>(
      std::min<double>(std::clamp(std::ceil(seconds), 1.0, 2e9), parameter_time));
}

}  // namespace

DenseProgram DenseProgram::Empty(int32_t n, int32_t m) {
  DenseProgram p;
  p.created = true;
  p.n = n;
  p.m = m;
  p.c.assign(n + 1, 0.0);
  p.a.assign(static_cast<size_t>(n) * m, 0.0);
  p.b.assign(m + 1, 0.0);
  p.sense.assign(m + 1, '<');
  p.type.assign(n + 1, 'C');
  p.lower.assign(n + 1, 0.0);
  p.upper.assign(n + 1, kNoBound);
  return p;
}

bool DenseProgram::Continuous() const {
  for (int32_t j = 1; j <= n; ++j) {
    if (type[j] != 'C') return false;
  }
  return true;
}

void DenseProgram::AppendRow(const std::vector<double>& coefficients, char row_sense, double rhs) {
  ++m;
  a.resize(static_cast<size_t>(n) * m, 0.0);
  for (int32_t j = 1; j <= n && j < static_cast<int32_t>(coefficients.size()); ++j) {
    A(m, j) = coefficients[j];
  }
  b.push_back(rhs);
  sense.push_back(row_sense);
}

SolverSession::SolverSession() = default;

SolverSession::~SolverSession() { Forget(); }

// The kept engine shows its messages through the port it was made with: it goes with
// that port, while its owner still holds it.
void SolverSession::SetPort(UserPort* port) {
  if (port != port_) Forget();
  port_ = port;
}

void SolverSession::SetLimits(int64_t max_iterations, double max_seconds) {
  max_iterations_ = std::max<int64_t>(0, max_iterations);
  max_seconds_ = std::max(0.0, max_seconds);
}

void SolverSession::Forget() {
  if (engine_) LpRelease(*engine_);
  engine_.reset();
  structural_.clear();
  loaded_ = DenseProgram{};
}

SolveStatus SolverSession::Solve() {
  last_stop_ = SolverStop::kRejected;
  if (!program_.created) return SolveStatus::kStopped;
  for (int32_t j = 1; j <= program_.n; ++j) {
    if (program_.lower[j] > program_.upper[j]) return SolveStatus::kStopped;
  }
  last_stop_ = SolverStop::kNone;
  ++counters_.solves;
  const bool keep = !cold_ && program_.Continuous();
  const bool kept = keep && EngineFits();
  SolveStatus status = SolveStatus::kStopped;
  // An internal failure the engine has already shown unwinds to here and rejects the
  // solve.
  try {
    status = kept ? SolveKept() : SolveFresh(keep);
    if (kept && status == SolveStatus::kStopped &&
        (last_stop_ == SolverStop::kNumerical || last_stop_ == SolverStop::kIterationLimit)) {
      // The kept basis may have led the simplex astray: the verdict is that of a fresh
      // solve.
      Forget();
      last_stop_ = SolverStop::kNone;
      status = SolveFresh(keep);
    }
  } catch (const CommandError&) {
    Forget();
    last_stop_ = SolverStop::kRejected;
    return SolveStatus::kStopped;
  }
  return status;
}

// The engine holds this program's columns with the settings and port in force.
bool SolverSession::EngineFits() const {
  if (!engine_ || !engine_->flags.setup_done || !loaded_.created) return false;
  if (engine_port_ != port_ || engine_overrides_ != ParameterOverrideChanges() ||
      engine_log_ != SolverLogFile()) {
    return false;
  }
  if (engine_->settings.tight || engine_->flags.has_free_columns) return false;
  return loaded_.n == program_.n && loaded_.type == program_.type;
}

// The rows the engine holds are the first rows of the program, unchanged.
bool SolverSession::RowsKept() const {
  if (loaded_.m > program_.m) return false;
  const size_t held = static_cast<size_t>(loaded_.m) * loaded_.n;
  return std::equal(loaded_.a.begin(), loaded_.a.begin() + held, program_.a.begin()) &&
         std::equal(loaded_.b.begin(), loaded_.b.end(), program_.b.begin()) &&
         std::equal(loaded_.sense.begin(), loaded_.sense.end(), program_.sense.begin());
}

void SolverSession::KeepPointers() {
  structural_.assign(program_.n + 1, nullptr);
  for (int32_t j = 1; j <= program_.n; ++j) {
    const int32_t position = LpLookupColumn(*engine_, ColumnName(j));
    if (position != 0) structural_[j] = &engine_->Column(position);
  }
}

// The description's path: the model built from nothing and solved from the slack basis
// (a crash basis on the first solve). With `keep` the engine stays for the next solve.
SolveStatus SolverSession::SolveFresh(bool keep) {
  ++counters_.fresh;
  const std::vector<double> scale = RowScales(program_);
  if (!RowsRepresentable(program_, scale) || !ObjectiveRepresentable(program_)) {
    last_stop_ = SolverStop::kNumerical;
    return SolveStatus::kStopped;
  }
  auto engine = std::make_unique<LpEngine>();
  LpCreate(*engine, PortOrSilent(port_));
  const int32_t parameter_iter = engine->settings.max_iter;
  const int32_t parameter_time = engine->settings.max_time;
  if (!BuildModel(*engine, program_, scale)) {
    LpRelease(*engine);
    last_stop_ = SolverStop::kRejected;
    return SolveStatus::kStopped;
  }
  ApplyLimits(*engine, program_, max_iterations_, max_seconds_, parameter_iter, parameter_time);
  const bool continuous = program_.Continuous();
  if (continuous) {
    LpLinearSolve(*engine);
  } else {
    IntegerSolve(*engine);
  }
  counters_.pivots += engine->iter.iteration_count;
  if (!keep) {
    const SolveStatus status = Finish(*engine, continuous);
    LpRelease(*engine);
    return status;
  }
  Forget();
  engine_ = std::move(engine);
  engine_port_ = port_;
  engine_overrides_ = ParameterOverrideChanges();
  engine_log_ = SolverLogFile();
  parameter_max_iter_ = parameter_iter;
  parameter_max_time_ = parameter_time;
  loaded_ = program_;
  scale_ = scale;
  KeepPointers();
  const SolveStatus status = Finish(*engine_, continuous);
  if (status == SolveStatus::kStopped) Forget();
  return status;
}

// From the basis of the previous solve: objective coefficients and bounds are changed in
// place; appended rows make the model be built again with that basis in it.
SolveStatus SolverSession::SolveKept() {
  LpEngine& engine = *engine_;
  if (!ObjectiveRepresentable(program_)) {
    last_stop_ = SolverStop::kNumerical;
    return SolveStatus::kStopped;
  }
  // Other rows, or a column that turns free (which setup treats apart), make a new model.
  bool new_model = false;
  for (int32_t j = 1; j <= program_.n; ++j) {
    new_model = new_model || (program_.lower[j] < -kInfinite && program_.upper[j] > kInfinite);
  }
  for (int32_t j = 1; j <= program_.n; ++j) new_model = new_model || structural_[j] == nullptr;
  if (!RowsKept() || new_model) return SolveFresh(true);
  const bool in_place = loaded_.m == program_.m;
  if (in_place) {
    ++counters_.warm;
    for (int32_t j = 1; j <= program_.n; ++j) {
      LpColumn& column = *structural_[j];
      if (program_.c[j] != loaded_.c[j]) LpSetCost(engine, column, program_.c[j]);
      if (program_.lower[j] != loaded_.lower[j] || program_.upper[j] != loaded_.upper[j]) {
        // As the model's bounds are set and checked at setup.
        column.upper = program_.upper[j];
        column.lower = program_.lower[j];
        if (column.upper + kZeroTolerance >= column.lower) {
          column.lower = std::min(column.lower, column.upper);
        }
      }
    }
    loaded_.c = program_.c;
    loaded_.lower = program_.lower;
    loaded_.upper = program_.upper;
  } else {
    ++counters_.rebuilt;
    std::vector<double> scale = RowScales(program_);
    if (!RowsRepresentable(program_, scale)) {
      last_stop_ = SolverStop::kNumerical;
      return SolveStatus::kStopped;
    }
    // The basis by name: structural columns and row logicals keep their names in the
    // new model; the logicals of the appended rows join the basis.
    std::vector<std::string> basic;
    std::vector<std::string> at_upper;
    for (int32_t p = 1; p <= engine.column_count; ++p) {
      const LpColumn& column = engine.Column(p);
      if (p <= engine.row_count) {
        basic.push_back(column.name);
      } else if (column.status == kAtUpper) {
        at_upper.push_back(column.name);
      }
    }
    for (int32_t i = loaded_.m + 1; i <= program_.m; ++i) basic.push_back(RowName(i));
    if (!BuildModel(engine, program_, scale)) {
      Forget();
      last_stop_ = SolverStop::kRejected;
      return SolveStatus::kStopped;
    }
    LpInstallBasis(engine, basic, at_upper);
    loaded_ = program_;
    scale_ = std::move(scale);
    KeepPointers();
  }
  ApplyLimits(engine, program_, max_iterations_, max_seconds_, parameter_max_iter_,
              parameter_max_time_);
  LpResolve(engine, !in_place);
  counters_.pivots += engine.iter.iteration_count;
  const SolveStatus status = Finish(engine, true);
  // A stopped solve leaves a basis halfway; the next one starts afresh.
  if (status == SolveStatus::kStopped) Forget();
  return status;
}

// The verdict of a finished solve and, when optimal, the solution.
SolveStatus SolverSession::Finish(LpEngine& engine, bool continuous) {
  const SolveStatus status =
      StatusOf(continuous ? LpLinearOutcome(engine) : LpIntegerOutcome(engine));
  if (status == SolveStatus::kStopped) last_stop_ = StopOf(engine);
  if (status != SolveStatus::kOptimal) return status;
  std::vector<double> x(program_.n + 1, 0.0);
  double objective = 0;
  const bool kept = &engine == engine_.get();
  for (int32_t j = 1; j <= program_.n; ++j) {
    if (kept) {
      x[j] = structural_[j] != nullptr ? structural_[j]->value : 0;
    } else if (program_.type[j] == 'C') {
      x[j] = LpColumnValue(engine, ColumnName(j));
    } else {
      x[j] = LpIntegerValue(engine, ColumnName(j));
    }
    objective += program_.c[j] * x[j];
  }
  x_ = std::move(x);
  objective_ = objective;
  return status;
}

double SolverSession::FeasibleSum() { return LpIterationState{}.feasible_sum; }

}  // namespace vido
