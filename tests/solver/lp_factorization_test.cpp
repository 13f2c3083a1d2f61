#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "solver/factorization.h"
#include "solver/lp_engine.h"
#include "solver/perturbation.h"
#include "solver/simplex_driver.h"
#include "solver/simplex_iteration.h"
#include "support/parameter_table.h"

namespace vido {
namespace {

using testing::FakeUserPort;

class LpFactorizationTest : public ::testing::Test {
 protected:
  void SetUp() override { Create(); }
  void TearDown() override { LpRelease(engine); }

  void Create() {
    LpCreate(engine, port);
    engine.trace.SetSink([this](const std::string& target, const std::string& text) {
      if (target == "Memo") lines.push_back(text);
    });
  }

  // Rows OBJ (N) and R1..Rm (types from `types`), columns x1..xn with dense entries.
  void Build(const std::string& types, const std::vector<std::vector<double>>& a,
             const std::vector<double>& b, const std::vector<double>& c) {
    ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
    for (size_t i = 0; i < types.size(); ++i) {
      ASSERT_TRUE(LpDefineRow(engine, "R" + std::to_string(i + 1), types[i]));
    }
    for (size_t j = 0; j < c.size(); ++j) {
      const std::string name = "x" + std::to_string(j + 1);
      LpSetElement(engine, "OBJ", name, c[j]);
      for (size_t i = 0; i < types.size(); ++i) {
        LpSetElement(engine, "R" + std::to_string(i + 1), name, a[i][j]);
      }
      LpSetBound(engine, name, "UP", 1e21);
    }
    for (size_t i = 0; i < b.size(); ++i) LpSetRhs(engine, "R" + std::to_string(i + 1), b[i]);
    engine.flags.loaded = true;
    ASSERT_TRUE(LpSetup(engine));
    LpSetObjectiveRow(engine);
  }

  // B x for x by basis position.
  std::vector<double> BasisTimes(const std::vector<double>& x) {
    std::vector<double> out(engine.row_count + 1, 0.0);
    for (int32_t p = 1; p <= engine.row_count; ++p) {
      for (const LpEntry& entry : engine.Column(p).entries) out[entry.row] += entry.value * x[p];
    }
    return out;
  }

  // The etas represent the inverse of the current basis: B (B^-1 a) = a for every
  // column, and y B = the basic costs.
  void ExpectInverseOfBasis() {
    const int32_t m = engine.row_count;
    for (int32_t p = 1; p <= engine.column_count; ++p) {
      LpTransformColumn(engine, p);
      const std::vector<double> back = BasisTimes(engine.alpha);
      std::vector<double> a(m + 1, 0.0);
      for (const LpEntry& entry : engine.Column(p).entries) a[entry.row] = entry.value;
      for (int32_t i = 1; i <= m; ++i) ASSERT_NEAR(back[i], a[i], 1e-9) << "column " << p;
    }
    std::vector<double> y(m + 1, 0.0);
    for (int32_t i = 1; i <= m; ++i) y[i] = i;
    const std::vector<double> cost = y;
    LpBtran(engine, y);
    for (int32_t p = 1; p <= m; ++p) {
      double s = 0;
      for (const LpEntry& entry : engine.Column(p).entries) s += y[entry.row] * entry.value;
      EXPECT_NEAR(s, cost[p], 1e-9) << "basis position " << p;
    }
  }

  // Brings the named column into the basis in place of the one at `position`.
  void Enter(const std::string& name, int32_t position) {
    const int32_t p = LpLookupColumn(engine, name);
    ASSERT_GT(p, engine.row_count);
    engine.Column(position).status = kAtLower;
    LpSwapColumns(engine, p, position);
    engine.Column(position).status = kBasic;
  }

