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
#include "solver/presolve_programs.h"
#include "support/parameter_table.h"

namespace vido {
namespace {

using testing::CheckSolution;
using testing::DenseProgram;
using testing::IntegerProgram;
using testing::OracleMethod;
using testing::PresolveRichProgram;
using testing::RandomShape;

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
