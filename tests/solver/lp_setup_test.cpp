#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/fake_user_port.h"
#include "solver/lp_engine.h"
#include "solver/perturbation.h"
#include "support/engine_failure.h"

namespace vido {
namespace {

using testing::FakeUserPort;

const std::string kFF(1, static_cast<char>(255));

class LpSetupTest : public ::testing::Test {
 protected:
  void SetUp() override { Create(); }
  void TearDown() override { LpRelease(engine); }

  void Create() {
    LpCreate(engine, port);
    engine.trace.SetSink([this](const std::string& target, const std::string& text) {
      if (target == "Memo") lines.push_back(text);
    });
  }

  // max x + 2y: C1: x + y <= 4, C2: x >= 1 with range 4, C3: y = 2.
  void BuildSmallModel() {
    ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
    ASSERT_TRUE(LpDefineRow(engine, "C1", 'L'));
    ASSERT_TRUE(LpDefineRow(engine, "C2", 'G'));
    ASSERT_TRUE(LpDefineRow(engine, "C3", 'E'));
    LpSetElement(engine, "OBJ", "x", 1);
    LpSetElement(engine, "C1", "x", 1);
    LpSetElement(engine, "C2", "x", 1);
    LpSetElement(engine, "OBJ", "y", 2);
    LpSetElement(engine, "C1", "y", 1);
    LpSetElement(engine, "C3", "y", 1);
    LpSetRhs(engine, "C1", 4);
    LpSetRhs(engine, "C2", 1);
    LpSetRhs(engine, "C3", 2);
    LpSetRange(engine, "C2", 4);
    engine.flags.loaded = true;
  }

  const LpColumn& Named(const std::string& name) {
    const int32_t position = LpLookupColumn(engine, name);
    EXPECT_NE(position, 0) << name;
    return engine.Column(position);
  }

  // Row name -> value of a column's entries.
  std::map<std::string, double> EntriesByRowName(const LpColumn& column) {
    std::map<std::string, double> out;
    for (const LpEntry& entry : column.entries) out[engine.Row(entry.row).name] = entry.value;
    return out;
  }