  FakeUserPort port;
  LpEngine engine;
  std::vector<std::string> lines;
};

TEST_F(LpFactorizationTest, AllLogicalBasesNeedEtasOnlyForSurpluses) {
  Build("LE", {{1, 1}, {1, -1}}, {4, 0}, {1, 1});
  EXPECT_EQ(engine.eta.Count(), 0);
  EXPECT_EQ(engine.factor.smallest_pivot, 1e21);
  EXPECT_EQ(engine.factor.inversion_count, 1);

  LpRelease(engine);
  Create();
  Build("LGG", {{1, 1}, {1, 0}, {0, 1}}, {4, 1, 1}, {1, 1});
  EXPECT_EQ(engine.eta.Count(), 2);
  EXPECT_EQ(engine.factor.smallest_pivot, 1);
  ExpectInverseOfBasis();
}

TEST_F(LpFactorizationTest, DenseBasisWithABumpIsInvertedExactly) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> u(-1, 1);
  const int n = 6;
  std::vector<std::vector<double>> a(n + 2, std::vector<double>(n));
  for (auto& row : a) {
    for (double& v : row) v = std::round(u(rng) * 100) / 100;
  }
  a[0][2] = 0;  // a few zeros so that the triangular parts have something to find
  a[1][4] = 0;
  a[3][0] = 0;
  Build("LLLGGELL", a, std::vector<double>(n + 2, 1), std::vector<double>(n, 1));
  for (int j = 1; j <= n; ++j) Enter("x" + std::to_string(j), j);
  ASSERT_TRUE(LpInversion(engine));
  EXPECT_EQ(engine.factor.inversion_count, 2);
  // The objective row stays last with its logical; every row is still found by name.
  EXPECT_EQ(engine.Row(engine.row_count).name, "OBJ");
  EXPECT_EQ(engine.Column(engine.row_count).name, "OBJ");
  for (int32_t i = 1; i <= engine.row_count; ++i) {
    EXPECT_EQ(LpFindRow(engine, engine.Row(i).name), i);
  }
  ExpectInverseOfBasis();
  EXPECT_EQ(engine.factor.etas_since_inversion, 0);
  EXPECT_LT(engine.factor.smallest_pivot, 1e21);
}

TEST_F(LpFactorizationTest, IdenticalColumnsAreReplacedByALogical) {
  Build("LLL", {{1, 1, 0}, {2, 2, 1}, {1, 1, 3}}, {1, 1, 1}, {1, 1, 1});
  Enter("x1", 1);
  Enter("x2", 2);
  Enter("x3", 3);
  ASSERT_TRUE(LpInversion(engine));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "MATRIX SINGULAR 1"), lines.end());
  int structural = 0;
  for (int32_t p = 1; p <= engine.row_count; ++p) {
    structural += engine.Column(p).kind == kStructural;
  }
  EXPECT_EQ(structural, 2);
  ExpectInverseOfBasis();
}

TEST_F(LpFactorizationTest, TwoOneEntryColumnsInOneRowAreRepaired) {
  // x1 has its only entry in R1, like R1's slack: with both basic, the non-basic column at
  // m + 2 comes in instead of the second one met.
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  ASSERT_TRUE(LpDefineRow(engine, "R1", 'L'));
  ASSERT_TRUE(LpDefineRow(engine, "R2", 'L'));
  LpSetElement(engine, "R1", "x1", 2);
  LpSetElement(engine, "R1", "x2", 1);
  LpSetElement(engine, "R2", "x2", 1);
  LpSetElement(engine, "OBJ", "x2", 1);
  LpSetRhs(engine, "R1", 1);
  LpSetRhs(engine, "R2", 1);
  engine.flags.loaded = true;
  ASSERT_TRUE(LpSetup(engine));
  // Basis: OBJ logical, R1's slack and x1 (in place of R2's slack).
  const int32_t r2 = LpLookupColumn(engine, "R2");
  Enter("x1", r2);
  const std::string incoming = engine.Column(engine.row_count + 2).name;
  ASSERT_TRUE(LpInversion(engine));
  int32_t basic_count = 0;
  for (int32_t p = 1; p <= engine.row_count; ++p) {
    basic_count += engine.Column(p).name == incoming;
  }
  EXPECT_EQ(basic_count, 1) << incoming << " was brought in";
  ExpectInverseOfBasis();
}

