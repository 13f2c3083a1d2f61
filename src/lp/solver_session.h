#ifndef VIDO_LP_SOLVER_SESSION_H_
#define VIDO_LP_SOLVER_SESSION_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vido {

class UserPort;
struct LpEngine;
struct LpColumn;

// A program in dense form, indices from 1 (index 0 unused): maximise sum c_j x_j subject
// to rows a_i x (sense_i) b_i and lower_j <= x_j <= upper_j, x_j of type 'C', 'B' or 'I'.
struct DenseProgram {
  bool created = false;
  int32_t n = 0;
  int32_t m = 0;
  std::vector<double> c;
  std::vector<double> a;  // row-major, (i - 1) * n + (j - 1)
  std::vector<double> b;
  std::vector<char> sense;  // '<', '=' or '>'
  std::vector<char> type;
  std::vector<double> lower;
  std::vector<double> upper;

  // An empty program of n columns and m rows: rows "<= 0", columns continuous in [0, none].
  static DenseProgram Empty(int32_t n, int32_t m);
  double& A(int32_t i, int32_t j) { return a[static_cast<size_t>(i - 1) * n + (j - 1)]; }
  double A(int32_t i, int32_t j) const { return a[static_cast<size_t>(i - 1) * n + (j - 1)]; }
  bool Continuous() const;
  // Appends the row coefficients[1..n] (sense) rhs.
  void AppendRow(const std::vector<double>& coefficients, char sense, double rhs);
};

// How a solve ended.
enum class SolveStatus { kOptimal, kUnbounded, kInfeasible, kStopped };

// Why a solve stopped before it proved anything (kNone after a verdict).
enum class SolverStop { kNone, kRejected, kIterationLimit, kTimeLimit, kCancelled, kNumerical };

// What the solves of a session cost.
struct SolveCounters {
  int64_t solves = 0;
  int64_t warm = 0;     // from the basis of the previous solve
  int64_t rebuilt = 0;  // the model built again, the previous basis installed in it
  int64_t fresh = 0;    // built afresh and solved from the slack basis
  int64_t pivots = 0;   // simplex iterations of all of them
};

// One engine and its basis kept between the solves of one program. The program is edited
// in place between solves; Solve compares it with the one the engine holds and
//  - re-solves from the last basis when only objective coefficients or bounds changed
//    (the primal simplex; its composite phase 1 mends bounds the basis no longer meets),
//  - builds the model again and installs the last basis in it when rows were appended
//    (the new rows' logicals join the basis),
//  - builds it afresh, solved from the slack basis, for other rows, an integer program,
//    free columns, after a stop, or always when the session is cold.
// A warm solve that runs into numerical trouble or the iteration limit is done again
// afresh: a kept basis never makes a solve fail that a fresh one would finish.
class SolverSession {
 public:
  SolverSession();
  ~SolverSession();
  SolverSession(const SolverSession&) = delete;
  SolverSession& operator=(const SolverSession&) = delete;

  DenseProgram& Program() { return program_; }
  const DenseProgram& Program() const { return program_; }
  // The port the engines show their messages through (none: messages are discarded).
  void SetPort(UserPort* port);
  // Every solve built afresh from the slack basis, as with no session.
  void SetCold(bool cold) { cold_ = cold; }
  bool Cold() const { return cold_; }
  // Limits of every later solve; 0 or less restores the default (iterations from the
  // program's size; 60 s for a linear program, 900 s for an integer one).
  void SetLimits(int64_t max_iterations, double max_seconds);

  SolveStatus Solve();
  SolverStop LastStop() const { return last_stop_; }
  // x of the last optimal solve (index from 1) and its objective sum c_j x_j.
  const std::vector<double>& Values() const { return x_; }
  double Objective() const { return objective_; }
  // The sum of the rows' violations below which a linear program's solve counts a basis
  // feasible.
  static double FeasibleSum();
  // Forgets the engine; the next solve is built afresh.
  void Forget();

  const SolveCounters& Counters() const { return counters_; }
  void ResetCounters() { counters_ = SolveCounters{}; }

 private:
  SolveStatus SolveFresh(bool keep);
  SolveStatus SolveKept();
  SolveStatus Finish(LpEngine& engine, bool continuous);
  bool EngineFits() const;
  bool RowsKept() const;
  void KeepPointers();

  DenseProgram program_;
  UserPort* port_ = nullptr;
  bool cold_ = false;
  int64_t max_iterations_ = 0;
  double max_seconds_ = 0;

  // The kept engine, the program it holds, its structural columns by index, and what
  // its settings were read from.
  std::unique_ptr<LpEngine> engine_;
  DenseProgram loaded_;
  std::vector<double> scale_;
  std::vector<LpColumn*> structural_;
  UserPort* engine_port_ = nullptr;
  std::size_t engine_overrides_ = 0;
  std::string engine_log_;
  int32_t parameter_max_iter_ = 0;
  int32_t parameter_max_time_ = 0;

  SolverStop last_stop_ = SolverStop::kNone;
  std::vector<double> x_;
  double objective_ = 0;
  SolveCounters counters_;
};

}  // namespace vido

#endif  // VIDO_LP_SOLVER_SESSION_H_
