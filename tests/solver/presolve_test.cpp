#include "solver/presolve.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "solver/lp_engine.h"
#include "support/engine_folder.h"
#include "support/parameter_table.h"

namespace vido {
namespace {

using testing::FakeUserPort;
namespace fs = std::filesystem;

// Every test works in a folder of its own: the report file has a fixed name, and the
// tests of this executable run at the same time in one folder.
class PresolveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = home_ / (std::string("presolve_") + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
    Create();
  }
  void TearDown() override {
    LpRelease(engine);
    fs::current_path(home_);
    fs::remove_all(folder_);
  }

  void Create() {
    LpCreate(engine, port);
    engine.problem_name = "MIPSolver";
    engine.trace.SetSink([this](const std::string& target, const std::string& text) {
      if (target == "Memo") trace.push_back(text);
    });
  }

  void Rows(const std::vector<std::pair<std::string, char>>& rows) {
    ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
    for (const auto& [name, type] : rows) ASSERT_TRUE(LpDefineRow(engine, name, type));
  }

  const LpColumn& Col(const std::string& name) {
    const int32_t position = LpLookupColumn(engine, name);
    EXPECT_NE(position, 0) << name;
    return engine.Column(position);
  }

  // Row name -> coefficient of the column.
  std::map<std::string, double> Entries(const std::string& column) {
    std::map<std::string, double> out;
    for (const LpEntry& entry : Col(column).entries) out[engine.Row(entry.row).name] = entry.value;
    return out;
  }

  double Rhs(const std::string& row) {
    const int32_t i = LpFindRow(engine, row);
    EXPECT_NE(i, 0) << row;
    const LpColumn& rhs = engine.Column(kRhsColumn);
    const int k = rhs.FindEntry(i);
    return k >= 0 ? rhs.entries[k].value : 0.0;
  }

  std::vector<std::string> RowNames() {
    std::vector<std::string> names;
    for (int32_t i = 1; i <= engine.row_count; ++i) names.push_back(engine.Row(i).name);
    return names;
  }

