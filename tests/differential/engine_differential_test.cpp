// The engine against GLPK on seeded random programs, in four modes: linear programs,
// linear ones with the presolve on ("TIGHT", each solved with it off and on), integer
// programs, and integer ones with the presolve. Every program must get GLPK's status and,
// at an optimum, its value within 1e-6 relative, with our x feasible (and integral) for
// the program as stated. Linear programs are also re-solved through the solver session
// after an objective change, a bound change and an appended row: the warm verdict and
// optimum must be the cold one's (1e-9 relative).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
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
#include "solver/presolve_programs.h"
#include "support/engine_folder.h"
#include "support/parameter_table.h"
#include "support/trace_display.h"

namespace vido {
namespace {

using testing::CheckSolution;
using testing::DenseProgram;
using testing::MixedShape;
using testing::OracleMethod;
using testing::OracleResult;
using testing::RandomShape;

enum class Mode { kLinear, kTight, kInteger, kTightInteger };

bool Integer(Mode mode) { return mode == Mode::kInteger || mode == Mode::kTightInteger; }

// GLPK wants whole bounds on integer columns: rounded inward here; a column left without
// a whole number in its range makes the program infeasible.
OracleResult IntegerOracle(DenseProgram p) {
  for (int j = 0; j < p.n; ++j) {
    if (p.type[j] != 'I') continue;
    p.lower[j] = std::ceil(p.lower[j] - 1e-9);
    p.upper[j] = std::floor(std::min(p.upper[j], 300000.0) + 1e-9);
    if (p.lower[j] > p.upper[j]) return {3, 0, {}};
  }
  return testing::SolveWithGlpk(p, OracleMethod::kInteger);
}

// One run of comparisons: the port, the scratch folder of the search's files, the
// counts, and the comparison of one program in the run's mode.
class DifferentialRun {
 public:
  explicit DifferentialRun(Mode mode) : mode_(mode) {
    SolverSetUserPort(&port_);
    SolverSetColdStart(false);
    SolverResetCounters();
    if (mode == Mode::kTightInteger)
      tight_ = std::make_unique<ScopedParameterOverride>("TIGHT", "Y");
    previous_sink_ = InstallTraceSink([this](const std::string& target, const std::string& text) {
      if (target != "Memo") return;
      if (text == "OPEN") ++swap_files_opened;
      const std::string finish = "INTEGER SOLUTION FOUND: Searched nodes ";
      if (text.rfind(finish, 0) == 0) searched_nodes += std::stol(text.substr(finish.size()));
    });
  }
  ~DifferentialRun() {
    InstallTraceSink(previous_sink_);
    SolverFree();
    SolverSetUserPort(nullptr);
    EXPECT_FALSE(std::filesystem::exists(EngineFolder() + "FIL"))
        << "a search left its swap file behind";
  }
  DifferentialRun(const DifferentialRun&) = delete;
  DifferentialRun& operator=(const DifferentialRun&) = delete;

  // The long run (ctest label "slow") sets VIDO_SLOW_TESTS and solves many more.
  int Scale() const {
    if (std::getenv("VIDO_SLOW_TESTS") == nullptr) return 1;
    return Integer(mode_) ? 20 : 40;
  }

  // Ours against GLPK on `p`; our engine may be given the program with its rows typed in
  // other magnitudes (`typed`). Returns our status (of the run with the presolve on in
  // the tight mode); `x_out` gets our solution at an optimum.
  int Compare(const DenseProgram& p, const std::string& label, std::vector<double>* x_out = nullptr,
              const DenseProgram* typed = nullptr) {
    OracleResult theirs = Integer(mode_) ? IntegerOracle(p) : testing::SolveWithGlpk(p);
    if (theirs.status == -1 && !Integer(mode_)) {
      theirs = testing::SolveWithGlpk(p, OracleMethod::kExact);
    }
    EXPECT_NE(theirs.status, -1) << label << "\n" << p.Describe();
    int ours = -1;
    for (const bool tight :
         mode_ == Mode::kTight ? std::vector<bool>{false, true} : std::vector<bool>{false}) {
      const std::string run = label + (mode_ != Mode::kTight ? ""
                                       : tight               ? " TIGHT on"
                                                             : " TIGHT off");
      std::unique_ptr<ScopedParameterOverride> on;
      if (tight) on = std::make_unique<ScopedParameterOverride>("TIGHT", "Y");
      EXPECT_TRUE(testing::LoadIntoSolver(typed != nullptr ? *typed : p)) << run;
      ours = SolverSolve();
      EXPECT_EQ(ours, theirs.status) << run << "\n" << p.Describe();
      if (ours != 0 || theirs.status != 0) continue;
      const double z = SolverObjective();
      const std::vector<double> x = testing::SolverSolution(p.n);
      EXPECT_EQ(CheckSolution(p, x), "") << run << "\n" << p.Describe();
      for (int j = 0; Integer(mode_) && j < p.n; ++j) {
        if (p.type[j] != 'C') {
          EXPECT_EQ(x[j], std::nearbyint(x[j])) << run << " x" << j + 1;
        }
      }
      EXPECT_NEAR(z, p.Objective(x), 1e-9 * std::max(1.0, std::fabs(z))) << run;
      const double tolerance = 1e-6 * std::max(1.0, std::fabs(theirs.objective));
      if (std::fabs(z - theirs.objective) > tolerance && !Integer(mode_)) {
        // Confirm the reference before blaming the engine.
        theirs = testing::SolveWithGlpk(p, OracleMethod::kExact);
      }
      EXPECT_NEAR(z, theirs.objective, tolerance) << run << "\n" << p.Describe();
      if (x_out != nullptr) *x_out = x;
    }
    ++counts[ours == -1 ? 1 : ours];
    return ours;
  }

