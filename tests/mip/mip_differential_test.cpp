#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "lp/solver_interface.h"
#include "mip/mip_programs.h"
#include "mip/node_store.h"
#include "mip/scratch_folder.h"
#include "solver/dense_program.h"
#include "solver/glpk_oracle.h"
#include "support/engine_folder.h"
#include "support/trace_display.h"

namespace vido {
namespace {

using testing::CheckSolution;
using testing::DenseProgram;
using testing::MixedShape;
using testing::OracleMethod;

class MipDifferential : public ::testing::Test {
 protected:
  void SetUp() override {
    SolverSetUserPort(&port);
    previous_sink_ = InstallTraceSink([this](const std::string& target, const std::string& text) {
      if (target != "Memo") return;
      if (text == "OPEN") ++swap_files_opened_;
      const std::string finish = "INTEGER SOLUTION FOUND: Searched nodes ";
      if (text.rfind(finish, 0) == 0) searched_nodes_ += std::stol(text.substr(finish.size()));
    });
  }
  void TearDown() override {
    InstallTraceSink(previous_sink_);
    SolverFree();
    SolverSetUserPort(nullptr);
    EXPECT_FALSE(std::filesystem::exists(EngineFolder() + "FIL"))
        << "a search left its swap file behind";
  }

  // Our status against glp_intopt's; at an optimum the same value within 1e-6 relative
  // and our x integral and feasible for the dense program. Returns our status.
  int Compare(const DenseProgram& p, const std::string& label,
              std::vector<double>* x_out = nullptr) {
    EXPECT_TRUE(testing::LoadIntoSolver(p)) << label;
    const int ours = SolverSolve();
    const testing::OracleResult theirs = testing::SolveWithGlpk(p, OracleMethod::kInteger);
    EXPECT_NE(theirs.status, -1) << label << "\n" << p.Describe();
    EXPECT_EQ(ours, theirs.status) << label << "\n" << p.Describe();
    ++counts_[ours == -1 ? 1 : ours];
    if (ours != 0 || theirs.status != 0) return ours;
    const double z = SolverObjective();
    const std::vector<double> x = testing::SolverSolution(p.n);
    EXPECT_EQ(CheckSolution(p, x), "") << label << "\n" << p.Describe();
    for (int j = 0; j < p.n; ++j) {
      if (p.type[j] != 'C') {
        EXPECT_EQ(x[j], std::nearbyint(x[j])) << label << " x" << j + 1;
      }
    }
    EXPECT_NEAR(z, p.Objective(x), 1e-9 * std::max(1.0, std::fabs(z))) << label;
    EXPECT_NEAR(z, theirs.objective, 1e-6 * std::max(1.0, std::fabs(theirs.objective)))
        << label << "\n"
        << p.Describe();
    if (x_out != nullptr) *x_out = x;
    return ours;
  }

  void RunSeries(uint64_t seed, int count, const MixedShape& shape) {
    std::mt19937_64 rng(seed);
    for (int k = 0; k < count; ++k) {
      const DenseProgram p = testing::RandomMixedProgram(rng, shape);
      Compare(p, "seed " + std::to_string(seed) + " program " + std::to_string(k));
      if (::testing::Test::HasFailure() && ++failures_ > 5) return;
    }
    std::printf("seed %llu: %d optimal, %d infeasible, %d unfinished of %d; %ld nodes, %d swaps\n",
                static_cast<unsigned long long>(seed), counts_[0], counts_[3], counts_[1], count,
                searched_nodes_, swap_files_opened_);
  }