  FakeUserPort port;
  LpEngine engine;
  std::vector<std::string> lines;
};

TEST_F(LpSetupTest, LogicalBasisRowOrderAndPerturbation) {
  BuildSmallModel();
  EXPECT_TRUE(LpSetup(engine));
  EXPECT_TRUE(engine.flags.setup_done);

  ASSERT_EQ(engine.row_count, 4);
  ASSERT_EQ(engine.column_count, 6);
  // Rows: the N row goes last, the objective row at m.
  EXPECT_EQ(engine.Row(1).name, "C3");
  EXPECT_EQ(engine.Row(2).name, "C1");
  EXPECT_EQ(engine.Row(3).name, "C2");
  EXPECT_EQ(engine.Row(4).name, "OBJ");
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(LpFindRow(engine, engine.Row(i).name), i);

  // The all-logical basis, each logical pivoted on its own row after the factorisation.
  const std::vector<std::pair<std::string, int8_t>> logicals = {
      {"C3", kSlackOfE}, {"C1", kSlackOfL}, {"C2", kSurplusOfG}, {"OBJ", kLogicalOfN}};
  for (int p = 1; p <= 4; ++p) {
    const LpColumn& column = engine.Column(p);
    EXPECT_EQ(column.name, logicals[p - 1].first);
    EXPECT_EQ(column.kind, logicals[p - 1].second);
    ASSERT_EQ(column.EntryCount(), 1);
    EXPECT_EQ(column.entries[0].row, p);
    EXPECT_EQ(LpLookupColumn(engine, column.name), p);
  }
  EXPECT_EQ(Named("OBJ").lower, -kNoBound);
  EXPECT_EQ(Named("OBJ").upper, kNoBound);
  EXPECT_EQ(Named("C1").entries[0].value, 1);
  EXPECT_EQ(Named("C1").upper, kNoBound);
  EXPECT_EQ(Named("C2").entries[0].value, -1);
  EXPECT_EQ(Named("C2").upper, 4);  // the range bounds the surplus: activity 1..5
  EXPECT_EQ(Named("C3").lower, 0);
  EXPECT_EQ(Named("C3").upper, 0);
  EXPECT_EQ(engine.Column(5).name, "x");
  EXPECT_EQ(engine.Column(6).name, "y");
  EXPECT_EQ(engine.Column(5).status, kAtLower);
  EXPECT_EQ(EntriesByRowName(engine.Column(5)),
            (std::map<std::string, double>{{"OBJ", 1}, {"C1", 1}, {"C2", 1}}));
  EXPECT_EQ(EntriesByRowName(engine.Column(6)),
            (std::map<std::string, double>{{"OBJ", 2}, {"C1", 1}, {"C3", 1}}));

  // The right-hand sides are perturbed: -1e-8 on G rows, +1e-8 elsewhere, densely.
  EXPECT_EQ(engine.flags.perturbation_mode, 1);
  const auto rhs = EntriesByRowName(engine.Column(kRhsColumn));
  ASSERT_EQ(rhs.size(), 4u);
  EXPECT_DOUBLE_EQ(rhs.at("C1"), 4 + 1e-8);
  EXPECT_DOUBLE_EQ(rhs.at("C2"), 1 - 1e-8);
  EXPECT_DOUBLE_EQ(rhs.at("C3"), 2 + 1e-8);
  EXPECT_DOUBLE_EQ(rhs.at("OBJ"), 1e-8);
  ASSERT_EQ(engine.xB.size(), 5u);
  // The surplus of C2 (x >= 1 at x = 0) is basic below its bound.
  EXPECT_DOUBLE_EQ(engine.xB[3], -(1 - 1e-8));
  EXPECT_EQ(engine.Column(3).status, kAtLower);
  EXPECT_EQ(engine.iter.n_inf, 2);  // and the slack of C3 (y = 2) above its [0, 0]
  EXPECT_EQ(engine.y.size(), 5u);
  EXPECT_EQ(engine.alpha.size(), 5u);

  EXPECT_TRUE(engine.eta.created);
  EXPECT_EQ(engine.eta.capacity, 32);
  EXPECT_EQ(engine.eta.Count(), 1);  // the surplus's -1
  EXPECT_EQ(engine.iter.candidate_limit, 30000);
  EXPECT_EQ(engine.iter.penalty, 1e10);
  EXPECT_EQ(lines, std::vector<std::string>{"R 4 C 2 <>0 6 25.00 %  > 1 = 1 < 1"});
  EXPECT_TRUE(port.engine_messages.empty());

  // Removing the perturbation restores the right-hand sides; the objective row's
  // entry falls below 1e-11 and goes.
  LpPerturb(engine, 2);
  EXPECT_EQ(engine.flags.perturbation_mode, 2);
  EXPECT_LE(Named("C3").upper, 3e-8);
  EXPECT_GE(Named("C3").lower, -3e-8);
  LpPerturb(engine, 0);
  EXPECT_EQ(engine.flags.perturbation_mode, 0);
  const auto restored = EntriesByRowName(engine.Column(kRhsColumn));
  EXPECT_EQ(restored.size(), 3u);
  EXPECT_DOUBLE_EQ(restored.at("C1"), 4);
  EXPECT_DOUBLE_EQ(restored.at("C2"), 1);
  EXPECT_DOUBLE_EQ(restored.at("C3"), 2);
  EXPECT_EQ(Named("C3").upper, 0);
  EXPECT_EQ(Named("C3").lower, 0);
  EXPECT_DOUBLE_EQ(engine.xB[3], -1);

  // The objective row is already at m; the costs come from it.
  LpSetObjectiveRow(engine);
  EXPECT_EQ(Named("x").cost, 1);
  EXPECT_EQ(Named("y").cost, 2);
  EXPECT_EQ(Named("OBJ").cost, 0);
}

TEST_F(LpSetupTest, SetupNeedsALoadedModel) {
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  EXPECT_FALSE(LpSetup(engine));
  EXPECT_EQ(engine.column_count, 0);
}

// With "TIGHT" the presolve reduces the model before the logicals are added: here every
// constraint row turns into bounds (C3 fixes y = 2, C2 gives 1 <= x <= 5, and C1 with y
// moved into its right-hand side gives x <= 2), leaving the objective row alone.
TEST_F(LpSetupTest, PresolveRunsFirstWhenRequested) {
  LpRelease(engine);
  ScopedParameterOverride tight("TIGHT", "Y");
  Create();
  BuildSmallModel();
  EXPECT_TRUE(LpSetup(engine));
  EXPECT_TRUE(engine.flags.setup_done);
  ASSERT_EQ(engine.row_count, 1);
  EXPECT_EQ(engine.Row(1).name, "OBJ");
  EXPECT_EQ(engine.column_count, 3);
  EXPECT_EQ(Named("x").lower, 1);
  EXPECT_EQ(Named("x").upper, 2);
  EXPECT_EQ(Named("y").lower, 2);
  EXPECT_EQ(Named("y").upper, 2);
  EXPECT_EQ(lines.front(), "Compressing Matrix");
}

TEST_F(LpSetupTest, LogicalNamesDodgeColumnsOfTheSameName) {
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  ASSERT_TRUE(LpDefineRow(engine, "C1", 'L'));
  const std::string long_row = "ROW_NAME_OF_25_CHARACTERS";
  ASSERT_TRUE(LpDefineRow(engine, long_row, 'G'));
  ASSERT_TRUE(LpDefineRow(engine, kFF + "C1", 'E'));  // already bears the prefixed name
  LpSetElement(engine, "C1", "C1", 2);                // a structural column named like a row
  LpSetElement(engine, "OBJ", "OBJ", 5);              // and one named like the objective row
  LpSetElement(engine, "OBJ", long_row, 1);
  LpSetElement(engine, "C1", "x", 1);
  LpSetElement(engine, "OBJ", "x", 3);
  engine.flags.loaded = true;
  LpSetup(engine);

  // The structural columns keep their names.
  EXPECT_EQ(Named("C1").kind, kStructural);
  EXPECT_EQ(Named("OBJ").kind, kStructural);
  EXPECT_EQ(Named(long_row).kind, kStructural);
  // The rows and their logicals take the 255-prefixed names.
  EXPECT_EQ(Named(kFF + kFF + "C1").kind, kSlackOfL);
  EXPECT_EQ(Named(kFF + "C1").kind, kSlackOfE);
  EXPECT_EQ(Named(kFF + "OBJ").kind, kLogicalOfN);
  const std::string cut = (kFF + long_row).substr(0, 25);
  EXPECT_EQ(Named(cut).kind, kSurplusOfG);
  EXPECT_EQ(LpFindRow(engine, "C1"), 0);
  EXPECT_EQ(engine.Row(LpFindRow(engine, kFF + kFF + "C1")).type, kRowL);
  EXPECT_EQ(engine.Row(LpFindRow(engine, kFF + "C1")).type, kRowE);
  EXPECT_NE(LpFindRow(engine, cut), 0);
  EXPECT_EQ(engine.objective_row_name, kFF + "OBJ");
  EXPECT_EQ(LpFindRow(engine, engine.objective_row_name), engine.row_count);
  EXPECT_EQ(EntriesByRowName(Named("C1")), (std::map<std::string, double>{{kFF + kFF + "C1", 2}}));
  // The objective still drives the costs.
  LpSetObjectiveRow(engine);
  EXPECT_EQ(Named("OBJ").cost, 5);
  EXPECT_EQ(Named("x").cost, 3);
  EXPECT_EQ(Named("C1").cost, 0);
}

TEST_F(LpSetupTest, BoundCheckReportsCrossedBoundsAndGoesOn) {
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  LpSetBound(engine, "near", "LO", 2 + 5e-12);
  LpSetBound(engine, "near", "UP", 2);
  LpSetBound(engine, "crossed", "LO", 2);
  LpSetBound(engine, "crossed", "UP", 1);
  LpSetBound(engine, "my var", "UP", 1);
  engine.flags.loaded = true;
  LpSetup(engine);
  EXPECT_EQ(Named("near").lower, 2);  // accepted: lower := min(lower, upper)
  EXPECT_EQ(Named("near").upper, 2);
  EXPECT_EQ(Named("crossed").lower, 2);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "VECTOR :        crossed  2.0000000000  1.0000000000 **",
                       "MODEL IS INFEASIBLE",
                       "R 1 C 3 <>0 0  0.00 %  > 0 = 0 < 0",
                   }));
  EXPECT_EQ(port.engine_messages, std::vector<std::string>{"Var my var Has Spaces"});
  EXPECT_EQ(engine.column_count, 4);  // setup went on
}