  // The series of `count` programs drawn from `seed`; `spread` > 0: every row is
  // multiplied by 10^e, e drawn from -spread..spread, before it reaches our engine, as a
  // user may type a constraint in any unit. Stops after five failing programs.
  template <typename Generate>
  void RunSeries(uint64_t seed, int count, Generate generate, int spread = 0) {
    std::mt19937_64 rng(seed);
    for (int k = 0; k < count; ++k) {
      const DenseProgram p = generate(rng);
      DenseProgram typed = p;
      for (int i = 0; spread > 0 && i < p.m; ++i) {
        const double factor = std::pow(10.0, static_cast<int>(rng() % (2 * spread + 1)) - spread);
        for (double& a : typed.a[i]) a *= factor;
        typed.b[i] *= factor;
      }
      const std::string label = "seed " + std::to_string(seed) + " program " + std::to_string(k);
      Compare(p, label, nullptr, spread > 0 ? &typed : nullptr);
      if (mode_ == Mode::kLinear) WarmAgainstCold(p, seed * 100003 + k, label);
      if (::testing::Test::HasFailure() && ++failures_ > 5) return;
    }
    const SolveCounters session = SolverCounters();
    std::printf(
        "seed %llu: %d optimal, %d unbounded, %d infeasible, %d unfinished of %d; %ld nodes, %d "
        "swaps; %lld warm, %lld rebuilt, %lld fresh solves, %d warm optima apart from cold ones\n",
        static_cast<unsigned long long>(seed), counts[0], counts[2], counts[3], counts[1], count,
        searched_nodes, swap_files_opened, static_cast<long long>(session.warm),
        static_cast<long long>(session.rebuilt), static_cast<long long>(session.fresh), apart_);
  }

  void RunShape(uint64_t seed, int count, const RandomShape& shape, int spread = 0) {
    RunSeries(
        seed, count, [&](std::mt19937_64& rng) { return testing::RandomProgram(rng, shape); },
        spread);
  }
  void RunMixedShape(uint64_t seed, int count, const MixedShape& shape) {
    RunSeries(seed, count,
              [&](std::mt19937_64& rng) { return testing::RandomMixedProgram(rng, shape); });
  }

  // The suggestion loop of the inconsistency analysis: solve, cut the set found, again.
  // Every step is compared with GLPK on the same program (same cuts).
  void Suggest(const testing::AnalysisTable& table, int alternatives, const std::string& label) {
    std::vector<std::vector<int>> cuts;
    const int rows = static_cast<int>(table.b.size());
    for (int s = 0; s < alternatives; ++s) {
      const DenseProgram p = testing::DropProgram(table, cuts);
      std::vector<double> x;
      if (Compare(p, label + " suggestion " + std::to_string(s + 1), &x) != 0 || x.empty()) return;
      std::vector<int> set;
      for (int i = 1; i <= rows; ++i) {
        if (x[table.n + i] == 1) set.push_back(i);
      }
      if (set.empty()) return;
      cuts.push_back(set);
    }
  }

  int counts[4] = {};
  long searched_nodes = 0;
  int swap_files_opened = 0;

