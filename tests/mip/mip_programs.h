#ifndef VIDO_TESTS_MIP_MIP_PROGRAMS_H_
#define VIDO_TESTS_MIP_MIP_PROGRAMS_H_

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "solver/dense_program.h"

namespace vido::testing {

// Mixed 0-1 programs: mostly binary columns, some continuous ones in [0, u] and some
// general integers, knapsack-like rows with a few digits, all three senses.
struct MixedShape {
  int min_columns = 2, max_columns = 12;
  int min_rows = 1, max_rows = 12;
  double continuous_share = 0.25;
  double integer_share = 0.1;
  double equal_share = 0.1;
  double greater_share = 0.25;
  double feasible_share = 0.8;  // rows built to hold at a random integral point
  bool integral_root = false;   // a totally unimodular program: root already integral
  double no_lower_share = 0;    // continuous columns whose lower bound is -1e21 (none)
};

inline DenseProgram RandomMixedProgram(std::mt19937_64& rng, const MixedShape& shape) {
  std::uniform_int_distribution<int> columns(shape.min_columns, shape.max_columns);
  std::uniform_int_distribution<int> rows(shape.min_rows, shape.max_rows);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  DenseProgram p(columns(rng), rows(rng));
  if (shape.integral_root) {
    // An assignment-like program: each row a sum of a disjoint block of columns <= 1,
    // binary columns, integral objective: the relaxation's vertices are integral.
    for (int j = 0; j < p.n; ++j) {
      p.type[j] = 'B';
      p.c[j] = std::round(u(rng) * 20 - 5);
      p.a[j % p.m][j] = 1;
    }
    for (int i = 0; i < p.m; ++i) p.b[i] = 1;
    return p;
  }
  std::vector<double> x0(p.n);
  for (int j = 0; j < p.n; ++j) {
    const double kind = u(rng);
    if (kind < shape.continuous_share) {
      p.type[j] = 'C';
      p.upper[j] = u(rng) < 0.3 ? 1e21 : std::round(1 + u(rng) * 9);
      x0[j] = u(rng) * std::min(p.upper[j], 5.0);
      if (shape.no_lower_share > 0 && u(rng) < shape.no_lower_share) p.lower[j] = -1e21;
    } else if (kind < shape.continuous_share + shape.integer_share) {
      p.type[j] = 'I';
      p.upper[j] = std::round(1 + u(rng) * 6);
      x0[j] = std::floor(u(rng) * (p.upper[j] + 1));
    } else {
      p.type[j] = 'B';
      x0[j] = u(rng) < 0.5 ? 0 : 1;
    }
    p.c[j] = std::round((u(rng) * 2 - 0.6) * 1000) / 100;
  }
  for (int i = 0; i < p.m; ++i) {
    double activity = 0;
    for (int j = 0; j < p.n; ++j) {
      if (u(rng) < 0.35) continue;
      p.a[i][j] = std::round((u(rng) * 2 - 0.5) * 1000) / 100;
      activity += p.a[i][j] * x0[j];
    }
    const double s = u(rng);
    p.sense[i] = s < shape.equal_share                         ? '='
                 : s < shape.equal_share + shape.greater_share ? '>'
                                                               : '<';
    if (u(rng) >= shape.feasible_share) activity += (u(rng) - 0.5) * 10;
    if (activity < 0) {
      for (int j = 0; j < p.n; ++j) p.a[i][j] = -p.a[i][j];
      activity = -activity;
      if (p.sense[i] != '=') p.sense[i] = p.sense[i] == '<' ? '>' : '<';
    }
    const double slack = std::round(u(rng) * 300) / 100;
    if (p.sense[i] == '<') p.b[i] = activity + slack;
    if (p.sense[i] == '>') p.b[i] = std::max(0.0, activity - slack);
    if (p.sense[i] == '=') p.b[i] = activity;
  }
  // Keep the continuous part bounded in the objective's direction.
  for (int j = 0; j < p.n; ++j) {
    if (p.type[j] == 'C' && p.upper[j] > 1e20 && p.c[j] > 0) p.upper[j] = 8;
    if (p.type[j] == 'C' && p.lower[j] < -1e20 && p.c[j] < 0) p.lower[j] = -8;
  }
  return p;
}

// The analysis table of an inconsistency run: rows a_i . (lambda, k) >= b_i over the
// cutting level and the n weights, built to hold at one parameter vector with a margin,
// with `contradictions` rows turned against that vector.
struct AnalysisTable {
  int n = 3;  // criteria
  std::vector<std::vector<double>> a;
  std::vector<double> b;
};

inline AnalysisTable RandomAnalysisTable(std::mt19937_64& rng, int rows, int criteria,
                                         int contradictions) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  AnalysisTable t;
  t.n = criteria;
  std::vector<double> point(criteria + 1);
  point[0] = 0.5 + 0.4 * u(rng);
  double sum = 0;
  for (int j = 1; j <= criteria; ++j) sum += (point[j] = 0.2 + u(rng));
  for (int j = 1; j <= criteria; ++j) point[j] /= sum;
  for (int r = 0; r < rows; ++r) {
    std::vector<double> row(criteria + 1, 0.0);
    double activity = 0;
    const int kind = r % 4;
    if (kind == 0) {  // an example row: concordance of the weights against lambda
      row[0] = -1;
      for (int j = 1; j <= criteria; ++j)
        row[j] = u(rng) < 0.3 ? 0 : std::round(u(rng) * 100) / 100;
    } else if (kind == 1) {  // the other side of an example
      row[0] = 1;
      for (int j = 1; j <= criteria; ++j)
        row[j] = u(rng) < 0.3 ? 0 : -std::round(u(rng) * 100) / 100;
    } else if (kind == 2) {  // a bound of a weight or of lambda
      const int j = static_cast<int>(u(rng) * (criteria + 1)) % (criteria + 1);
      row[j] = u(rng) < 0.5 ? 1 : -1;
    } else {  // an additional constraint between weights
      const int j1 = 1 + static_cast<int>(u(rng) * criteria) % criteria;
      const int j2 = 1 + static_cast<int>(u(rng) * criteria) % criteria;
      row[j1] += 1;
      row[j2] -= 1;
    }
    for (int j = 0; j <= criteria; ++j) activity += row[j] * point[j];
    double rhs = activity - 0.0001 - std::round(u(rng) * 100) / 1000;
    if (r < contradictions) rhs = activity + 0.05 + std::round(u(rng) * 100) / 1000;
    t.a.push_back(row);
    t.b.push_back(std::round(rhs * 1e6) / 1e6);
  }
  // Mix the planted contradictions among the others.
  for (int r = 0; r < contradictions && rows > 0; ++r) {
    const int other = static_cast<int>(u(rng) * rows) % rows;
    std::swap(t.a[r], t.a[other]);
    std::swap(t.b[r], t.b[other]);
  }
  return t;
}

