#include "lp/solver_interface.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mip/branch_and_bound.h"
#include "solver/lp_engine.h"
#include "solver/simplex_driver.h"
#include "support/command_error.h"
#include "support/number_text.h"
#include "support/user_port.h"

namespace vido {

namespace {

// The interface's one problem: dense arrays indexed from 1 (index 0 unused).
struct DenseProblem {
  bool created = false;
  int32_t n = 0;
  int32_t m = 0;
  std::vector<double> c;
  std::vector<double> a;  // row-major, (i - 1) * n + (j - 1)
  std::vector<double> b;
  std::vector<char> sense;
  std::vector<char> type;
  std::vector<double> lower;
  std::vector<double> upper;
  std::vector<double> x;
  double objective = 0;

  double& A(int32_t i, int32_t j) { return a[static_cast<size_t>(i - 1) * n + (j - 1)]; }
};

DenseProblem& Problem() {
  static DenseProblem problem;
  return problem;
}

UserPort*& Port() {
  static UserPort* port = nullptr;
  return port;
}

UserPort& PortInUse() {
  static SilentUserPort silent;
  return Port() != nullptr ? *Port() : silent;
}

constexpr std::pair<double, double> kOrdinaryRow{1.0 / 16, 16};

struct Limits {
  int64_t iterations = 0;  // 0: the default
  double seconds = 0;
};

Limits& SolveLimits() {
  static Limits limits;
  return limits;
}

SolverStop& LastStop() {
  static SolverStop stop = SolverStop::kNone;
  return stop;
}

// The power of two that brings the largest coefficient of row i into [1, 2): an exact
// scaling, so the row keeps its solutions, while the engine's absolute tolerances
// (pivots, feasibility, dropped entries) see rows of one size whatever magnitudes the
// user typed. Rows without coefficients keep the factor 1.
double RowScale(DenseProblem& problem, int32_t i) {
  double largest = 0;
  for (int32_t j = 1; j <= problem.n; ++j) largest = std::max(largest, std::fabs(problem.A(i, j)));
  // Rows of an ordinary size go in as they are, on the pivot paths the engine has always
  // taken for them.
  if (largest >= kOrdinaryRow.first && largest <= kOrdinaryRow.second) return 1;
  return UnitScale(largest);
}

bool ValidColumn(int32_t j) { return Problem().created && j >= 1 && j <= Problem().n; }
bool ValidRow(int32_t i) { return Problem().created && i >= 1 && i <= Problem().m; }

constexpr double kLargestRhs = 1e15;
constexpr int32_t kOptimal = 0;
constexpr int32_t kUnbounded = 2;
constexpr int32_t kInfeasible = 3;
constexpr int32_t kRejected = -1;

int32_t StatusOf(const std::string& text) {
  if (text == "UNFINISHED") return kRejected;
  if (text == "OPTIMAL SOLUTION") return kOptimal;
  if (text == "UNBOUNDED SOLUTION") return kUnbounded;
  return kInfeasible;
}

// The factors of RowScale for a linear program; integer programs are not scaled: their
// big-M rows are built with the margin and the relaxation in the rows' own units, and the
// search's integrality tolerance is measured against them.
std::vector<double> RowScales(DenseProblem& problem, bool continuous) {
  std::vector<double> scale(problem.m + 1, 1.0);
  for (int32_t i = 1; continuous && i <= problem.m; ++i) scale[i] = RowScale(problem, i);
  return scale;
}

// Steps 2 to 7: the engine's model in the fixed order (rows; columns with the objective
// entry first, then rows 1..m; right-hand sides; bounds), then setup. False when the
// model could not be built.
bool BuildModel(LpEngine& engine, DenseProblem& problem, const std::vector<double>& scale) {
  LpClear(engine);
  engine.problem_name = "MIPSolver";
  if (!LpDefineRow(engine, "OBJ", 'N')) return false;
  std::vector<int32_t> row_index(problem.m + 1, 0);
  row_index[0] = LpFindRow(engine, "OBJ");
  for (int32_t i = 1; i <= problem.m; ++i) {
    const char type = problem.sense[i] == '<' ? 'L' : problem.sense[i] == '>' ? 'G' : 'E';
    const std::string name = "Const" + std::to_string(i);
    if (!LpDefineRow(engine, name, type)) return false;
    row_index[i] = engine.row_count;
  }
  // Each (row, column) pair arrives once into a fresh model, so the entries are appended
  // directly: the same columns, entries and order as setting them one by one. An entry
  // that scaling leaves below the engine's zero is one the row's other coefficients
  // outweigh by more than 1e11: it goes, as the engine drops such values itself.
  for (int32_t j = 1; j <= problem.n; ++j) {
    const std::string name = "Var" + std::to_string(j);
    int32_t position = 0;
    auto add = [&](int32_t row, double value) {
      if (value == 0 || (row != row_index[0] && std::fabs(value) < kZeroTolerance)) return;
      if (position == 0) position = LpFindColumn(engine, name);
      LpAppendEntry(engine, position, row, value);
    };
    add(row_index[0], problem.c[j]);
    for (int32_t i = 1; i <= problem.m; ++i) add(row_index[i], problem.A(i, j) * scale[i]);
  }
  for (int32_t i = 1; i <= problem.m; ++i) {
    const double b = problem.b[i] * scale[i];
    if (b != 0) LpSetRhs(engine, "Const" + std::to_string(i), b);
  }
  for (int32_t j = 1; j <= problem.n; ++j) {
    const std::string name = "Var" + std::to_string(j);
    switch (problem.type[j]) {
      case 'B':
        LpSetBound(engine, name, "BV", 1);
        break;
      case 'I':
        LpSetBound(engine, name, "UI", problem.upper[j]);
        if (problem.lower[j] != 0) LpSetBound(engine, name, "LO", problem.lower[j]);
        break;
      default:
        LpSetBound(engine, name, "UP", problem.upper[j]);
        if (problem.lower[j] != 0) LpSetBound(engine, name, "LO", problem.lower[j]);
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

// Numbers the engine's arithmetic cannot carry (its phase-one penalty is 1e10) give no
// verdict: a right-hand side beyond 1e15 times its row's size (rows of a linear program
// are scaled), or a coefficient that is not a finite number.
bool Representable(DenseProblem& problem, const std::vector<double>& scale) {
  for (int32_t i = 1; i <= problem.m; ++i) {
    if (!(std::fabs(problem.b[i] * scale[i]) <= kLargestRhs)) return false;
    for (int32_t j = 1; j <= problem.n; ++j) {
      if (!std::isfinite(problem.A(i, j))) return false;
    }
  }
  for (int32_t j = 1; j <= problem.n; ++j) {
    if (!std::isfinite(problem.c[j])) return false;
  }
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

// No solve runs unbounded in iterations or time: a linear program of these sizes needs
// a few times (rows + columns) pivots; the integer search is bounded by its time.
void ApplyLimits(LpEngine& engine, const DenseProblem& problem, bool continuous) {
  const Limits& limits = SolveLimits();
  int64_t iterations = limits.iterations;
  if (iterations <= 0) {
    iterations =
        continuous ? 10000 + 50 * (static_cast<int64_t>(problem.m) + problem.n) : 200000000;
  }
  double seconds = limits.seconds > 0 ? limits.seconds : continuous ? 60 : 900;
  // A parameter setting that is tighter still (a test's) stays.
  engine.settings.max_iter =
      static_cast<int32_t>(std::min<int64_t>({iterations, 2000000000, engine.settings.max_iter}));
  engine.settings.max_time = static_cast<int32_t>(
      std::min<double>(std::clamp(std::ceil(seconds), 1.0, 2e9), engine.settings.max_time));
}

int32_t SolveWith(LpEngine& engine, DenseProblem& problem) {
  bool continuous = true;
  for (int32_t j = 1; j <= problem.n; ++j) continuous = continuous && problem.type[j] == 'C';
  const std::vector<double> scale = RowScales(problem, continuous);
  if (!Representable(problem, scale)) {
    LastStop() = SolverStop::kNumerical;
    return kRejected;
  }
  if (!BuildModel(engine, problem, scale)) {
    LastStop() = SolverStop::kRejected;
    return kRejected;
  }
  ApplyLimits(engine, problem, continuous);
  int32_t status = kRejected;
  if (continuous) {
    LpLinearSolve(engine);
    status = StatusOf(LpLinearStatus(engine));
  } else {
    IntegerSolve(engine);
    status = StatusOf(LpIntegerStatus(engine));
  }
  if (status == kRejected) LastStop() = StopOf(engine);
  if (status != kOptimal) return status;
  std::vector<double> x(problem.n + 1, 0.0);
  double objective = 0;
  for (int32_t j = 1; j <= problem.n; ++j) {
    const std::string name = "Var" + std::to_string(j);
    x[j] = problem.type[j] == 'C' ? LpColumnValue(engine, name) : LpIntegerValue(engine, name);
    objective += problem.c[j] * x[j];
  }
  problem.x = std::move(x);
  problem.objective = objective;
  return kOptimal;
}

}  // namespace

void SolverSetUserPort(UserPort* port) { Port() = port; }

SolverStop SolverLastStop() { return LastStop(); }

const char* SolverStopText(SolverStop stop) {
  switch (stop) {
    case SolverStop::kNone:
      return "";
    case SolverStop::kRejected:
      return "the program was rejected";
    case SolverStop::kIterationLimit:
      return "the iteration limit was reached";
    case SolverStop::kTimeLimit:
      return "the time limit was reached";
    case SolverStop::kCancelled:
      return "the solve was cancelled";
    case SolverStop::kNumerical:
      return "numerical trouble: the program's numbers are too far apart to be solved reliably";
  }
  return "";
}

std::string SolveErrorText(const std::string& message) {
  const SolverStop stop = SolverLastStop();
  if (stop == SolverStop::kNone || stop == SolverStop::kRejected) return message;
  return message + "\n" + SolverStopText(stop);
}

void SolverSetLimits(int64_t max_iterations, double max_seconds) {
  SolveLimits() = Limits{std::max<int64_t>(0, max_iterations), std::max(0.0, max_seconds)};
}

int32_t SolverInit(int32_t columns, int32_t rows) {
  DenseProblem& p = Problem();
  if (columns <= 0 || rows <= 0) {
    p.created = false;
    return kRejected;
  }
  std::vector<double> x(columns + 1, 0.0);
  for (int32_t j = 1; j <= columns && j < static_cast<int32_t>(p.x.size()); ++j) x[j] = p.x[j];
  p.n = columns;
  p.m = rows;
  p.c.assign(columns + 1, 0.0);
  p.a.assign(static_cast<size_t>(columns) * rows, 0.0);
  p.b.assign(rows + 1, 0.0);
  p.sense.assign(rows + 1, '<');
  p.type.assign(columns + 1, 'C');
  p.lower.assign(columns + 1, 0.0);
  p.upper.assign(columns + 1, kNoBound);
  p.x = std::move(x);
  p.created = true;
  return 0;
}

int32_t SolverSetObjective(int32_t column, double value) {
  if (!ValidColumn(column)) return kRejected;
  Problem().c[column] = value;
  return 0;
}

int32_t SolverSetCoefficient(int32_t row, int32_t column, double value) {
  if (!ValidRow(row) || !ValidColumn(column)) return kRejected;
  Problem().A(row, column) = value;
  return 0;
}

int32_t SolverSetRhs(int32_t row, double value) {
  if (!ValidRow(row) || !(value >= 0)) return kRejected;
  Problem().b[row] = value;
  return 0;
}

int32_t SolverSetRowSense(int32_t row, char sense) {
  if (!ValidRow(row) || (sense != '<' && sense != '=' && sense != '>')) return kRejected;
  Problem().sense[row] = sense;
  return 0;
}

int32_t SolverSetColumnType(int32_t column, char type) {
  if (!ValidColumn(column) || (type != 'B' && type != 'C' && type != 'I')) return kRejected;
  Problem().type[column] = type;
  return 0;
}

int32_t SolverSetUpperBound(int32_t column, double value) {
  if (!ValidColumn(column)) return kRejected;
  Problem().upper[column] = value;
  return 0;
}

int32_t SolverSetLowerBound(int32_t column, double value) {
  if (!ValidColumn(column)) return kRejected;
  Problem().lower[column] = value;
  return 0;
}

int32_t SolverSolve() {
  DenseProblem& problem = Problem();
  LastStop() = SolverStop::kRejected;
  if (!problem.created) return kRejected;
  for (int32_t j = 1; j <= problem.n; ++j) {
    if (problem.lower[j] > problem.upper[j]) return kRejected;
  }
  LastStop() = SolverStop::kNone;
  // The engine lives for this call only; an internal failure it has already shown
  // unwinds to here and rejects the solve.
  auto engine = std::make_unique<LpEngine>();
  int32_t status = kRejected;
  try {
    LpCreate(*engine, PortInUse());
    status = SolveWith(*engine, problem);
  } catch (const CommandError&) {
    LastStop() = SolverStop::kRejected;
    status = kRejected;
  }
  LpRelease(*engine);
  return status;
}

double SolverObjective() { return Problem().objective; }

double SolverValue(int32_t column) {
  const DenseProblem& p = Problem();
  if (column < 1 || column >= static_cast<int32_t>(p.x.size())) return 0;
  return p.x[column];
}

int32_t SolverFree() {
  DenseProblem& p = Problem();
  p = DenseProblem{};
  return 0;
}

}  // namespace vido