 private:
  // The program loaded, solved, then changed three times through the facade: a new
  // objective, new bounds of one column, one more row. After each change the session's
  // warm solve must give the verdict and the optimum of a cold solve.
  void WarmAgainstCold(DenseProgram p, uint64_t seed, const std::string& label) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    SolverSetColdStart(false);
    if (!testing::LoadIntoSolver(p)) return;
    SolverSolve();
    for (int j = 0; j < p.n; ++j) {
      p.c[j] = u(rng) < 0.2 ? 0 : std::round((2 * u(rng) - 1) * 100) / 100;
      SolverSetObjective(j + 1, p.c[j]);
    }
    WarmEqualsCold(p, label + " new objective");
    const int j = static_cast<int>(rng() % p.n);
    const double lo = p.lower[j] > -1e20 ? p.lower[j] : std::min(p.upper[j], 0.0) - 4;
    const double up = p.upper[j] < 1e20 ? p.upper[j] : lo + 8;
    p.upper[j] = lo + (up - lo) * std::round(u(rng) * 4) / 4;
    if (u(rng) < 0.3) p.lower[j] = p.upper[j];
    SolverSetLowerBound(j + 1, p.lower[j]);
    SolverSetUpperBound(j + 1, p.upper[j]);
    WarmEqualsCold(p, label + " bounds of x" + std::to_string(j + 1));
    std::vector<double> row(p.n);
    for (double& a : row) a = u(rng) < 0.3 ? 0 : std::round((2 * u(rng) - 1) * 100) / 100;
    const char sense = u(rng) < 0.5 ? '<' : '>';
    const double rhs = std::round(u(rng) * 100) / 100;
    p.a.push_back(row);
    p.b.push_back(rhs);
    p.sense.push_back(sense);
    ++p.m;
    ASSERT_EQ(SolverAddRows(1), 0);
    for (int k = 0; k < p.n; ++k) SolverSetCoefficient(p.m, k + 1, row[k]);
    SolverSetRowSense(p.m, sense);
    SolverSetRhs(p.m, rhs);
    WarmEqualsCold(p, label + " appended row");
  }

  void WarmEqualsCold(const DenseProgram& p, const std::string& label) {
    SolverSetColdStart(true);
    const int cold = SolverSolve();
    const double cold_z = SolverObjective();
    SolverSetColdStart(false);
    const int warm = SolverSolve();
    EXPECT_EQ(warm, cold) << label << "\n" << p.Describe();
    if (warm != 0 || cold != 0) return;
    const double z = SolverObjective();
    const double tolerance = 1e-9 * std::max(1.0, std::fabs(cold_z));
    if (std::fabs(z - cold_z) > tolerance) {
      // The simplex stops at reduced costs above -1e-6, a hair short of the optimum at
      // times, the cold path as well: exact arithmetic says which is nearer. The warm
      // value must be the cold one's or nearer the optimum.
      const OracleResult exact = testing::SolveWithGlpk(p, OracleMethod::kExact);
      ASSERT_EQ(exact.status, 0) << label << "\n" << p.Describe();
      EXPECT_LE(std::fabs(z - exact.objective), std::fabs(cold_z - exact.objective) + tolerance)
          << label << ": warm " << z << ", cold " << cold_z << ", exact " << exact.objective << "\n"
          << p.Describe();
      ++apart_;
    }
    EXPECT_EQ(CheckSolution(p, testing::SolverSolution(p.n)), "") << label << "\n" << p.Describe();
  }

