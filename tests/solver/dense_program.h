#ifndef VIDO_TESTS_SOLVER_DENSE_PROGRAM_H_
#define VIDO_TESTS_SOLVER_DENSE_PROGRAM_H_

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lp/solver_interface.h"

namespace vido::testing {

// A program as the analyses state it to the solver interface: maximise c x subject to
// rows a_i x (<, =, >) b_i and l <= x <= u, columns 'C', 'B' or 'I'. Indices from 0.
struct DenseProgram {
  int n = 0;
  int m = 0;
  std::vector<double> c;
  std::vector<std::vector<double>> a;
  std::vector<double> b;
  std::vector<char> sense;
  std::vector<char> type;
  std::vector<double> lower;
  std::vector<double> upper;

  DenseProgram() = default;
  DenseProgram(int columns, int rows)
      : n(columns),
        m(rows),
        c(columns, 0.0),
        a(rows, std::vector<double>(columns, 0.0)),
        b(rows, 0.0),
        sense(rows, '<'),
        type(columns, 'C'),
        lower(columns, 0.0),
        upper(columns, 1e21) {}

  double Objective(const std::vector<double>& x) const {
    double z = 0;
    for (int j = 0; j < n; ++j) z += c[j] * x[j];
    return z;
  }

  std::string Describe() const {
    std::ostringstream out;
    out.precision(17);
    out << "max";
    for (int j = 0; j < n; ++j) out << " " << c[j];
    out << "\n";
    for (int i = 0; i < m; ++i) {
      for (int j = 0; j < n; ++j) out << a[i][j] << " ";
      out << sense[i] << " " << b[i] << "\n";
    }
    for (int j = 0; j < n; ++j) out << "[" << lower[j] << "," << upper[j] << "]" << type[j] << " ";
    return out.str();
  }
};

// Hands the program to the solver interface; false when a setter refused it.
inline bool LoadIntoSolver(const DenseProgram& p) {
  bool ok = SolverInit(p.n, p.m) == 0;
  for (int j = 0; j < p.n; ++j) {
    ok = ok && SolverSetObjective(j + 1, p.c[j]) == 0;
    ok = ok && SolverSetColumnType(j + 1, p.type[j]) == 0;
    ok = ok && SolverSetLowerBound(j + 1, p.lower[j]) == 0;
    ok = ok && SolverSetUpperBound(j + 1, p.upper[j]) == 0;
  }
  for (int i = 0; i < p.m; ++i) {
    for (int j = 0; j < p.n; ++j) {
      if (p.a[i][j] != 0) ok = ok && SolverSetCoefficient(i + 1, j + 1, p.a[i][j]) == 0;
    }
    ok = ok && SolverSetRhs(i + 1, p.b[i]) == 0;
    ok = ok && SolverSetRowSense(i + 1, p.sense[i]) == 0;
  }
  return ok;
}

inline std::vector<double> SolverSolution(int n) {
  std::vector<double> x(n);
  for (int j = 0; j < n; ++j) x[j] = SolverValue(j + 1);
  return x;
}

// Checks x against every row, bound and integrality requirement of the program, with
// an absolute tolerance scaled by the size of the row's terms. Empty when x satisfies
// everything; otherwise the first violation found.
inline std::string CheckSolution(const DenseProgram& p, const std::vector<double>& x,
                                 double tolerance = 1e-6) {
  std::ostringstream out;
  out.precision(12);
  if (static_cast<int>(x.size()) != p.n) return "solution has the wrong size";
  for (int j = 0; j < p.n; ++j) {
    if (!std::isfinite(x[j])) {
      out << "x" << j + 1 << " is not finite";
      return out.str();
    }
    double lo = p.lower[j];
    double up = p.upper[j] > 1e20 ? INFINITY : p.upper[j];
    if (p.type[j] == 'B') {
      lo = 0;
      up = 1;
    } else if (p.type[j] == 'I') {
      up = std::min(up, 300000.0);
    }
    if (x[j] < lo - tolerance || x[j] > up + tolerance) {
      out << "x" << j + 1 << " = " << x[j] << " outside [" << lo << ", " << up << "]";
      return out.str();
    }
    if (p.type[j] != 'C' && std::fabs(x[j] - std::nearbyint(x[j])) > tolerance) {
      out << "x" << j + 1 << " = " << x[j] << " is not integral";
      return out.str();
    }
  }
  for (int i = 0; i < p.m; ++i) {
    double activity = 0;
    double scale = std::max(1.0, std::fabs(p.b[i]));
    for (int j = 0; j < p.n; ++j) {
      activity += p.a[i][j] * x[j];
      scale = std::max(scale, std::fabs(p.a[i][j] * x[j]));
    }
    const double slack = tolerance * scale;
    const bool ok = p.sense[i] == '<'   ? activity <= p.b[i] + slack
                    : p.sense[i] == '>' ? activity >= p.b[i] - slack
                                        : std::fabs(activity - p.b[i]) <= slack;
    if (!ok) {
      out << "row " << i + 1 << ": " << activity << " " << p.sense[i] << " " << p.b[i];
      return out.str();
    }
  }
  return std::string();
}

// Random programs of the shapes the analyses build: dense rows with coefficients in
// [-1, 1] of which many are exactly 0 or +-1, variables in [0, 1] (some unbounded above
// or with wider bounds), all three senses, right-hand sides >= 0 (often 0).
struct RandomShape {
  int min_columns = 2, max_columns = 14;
  int min_rows = 1, max_rows = 30;
  double zero_share = 0.3;      // coefficients exactly 0
  double unit_share = 0.2;      // coefficients exactly +-1
  double open_share = 0.1;      // columns without an upper bound
  double wide_share = 0.1;      // columns with bounds beyond [0, 1]
  double no_lower_share = 0;    // columns whose lower bound is -1e21 (none)
  double zero_rhs_share = 0.3;  // rows with b = 0 (degenerate vertices)
  double equal_share = 0.15;    // '=' rows
  double greater_share = 0.3;   // '>' rows
  bool norm_row = false;        // a first row sum x = 1
  double feasible_share = 0.6;  // programs built around a feasible point
};

inline double RandomCoefficient(std::mt19937_64& rng, const RandomShape& shape) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const double pick = u(rng);
  if (pick < shape.zero_share) return 0;
  if (pick < shape.zero_share + shape.unit_share) return u(rng) < 0.5 ? -1 : 1;
  // A few digits, as coefficients computed from performances usually have.
  return std::round((2 * u(rng) - 1) * 1e4) / 1e4;
}