TEST_F(LpFactorizationTest, RatioTestTiesAndBoundFlips) {
  // R1: x1 + s1 = 2, R2: 2 x1 + s2 = 4: both rows limit x1 at 2; R2's larger alpha leaves.
  Build("LL", {{1}, {2}}, {2, 4}, {1});
  LpPerturb(engine, 0);
  const int32_t x1 = LpLookupColumn(engine, "x1");
  LpTransformColumn(engine, x1);
  LpRatioTest(engine, x1);
  EXPECT_EQ(engine.iter.step_code, kLeaveToLower);
  EXPECT_EQ(engine.Row(engine.iter.leaving).name, "R2");
  EXPECT_NEAR(engine.iter.theta, 2, 1e-12);
  EXPECT_EQ(engine.iter.pivot_magnitude, 2);

  // With upper bound 2 the flip ties with the rows: a row still leaves.
  engine.Column(x1).upper = 2;
  LpRatioTest(engine, x1);
  EXPECT_EQ(engine.iter.step_code, kLeaveToLower);
  // With upper bound 1 nothing limits before the bound: a flip, no eta, no basis change.
  engine.Column(x1).upper = 1;
  LpRatioTest(engine, x1);
  EXPECT_EQ(engine.iter.step_code, kFlipToUpper);
  EXPECT_EQ(engine.iter.leaving, 0);
  const int32_t etas = engine.eta.Count();
  LpPivot(engine, x1);
  EXPECT_EQ(engine.Column(x1).status, kAtUpper);
  EXPECT_EQ(engine.eta.Count(), etas);
  EXPECT_NEAR(engine.xB[LpFindRow(engine, "R1")], 1, 1e-12);
  EXPECT_NEAR(engine.iter.objective, 1, 1e-12);
}

TEST_F(LpFactorizationTest, InfeasibleBasicVariablePassesThroughToItsOtherBound) {
  // R1 (G): x1 - s1 = 3 with s1 in [0, 5] after a range; at the slack basis s1 = -3.
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  ASSERT_TRUE(LpDefineRow(engine, "R1", 'G'));
  LpSetElement(engine, "R1", "x1", 1);
  LpSetRhs(engine, "R1", 3);
  LpSetRange(engine, "R1", 5);
  engine.flags.loaded = true;
  ASSERT_TRUE(LpSetup(engine));
  LpPerturb(engine, 0);
  LpSetObjectiveRow(engine);
  const int32_t r1 = LpFindRow(engine, "R1");
  EXPECT_EQ(engine.iter.n_inf, 1);
  EXPECT_NEAR(engine.iter.inf_sum, 3, 1e-12);
  EXPECT_EQ(engine.Column(r1).status, kAtLower);
  // Phase 1 prices the surplus at +1e10: x1 looks very attractive.
  LpPricingVector(engine);
  const int32_t x1 = LpLookupColumn(engine, "x1");
  EXPECT_LT(LpReducedCost(engine, x1), -1e9);
  LpTransformColumn(engine, x1);
  LpRatioTest(engine, x1);
  EXPECT_EQ(engine.iter.step_code, kLeaveToUpper);
  EXPECT_NEAR(engine.iter.theta, 8, 1e-12);  // -3 up to 5 in one step
}

TEST_F(LpFactorizationTest, CrashBasisPutsStructuralsInTheirFirstRows) {
  Build("LLL", {{1, 0, 0}, {1, 2, 0}, {0, 1, 3}}, {1, 1, 1}, {1, 1, 1});
  ASSERT_TRUE(LpCrashBasis(engine));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "CRASH BASIS"), lines.end());
  // Rows are R3, R1, R2, OBJ. Keys: x1 -> 2 (R1), x2 and x3 -> 1 (R3); x3 has fewer
  // entries and takes position 1, x1 position 2.
  EXPECT_EQ(engine.Column(1).name, "x3");
  EXPECT_EQ(engine.Column(2).name, "x1");
  EXPECT_GT(LpLookupColumn(engine, "x2"), engine.row_count);
  ExpectInverseOfBasis();
}

