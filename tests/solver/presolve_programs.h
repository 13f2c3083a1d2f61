#ifndef VIDO_TESTS_SOLVER_PRESOLVE_PROGRAMS_H_
#define VIDO_TESTS_SOLVER_PRESOLVE_PROGRAMS_H_

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "solver/dense_program.h"

namespace vido::testing {

// Right-hand sides that the point x0 meets: each row turned to a non-negative activity
// there, then b at it, a random slack beyond it for "<" and ">" rows.
inline void HoldAt(DenseProgram& p, const std::vector<double>& x0, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int i = 0; i < p.m; ++i) {
    double activity = 0;
    for (int j = 0; j < p.n; ++j) activity += p.a[i][j] * x0[j];
    if (activity < 0) {
      for (int j = 0; j < p.n; ++j) p.a[i][j] = -p.a[i][j];
      activity = -activity;
    }
    const double slack = u(rng) < 0.3 ? 0 : u(rng);
    if (p.sense[i] == '<') p.b[i] = activity + slack;
    if (p.sense[i] == '>') p.b[i] = std::max(0.0, activity - slack);
    if (p.sense[i] == '=') p.b[i] = activity;
  }
}

// A program with single-entry rows of either sign (b = 0 often), fixed columns, columns
// bounded below zero, and rows that tighten each other, built around a feasible point
// most of the time.
inline DenseProgram PresolveRichProgram(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  RandomShape shape;
  shape.max_columns = 10;
  shape.max_rows = 15;
  shape.zero_share = 0.5;
  DenseProgram p = testing::RandomProgram(rng, shape);
  for (int j = 0; j < p.n; ++j) {
    const double pick = u(rng);
    if (pick < 0.15) {
      p.lower[j] = p.upper[j] = std::round(u(rng) * 8 - 4) / 2;  // fixed, maybe negative
    } else if (pick < 0.3) {
      p.lower[j] = -std::round(u(rng) * 20) / 4;
      p.upper[j] = p.lower[j] + std::round(u(rng) * 40) / 4;
    }
  }
  for (int i = 0; i < p.m; ++i) {
    if (u(rng) >= 0.35) continue;
    const int keep = static_cast<int>(u(rng) * p.n);
    for (int j = 0; j < p.n; ++j) p.a[i][j] = j == keep ? p.a[i][j] : 0.0;
    if (p.a[i][keep] == 0) p.a[i][keep] = u(rng) < 0.5 ? -2 : 0.5;
    p.b[i] = u(rng) < 0.4 ? 0.0 : std::round(u(rng) * 12) / 4;
  }
  if (u(rng) < 0.7) {  // right-hand sides that a point inside the bounds meets
    std::vector<double> x0(p.n);
    for (int j = 0; j < p.n; ++j) {
      const double lo = p.lower[j] < -1e20 ? -3 : p.lower[j];
      const double hi = p.upper[j] > 1e20 ? lo + 3 : p.upper[j];
      x0[j] = lo + u(rng) * (hi - lo);
    }
    HoldAt(p, x0, rng);
  }
  return p;
}

// Integer and binary columns, some with fractional (also negative) bounds.
inline DenseProgram IntegerProgram(std::mt19937_64& rng, bool rich) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  DenseProgram p;
  if (rich) {
    p = PresolveRichProgram(rng);
  } else {
    RandomShape shape;
    shape.max_columns = 8;
    shape.max_rows = 10;
    p = testing::RandomProgram(rng, shape);
  }
  for (int j = 0; j < p.n; ++j) {
    const double pick = u(rng);
    if (pick < 0.3) {
      p.type[j] = 'B';
    } else if (pick < 0.7) {
      p.type[j] = 'I';
      if (u(rng) < 0.5) {
        p.lower[j] = std::round((u(rng) * 8 - 4) * 10) / 10;
        p.upper[j] = p.lower[j] + std::round(u(rng) * 60) / 10;
      } else if (p.upper[j] > 1e20) {
        p.upper[j] = 20;
      }
    }
  }
  if (u(rng) < 0.6) {  // right-hand sides that a point with whole integer columns meets
    std::vector<double> x0(p.n);
    for (int j = 0; j < p.n; ++j) {
      const double lo = p.type[j] == 'B' ? 0 : p.lower[j] < -1e20 ? -3 : p.lower[j];
      const double hi = p.type[j] == 'B' ? 1 : p.upper[j] > 1e20 ? lo + 3 : p.upper[j];
      x0[j] = lo + u(rng) * (hi - lo);
      if (p.type[j] != 'C' && std::ceil(lo) <= std::floor(hi)) {
        x0[j] = std::clamp(std::round(x0[j]), std::ceil(lo), std::floor(hi));
      }
    }
    HoldAt(p, x0, rng);
  }
  return p;
}

}  // namespace vido::testing

#endif  // VIDO_TESTS_SOLVER_PRESOLVE_PROGRAMS_H_