  Mode mode_;
  testing::ScratchFolder scratch_;  // the search's files and the report file "CMP"
  testing::FakeUserPort port_;
  std::unique_ptr<ScopedParameterOverride> tight_;
  TraceSinkFunction previous_sink_;
  int failures_ = 0;
  int apart_ = 0;  // warm optima more than 1e-9 from the cold ones
};

struct Case {
  std::string name;
  Mode mode;
  std::function<void(DifferentialRun&)> body;
};

class EngineDifferential : public ::testing::TestWithParam<Case> {};

TEST_P(EngineDifferential, AgreesWithGlpk) {
  DifferentialRun run(GetParam().mode);
  GetParam().body(run);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

// Cases worked by hand through the solver interface, with the presolve on.
void HandWorkedTightCases() {
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

// Integer columns with fractional bounds, negative ones included, and single-entry rows
// with either sign of coefficient: what the presolve rounds and turns into bounds.
DenseProgram FractionalBoundsProgram(std::mt19937_64& rng) {
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
}

// The shapes of the analyses, each a series of seeded programs, for the linear suite and
// (the same seeds) the presolve's.
std::vector<Case> LinearCases(Mode mode) {
  const bool plain = mode == Mode::kLinear;
  std::vector<Case> cases = {
      {"SmallDensePrograms", mode,
       [](DifferentialRun& r) { r.RunShape(1, 150 * r.Scale(), RandomShape{}); }},
      {"NormRowAndUnitBoxes", mode,
       [](DifferentialRun& r) {
         RandomShape shape;
         shape.norm_row = true;
         shape.open_share = 0;
         shape.wide_share = 0.05;
         r.RunShape(2, 100 * r.Scale(), shape);
       }},
      {"DegenerateVertices", mode,
       [](DifferentialRun& r) {
         RandomShape shape;
         shape.zero_rhs_share = 0.8;
         shape.unit_share = 0.5;
         shape.zero_share = 0.4;
         r.RunShape(3, 100 * r.Scale(), shape);
       }},
      {"InfeasibleAndUnboundedMixes", mode,
       [](DifferentialRun& r) {
         RandomShape shape;
         shape.feasible_share = 0.2;
         shape.open_share = 0.4;
         r.RunShape(4, 100 * r.Scale(), shape);
       }},
      // Columns without a lower bound, with a finite upper bound or none (free).
      {"ColumnsWithoutALowerBound", mode,
       [plain](DifferentialRun& r) {
         RandomShape shape;
         shape.no_lower_share = 0.3;
         shape.open_share = 0.3;
         r.RunShape(8, 100 * r.Scale(), shape);
         if (!plain) return;
         EXPECT_GT(r.counts[0], 20 * r.Scale());
         shape.min_rows = 40;
         shape.max_rows = 120;
         shape.min_columns = 5;
         shape.max_columns = 30;
         shape.feasible_share = 0.8;
         const int optimal_before = r.counts[0];
         r.RunShape(9, 10 * r.Scale(), shape);
         EXPECT_GT(r.counts[0] - optimal_before, 3 * r.Scale());
       }},
      {"ManyRows", mode,
       [](DifferentialRun& r) {
         RandomShape shape;
         shape.min_rows = 100;
         shape.max_rows = 300;
         shape.min_columns = 5;
         shape.max_columns = 30;
         shape.feasible_share = 0.9;
         r.RunShape(5, 4 * r.Scale(), shape);
       }},
      {"ManyColumns", mode,
       [](DifferentialRun& r) {
         RandomShape shape;
         shape.min_rows = 10;
         shape.max_rows = 60;
         shape.min_columns = 30;
         shape.max_columns = 120;
         r.RunShape(6, 10 * r.Scale(), shape);
       }},
  };
  if (plain) {
    // The analyses' shape (columns in [0, 1], "Norm") with every row typed in a magnitude
    // from 1e-9 to 1e9: the same verdicts and optima as the rows of unit size.
    cases.push_back({"RowsTypedInAnyMagnitude", mode, [](DifferentialRun& r) {
                       RandomShape shape;
                       shape.norm_row = true;
                       shape.open_share = 0;
                       shape.wide_share = 0.05;
                       r.RunShape(10, 100 * r.Scale(), shape, 9);
                       EXPECT_GT(r.counts[0], 20 * r.Scale());
                       EXPECT_GT(r.counts[3], 5 * r.Scale());
                     }});
    // The robust analysis's shape: 13 columns in [0, 1] with "Norm", 2000 rows.
    cases.push_back({"RobustAnalysisShape", mode, [](DifferentialRun& r) {
                       RandomShape shape;
                       shape.min_rows = shape.max_rows = 2001;
                       shape.min_columns = shape.max_columns = 13;
                       shape.norm_row = true;
                       shape.open_share = 0;
                       shape.wide_share = 0;
                       shape.equal_share = 0;
                       shape.feasible_share = 1;
                       r.RunShape(7, r.Scale() > 1 ? 10 : 1, shape);
                     }});
  } else {
    cases.push_back({"SingletonRowsAndFixedColumns", mode, [](DifferentialRun& r) {
                       r.RunSeries(7, 300 * r.Scale(), testing::PresolveRichProgram);
                     }});
    cases.push_back({"HandWorkedCases", mode, [](DifferentialRun&) { HandWorkedTightCases(); }});
  }
  return cases;
}

std::vector<Case> IntegerCases(Mode mode) {
  const bool plain = mode == Mode::kInteger;
  std::vector<Case> cases = {
      {"MixedZeroOnePrograms", mode,
       [plain](DifferentialRun& r) {
         r.RunMixedShape(11, 150 * r.Scale(), MixedShape{});
         if (plain) {
           EXPECT_GT(r.searched_nodes, 150);  // the programs do need branching
         }
       }},
      {"PureBinaryAndGeneralIntegers", mode,
       [](DifferentialRun& r) {
         MixedShape shape;
         shape.continuous_share = 0;
         shape.integer_share = 0.3;
         shape.max_columns = 16;
         r.RunMixedShape(12, 100 * r.Scale(), shape);
       }},
      {"InfeasibleOnes", mode,
       [](DifferentialRun& r) {
         MixedShape shape;
         shape.feasible_share = 0.2;
         shape.equal_share = 0.4;
         r.RunMixedShape(13, 100 * r.Scale(), shape);
         EXPECT_GT(r.counts[3], 0);
       }},
      {"RootAlreadyIntegral", mode,
       [plain](DifferentialRun& r) {
         MixedShape shape;
         shape.integral_root = true;
         r.RunMixedShape(14, 40 * r.Scale(), shape);
         if (plain) {
           EXPECT_EQ(r.searched_nodes, 0);
         }
       }},
      // The suggestion loop of the inconsistency analysis on its drop programs.
      {"DropProgramsWithPlantedContradictions", mode,
       [](DifferentialRun& r) {
         std::mt19937_64 rng(15);
         for (int k = 0; k < 12 * r.Scale(); ++k) {
           r.Suggest(testing::NextDropTable(rng), 5, "table " + std::to_string(k));
           if (::testing::Test::HasFailure()) return;
         }
       }},
  };
  if (plain) {
    cases.push_back({"ContinuousColumnsWithoutALowerBound", mode, [](DifferentialRun& r) {
                       MixedShape shape;
                       shape.continuous_share = 0.4;
                       shape.no_lower_share = 0.5;
                       r.RunMixedShape(19, 100 * r.Scale(), shape);
                     }});
    // Table 139 of the drop series: at one node of the fifth suggestion the relaxation was
    // integral only because a binary fixed at 0 stood 2.6e-8 above it (coefficient 999),
    // within the feasibility sum. Its rounded values admit no solution; the node held the
    // optimum (5 removals) and cutting it gave 8.
    cases.push_back({"NodeIntegralOnlyWithinTheToleranceIsNotCut", mode, [](DifferentialRun& r) {
                       std::mt19937_64 rng(15);
                       testing::AnalysisTable table;
                       for (int k = 0; k <= 139; ++k) table = testing::NextDropTable(rng);
                       r.Suggest(table, 5, "table 139");
                       EXPECT_EQ(r.counts[0], 5);
                     }});
    // A waiting limit of 1 sends nearly every parked node through the swap file and back.
    cases.push_back({"SwappingGivesTheSameResults", mode, [](DifferentialRun& r) {
                       ScopedWaitingLimit limit(1);
                       MixedShape shape;
                       shape.continuous_share = 0.1;
                       shape.min_columns = 8;
                       shape.max_columns = 16;
                       shape.min_rows = 4;
                       r.RunMixedShape(16, 60 * r.Scale(), shape);
                       std::mt19937_64 rng(17);
                       for (int k = 0; k < 4 * r.Scale(); ++k) {
                         const testing::AnalysisTable table =
                             testing::RandomAnalysisTable(rng, 30, 4, 2);
                         r.Suggest(table, 3, "swapped table " + std::to_string(k));
                       }
                       EXPECT_GT(r.swap_files_opened, 10);
                     }});
  } else {
    cases.push_back({"FractionalBoundsAndSingletonRows", mode, [](DifferentialRun& r) {
                       r.RunSeries(18, 150 * r.Scale(), FractionalBoundsProgram);
                     }});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Linear, EngineDifferential,
                         ::testing::ValuesIn(LinearCases(Mode::kLinear)), CaseName);
INSTANTIATE_TEST_SUITE_P(Tight, EngineDifferential, ::testing::ValuesIn(LinearCases(Mode::kTight)),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(Integer, EngineDifferential,
                         ::testing::ValuesIn(IntegerCases(Mode::kInteger)), CaseName);
INSTANTIATE_TEST_SUITE_P(TightInteger, EngineDifferential,
                         ::testing::ValuesIn(IntegerCases(Mode::kTightInteger)), CaseName);

// Known fault, kept for the engine's next round: program 3334 of the slow series of
// seed 8 with every row brought to a largest coefficient in [1, 2) (rows 2 and 3 are
// doubled) is reported unbounded; GLPK finds an optimum, as for the rows as generated.
// The solver interface leaves rows of ordinary size as they are, so no analysis meets it.
TEST(EngineDifferentialFault, DISABLED_ScaledRowsOfAProgramWithoutLowerBounds) {
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
  DifferentialRun run(Mode::kLinear);
  run.Compare(p, "seed 8 program 3334, rows scaled", nullptr, &scaled);
}

}  // namespace
}  // namespace vido
