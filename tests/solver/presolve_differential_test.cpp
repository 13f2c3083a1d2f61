#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "lp/solver_interface.h"
#include "solver/dense_program.h"
#include "solver/glpk_oracle.h"
#include "solver/lp_engine.h"
#include "solver/presolve.h"
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

TEST_F(TightDifferential, ColumnsWithoutALowerBound) {
  RandomShape shape;
  shape.no_lower_share = 0.3;
  shape.open_share = 0.3;
  RunShape(8, 100 * scale_, shape);
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

// The presolve's model checked on its own, whatever solves it: the program is built into
// an engine the way the solver interface builds it, presolved, and read back as a dense
// program; GLPK must find the same status and optimum for both, for linear programs and
// for integer ones (whose search the reduced model must not mislead).
class PresolvedModel : public ::testing::Test {
 protected:
  void TearDown() override { LpRelease(engine_); }

  DenseProgram Presolved(const DenseProgram& p) {
    LpCreate(engine_, port_);
    engine_.problem_name = "MIPSolver";
    EXPECT_TRUE(LpDefineRow(engine_, "OBJ", 'N'));
    for (int i = 0; i < p.m; ++i) {
      const char type = p.sense[i] == '<' ? 'L' : p.sense[i] == '>' ? 'G' : 'E';
      EXPECT_TRUE(LpDefineRow(engine_, "Const" + std::to_string(i + 1), type));
    }
    for (int j = 0; j < p.n; ++j) {
      const std::string name = "Var" + std::to_string(j + 1);
      LpSetElement(engine_, "OBJ", name, p.c[j]);
      for (int i = 0; i < p.m; ++i) {
        LpSetElement(engine_, "Const" + std::to_string(i + 1), name, p.a[i][j]);
      }
    }
    for (int i = 0; i < p.m; ++i) LpSetRhs(engine_, "Const" + std::to_string(i + 1), p.b[i]);
    for (int j = 0; j < p.n; ++j) {
      const std::string name = "Var" + std::to_string(j + 1);
      if (p.type[j] == 'B') {
        LpSetBound(engine_, name, "BV", 1);
        continue;
      }
      LpSetBound(engine_, name, p.type[j] == 'I' ? "UI" : "UP", p.upper[j]);
      if (p.lower[j] != 0) LpSetBound(engine_, name, "LO", p.lower[j]);
    }
    LpPresolve(engine_);

    // Back to a dense program: the constraint rows left, the columns with their new
    // bounds ('B' columns become 'I' so that the oracle keeps the bounds found here).
    std::vector<int> index(engine_.row_count + 1, -1);
    int m = 0;
    for (int32_t i = 1; i <= engine_.row_count; ++i) {
      if (engine_.Row(i).type != kRowN) index[i] = m++;
    }
    DenseProgram q(p.n, std::max(m, 1));  // an empty row 0 <= 0 when none is left
    for (int32_t i = 1; i <= engine_.row_count; ++i) {
      if (index[i] < 0) continue;
      const int8_t type = engine_.Row(i).type;
      q.sense[index[i]] = type == kRowL ? '<' : type == kRowG ? '>' : '=';
    }
    for (const LpEntry& entry : engine_.Column(kRhsColumn).entries) {
      if (index[entry.row] >= 0) q.b[index[entry.row]] = entry.value;
    }
    for (int j = 0; j < p.n; ++j) {
      const int32_t position = LpLookupColumn(engine_, "Var" + std::to_string(j + 1));
      EXPECT_NE(position, 0);
      const LpColumn& column = engine_.Column(position);
      q.c[j] = p.c[j];
      q.type[j] = p.type[j] == 'C' ? 'C' : 'I';
      q.lower[j] = column.lower;
      q.upper[j] = column.upper;
      EXPECT_LE(column.lower, column.upper) << column.name;
      for (const LpEntry& entry : column.entries) {
        if (index[entry.row] >= 0) q.a[index[entry.row]][j] = entry.value;
      }
    }
    return q;
  }

  // GLPK's floating-point simplex, as in the linear suite: these programs often hold
  // only up to rounding, which exact arithmetic would call infeasible.
  void Compare(const DenseProgram& p, const std::string& label) {
    const OracleMethod method = std::count(p.type.begin(), p.type.end(), 'C') == p.n
                                    ? OracleMethod::kSimplex
                                    : OracleMethod::kInteger;
    testing::OracleResult before = Oracle(p, method);
    ASSERT_NE(before.status, -1) << label << "\n" << p.Describe();
    const DenseProgram q = Presolved(p);
    LpRelease(engine_);
    testing::OracleResult after = Oracle(q, method);
    const double tolerance = 1e-6 * std::max(1.0, std::fabs(before.objective));
    const bool differ =
        after.status != before.status || std::fabs(after.objective - before.objective) > tolerance;
    if (differ && method == OracleMethod::kSimplex) {
      // The floating-point simplex may stumble on a box squeezed around a vertex: ask
      // exact arithmetic about both.
      before = Oracle(p, OracleMethod::kExact);
      after = Oracle(q, OracleMethod::kExact);
    }
    ASSERT_EQ(after.status, before.status) << label << "\n" << p.Describe() << "\n" << q.Describe();
    ++counts_[before.status];
    if (before.status != 0) return;
    EXPECT_NEAR(after.objective, before.objective, tolerance) << label << "\n"
                                                              << p.Describe() << "\n"
                                                              << q.Describe();
    // A solution of the reduced program solves the original one.
    EXPECT_EQ(CheckSolution(p, after.x), "") << label << "\n" << p.Describe();
  }

  // GLPK wants whole bounds on integer columns: they are rounded inward here, and a
  // column left without a whole number in its range makes the program infeasible.
  static testing::OracleResult Oracle(DenseProgram p, OracleMethod method) {
    for (int j = 0; j < p.n; ++j) {
      if (p.type[j] != 'I') continue;
      p.lower[j] = std::ceil(p.lower[j] - 1e-9);
      p.upper[j] = std::floor(std::min(p.upper[j], 300000.0) + 1e-9);
      if (p.lower[j] > p.upper[j]) return {3, 0, {}};
    }
    return testing::SolveWithGlpk(p, method);
  }

  testing::FakeUserPort port_;
  LpEngine engine_;
  const int scale_ = std::getenv("VIDO_SLOW_TESTS") != nullptr ? 20 : 1;
  int counts_[4] = {};
};

// Integer and binary columns, some with fractional (also negative) bounds.
DenseProgram IntegerProgram(std::mt19937_64& rng, bool rich) {
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

TEST_F(PresolvedModel, LinearProgramsKeepTheirOptimum) {
  std::mt19937_64 rng(11);
  for (int k = 0; k < 200 * scale_; ++k) {
    Compare(k % 2 == 0 ? PresolveRichProgram(rng) : testing::RandomProgram(rng, RandomShape{}),
            "program " + std::to_string(k));
    if (HasFatalFailure()) return;
  }
  std::printf("%d optimal, %d unbounded, %d infeasible\n", counts_[0], counts_[2], counts_[3]);
}

TEST_F(PresolvedModel, IntegerProgramsKeepTheirOptimum) {
  std::mt19937_64 rng(12);
  for (int k = 0; k < 300 * scale_; ++k) {
    Compare(IntegerProgram(rng, k % 2 == 0), "program " + std::to_string(k));
    if (HasFatalFailure()) return;
  }
  std::printf("%d optimal, %d infeasible\n", counts_[0], counts_[3]);
}

}  // namespace
}  // namespace vido
