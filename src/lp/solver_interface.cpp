#include "lp/solver_interface.h"

#include <string>
#include <vector>

#include "lp/solver_session.h"

namespace vido {

namespace {

SolverSession& Session() {
  static SolverSession session;
  return session;
}

DenseProgram& Problem() { return Session().Program(); }

bool ValidColumn(int32_t j) { return Problem().created && j >= 1 && j <= Problem().n; }
bool ValidRow(int32_t i) { return Problem().created && i >= 1 && i <= Problem().m; }

constexpr int32_t kRejected = -1;

}  // namespace

void SolverSetUserPort(UserPort* port) { Session().SetPort(port); }

void SolverSetColdStart(bool cold) { Session().SetCold(cold); }

bool SolverColdStart() { return Session().Cold(); }

SolveCounters SolverCounters() { return Session().Counters(); }

void SolverResetCounters() { Session().ResetCounters(); }

SolverStop SolverLastStop() { return Session().LastStop(); }

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
  return SolveErrorText(message, SolverLastStop());
}

std::string SolveErrorText(const std::string& message, SolverStop stop) {
  if (stop == SolverStop::kNone || stop == SolverStop::kRejected) return message;
  return message + "\n" + SolverStopText(stop);
}

void SolverSetLimits(int64_t max_iterations, double max_seconds) {
  Session().SetLimits(max_iterations, max_seconds);
}

int32_t SolverInit(int32_t columns, int32_t rows) {
  if (columns <= 0 || rows <= 0) {
    Problem().created = false;
    return kRejected;
  }
  Problem() = DenseProgram::Empty(columns, rows);
  return 0;
}

int32_t SolverAddRows(int32_t count) {
  DenseProgram& p = Problem();
  if (!p.created || count <= 0) return kRejected;
  for (int32_t k = 0; k < count; ++k) p.AppendRow({}, '<', 0);
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
  switch (Session().Solve()) {
    case SolveStatus::kOptimal:
      return 0;
    case SolveStatus::kUnbounded:
      return 2;
    case SolveStatus::kInfeasible:
      return 3;
    case SolveStatus::kStopped:
      break;
  }
  return kRejected;
}

double SolverObjective() { return Session().Objective(); }

double SolverValue(int32_t column) {
  const std::vector<double>& x = Session().Values();
  if (column < 1 || column > Problem().n || column >= static_cast<int32_t>(x.size())) return 0;
  return x[column];
}

int32_t SolverFree() {
  Problem() = DenseProgram{};
  return 0;
}

}  // namespace vido
