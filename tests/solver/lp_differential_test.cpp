#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "common/fake_user_port.h"
#include "lp/solver_interface.h"
#include "solver/dense_program.h"
#include "solver/glpk_oracle.h"

namespace vido {
namespace {

using testing::CheckSolution;
using testing::DenseProgram;
using testing::OracleMethod;
using testing::RandomShape;

class LpDifferential : public ::testing::Test {
 protected:
  void SetUp() override { SolverSetUserPort(&port); }
  void TearDown() override {
    SolverFree();
    SolverSetUserPort(nullptr);
  }

  // Solves the program with our engine and with GLPK and compares: the same status, the
  // same optimum within 1e-6 relative, and our x feasible for the dense program. Our
  // engine may be given the program with its rows typed in other magnitudes (`typed`).
  void Compare(const DenseProgram& p, const std::string& label,
               const DenseProgram* typed = nullptr) {
    ASSERT_TRUE(testing::LoadIntoSolver(typed != nullptr ? *typed : p)) << label;
    const int ours = SolverSolve();
    testing::OracleResult theirs = testing::SolveWithGlpk(p);
    if (theirs.status == -1) theirs = testing::SolveWithGlpk(p, OracleMethod::kExact);
    ASSERT_NE(theirs.status, -1) << label << "\n" << p.Describe();
    ASSERT_EQ(ours, theirs.status) << label << "\n" << p.Describe();
    ++counts_[ours == -1 ? 1 : ours];
    if (ours != 0) return;
    const double z = SolverObjective();
    const std::vector<double> x = testing::SolverSolution(p.n);
    EXPECT_EQ(CheckSolution(p, x), "") << label << "\n" << p.Describe();
    EXPECT_NEAR(z, p.Objective(x), 1e-9 * std::max(1.0, std::fabs(z))) << label;
    const double tolerance = 1e-6 * std::max(1.0, std::fabs(theirs.objective));
    if (std::fabs(z - theirs.objective) > tolerance) {
      // Confirm the reference before blaming the engine.
      theirs = testing::SolveWithGlpk(p, OracleMethod::kExact);
    }
    EXPECT_NEAR(z, theirs.objective, tolerance) << label << "\n" << p.Describe();
    ++optimal_;
  }

  // `spread` > 0: every row is multiplied by 10^e, e drawn from -spread..spread, before
  // it reaches our engine, as a user may type a constraint in any unit.
  void RunSeries(uint64_t seed, int count, const RandomShape& shape, int spread = 0) {
    std::mt19937_64 rng(seed);
    for (int k = 0; k < count; ++k) {
      const DenseProgram p = testing::RandomProgram(rng, shape);
      DenseProgram typed = p;
      for (int i = 0; spread > 0 && i < p.m; ++i) {
        const double factor = std::pow(10.0, static_cast<int>(rng() % (2 * spread + 1)) - spread);
        for (double& a : typed.a[i]) a *= factor;
        typed.b[i] *= factor;
      }
      Compare(p, "seed " + std::to_string(seed) + " program " + std::to_string(k),
              spread > 0 ? &typed : nullptr);
      if (HasFatalFailure() || failures_ > 5) return;
      if (::testing::Test::HasFailure()) ++failures_;
    }
    std::printf("seed %llu: %d optimal, %d unbounded, %d infeasible of %d\n",
                static_cast<unsigned long long>(seed), counts_[0], counts_[2], counts_[3], count);
  }

