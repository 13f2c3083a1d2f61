#include "solver/lp_engine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "support/engine_failure.h"
#include "support/engine_folder.h"

namespace vido {
namespace {

using testing::FakeUserPort;

class LpEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { LpCreate(engine, port); }
  void TearDown() override { LpRelease(engine); }

  FakeUserPort port;
  LpEngine engine;
};

// Names with the same home slot, found by trying `prefix` followed by numbers.
std::vector<std::string> NamesWithOneHome(const std::string& prefix, size_t count,
                                          int32_t modulus = kHashSlots) {
  std::map<int32_t, std::vector<std::string>> by_home;
  for (int n = 0;; ++n) {
    const std::string name = prefix + std::to_string(n);
    auto& names = by_home[(LpHashHome(name) - 1) % modulus];
    names.push_back(name);
    if (names.size() == count) return names;
  }
}

TEST_F(LpEngineTest, CreationState) {
  EXPECT_EQ(engine.column_count, 0);
  EXPECT_EQ(engine.row_count, 0);
  EXPECT_EQ(engine.Column(kRangeColumn).name, "RANGE");
  EXPECT_EQ(engine.Column(kRhsColumn).name, "RHS");
  EXPECT_EQ(engine.objective_row_name, "OBJ");
  EXPECT_EQ(engine.row_hash.size(), static_cast<size_t>(kHashSlots + 1));
  EXPECT_EQ(engine.settings.max_iter, 2000000000);
  EXPECT_DOUBLE_EQ(engine.settings.dj_min, -1e-6);
  EXPECT_EQ(engine.settings.printer, "LASER");
  EXPECT_EQ(engine.search.StrategyShare1, 90);
  EXPECT_EQ(engine.search.LowerValue, -1e30);
  EXPECT_EQ(engine.search.UpperValue, 1e30);
  EXPECT_TRUE(engine.trace.Active());
  EXPECT_EQ(engine.parameters->IntegerParameter("SUCH-TIEFE"), 7);
  EXPECT_EQ(LpFindRow(engine, "RHS"), 0);
  EXPECT_EQ(LpLookupColumn(engine, "RHS"), 0);  // pseudo-columns are not model columns
}

TEST_F(LpEngineTest, HashFunctionAndProbeStep) {
  // h = sum of c_k << s_k with s = 1, 3, 3, 5, 5, ...; home = h mod 131070 + 1.
  EXPECT_EQ(LpHashHome("A"), 65 * 2 + 1);
  EXPECT_EQ(LpHashHome("AB"), 65 * 2 + 66 * 8 + 1);
  EXPECT_EQ(LpHashHome("ABC"), (65 * 2 + 66 * 8 + 67 * 8) + 1);
  EXPECT_EQ(LpHashHome("ABCD"), (65 * 2 + 66 * 8 + 67 * 8 + 68 * 32) + 1);
  // Long names wrap in 32 bits and still land in 1..131070.
  const std::string long_name(25, '\xFF');
  EXPECT_GE(LpHashHome(long_name), 1);
  EXPECT_LE(LpHashHome(long_name), kHashSlots);
  // next = (slot + 10 c1 + c2) mod 131070 + 1; a single character uses c2 = 0.
  EXPECT_EQ(LpHashNext("AB", 131), 131 + 650 + 66 + 1);
  EXPECT_EQ(LpHashNext("A", 131), 131 + 650 + 1);
  EXPECT_EQ(LpHashNext("AB", kHashSlots), (kHashSlots + 716) % kHashSlots + 1);
}

TEST_F(LpEngineTest, CollidingNamesAreAllFoundCaseSensitively) {
  const std::vector<std::string> rows = NamesWithOneHome("R", 4);
  const std::vector<std::string> columns = NamesWithOneHome("c", 4);
  for (const auto& name : rows) ASSERT_TRUE(LpDefineRow(engine, name, 'L'));
  std::set<int32_t> slots;
  for (size_t k = 0; k < rows.size(); ++k) {
    EXPECT_EQ(LpHashHome(rows[k]), LpHashHome(rows[0]));
    EXPECT_EQ(LpFindRow(engine, rows[k]), static_cast<int32_t>(k + 1)) << rows[k];
    slots.insert(engine.Row(k + 1).hash_slot);
  }
  EXPECT_EQ(slots.size(), rows.size());
  EXPECT_TRUE(slots.count(LpHashHome(rows[0])));
  for (const auto& name : columns) LpSetElement(engine, rows[0], name, 1.5);
  for (size_t k = 0; k < columns.size(); ++k) {
    EXPECT_EQ(LpLookupColumn(engine, columns[k]), static_cast<int32_t>(k + 1));
  }
  // Same letters, other case: different names.
  EXPECT_EQ(LpLookupColumn(engine, "C" + columns[0].substr(1)), 0);
  ASSERT_TRUE(LpDefineRow(engine, "r" + rows[0].substr(1), 'G'));
  EXPECT_EQ(LpFindRow(engine, "r" + rows[0].substr(1)), 5);
  EXPECT_EQ(LpFindRow(engine, rows[0]), 1);
}

TEST_F(LpEngineTest, ProbeCycleShorterThanTheTableStillFindsRoom) {
  // "a1" gives the step 10 * 97 + 49 + 1 = 1020, which shares 510 with 131070: a probe
  // cycle has only 257 slots. 300 names in one cycle overflow it.
  const std::vector<std::string> names = NamesWithOneHome("a1_", 300, 510);
  for (const auto& name : names) ASSERT_TRUE(LpDefineRow(engine, name, 'E'));
  for (size_t k = 0; k < names.size(); ++k) {
    ASSERT_EQ(LpFindRow(engine, names[k]), static_cast<int32_t>(k + 1));
  }
  EXPECT_EQ(LpFindRow(engine, "a1_absent"), 0);
}

TEST_F(LpEngineTest, NamesAreCutTo25Characters) {
  const std::string long_name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
  ASSERT_TRUE(LpDefineRow(engine, long_name, 'N'));
  EXPECT_EQ(engine.Row(1).name, long_name.substr(0, 25));
  EXPECT_EQ(LpFindRow(engine, long_name.substr(0, 25)), 1);
  EXPECT_EQ(LpFindRow(engine, long_name), 1);
  LpSetElement(engine, long_name, long_name + "x", 2);
  EXPECT_EQ(engine.Column(1).name, long_name.substr(0, 25));
}

TEST_F(LpEngineTest, DuplicateRowFailsAndEmptiesTheModel) {
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  ASSERT_TRUE(LpDefineRow(engine, "C1", 'L'));
  LpSetElement(engine, "C1", "x", 1);
  EXPECT_FALSE(LpDefineRow(engine, "C1", 'G'));
  EXPECT_EQ(port.engine_messages, std::vector<std::string>{"ROW C1 ALREADY DEFINED"});
  EXPECT_TRUE(engine.flags.unfinished);
  EXPECT_EQ(engine.row_count, 0);
  EXPECT_EQ(engine.column_count, 0);
  EXPECT_EQ(LpFindRow(engine, "OBJ"), 0);
  EXPECT_EQ(LpLookupColumn(engine, "x"), 0);
  EXPECT_EQ(engine.Column(kRhsColumn).name, "RHS");
  // The emptied engine takes a new model.
  EXPECT_TRUE(LpDefineRow(engine, "C1", 'L'));
  EXPECT_FALSE(LpDefineRow(engine, "C2", 'X'));
  EXPECT_EQ(port.engine_messages.back(), "Unknown Row Type X at row C2");
  EXPECT_EQ(engine.row_count, 1);
}

TEST_F(LpEngineTest, RowLimit) {
  for (int i = 1; i <= kMaxRows; ++i) {
    ASSERT_TRUE(LpDefineRow(engine, "R" + std::to_string(i), 'L'));
  }
  EXPECT_EQ(LpFindRow(engine, "R65535"), kMaxRows);
  EXPECT_FALSE(LpDefineRow(engine, "ONE MORE", 'L'));
  EXPECT_EQ(port.engine_messages, std::vector<std::string>{"MAXROWS IST ZU KLEIN"});
  EXPECT_TRUE(engine.flags.unfinished);
  EXPECT_EQ(engine.row_count, 0);
}

TEST_F(LpEngineTest, SetElement) {
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  ASSERT_TRUE(LpDefineRow(engine, "C1", 'L'));
  LpSetElement(engine, "C1", "x", 0);  // zero does not create the column
  EXPECT_EQ(engine.column_count, 0);
  LpSetElement(engine, "C1", "x", 3);
  LpSetElement(engine, "OBJ", "x", -1);
  LpSetElement(engine, "C1", "y", 2);
  ASSERT_EQ(engine.column_count, 2);
  const LpColumn& x = engine.Column(1);
  ASSERT_EQ(x.EntryCount(), 2);
  EXPECT_EQ(engine.Row(2).entry_count, 3);  // 1 at creation, +1 per entry
  LpSetElement(engine, "C1", "x", 4);       // overwrite
  EXPECT_EQ(x.entries[x.FindEntry(2)].value, 4);
  EXPECT_EQ(x.EntryCount(), 2);
  LpSetElement(engine, "C1", "x", 1e-12);  // below 1e-11: removed, last entry moves up
  ASSERT_EQ(x.EntryCount(), 1);
  EXPECT_EQ(x.entries[0].row, 1);
  EXPECT_EQ(x.entries[0].value, -1);
  EXPECT_EQ(engine.Row(2).entry_count, 2);
  LpSetElement(engine, "OBJ", "x", 0);  // an exact zero removes an existing entry too
  EXPECT_EQ(x.EntryCount(), 0);
  EXPECT_EQ(engine.column_count, 2);       // the column stays
  LpSetElement(engine, "NOSUCH", "z", 0);  // nothing to do, nothing to complain about
  EXPECT_TRUE(port.engine_messages.empty());
}

TEST_F(LpEngineTest, UndefinedRowIsAnInternalFailure) {
  ASSERT_TRUE(LpDefineRow(engine, "C1", 'L'));
  LpSetElement(engine, "C1", "x", 1);
  EXPECT_THROW(LpSetElement(engine, "C9", "x", 1), EngineFailure);
  EXPECT_THROW(LpSetRhs(engine, "C9", 5), EngineFailure);
  EXPECT_EQ(port.engine_messages, (std::vector<std::string>{"Row not defined", "Row not defined"}));
  EXPECT_EQ(engine.Column(1).EntryCount(), 1);  // what was there is untouched
}

TEST_F(LpEngineTest, RightHandSidesAndRanges) {
  ASSERT_TRUE(LpDefineRow(engine, "C1", 'L'));
  ASSERT_TRUE(LpDefineRow(engine, "C2", 'G'));
  LpSetRhs(engine, "C1", 0);
  EXPECT_EQ(engine.Column(kRhsColumn).EntryCount(), 0);
  LpSetRhs(engine, "C2", 10);
  LpSetRhs(engine, "C1", 4);
  LpSetRhs(engine, "C2", 12);
  const LpColumn& rhs = engine.Column(kRhsColumn);
  ASSERT_EQ(rhs.EntryCount(), 2);
  EXPECT_EQ(rhs.entries[rhs.FindEntry(2)].value, 12);
  LpSetRhs(engine, "C2", 0);
  EXPECT_EQ(rhs.EntryCount(), 1);
  LpSetElement(engine, "C2", "RANGE", 4);  // a model column of that name, not the range
  EXPECT_EQ(engine.Column(kRangeColumn).EntryCount(), 0);
  EXPECT_EQ(LpLookupColumn(engine, "RANGE"), 1);
}

TEST_F(LpEngineTest, EveryBoundType) {
  LpSetBound(engine, "up", "UP", 7);
  LpSetBound(engine, "lo", "LO", -3);
  LpSetBound(engine, "fr", "FR", 99);
  LpSetBound(engine, "fx", "FX", 2.5);
  LpSetBound(engine, "mi", "UP", 8);
  LpSetBound(engine, "mi", "MI", 99);
  LpSetBound(engine, "bv", "LO", 0.5);
  LpSetBound(engine, "bv", "BV", 99);
  LpSetBound(engine, "ui3", "UP", 3);
  LpSetBound(engine, "ui3", "UI", 5);
  LpSetBound(engine, "uiinf", "UI", 1e21);
  LpSetBound(engine, "ui7", "UI", 7);
  LpSetBound(engine, "odd", "up", 1);
  auto column = [&](const std::string& name) -> const LpColumn& {
    const int32_t position = LpLookupColumn(engine, name);
    EXPECT_NE(position, 0) << name;
    return engine.Column(position);
  };
  EXPECT_EQ(column("up").upper, 7);
  EXPECT_EQ(column("up").lower, 0);
  EXPECT_EQ(column("lo").lower, -3);
  EXPECT_EQ(column("lo").upper, kNoBound);
  EXPECT_EQ(column("fr").kind, kFreeStructural);
  EXPECT_EQ(column("fr").lower, 0);
  EXPECT_EQ(column("fr").upper, kNoBound);
  EXPECT_TRUE(engine.flags.has_free_columns);
  EXPECT_EQ(column("fx").lower, 2.5);
  EXPECT_EQ(column("fx").upper, 2.5);
  EXPECT_EQ(column("mi").lower, -kNoBound);
  EXPECT_EQ(column("mi").upper, 0);
  EXPECT_TRUE(column("bv").is_integer);
  EXPECT_EQ(column("bv").lower, 0.5);
  EXPECT_EQ(column("bv").upper, 1);
  EXPECT_EQ(column("bv").pseudo_cost_up, 1e10f);
  EXPECT_EQ(column("bv").pseudo_cost_down, 1e10f);
  EXPECT_EQ(column("ui3").upper, 3);
  EXPECT_EQ(column("uiinf").upper, 300000);
  EXPECT_EQ(column("ui7").upper, 7);
  EXPECT_TRUE(column("ui7").is_integer);
  EXPECT_EQ(column("ui7").pseudo_cost_down, 1e10f);
  EXPECT_FALSE(column("up").is_integer);
  EXPECT_EQ(column("up").pseudo_cost_up, 0);
  EXPECT_EQ(column("odd").upper, kNoBound);  // the type is compared exactly
  EXPECT_EQ(port.engine_messages, std::vector<std::string>{"Unknown Bound Type up at column odd"});
}

TEST_F(LpEngineTest, ColumnValues) {
  LpSetBound(engine, "x", "UP", 5);
  LpSetBound(engine, "k", "UI", 5);
  engine.Column(1).value = 1.25;
  engine.Column(2).integer_value = 2.5f;
  EXPECT_EQ(LpColumnValue(engine, "x"), 1.25);
  EXPECT_EQ(LpIntegerValue(engine, "k"), 2);  // ties to even
  engine.Column(2).integer_value = 3.5f;
  EXPECT_EQ(LpIntegerValue(engine, "k"), 4);
  engine.Column(2).integer_value = 2.9999f;
  EXPECT_EQ(LpIntegerValue(engine, "k"), 3);
  EXPECT_EQ(LpColumnValue(engine, "absent"), 0);
  EXPECT_EQ(engine.column_count, 2);
}

TEST_F(LpEngineTest, ObjectiveRowAndCosts) {
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  ASSERT_TRUE(LpDefineRow(engine, "C1", 'L'));
  ASSERT_TRUE(LpDefineRow(engine, "C2", 'G'));
  LpSetElement(engine, "OBJ", "x", 3);
  LpSetElement(engine, "C1", "x", 1);
  LpSetElement(engine, "C2", "y", 1);
  LpSetElement(engine, "OBJ", "f", -2);
  LpSetBound(engine, "f", "FR", 0);
  LpSetObjectiveRow(engine);
  EXPECT_EQ(LpFindRow(engine, "OBJ"), 3);
  EXPECT_EQ(LpFindRow(engine, "C2"), 1);
  EXPECT_EQ(engine.Column(1).entries[0].row, 3);  // x's objective entry follows the row
  EXPECT_EQ(engine.Column(1).entries[1].row, 2);
  EXPECT_EQ(engine.Column(2).entries[0].row, 1);
  EXPECT_EQ(engine.Column(1).cost, 3);
  EXPECT_EQ(engine.Column(2).cost, 0);
  EXPECT_EQ(engine.Column(3).cost, -2);
  engine.flags.maximise = false;
  LpSetObjectiveRow(engine);
  EXPECT_EQ(engine.Column(1).cost, -3);
  EXPECT_EQ(engine.Column(3).cost, 2);
}

TEST_F(LpEngineTest, ClearAndRelease) {
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  LpSetElement(engine, "OBJ", "x", 1);
  LpSetRhs(engine, "OBJ", 1);
  engine.flags.loaded = true;
  engine.iter.iteration_count = 17;
  engine.search.HasIntegerSolution = true;
  engine.search.LowerValue = 5;
  LpClear(engine);
  EXPECT_EQ(engine.row_count, 0);
  EXPECT_EQ(engine.column_count, 0);
  EXPECT_FALSE(engine.flags.loaded);
  EXPECT_EQ(engine.iter.iteration_count, 0);
  EXPECT_FALSE(engine.search.HasIntegerSolution);
  EXPECT_EQ(engine.search.LowerValue, -1e30);
  EXPECT_EQ(engine.Column(kRhsColumn).EntryCount(), 0);
  EXPECT_EQ(LpLookupColumn(engine, "x"), 0);
  LpRelease(engine);
  LpRelease(engine);
  EXPECT_FALSE(engine.trace.Active());
  EXPECT_EQ(LpFindRow(engine, "OBJ"), 0);
  LpCreate(engine, port);
  EXPECT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
}

TEST_F(LpEngineTest, SettingsFollowTestOverrides) {
  ScopedParameterOverride tight("TIGHT", "Y");
  ScopedParameterOverride log("LOGFILE", "Y");
  LpEngine other;
  LpCreate(other, port);
  EXPECT_TRUE(other.settings.tight);
  EXPECT_TRUE(other.settings.log_file);
  EXPECT_FALSE(engine.settings.tight);
}

TEST_F(LpEngineTest, LogGoesWhereTheUserAskedAndNeverIntoTheCurrentFolder) {
  const std::filesystem::path start = std::filesystem::current_path();
  const std::filesystem::path here = start / "engine_log_here";
  std::filesystem::remove_all(here);
  std::filesystem::create_directories(here);
  std::filesystem::current_path(here);
  auto read = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  };
  {
    // Switched on by a setting, with no file asked for: the engine's own folder.
    ScopedParameterOverride log("LOGFILE", "Y");
    LpEngine logging;
    LpCreate(logging, port);
    logging.trace.AppendLogLine("Solution cancelled");
    EXPECT_EQ(read(EngineFolder() + "LP.LOG"), "Solution cancelled\r\n");
    std::filesystem::remove(EngineFolder() + "LP.LOG");
  }
  {
    // Asked for by the user: there, and switched on.
    SetSolverLogFile((here / "mine.log").string());
    LpEngine logging;
    LpCreate(logging, port);
    SetSolverLogFile("");
    EXPECT_TRUE(logging.settings.log_file);
    logging.trace.AppendLogLine("Solution cancelled");
    EXPECT_EQ(read(here / "mine.log"), "Solution cancelled\r\n");
  }
  std::filesystem::current_path(start);
  EXPECT_FALSE(std::filesystem::exists(here / "LP.LOG"));
  std::filesystem::remove_all(here);
}

}  // namespace
}  // namespace vido
