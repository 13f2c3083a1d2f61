#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "solver/dense_program.h"
#include "solver/glpk_oracle.h"
#include "solver/solver_interface.h"
#include "support/parameter_table.h"

namespace vido {
namespace {

using testing::CheckSolution;
using testing::DenseProgram;
using testing::OracleMethod;
using testing::RandomShape;

// The seeded programs of the linear differential suite, and programs rich in what the
// presolve acts on, solved with "TIGHT" off and on: both runs must agree with GLPK on the
// status and the optimum, and each solution must satisfy the original program.
class TightDifferential : public ::testing::Test {
 protected:
  void SetUp() override { SolverSetUserPort(&port); }
  void TearDown() override {
    SolverFree();
    SolverSetUserPort(nullptr);
  }

  int SolveWith(const DenseProgram& p, bool tight, const std::string& label, double* z,
                std::vector<double>* x) {
    EXPECT_TRUE(testing::LoadIntoSolver(p)) << label;
    int status = 0;
    if (tight) {
      ScopedParameterOverride on("TIGHT", "Y");
      status = SolverSolve();
    } else {
      status = SolverSolve();
    }
    if (status == 0) {
      *z = SolverObjective();
      *x = testing::SolverSolution(p.n);
    }
    return status;
  }

  void Compare(const DenseProgram& p, const std::string& label) {
    testing::OracleResult theirs = testing::SolveWithGlpk(p);
    if (theirs.status == -1) theirs = testing::SolveWithGlpk(p, OracleMethod::kExact);
    ASSERT_NE(theirs.status, -1) << label << "\n" << p.Describe();
    for (const bool tight : {false, true}) {
      const std::string run = label + (tight ? " TIGHT on" : " TIGHT off");
      double z = 0;
      std::vector<double> x;
      const int ours = SolveWith(p, tight, run, &z, &x);
      ASSERT_EQ(ours, theirs.status) << run << "\n" << p.Describe();
      if (tight) ++counts_[ours == -1 ? 1 : ours];
      if (ours != 0) continue;
      EXPECT_EQ(CheckSolution(p, x), "") << run << "\n" << p.Describe();
      const double tolerance = 1e-6 * std::max(1.0, std::fabs(theirs.objective));
      if (std::fabs(z - theirs.objective) > tolerance) {
        theirs = testing::SolveWithGlpk(p, OracleMethod::kExact);
      }
      EXPECT_NEAR(z, theirs.objective, tolerance) << run << "\n" << p.Describe();
    }
  }

  template <typename Generate>
  void RunSeries(uint64_t seed, int count, Generate generate) {
    std::mt19937_64 rng(seed);
    for (int k = 0; k < count; ++k) {
      const DenseProgram p = generate(rng);
      Compare(p, "seed " + std::to_string(seed) + " program " + std::to_string(k));
      if (HasFatalFailure() || failures_ > 5) return;
      if (::testing::Test::HasFailure()) ++failures_;
    }
    std::printf("seed %llu: %d optimal, %d unbounded, %d infeasible of %d\n",
                static_cast<unsigned long long>(seed), counts_[0], counts_[2], counts_[3], count);
  }

  void RunShape(uint64_t seed, int count, const RandomShape& shape) {
    RunSeries(seed, count,
              [&](std::mt19937_64& rng) { return testing::RandomProgram(rng, shape); });
  }

  testing::FakeUserPort port;
  const int scale_ = std::getenv("VIDO_SLOW_TESTS") != nullptr ? 40 : 1;
  int counts_[4] = {};
  int failures_ = 0;
};

// A program with single-entry rows of either sign (b = 0 often), fixed columns, columns
// bounded below zero, and rows that tighten each other, built around a feasible point
// most of the time.
DenseProgram PresolveRichProgram(std::mt19937_64& rng) {
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
  return p;
}

TEST_F(TightDifferential, SmallDensePrograms) { RunShape(1, 150 * scale_, RandomShape{}); }

TEST_F(TightDifferential, NormRowAndUnitBoxes) {
  RandomShape shape;
  shape.norm_row = true;
  shape.open_share = 0;
  shape.wide_share = 0.05;
  RunShape(2, 100 * scale_, shape);
}

TEST_F(TightDifferential, DegenerateVertices) {
  RandomShape shape;
  shape.zero_rhs_share = 0.8;
  shape.unit_share = 0.5;
  shape.zero_share = 0.4;
  RunShape(3, 100 * scale_, shape);
}

TEST_F(TightDifferential, InfeasibleAndUnboundedMixes) {
  RandomShape shape;
  shape.feasible_share = 0.2;
  shape.open_share = 0.4;
  RunShape(4, 100 * scale_, shape);
}

TEST_F(TightDifferential, ManyRowsAndColumns) {
  RandomShape rows;
  rows.min_rows = 100;
  rows.max_rows = 300;
  rows.min_columns = 5;
  rows.max_columns = 30;
  rows.feasible_share = 0.9;
  RunShape(5, 4 * scale_, rows);
  RandomShape columns;
  columns.min_rows = 10;
  columns.max_rows = 60;
  columns.min_columns = 30;
  columns.max_columns = 120;
  RunShape(6, 10 * scale_, columns);
}

TEST_F(TightDifferential, SingletonRowsAndFixedColumns) {
  RunSeries(7, 300 * scale_, PresolveRichProgram);
}

// Cases worked by hand through the solver interface.
TEST_F(TightDifferential, HandWorkedCases) {
  ScopedParameterOverride on("TIGHT", "Y");
  // max x + y: 2x <= 6 (singleton), x + y <= 5, y fixed at 1.5 by its bounds.
  ASSERT_EQ(SolverInit(2, 2), 0);
  SolverSetObjective(1, 1);
  SolverSetObjective(2, 1);
  SolverSetCoefficient(1, 1, 2);
  SolverSetRhs(1, 6);
  SolverSetCoefficient(2, 1, 1);
  SolverSetCoefficient(2, 2, 1);
  SolverSetRhs(2, 5);
  SolverSetLowerBound(2, 1.5);
  SolverSetUpperBound(2, 1.5);
  ASSERT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverObjective(), 4.5, 1e-9);
  EXPECT_NEAR(SolverValue(1), 3, 1e-9);

  // -2x >= 0 with x in [0, 5] (b = 0, negative coefficient): x = 0.
  ASSERT_EQ(SolverInit(1, 1), 0);
  SolverSetObjective(1, 1);
  SolverSetCoefficient(1, 1, -2);
  SolverSetRowSense(1, '>');
  SolverSetUpperBound(1, 5);
  ASSERT_EQ(SolverSolve(), 0);
  EXPECT_NEAR(SolverObjective(), 0, 1e-9);

  // 2x >= 6 with x <= 1: the singleton row cannot be a bound; infeasible, not x = 1.
  SolverSetCoefficient(1, 1, 2);
  SolverSetRhs(1, 6);
  SolverSetUpperBound(1, 1);
  EXPECT_EQ(SolverSolve(), 3);

  // Unbounded stays unbounded: x - y <= 1 bounds neither column.
  ASSERT_EQ(SolverInit(2, 1), 0);
  SolverSetObjective(2, 1);
  SolverSetCoefficient(1, 1, 1);
  SolverSetCoefficient(1, 2, -1);
  SolverSetRhs(1, 1);
  EXPECT_EQ(SolverSolve(), 2);
}

}  // namespace
}  // namespace vido