TEST_F(LpSetupTest, NRowsMoveToTheEndAndTheObjectiveLast) {
  const std::vector<std::pair<std::string, char>> rows = {
      {"A", 'N'}, {"OBJ", 'N'}, {"B", 'L'}, {"C", 'N'}, {"D", 'E'}};
  double value = 1;
  for (const auto& [name, type] : rows) {
    ASSERT_TRUE(LpDefineRow(engine, name, type));
    LpSetElement(engine, name, "x", value);
    LpSetRhs(engine, name, 10 * value);
    value += 1;
  }
  engine.flags.loaded = true;
  LpSetup(engine);
  std::vector<std::string> order;
  for (int i = 1; i <= engine.row_count; ++i) order.push_back(engine.Row(i).name);
  EXPECT_EQ(order, (std::vector<std::string>{"B", "D", "A", "C", "OBJ"}));
  for (int i = 1; i <= engine.row_count; ++i) {
    EXPECT_EQ(LpFindRow(engine, order[i - 1]), i);
  }
  // Every entry still belongs to its row.
  EXPECT_EQ(EntriesByRowName(Named("x")),
            (std::map<std::string, double>{{"A", 1}, {"OBJ", 2}, {"B", 3}, {"C", 4}, {"D", 5}}));
  const auto rhs = EntriesByRowName(engine.Column(kRhsColumn));
  EXPECT_NEAR(rhs.at("B"), 30, 1e-7);
  EXPECT_NEAR(rhs.at("D"), 50, 1e-7);
  for (int p = 1; p <= 5; ++p) {
    const LpColumn& logical = engine.Column(p);
    EXPECT_EQ(logical.name, engine.Row(p).name);
    EXPECT_EQ(logical.entries[0].row, p);
  }
}