inline DenseProgram RandomProgram(std::mt19937_64& rng, const RandomShape& shape) {
  std::uniform_int_distribution<int> columns(shape.min_columns, shape.max_columns);
  std::uniform_int_distribution<int> rows(shape.min_rows, shape.max_rows);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  DenseProgram p(columns(rng), rows(rng));
  for (int j = 0; j < p.n; ++j) {
    p.c[j] = RandomCoefficient(rng, shape);
    p.upper[j] = 1;
    const double kind = u(rng);
    if (kind < shape.open_share) {
      p.upper[j] = 1e21;
    } else if (kind < shape.open_share + shape.wide_share) {
      p.lower[j] = u(rng) < 0.5 ? 0 : -std::round(u(rng) * 10);
      p.upper[j] = std::round(u(rng) * 1024) + 1;
    }
    if (shape.no_lower_share > 0 && u(rng) < shape.no_lower_share) p.lower[j] = -1e21;
  }
  for (int i = 0; i < p.m; ++i) {
    for (int j = 0; j < p.n; ++j) p.a[i][j] = RandomCoefficient(rng, shape);
    const double s = u(rng);
    p.sense[i] = s < shape.equal_share                         ? '='
                 : s < shape.equal_share + shape.greater_share ? '>'
                                                               : '<';
    p.b[i] = u(rng) < shape.zero_rhs_share ? 0 : std::round(u(rng) * 1e3) / 1e3;
  }
  if (shape.norm_row && p.m > 0) {
    for (int j = 0; j < p.n; ++j) p.a[0][j] = 1;
    p.sense[0] = '=';
    p.b[0] = 1;
  }
  // Around a point inside the bounds: every row holds at that point (rows whose
  // activity there is negative are negated so that b stays >= 0).
  if (u(rng) < shape.feasible_share) {
    std::vector<double> x0(p.n);
    for (int j = 0; j < p.n; ++j) {
      const double lo = p.lower[j] > -1e20 ? p.lower[j] : p.upper[j] > 1e20 ? -1 : p.upper[j] - 2;
      const double hi = p.upper[j] > 1e20 ? lo + 2 : p.upper[j];
      x0[j] = lo + u(rng) * (hi - lo);
    }
    if (shape.norm_row) {  // a point of the unit simplex (the weights of the analyses)
      double sum = 0;
      for (int j = 0; j < p.n; ++j) sum += (x0[j] = u(rng));
      for (int j = 0; j < p.n; ++j) x0[j] /= sum;
    }
    for (int i = 0; i < p.m; ++i) {
      double activity = 0;
      for (int j = 0; j < p.n; ++j) activity += p.a[i][j] * x0[j];
      if (activity < 0 && !(shape.norm_row && i == 0)) {
        for (int j = 0; j < p.n; ++j) p.a[i][j] = -p.a[i][j];
        activity = -activity;
      }
      const double slack = u(rng) < shape.zero_rhs_share ? 0 : u(rng) * 0.5;
      if (p.sense[i] == '<') p.b[i] = activity + slack;
      if (p.sense[i] == '>') p.b[i] = std::max(0.0, activity - slack);
      if (p.sense[i] == '=') p.b[i] = activity;
    }
  }
  return p;
}

}  // namespace vido::testing

#endif  // VIDO_TESTS_SOLVER_DENSE_PROGRAM_H_