  // The suggestion loop of the inconsistency analysis: solve, cut the set found, again.
  // Every step is compared with GLPK on the same program (same cuts).
  void Suggest(const testing::AnalysisTable& table, int alternatives, const std::string& label) {
    std::vector<std::vector<int>> cuts;
    const int rows = static_cast<int>(table.b.size());
    for (int s = 0; s < alternatives; ++s) {
      const DenseProgram p = testing::DropProgram(table, cuts);
      std::vector<double> x;
      const int status = Compare(p, label + " suggestion " + std::to_string(s + 1), &x);
      if (status != 0 || x.empty()) return;
      std::vector<int> set;
      for (int i = 1; i <= rows; ++i) {
        if (x[table.n + i] == 1) set.push_back(i);
      }
      if (set.empty()) return;
      cuts.push_back(set);
    }
  }

  testing::ScratchFolder scratch;
  testing::FakeUserPort port;
  TraceSinkFunction previous_sink_;
  int swap_files_opened_ = 0;
  long searched_nodes_ = 0;
  const int scale_ = std::getenv("VIDO_SLOW_TESTS") != nullptr ? 20 : 1;
  int counts_[4] = {};
  int failures_ = 0;
};

TEST_F(MipDifferential, MixedZeroOnePrograms) {
  RunSeries(11, 150 * scale_, MixedShape{});
  EXPECT_GT(searched_nodes_, 150);  // the programs do need branching
}

TEST_F(MipDifferential, PureBinaryAndGeneralIntegers) {
  MixedShape shape;
  shape.continuous_share = 0;
  shape.integer_share = 0.3;
  shape.max_columns = 16;
  RunSeries(12, 100 * scale_, shape);
}

TEST_F(MipDifferential, InfeasibleOnes) {
  MixedShape shape;
  shape.feasible_share = 0.2;
  shape.equal_share = 0.4;
  RunSeries(13, 100 * scale_, shape);
  EXPECT_GT(counts_[3], 0);
}

TEST_F(MipDifferential, ContinuousColumnsWithoutALowerBound) {
  MixedShape shape;
  shape.continuous_share = 0.4;
  shape.no_lower_share = 0.5;
  RunSeries(19, 100 * scale_, shape);
}

TEST_F(MipDifferential, RootAlreadyIntegral) {
  MixedShape shape;
  shape.integral_root = true;
  RunSeries(14, 40 * scale_, shape);
  EXPECT_EQ(searched_nodes_, 0);
}

TEST_F(MipDifferential, DropProgramsWithPlantedContradictions) {
  std::mt19937_64 rng(15);
  for (int k = 0; k < 12 * scale_ && failures_ <= 5; ++k) {
    const testing::AnalysisTable table = testing::NextDropTable(rng);
    Suggest(table, 5, "table " + std::to_string(k));
    if (::testing::Test::HasFailure()) ++failures_;
  }
}

// Table 139 of the series above: at one node of the fifth suggestion the relaxation was
// integral only because a binary fixed at 0 stood 2.6e-8 above it (coefficient 999),
// within the feasibility sum. Its rounded values admit no solution; the node held the
// optimum (5 removals) and cutting it gave 8.
TEST_F(MipDifferential, NodeIntegralOnlyWithinTheToleranceIsNotCut) {
  std::mt19937_64 rng(15);
  testing::AnalysisTable table;
  for (int k = 0; k <= 139; ++k) table = testing::NextDropTable(rng);
  Suggest(table, 5, "table 139");
  EXPECT_EQ(counts_[0], 5);
}

// A waiting limit of 1 sends nearly every parked node through the swap file and back.
TEST_F(MipDifferential, SwappingGivesTheSameResults) {
  ScopedWaitingLimit limit(1);
  MixedShape shape;
  shape.continuous_share = 0.1;
  shape.min_columns = 8;
  shape.max_columns = 16;
  shape.min_rows = 4;
  RunSeries(16, 60 * scale_, shape);
  std::mt19937_64 rng(17);
  for (int k = 0; k < 4 * scale_; ++k) {
    const testing::AnalysisTable table = testing::RandomAnalysisTable(rng, 30, 4, 2);
    Suggest(table, 3, "swapped table " + std::to_string(k));
  }
  EXPECT_GT(swap_files_opened_, 10);
}

}  // namespace
}  // namespace vido