// The next table of the drop-program series: 6 to 35 rows, 2 to 5 criteria, up to 3
// planted contradictions.
inline AnalysisTable NextDropTable(std::mt19937_64& rng) {
  const int rows = 6 + static_cast<int>(rng() % 30);
  const int criteria = 2 + static_cast<int>(rng() % 4);
  const int planted = static_cast<int>(rng() % 4);
  return RandomAnalysisTable(rng, rows, criteria, planted);
}

// The drop program of the table with the cuts so far (each a set of row numbers).
inline DenseProgram DropProgram(const AnalysisTable& t, const std::vector<std::vector<int>>& cuts) {
  const int m_rows = static_cast<int>(t.b.size());
  const int columns = t.n + 1 + m_rows;
  DenseProgram p(columns, m_rows + 1 + static_cast<int>(cuts.size()));
  for (int j = t.n + 1; j < columns; ++j) {
    p.type[j] = 'B';
    p.c[j] = -1;
  }
  for (int i = 0; i < m_rows; ++i) {
    const double rhs = t.b[i] + 0.00001;
    const double sign = rhs >= 0 ? 1 : -1;
    for (int j = 0; j <= t.n; ++j) p.a[i][j] = sign * t.a[i][j];
    p.a[i][t.n + 1 + i] = sign * 999;
    p.sense[i] = rhs >= 0 ? '>' : '<';
    p.b[i] = std::fabs(rhs);
  }
  for (int j = 1; j <= t.n; ++j) p.a[m_rows][j] = 1;
  p.sense[m_rows] = '=';
  p.b[m_rows] = 1;
  for (size_t k = 0; k < cuts.size(); ++k) {
    const int row = m_rows + 1 + static_cast<int>(k);
    for (int i : cuts[k]) p.a[row][t.n + i] = 1;
    p.sense[row] = '<';
    p.b[row] = static_cast<double>(cuts[k].size()) - 1;
  }
  return p;
}

}  // namespace vido::testing

#endif  // VIDO_TESTS_MIP_MIP_PROGRAMS_H_