  testing::FakeUserPort port;
  // The long run (ctest label "slow") sets VIDO_SLOW_TESTS and solves many more.
  const int scale_ = std::getenv("VIDO_SLOW_TESTS") != nullptr ? 40 : 1;
  int optimal_ = 0;
  int counts_[4] = {};
  int failures_ = 0;
};

// The shapes of the analyses, each a series of seeded programs.
TEST_F(LpDifferential, SmallDenseProgramsAgreeWithGlpk) {
  RandomShape shape;
  RunSeries(1, 150 * scale_, shape);
}

TEST_F(LpDifferential, NormRowAndUnitBoxes) {
  RandomShape shape;
  shape.norm_row = true;
  shape.open_share = 0;
  shape.wide_share = 0.05;
  RunSeries(2, 100 * scale_, shape);
}

TEST_F(LpDifferential, DegenerateVertices) {
  RandomShape shape;
  shape.zero_rhs_share = 0.8;
  shape.unit_share = 0.5;
  shape.zero_share = 0.4;
  RunSeries(3, 100 * scale_, shape);
}

TEST_F(LpDifferential, InfeasibleAndUnboundedMixes) {
  RandomShape shape;
  shape.feasible_share = 0.2;
  shape.open_share = 0.4;
  RunSeries(4, 100 * scale_, shape);
}

// Columns without a lower bound, with a finite upper bound or none (free).
TEST_F(LpDifferential, ColumnsWithoutALowerBound) {
  RandomShape shape;
  shape.no_lower_share = 0.3;
  shape.open_share = 0.3;
  RunSeries(8, 100 * scale_, shape);
  EXPECT_GT(counts_[0], 20 * scale_);
  shape.min_rows = 40;
  shape.max_rows = 120;
  shape.min_columns = 5;
  shape.max_columns = 30;
  shape.feasible_share = 0.8;
  const int optimal_before = counts_[0];
  RunSeries(9, 10 * scale_, shape);
  EXPECT_GT(counts_[0] - optimal_before, 3 * scale_);
}

TEST_F(LpDifferential, ManyRows) {
  RandomShape shape;
  shape.min_rows = 100;
  shape.max_rows = 300;
  shape.min_columns = 5;
  shape.max_columns = 30;
  shape.feasible_share = 0.9;
  RunSeries(5, 4 * scale_, shape);
}

TEST_F(LpDifferential, ManyColumns) {
  RandomShape shape;
  shape.min_rows = 10;
  shape.max_rows = 60;
  shape.min_columns = 30;
  shape.max_columns = 120;
  RunSeries(6, 10 * scale_, shape);
}

// The analyses' shape (columns in [0, 1], "Norm") with every row typed in a magnitude
// from 1e-9 to 1e9: the same verdicts and optima as the rows of unit size.
TEST_F(LpDifferential, RowsTypedInAnyMagnitude) {
  RandomShape shape;
  shape.norm_row = true;
  shape.open_share = 0;
  shape.wide_share = 0.05;
  RunSeries(10, 100 * scale_, shape, 9);
  EXPECT_GT(counts_[0], 20 * scale_);
  EXPECT_GT(counts_[3], 5 * scale_);
}

// Known fault, kept for the engine's next round: program 3334 of the slow series of
// seed 8 with every row brought to a largest coefficient in [1, 2) (rows 2 and 3 are
// doubled) is reported unbounded; GLPK finds an optimum, as for the rows as generated.
// The solver interface leaves rows of ordinary size as they are, so no analysis meets it.
TEST_F(LpDifferential, DISABLED_ScaledRowsOfAProgramWithoutLowerBounds) {
  RandomShape shape;
  shape.no_lower_share = 0.3;
  shape.open_share = 0.3;
  std::mt19937_64 rng(8);
  DenseProgram p = testing::RandomProgram(rng, shape);
  for (int k = 1; k <= 3334; ++k) p = testing::RandomProgram(rng, shape);
  DenseProgram scaled = p;
  for (int i = 0; i < p.m; ++i) {
    double largest = 0;
    for (const double a : p.a[i]) largest = std::max(largest, std::fabs(a));
    const double factor = largest > 0 ? std::exp2(-std::ilogb(largest)) : 1;
    for (double& a : scaled.a[i]) a *= factor;
    scaled.b[i] *= factor;
  }
  Compare(p, "seed 8 program 3334, rows scaled", &scaled);
}

// The robust analysis's shape: 13 columns in [0, 1] with "Norm", 2000 rows.
TEST_F(LpDifferential, RobustAnalysisShape) {
  RandomShape shape;
  shape.min_rows = shape.max_rows = 2001;
  shape.min_columns = shape.max_columns = 13;
  shape.norm_row = true;
  shape.open_share = 0;
  shape.wide_share = 0;
  shape.equal_share = 0;
  shape.feasible_share = 1;
  RunSeries(7, scale_ > 1 ? 10 : 1, shape);
}

}  // namespace
}  // namespace vido