  // The report file's lines (CR LF ends), or nothing when there is no file.
  std::vector<std::string> Report(const std::string& name = EngineFolder() + "CMP") {
    std::vector<std::string> lines;
    std::ifstream in(name, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      EXPECT_FALSE(line.empty() || line.back() != '\r') << line;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  FakeUserPort port;
  LpEngine engine;
  std::vector<std::string> trace;

 private:
  fs::path home_;
  fs::path folder_;
};

// 2x <= 6, the last row and x's only row, becomes x <= 3 and disappears; the other row
// then gets its bounds tightened, and the objective row ends up last.
TEST_F(PresolveTest, SingletonRowBecomesABoundAndDisappears) {
  Rows({{"C1", 'L'}, {"C2", 'L'}});
  LpSetElement(engine, "OBJ", "x", 1);
  LpSetElement(engine, "OBJ", "y", 1);
  LpSetElement(engine, "C1", "y", 1);
  LpSetElement(engine, "C1", "z", 1);
  LpSetRhs(engine, "C1", 10);
  LpSetElement(engine, "C2", "x", 2);
  LpSetRhs(engine, "C2", 6);

  EXPECT_EQ(LpPresolve(engine), 3);
  EXPECT_EQ(RowNames(), (std::vector<std::string>{"C1", "OBJ"}));
  EXPECT_EQ(LpFindRow(engine, "C2"), 0);
  EXPECT_EQ(LpFindRow(engine, "OBJ"), 2);
  EXPECT_EQ(Col("x").upper, 3);
  EXPECT_EQ(Col("x").lower, 0);
  EXPECT_EQ(Entries("x"), (std::map<std::string, double>{{"OBJ", 1}}));
  EXPECT_EQ(Entries("y"), (std::map<std::string, double>{{"OBJ", 1}, {"C1", 1}}));
  EXPECT_EQ(Rhs("C1"), 10);
  EXPECT_EQ(engine.Row(1).entry_count, 4);  // y, z and the right-hand side
  EXPECT_EQ(Report(), (std::vector<std::string>{
                          "REPLACE ROW         C2 By a UP Bound on Column          x 3",
                          "y UP BOUND reduced from 1E21 to 10",
                          "z UP BOUND reduced from 1E21 to 10",
                      }));
  EXPECT_EQ(trace,
            (std::vector<std::string>{"Compressing Matrix", "Loop", "Loop", "Checking bounds",
                                      "Tighten", "Loop", "Checking bounds", "Tighten"}));
}

// Whatever the signs of a and b, the bound is the one the row states: a negative
// coefficient turns the direction around, and b = 0 gives the bound 0.
TEST_F(PresolveTest, SingletonRowsWithNegativeCoefficientsOrZeroRhs) {
  Rows({{"L1", 'L'}, {"G1", 'G'}, {"E1", 'E'}, {"L0", 'L'}, {"G0", 'G'}, {"N1", 'N'}});
  const std::vector<std::string> columns = {"a", "b", "c", "d", "e", "f"};
  for (const std::string& name : columns) {
    LpSetBound(engine, name, "LO", -10);
    LpSetBound(engine, name, "UP", 10);
  }
  LpSetElement(engine, "L1", "a", -2);  // -2a <= 6: a >= -3
  LpSetRhs(engine, "L1", 6);
  LpSetElement(engine, "G1", "b", -4);  // -4b >= 8: b <= -2
  LpSetRhs(engine, "G1", 8);
  LpSetElement(engine, "E1", "c", -5);  // -5c = 7.5: c = -1.5
  LpSetRhs(engine, "E1", 7.5);
  LpSetElement(engine, "L0", "d", -3);  // -3d <= 0: d >= 0
  LpSetElement(engine, "G0", "e", 2);   // 2e >= 0: e >= 0
  LpSetElement(engine, "N1", "f", 2);   // a free row is no constraint
  LpSetRhs(engine, "N1", 1);

  LpPresolve(engine);
  EXPECT_EQ(RowNames(), (std::vector<std::string>{"N1", "OBJ"}));
  EXPECT_EQ(Col("a").lower, -3);
  EXPECT_EQ(Col("a").upper, 10);
  EXPECT_EQ(Col("b").lower, -10);
  EXPECT_EQ(Col("b").upper, -2);
  EXPECT_EQ(Col("c").lower, -1.5);
  EXPECT_EQ(Col("c").upper, -1.5);
  EXPECT_EQ(Col("d").lower, 0);
  EXPECT_EQ(Col("d").upper, 10);
  EXPECT_EQ(Col("e").lower, 0);
  EXPECT_EQ(Col("e").upper, 10);
  EXPECT_EQ(Col("f").lower, -10);
  EXPECT_EQ(Col("f").upper, 10);
  EXPECT_EQ(Entries("f"), (std::map<std::string, double>{{"N1", 2}}));
  EXPECT_EQ(Report(), (std::vector<std::string>{
                          "REPLACE ROW         G0 By a LO Bound on Column          e 0",
                          "REPLACE ROW         L0 By a LO Bound on Column          d 0",
                          "REPLACE ROW         E1 By a LO Bound on Column          c -1.5",
                          "REPLACE ROW         E1 By a UP Bound on Column          c -1.5",
                          "REPLACE ROW         G1 By a UP Bound on Column          b -2",
                          "REPLACE ROW         L1 By a LO Bound on Column          a -3",
                      }));
}

// A range bounds the activity on the other side too. A singleton row that the column's
// bounds cannot meet stays (the model is infeasible and the simplex must say so): the
// tightening fixes its column, which then leaves the row empty and still infeasible. A
// row on a free column stays too, since the iterations do not keep a free column's bounds.
TEST_F(PresolveTest, RangesInfeasibleSingletonsAndFreeColumns) {
  Rows({{"R1", 'L'}, {"R2", 'G'}, {"BAD", 'G'}, {"FREE", 'L'}, {"BADE", 'E'}});
  LpSetElement(engine, "R1", "x", 2);  // 2 <= 2x <= 6
  LpSetRhs(engine, "R1", 6);
  LpSetRange(engine, "R1", 4);
  LpSetElement(engine, "R2", "y", -1);  // -3 <= -y <= -1
  LpSetRhs(engine, "R2", -3);
  LpSetRange(engine, "R2", 2);
  LpSetElement(engine, "BAD", "z", 2);  // 2z >= 6 with z <= 1
  LpSetRhs(engine, "BAD", 6);
  LpSetBound(engine, "z", "UP", 1);
  LpSetElement(engine, "FREE", "f", 1);
  LpSetRhs(engine, "FREE", 5);
  LpSetBound(engine, "f", "FR", 0);
  LpSetElement(engine, "BADE", "k", 2);  // 2k = 5 for an integer k
  LpSetRhs(engine, "BADE", 5);
  LpSetBound(engine, "k", "UI", 10);

  LpPresolve(engine);
  EXPECT_EQ(RowNames(), (std::vector<std::string>{"BAD", "FREE", "BADE", "OBJ"}));
  EXPECT_EQ(Col("x").lower, 1);
  EXPECT_EQ(Col("x").upper, 3);
  EXPECT_EQ(Col("y").lower, 1);
  EXPECT_EQ(Col("y").upper, 3);
  EXPECT_EQ(Col("z").lower, 1);  // tightened from the row up to its upper bound, no further
  EXPECT_EQ(Col("z").upper, 1);
  EXPECT_TRUE(Entries("z").empty());
  EXPECT_EQ(Rhs("BAD"), 4);  // 0 >= 4
  EXPECT_EQ(Col("f").lower, 0);
  EXPECT_EQ(Col("f").upper, kNoBound);
  EXPECT_EQ(Col("k").lower, 2);  // k <= 2.5 rounds to 2, k >= 2.5 stops there
  EXPECT_EQ(Col("k").upper, 2);
  EXPECT_TRUE(Entries("k").empty());
  EXPECT_EQ(Rhs("BADE"), 1);  // 0 = 1
  EXPECT_EQ(Entries("f"), (std::map<std::string, double>{{"FREE", 1}}));
}

// Integer bounds are rounded inward, to the feasible side also below zero; a column
// whose range holds no whole number keeps its bounds; open integer columns are
// reported once.
TEST_F(PresolveTest, IntegerBoundsRoundedInward) {
  Rows({{"C1", 'L'}});
  LpSetBound(engine, "p", "UI", 4.7);
  LpSetBound(engine, "p", "LO", 1.2);
  LpSetBound(engine, "n", "UI", -1.5);
  LpSetBound(engine, "n", "LO", -3.5);
  LpSetBound(engine, "w", "UI", 0.7);
  LpSetBound(engine, "w", "LO", 0.3);
  LpSetBound(engine, "u", "BV", 0);
  LpSetBound(engine, "u", "UP", 1e21);
  LpSetBound(engine, "m", "UI", 5);
  LpSetBound(engine, "m", "LO", -1e21);
  LpSetBound(engine, "c", "UP", 4.7);  // continuous: untouched
  LpSetElement(engine, "C1", "c", 2);
  LpSetElement(engine, "C1", "p", 1);
  LpSetRhs(engine, "C1", 100);

  LpPresolve(engine);
  EXPECT_EQ(Col("p").lower, 2);
  EXPECT_EQ(Col("p").upper, 4);
  EXPECT_EQ(Col("n").lower, -3);
  EXPECT_EQ(Col("n").upper, -2);
  EXPECT_EQ(Col("w").lower, 0.3);
  EXPECT_EQ(Col("w").upper, 0.7);
  EXPECT_EQ(Col("c").upper, 4.7);
  EXPECT_EQ(Col("m").upper, 5);
  EXPECT_EQ(port.engine_messages,
            (std::vector<std::string>{"INTEGER VARIABLE u HAS NO UPPER BOUND",
                                      "INTEGER VARIABLE m HAS NO LOWER BOUND"}));
  EXPECT_EQ(Report(), (std::vector<std::string>{
                          "REPLACE UP Bound on Column p from 4.7 by 4",
                          "REPLACE LO Bound on Column p from 1.2 by 2",
                          "REPLACE UP Bound on Column n from -1.5 by -2",
                          "REPLACE LO Bound on Column n from -3.5 by -3",
                      }));
}

// x fixed at 2 with coefficient 3 in a row with right-hand side 10 leaves that row with
// right-hand side 4 and no entry for x; the objective entry stays, and a right-hand side
// that becomes 0 loses its entry.
TEST_F(PresolveTest, FixedColumnMovesIntoTheRightHandSide) {
  Rows({{"C1", 'L'}, {"C2", 'E'}, {"C3", 'L'}});
  LpSetElement(engine, "OBJ", "x", 5);
  LpSetElement(engine, "C1", "x", 3);
  LpSetElement(engine, "C2", "x", -1);
  LpSetElement(engine, "C3", "x", 1);
  LpSetBound(engine, "x", "FX", 2);
  for (const char* row : {"C1", "C2"}) {
    LpSetElement(engine, row, "y", 1);
    LpSetElement(engine, row, "z", 1);
  }
  LpSetElement(engine, "C3", "v", 1);
  LpSetElement(engine, "C3", "w", -1);
  for (const char* column : {"y", "z", "v", "w"}) LpSetBound(engine, column, "UP", 5);
  LpSetRhs(engine, "C1", 10);
  LpSetRhs(engine, "C3", 2);

  LpPresolve(engine);
  EXPECT_EQ(Entries("x"), (std::map<std::string, double>{{"OBJ", 5}}));
  EXPECT_EQ(Col("x").lower, 2);
  EXPECT_EQ(Col("x").upper, 2);
  EXPECT_EQ(Rhs("C1"), 4);  // y + z <= 4
  EXPECT_EQ(Rhs("C2"), 2);  // y + z = 2
  EXPECT_EQ(Rhs("C3"), 0);  // v - w <= 0
  EXPECT_EQ(engine.Column(kRhsColumn).EntryCount(), 2);
  EXPECT_EQ(Report(), (std::vector<std::string>{
                          "COLUMN x has a fixed bound of 2", "COLUMN x has a fixed bound of 2",
                          "COLUMN x has a fixed bound of 2", "y UP BOUND reduced from 5 to 4",
                          "z UP BOUND reduced from 5 to 4", "y UP BOUND reduced from 4 to 2",
                          "z UP BOUND reduced from 4 to 2"}));
}

TEST_F(PresolveTest, ZeroEntriesAreRemoved) {
  Rows({{"C1", 'L'}, {"C2", 'G'}});
  LpSetElement(engine, "C1", "x", 1);  // x + y <= 4, x + y >= 0: nothing to tighten
  LpSetElement(engine, "C2", "x", 1);
  LpSetElement(engine, "C1", "y", 1);
  LpSetElement(engine, "C2", "y", 1);
  LpSetRhs(engine, "C1", 4);
  LpSetBound(engine, "x", "UP", 1);
  LpSetBound(engine, "y", "UP", 1);
  LpAppendEntry(engine, LpLookupColumn(engine, "x"), LpFindRow(engine, "OBJ"), 0.0);
  LpAppendEntry(engine, kRhsColumn, LpFindRow(engine, "C2"), 0.0);
  const int32_t before = engine.Row(LpFindRow(engine, "OBJ")).entry_count;

  LpPresolve(engine);
  EXPECT_EQ(Entries("x"), (std::map<std::string, double>{{"C1", 1}, {"C2", 1}}));
  EXPECT_EQ(engine.Column(kRhsColumn).EntryCount(), 1);
  EXPECT_EQ(engine.Row(LpFindRow(engine, "OBJ")).entry_count, before - 1);
  EXPECT_EQ(Report(), (std::vector<std::string>{
                          "IN COLUMN        RHS Entry at row         C2 was 0",
                          "IN COLUMN          x Entry at row        OBJ was 0",
                      }));
}

// Bounds from rows read as activity <= b and activity >= b; integer columns round to
// whole numbers; changes of 1e-5 or less are not made.
TEST_F(PresolveTest, TighteningFromRows) {
  Rows({{"LE", 'L'}, {"GE", 'G'}, {"INT", 'L'}, {"TINY", 'L'}});
  LpSetElement(engine, "LE", "x", 1);  // x + y <= 4, x >= 1, y <= 10
  LpSetElement(engine, "LE", "y", 1);
  LpSetRhs(engine, "LE", 4);
  LpSetBound(engine, "x", "LO", 1);
  LpSetBound(engine, "y", "UP", 10);
  LpSetElement(engine, "GE", "v", 1);  // v - w >= 3, v <= 10, w <= 1
  LpSetElement(engine, "GE", "w", -1);
  LpSetRhs(engine, "GE", 3);
  LpSetBound(engine, "v", "UP", 10);
  LpSetBound(engine, "w", "UP", 1);
  LpSetElement(engine, "INT", "i", 2);  // 2i + 2j <= 7, integer
  LpSetElement(engine, "INT", "j", 2);
  LpSetRhs(engine, "INT", 7);
  LpSetBound(engine, "i", "UI", 10);
  LpSetBound(engine, "j", "UI", 10);
  LpSetElement(engine, "TINY", "s", 1);  // s + t <= 1 + 5e-6, t >= 1e-6, s <= 1 + 8e-6
  LpSetElement(engine, "TINY", "t", 1);
  LpSetRhs(engine, "TINY", 1 + 5e-6);
  LpSetBound(engine, "s", "UP", 1 + 8e-6);
  LpSetBound(engine, "t", "UP", 1);
  LpSetBound(engine, "t", "LO", 1e-6);

  LpPresolve(engine);
  EXPECT_EQ(Col("y").upper, 3);
  EXPECT_EQ(Col("x").upper, 4);
  EXPECT_EQ(Col("v").lower, 3);
  EXPECT_EQ(Col("v").upper, 10);
  EXPECT_EQ(Col("i").upper, 3);
  EXPECT_EQ(Col("j").upper, 3);
  EXPECT_EQ(Col("s").upper, 1 + 8e-6);  // 1 + 4e-6 would gain too little
  // The objective row changes places with the last row.
  EXPECT_EQ(RowNames(), (std::vector<std::string>{"TINY", "LE", "GE", "INT", "OBJ"}));
  EXPECT_EQ(Report(), (std::vector<std::string>{
                          "x UP BOUND reduced from 1E21 to 4",
                          "y UP BOUND reduced from 10 to 3",
                          "v LO BOUND changed from 0 to 3",
                          "i UP BOUND reduced from 10 to 3",
                          "j UP BOUND reduced from 10 to 3",
                      }));
}

// A row may fix its columns outright (they then leave the rows), but a range squeezed to
// less than 1e-6 without becoming a point is left as it was.
TEST_F(PresolveTest, TighteningFixesButDoesNotSqueeze) {
  Rows({{"ZERO", 'L'}, {"NEAR", 'G'}});
  LpSetElement(engine, "ZERO", "x", 1);  // x + y <= 0 with x, y >= 0
  LpSetElement(engine, "ZERO", "y", 1);
  LpSetElement(engine, "NEAR", "p", 1);  // p + q >= 1.9999995 with p, q <= 1
  LpSetElement(engine, "NEAR", "q", 1);
  LpSetRhs(engine, "NEAR", 1.9999995);
  for (const char* column : {"x", "y", "p", "q"}) LpSetBound(engine, column, "UP", 1);

  LpPresolve(engine);
  EXPECT_EQ(Col("x").upper, 0);
  EXPECT_EQ(Col("y").upper, 0);
  EXPECT_TRUE(Entries("x").empty());
  EXPECT_EQ(Col("p").lower, 0);
  EXPECT_EQ(Col("q").lower, 0);
  EXPECT_EQ(Entries("p"), (std::map<std::string, double>{{"NEAR", 1}}));
}

// Bounds beyond 1e20 are none: a row with two open columns gives nothing, one with a
// single open column bounds only that column.
TEST_F(PresolveTest, OpenBoundsGiveNoFiniteBounds) {
  Rows({{"TWO", 'L'}, {"ONE", 'L'}});
  LpSetElement(engine, "TWO", "a", 100);  // 100a - b - c <= 1, b and c open
  LpSetElement(engine, "TWO", "b", -1);
  LpSetElement(engine, "TWO", "c", -1);
  LpSetRhs(engine, "TWO", 1);
  LpSetElement(engine, "ONE", "d", 1);  // d + e <= 8, e >= 2 open above
  LpSetElement(engine, "ONE", "e", 1);
  LpSetRhs(engine, "ONE", 8);
  LpSetBound(engine, "d", "MI", 0);
  LpSetBound(engine, "d", "UP", 1e21);
  LpSetBound(engine, "e", "LO", 2);

  LpPresolve(engine);
  EXPECT_EQ(Col("a").upper, kNoBound);
  EXPECT_EQ(Col("b").upper, kNoBound);
  EXPECT_EQ(Col("d").upper, 6);
  EXPECT_EQ(Col("e").upper, kNoBound);
  EXPECT_EQ(Col("d").lower, -kNoBound);
}

// Nothing to do: no report file (a stale one goes), the model is unchanged.
TEST_F(PresolveTest, NothingChangedLeavesNoReport) {
  { std::ofstream(EngineFolder() + "CMP") << "old\r\n"; }
  Rows({{"C1", 'L'}});
  LpSetElement(engine, "C1", "x", 1);
  LpSetElement(engine, "C1", "y", 1);
  LpSetRhs(engine, "C1", 4);
  LpSetBound(engine, "x", "UP", 1);
  LpSetBound(engine, "y", "UP", 1);
  EXPECT_EQ(LpPresolve(engine), 0);
  EXPECT_FALSE(fs::exists(EngineFolder() + "CMP"));
  EXPECT_EQ(RowNames(), (std::vector<std::string>{"C1", "OBJ"}));
  EXPECT_EQ(Col("x").upper, 1);
}

TEST_F(PresolveTest, ReportFileNameAndRewrite) {
  EXPECT_EQ(PresolveReportName("MIPSolver"), EngineFolder() + "CMP");
  EXPECT_EQ(PresolveReportName("model.lp"), EngineFolder() + "model.CMP");
  EXPECT_EQ(PresolveReportName("a.b.c"), EngineFolder() + "a.CMP");
  EXPECT_EQ(PresolveReportName(""), EngineFolder() + "CMP");

  { std::ofstream(EngineFolder() + "model.CMP") << "old line\r\n"; }
  engine.problem_name = "model.lp";
  Rows({{"C1", 'L'}});
  LpSetElement(engine, "C1", "x", 2);
  LpSetRhs(engine, "C1", 6);
  LpPresolve(engine);
  EXPECT_EQ(
      Report(EngineFolder() + "model.CMP"),
      (std::vector<std::string>{"REPLACE ROW         C1 By a UP Bound on Column          x 3"}));
  EXPECT_FALSE(fs::exists(EngineFolder() + "CMP"));
}

// A row over 32767 entries stops the tightening with a message; the rest goes on.
TEST_F(PresolveTest, LongRowStopsOnlyTheTightening) {
  Rows({{"LONG", 'L'}, {"S", 'L'}});
  for (int k = 0; k < 32768; ++k) LpSetElement(engine, "LONG", "x" + std::to_string(k), 1);
  LpSetRhs(engine, "LONG", 1);
  LpSetElement(engine, "S", "y", 4);
  LpSetRhs(engine, "S", 2);
  LpPresolve(engine);
  EXPECT_EQ(port.engine_messages,
            (std::vector<std::string>{
                "TIGHTENING OF LP-RELAXATION NOT POSSIBLE BECAUSE OF MEMORY PROBLEM"}));
  EXPECT_EQ(Col("y").upper, 0.5);
  EXPECT_EQ(Col("x0").upper, kNoBound);
  EXPECT_EQ(RowNames(), (std::vector<std::string>{"LONG", "OBJ"}));
}

// With the built-in settings setup leaves the model alone and writes no file; with
// "TIGHT" on, setup presolves.
TEST_F(PresolveTest, SetupPresolvesOnlyWhenTight) {
  auto build = [this] {
    Rows({{"C1", 'L'}, {"C2", 'L'}});
    LpSetElement(engine, "OBJ", "x", 1);
    LpSetElement(engine, "C1", "x", 2);
    LpSetRhs(engine, "C1", 6);
    LpSetElement(engine, "C2", "x", 1);
    LpSetElement(engine, "C2", "y", 1);
    LpSetRhs(engine, "C2", 5);
    engine.objective_row_name = "OBJ";
    engine.flags.loaded = true;
  };
  build();
  ASSERT_TRUE(LpSetup(engine));
  EXPECT_EQ(engine.row_count, 3);
  EXPECT_EQ(Col("x").upper, kNoBound);
  EXPECT_FALSE(fs::exists(EngineFolder() + "CMP"));
  EXPECT_EQ(trace.front().rfind("R 3 C 2", 0), 0u) << trace.front();

  LpRelease(engine);
  trace.clear();
  ScopedParameterOverride tight("TIGHT", "Y");
  Create();
  build();
  ASSERT_TRUE(LpSetup(engine));
  EXPECT_EQ(engine.row_count, 2);
  EXPECT_EQ(Col("x").upper, 3);
  EXPECT_TRUE(fs::exists(EngineFolder() + "CMP"));
  EXPECT_EQ(engine.Row(engine.row_count).name, "OBJ");
}

}  // namespace
}  // namespace vido