TEST_F(LpSetupTest, FreeColumnsEnterTheBasisAtTheirFirstRow) {
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  ASSERT_TRUE(LpDefineRow(engine, "C1", 'L'));
  ASSERT_TRUE(LpDefineRow(engine, "C2", 'L'));
  LpSetElement(engine, "C1", "x", 1);
  LpSetElement(engine, "C2", "f", 1);
  LpSetElement(engine, "OBJ", "f", 1);
  LpSetElement(engine, "OBJ", "g", 1);  // only in the objective row: p = m, stays out
  LpSetBound(engine, "f", "FR", 0);
  LpSetBound(engine, "g", "FR", 0);
  engine.flags.loaded = true;
  LpSetup(engine);
  // Rows are now C2, C1, OBJ: f's smallest row is 1, so f takes position 1.
  ASSERT_EQ(engine.Row(1).name, "C2");
  EXPECT_EQ(engine.Column(1).name, "f");
  EXPECT_EQ(engine.Column(1).status, kBasic);
  EXPECT_EQ(LpLookupColumn(engine, "f"), 1);
  // The logical of C2 left the basis; the objective row's logical stays.
  EXPECT_EQ(LpLookupColumn(engine, "OBJ"), engine.row_count);
  const int32_t displaced = LpLookupColumn(engine, "C2");
  EXPECT_GT(displaced, engine.row_count);
  EXPECT_EQ(engine.Column(displaced).status, kAtLower);
  EXPECT_GT(LpLookupColumn(engine, "g"), engine.row_count);
}

TEST_F(LpSetupTest, ColumnLimits) {
  ASSERT_TRUE(LpDefineRow(engine, "R1", 'L'));
  ASSERT_TRUE(LpDefineRow(engine, "R2", 'L'));
  for (int n = 1; n <= kMaxColumnPositions; ++n) LpFindColumn(engine, "C" + std::to_string(n));
  EXPECT_EQ(LpLookupColumn(engine, "C131067"), kMaxColumnPositions);
  EXPECT_EQ(LpLookupColumn(engine, "C1"), 1);
  EXPECT_THROW(LpSetBound(engine, "ONE MORE", "UP", 1), EngineFailure);
  EXPECT_EQ(port.engine_messages, std::vector<std::string>{" FATAL ERROR\nMAXcolumn TOO SMALL"});
  EXPECT_EQ(engine.column_count, kMaxColumnPositions);

  // 131067 columns and 2 rows leave no room for the logicals.
  engine.flags.loaded = true;
  EXPECT_THROW(LpSetup(engine), EngineFailure);
  EXPECT_EQ(port.engine_messages.size(), 2u);
  EXPECT_EQ(port.engine_messages.back(), " FATAL ERROR\nMAXcolumn TOO SMALL");
  EXPECT_EQ(engine.row_count, 0);  // the engine is released
  EXPECT_EQ(engine.column_count, 0);
}

}  // namespace
}  // namespace vido
