#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "lp/solver_interface.h"
#include "mip/mip_programs.h"
#include "mip/scratch_folder.h"
#include "solver/dense_program.h"
#include "solver/glpk_oracle.h"
#include "support/parameter_table.h"

namespace vido {
namespace {

using testing::CheckSolution;
using testing::DenseProgram;
using testing::MixedShape;
using testing::OracleMethod;

// The seeded programs of the integer differential suite solved with the presolve on
// ("TIGHT"): the same status and optimum as glp_intopt, and a solution that is integral
// and feasible for the program as stated.
class TightMipDifferential : public ::testing::Test {
 protected:
  void SetUp() override { SolverSetUserPort(&port); }
  void TearDown() override {
    SolverFree();
    SolverSetUserPort(nullptr);
  }

  // GLPK wants whole bounds on integer columns: rounded inward here; a column left
  // without a whole number in its range makes the program infeasible.
  static testing::OracleResult Oracle(DenseProgram p) {
    for (int j = 0; j < p.n; ++j) {
      if (p.type[j] != 'I') continue;
      p.lower[j] = std::ceil(p.lower[j] - 1e-9);
      p.upper[j] = std::floor(std::min(p.upper[j], 300000.0) + 1e-9);
      if (p.lower[j] > p.upper[j]) return {3, 0, {}};
    }
    return testing::SolveWithGlpk(p, OracleMethod::kInteger);
  }

  int Compare(const DenseProgram& p, const std::string& label,
              std::vector<double>* x_out = nullptr) {
    EXPECT_TRUE(testing::LoadIntoSolver(p)) << label;
    const int ours = SolverSolve();
    const testing::OracleResult theirs = Oracle(p);
    EXPECT_NE(theirs.status, -1) << label << "\n" << p.Describe();
    EXPECT_EQ(ours, theirs.status) << label << "\n" << p.Describe();
    ++counts_[ours == -1 ? 1 : ours];
    if (ours != 0 || theirs.status != 0) return ours;
    const double z = SolverObjective();
    const std::vector<double> x = testing::SolverSolution(p.n);
    EXPECT_EQ(CheckSolution(p, x), "") << label << "\n" << p.Describe();
    EXPECT_NEAR(z, theirs.objective, 1e-6 * std::max(1.0, std::fabs(theirs.objective)))
        << label << "\n"
        << p.Describe();
    if (x_out != nullptr) *x_out = x;
    return ours;
  }

  template <typename Generate>
  void RunSeries(uint64_t seed, int count, Generate generate) {
    std::mt19937_64 rng(seed);
    for (int k = 0; k < count; ++k) {
      Compare(generate(rng), "seed " + std::to_string(seed) + " program " + std::to_string(k));
      if (::testing::Test::HasFailure() && ++failures_ > 5) return;
    }
    std::printf("seed %llu: %d optimal, %d infeasible, %d unfinished of %d\n",
                static_cast<unsigned long long>(seed), counts_[0], counts_[3], counts_[1], count);
  }

  void RunShape(uint64_t seed, int count, const MixedShape& shape) {
    RunSeries(seed, count,
              [&](std::mt19937_64& rng) { return testing::RandomMixedProgram(rng, shape); });
  }

  testing::ScratchFolder scratch;  // the search's files and the report file "CMP"
  ScopedParameterOverride tight{"TIGHT", "Y"};
  testing::FakeUserPort port;
  const int scale_ = std::getenv("VIDO_SLOW_TESTS") != nullptr ? 20 : 1;
  int counts_[4] = {};
  int failures_ = 0;
};

TEST_F(TightMipDifferential, MixedZeroOnePrograms) { RunShape(11, 150 * scale_, MixedShape{}); }

TEST_F(TightMipDifferential, PureBinaryAndGeneralIntegers) {
  MixedShape shape;
  shape.continuous_share = 0;
  shape.integer_share = 0.3;
  shape.max_columns = 16;
  RunShape(12, 100 * scale_, shape);
}

TEST_F(TightMipDifferential, InfeasibleOnes) {
  MixedShape shape;
  shape.feasible_share = 0.2;
  shape.equal_share = 0.4;
  RunShape(13, 100 * scale_, shape);
  EXPECT_GT(counts_[3], 0);
}

TEST_F(TightMipDifferential, RootAlreadyIntegral) {
  MixedShape shape;
  shape.integral_root = true;
  RunShape(14, 40 * scale_, shape);
}

// The suggestion loop of the inconsistency analysis on its drop programs.
TEST_F(TightMipDifferential, DropPrograms) {
  std::mt19937_64 rng(15);
  for (int k = 0; k < 12 * scale_ && failures_ <= 5; ++k) {
    const testing::AnalysisTable table = testing::NextDropTable(rng);
    const int rows = static_cast<int>(table.b.size());
    std::vector<std::vector<int>> cuts;
    for (int s = 0; s < 5; ++s) {
      const DenseProgram p = testing::DropProgram(table, cuts);
      std::vector<double> x;
      const std::string label = "table " + std::to_string(k) + " suggestion " + std::to_string(s);
      if (Compare(p, label, &x) != 0 || x.empty()) break;
      std::vector<int> set;
      for (int i = 1; i <= rows; ++i) {
        if (x[table.n + i] == 1) set.push_back(i);
      }
      if (set.empty()) break;
      cuts.push_back(set);
    }
    if (::testing::Test::HasFailure()) ++failures_;
  }
}

// Integer columns with fractional bounds, negative ones included, and single-entry rows
// with either sign of coefficient: what the presolve rounds and turns into bounds.
TEST_F(TightMipDifferential, FractionalBoundsAndSingletonRows) {
  RunSeries(18, 150 * scale_, [](std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    MixedShape shape;
    shape.integer_share = 0.4;
    DenseProgram p = testing::RandomMixedProgram(rng, shape);
    for (int j = 0; j < p.n; ++j) {
      if (p.type[j] != 'I' || u(rng) < 0.3) continue;
      p.lower[j] = std::round((u(rng) * 6 - 3) * 10) / 10;
      p.upper[j] = p.lower[j] + std::round(u(rng) * 60) / 10;
      // At least one whole number in range: a range without one is the search's concern
      // (it must find the program infeasible, with or without the presolve).
      if (std::ceil(p.lower[j]) > std::floor(p.upper[j])) p.upper[j] = std::ceil(p.lower[j]) + 0.4;
    }
    for (int i = 0; i < p.m; ++i) {
      if (u(rng) >= 0.3) continue;
      const int keep = static_cast<int>(u(rng) * p.n);
      for (int j = 0; j < p.n; ++j) {
        if (j != keep) p.a[i][j] = 0;
      }
      if (p.a[i][keep] == 0) p.a[i][keep] = u(rng) < 0.5 ? -1.5 : 2.5;
      p.b[i] = u(rng) < 0.4 ? 0 : std::round(u(rng) * 40) / 10;
    }
    return p;
  });
}

}  // namespace
}  // namespace vido
