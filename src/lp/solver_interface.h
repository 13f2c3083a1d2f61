#ifndef VIDO_LP_SOLVER_INTERFACE_H_
#define VIDO_LP_SOLVER_INTERFACE_H_

#include <cstdint>
#include <string>

#include "lp/solver_session.h"

namespace vido {

class UserPort;

// The dense facade the analyses use: one problem at a time, indices from 1, always
// maximising sum c_j x_j. Every operation returns 0 on success and -1 when rejected,
// except SolverSolve (0 optimal, 2 unbounded, 3 infeasible, -1 rejected or unfinished),
// SolverObjective and SolverValue.
int32_t SolverInit(int32_t columns, int32_t rows);
// Appends `count` rows "0 <= 0" after the last one (their coefficients, senses and
// right-hand sides are then set as any row's); the next solve starts from the basis the
// previous one ended with.
int32_t SolverAddRows(int32_t count);
int32_t SolverSetObjective(int32_t column, double value);
int32_t SolverSetCoefficient(int32_t row, int32_t column, double value);
int32_t SolverSetRhs(int32_t row, double value);
int32_t SolverSetRowSense(int32_t row, char sense);      // '<', '=' or '>'
int32_t SolverSetColumnType(int32_t column, char type);  // 'C', 'B' or 'I'
int32_t SolverSetUpperBound(int32_t column, double value);
int32_t SolverSetLowerBound(int32_t column, double value);
int32_t SolverSolve();
double SolverObjective();
// x_j of the last successful solve; 0 outside 1..n.
double SolverValue(int32_t column);
int32_t SolverFree();

// The port every engine of the interface shows its messages through and pumps events
// with; set once by the owner of the program (the window, the command line, a test).
// Without one the engine's messages are discarded.
void SolverSetUserPort(UserPort* port);

// Why the last SolverSolve returned -1: a solve stopped before it proved anything is
// never taken for a verdict.
SolverStop SolverLastStop();
// The user's words for a stop ("" for kNone).
const char* SolverStopText(SolverStop stop);

// `message`, then on a line of its own why the last solve stopped, when it says more.
std::string SolveErrorText(const std::string& message);
// The same for a solve of another session that stopped for `stop`.
std::string SolveErrorText(const std::string& message, SolverStop stop);

// Limits on every later solve: simplex iterations and seconds. A value of 0 or less
// restores the default (iterations from the program's size; 60 s for a linear program,
// 900 s for an integer one).
void SolverSetLimits(int64_t max_iterations, double max_seconds);

// The facade is a front over one solver session: a linear program that differs from the
// previous one only in its objective or bounds is re-solved from the previous basis.
// Cold, every solve is built afresh and solved from the slack basis.
void SolverSetColdStart(bool cold);
bool SolverColdStart();
// What the solves since the last reset cost (solves, warm and fresh ones, pivots).
SolveCounters SolverCounters();
void SolverResetCounters();

}  // namespace vido

#endif  // VIDO_LP_SOLVER_INTERFACE_H_