class LpDriverTest : public LpFactorizationTest {};

TEST_F(LpDriverTest, OptimalAtTheSlackBasisRemovesThePerturbation) {
  Build("L", {{1}}, {1}, {-1});
  LpLinearSolve(engine);
  EXPECT_EQ(LpLinearStatus(engine), "OPTIMAL SOLUTION");
  EXPECT_EQ(engine.flags.perturbation_mode, 0);
  EXPECT_EQ(LpColumnValue(engine, "x1"), 0);
  bool found = false;
  for (const std::string& line : lines) found = found || line.rfind("OPTIMAL SOLUTION ", 0) == 0;
  EXPECT_TRUE(found);
}

TEST_F(LpDriverTest, InfeasibleModelReportsItsCounts) {
  // x1 <= 1 and R1: x1 >= 2.
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  ASSERT_TRUE(LpDefineRow(engine, "R1", 'G'));
  LpSetElement(engine, "R1", "x1", 1);
  LpSetElement(engine, "OBJ", "x1", 1);
  LpSetRhs(engine, "R1", 2);
  LpSetBound(engine, "x1", "UP", 1);
  engine.flags.loaded = true;
  ASSERT_TRUE(LpSetup(engine));
  LpSetObjectiveRow(engine);
  LpLinearSolve(engine);
  EXPECT_EQ(LpLinearStatus(engine), "PROBLEM IS INFEASIBLE");
  EXPECT_EQ(engine.iter.n_inf, 1);
  EXPECT_NEAR(engine.iter.inf_sum, 1, 1e-7);
  bool found = false;
  for (const std::string& line : lines) {
    found = found || line.rfind("PROBLEM IS INFEASIBLE nINF=1 INF=", 0) == 0;
  }
  EXPECT_TRUE(found);
}

TEST_F(LpDriverTest, IterationLimitZeroStopsAfterOnePivot) {
  LpRelease(engine);
  ScopedParameterOverride limit("MAXITER", "0");
  Create();
  Build("LL", {{1, 1}, {1, 2}}, {4, 6}, {1, 1});
  engine.flags.unfinished = false;
  LpSimplex(engine, true);
  EXPECT_TRUE(engine.flags.unfinished);
  EXPECT_EQ(engine.iter.iteration_count, 1);
  EXPECT_TRUE(std::find(lines.begin(), lines.end(), "UNFINISHED") == lines.end());
}

TEST_F(LpDriverTest, UnboundedColumnIsReportedAndFlagged) {
  Build("L", {{1, -1}}, {1}, {0, 1});
  engine.flags.non_interactive = true;
  LpLinearSolve(engine);
  EXPECT_TRUE(engine.flags.unbounded);
  EXPECT_EQ(LpLinearStatus(engine), "UNBOUNDED SOLUTION");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "VARIABLE x2 is unbounded !"), lines.end());
  EXPECT_TRUE(port.engine_messages.empty());  // non-interactive: no box
}

TEST_F(LpDriverTest, StatusTexts) {
  engine.iter.n_inf = 0;
  engine.flags.unbounded = false;
  EXPECT_EQ(LpLinearStatus(engine), "OPTIMAL SOLUTION");
  engine.flags.unbounded = true;
  EXPECT_EQ(LpLinearStatus(engine), "UNBOUNDED SOLUTION");
  engine.iter.n_inf = 2;
  EXPECT_EQ(LpLinearStatus(engine), "PROBLEM IS INFEASIBLE");
}

}  // namespace
}  // namespace vido
