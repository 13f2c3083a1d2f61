#ifndef VIDO_SOLVER_SOLVER_INTERFACE_H_
#define VIDO_SOLVER_SOLVER_INTERFACE_H_

#include <cstdint>

namespace vido {

class UserPort;

// The dense facade the analyses use: one problem at a time, indices from 1, always
// maximising sum c_j x_j. Every operation returns 0 on success and -1 when rejected,
// except SolverSolve (0 optimal, 2 unbounded, 3 infeasible, -1 rejected or unfinished),
// SolverObjective and SolverValue.
int32_t SolverInit(int32_t columns, int32_t rows);
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

}  // namespace vido

#endif  // VIDO_SOLVER_SOLVER_INTERFACE_H_
