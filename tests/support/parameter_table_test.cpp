#include "support/parameter_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "support/engine_failure.h"

namespace vido {
namespace {

using testing::FakeUserPort;

struct Expected {
  uint8_t type;
  const char* name;
  double value;
  double minimum;
  double maximum;
  const char* text;
};

TEST(ParameterTable, BuiltInLinesLoadAsTheSettingsInForce) {
  FakeUserPort port;
  ParameterTable table(port);
  table.LoadDefaultParameters();
  const std::vector<Expected> expected = {
      {1, "ITERLOG", 0, 0, 30000, ""},
      {2, "LOGFILE", 0, 0, 0, ""},
      {1, "PRICING", 30000, 1, 30000, ""},
      {1, "SUCH-TIEFE", 7, 1, 30000, ""},
      {0, "INTEGER-CRIT", 1e-7, 0, 1, ""},
      {1, "MIN-NODES", 100, 2, 30000, ""},
      {1, "BASIS-INTERVALL", 0, 0, 100000, ""},
      {0, "DJ-MIN", -1e-6, -1000, -1e-12, ""},
      {1, "MAXITER", 2e9, 0, 2e9, ""},
      {1, "MAXTIME", 2e9, 0, 2e9, ""},
      {0, "LO-LIMIT", -1e30, -1e30, 1e30, ""},
      {0, "UP-LIMIT", 1e30, -1e30, 1e30, ""},
      {0, "MAXMEMORY[MB]", 30, 0, 500, ""},
      {2, "TIGHT", 0, 0, 0, ""},
      {2, "ASSESS-PSE", 1, 0, 0, ""},
      {2, "RESTART", 1, 0, 0, ""},
      {2, "PSE", 1, 0, 0, ""},
      {1, "STRAT-1", 90, 0, 100, ""},
      {1, "STRAT-2", 100, 0, 100, ""},
      {2, "STRAT-3", 1, 0, 0, ""},
      {3, "DRUCKER", 0, 0, 0, "LASER"},
      {3, "DESTINATION", 0, 0, 0, "LPT3"},
      {3, "FORMAT", 0, 0, 0, "LANDSCAPE"},
      {1, "PITCH", 20, 10, 20, ""},
      {1, "RAND", 3, 0, 100, ""},
      {1, "LINES-PER-PAGE", 89, 0, 1000, ""},
      {1, "LINES-PER-INCH", 8, 0, 10, ""},
  };
  ASSERT_EQ(table.Count(), 27);
  for (int i = 1; i <= 27; ++i) {
    const ParameterEntry& entry = table.Entry(i);
    const Expected& e = expected[i - 1];
    EXPECT_EQ(entry.type, e.type) << e.name;
    EXPECT_EQ(entry.name, e.name);
    EXPECT_DOUBLE_EQ(entry.value, e.value) << e.name;
    EXPECT_DOUBLE_EQ(entry.minimum, e.minimum) << e.name;
    EXPECT_DOUBLE_EQ(entry.maximum, e.maximum) << e.name;
    EXPECT_EQ(entry.text, e.text) << e.name;
    EXPECT_EQ(table.ParameterIndex(e.name), i);
  }
  EXPECT_TRUE(port.engine_messages.empty());

  EXPECT_EQ(table.IntegerParameter("MAXITER"), 2000000000);
  EXPECT_EQ(table.IntegerParameter("SUCH-TIEFE"), 7);
  EXPECT_DOUBLE_EQ(table.RealParameter("DJ-MIN"), -1e-6);
  EXPECT_FALSE(table.BooleanParameter("LOGFILE"));
  EXPECT_TRUE(table.BooleanParameter("PSE"));
  EXPECT_EQ(table.TextParameter("DESTINATION"), "LPT3");
  EXPECT_EQ(table.ParameterIndex("maxiter"), 0);  // keys are compared exactly
}

TEST(ParameterTable, LineSyntaxDetails) {
  FakeUserPort port;
  ParameterTable table(port);
  table.LoadParameterLines({
      "  2 flag=j  ",        // upper-cased; J is yes
      "2 OTHER = y",         // blanks around "=" are dropped
      "0 HALF=.5 0 1.",      // completed decimal points
      "1 WIDE=500 0 10",     // the range is not enforced
      "",                    // an empty line leaves its entry empty
      "2 FLAG=N",            // a second entry of the same name is never found
      "3 WORDS=TWO  WORDS",  // text keeps everything after "="
      "1 \x84HNLICH=3 0 9",  // code page 437 umlauts are upper-cased too
  });
  EXPECT_TRUE(port.engine_messages.empty());
  EXPECT_EQ(table.Count(), 8);
  EXPECT_TRUE(table.BooleanParameter("FLAG"));
  EXPECT_EQ(table.ParameterIndex("FLAG"), 1);
  EXPECT_TRUE(table.BooleanParameter("OTHER"));
  EXPECT_DOUBLE_EQ(table.RealParameter("HALF"), 0.5);
  EXPECT_DOUBLE_EQ(table.Entry(3).maximum, 1);
  EXPECT_EQ(table.IntegerParameter("WIDE"), 500);
  EXPECT_EQ(table.Entry(5).name, "");
  EXPECT_EQ(table.TextParameter("WORDS"), "TWO  WORDS");
  EXPECT_EQ(table.IntegerParameter("\x8EHNLICH"), 3);
}

TEST(ParameterTable, MalformedLinesShowTheirMessagesAndLoadingGoesOn) {
  FakeUserPort port;
  ParameterTable table(port);
  table.LoadParameterLines({
      "X BAD=1 0 2",   // type word not a number: type 0
      "1 NOEQUALS 5",  // no "="
      "1 FRACTION=1.5 0 2",
      "2 MAYBE=perhaps",
      "0 SHORT=1",  // missing range numbers
      "9 ODD=1",    // no such type
      "1 LAST=4 0 9",
  });
  EXPECT_EQ(port.engine_messages,
            (std::vector<std::string>{
                "WRONG NUMBER FORMAT X",
                "Error in File in row NOEQUALS 5",
                "WRONG NUMBER FORMAT NOEQUALS",  // the whole rest is read as the value
                "WRONG NUMBER FORMAT ",
                "Value for PARAMETER FRACTION is not LONGINT",
                "Value for PARAMETER MAYBE is not BOOLEAN",
                "WRONG NUMBER FORMAT ",
                "WRONG NUMBER FORMAT ",
                "Error in File in row ODD=1",
            }));
  EXPECT_EQ(table.Entry(1).type, ParameterEntry::kReal);
  EXPECT_DOUBLE_EQ(table.RealParameter("BAD"), 1);
  EXPECT_EQ(table.Entry(2).name, "");
  EXPECT_DOUBLE_EQ(table.Entry(3).value, 1.5);
  EXPECT_FALSE(table.BooleanParameter("MAYBE"));
  EXPECT_DOUBLE_EQ(table.RealParameter("SHORT"), 1);
  EXPECT_EQ(table.IntegerParameter("LAST"), 4);
}

TEST(ParameterTable, LookupFailures) {
  FakeUserPort port;
  ParameterTable table(port);
  table.LoadDefaultParameters();
  EXPECT_THROW(table.RealParameter("NOSUCH"), EngineFailure);
  EXPECT_EQ(port.engine_messages.back(), "Parameter NOSUCH not found");

  port.engine_messages.clear();
  EXPECT_EQ(table.IntegerParameter("INTEGER-CRIT"), 0);  // still the entry's value, rounded
  EXPECT_FALSE(table.BooleanParameter("ITERLOG"));
  EXPECT_EQ(port.engine_messages, (std::vector<std::string>{"Wrong Parametertype INTEGER-CRIT",
                                                            "Wrong Parametertype ITERLOG"}));

  std::vector<std::string> too_many(ParameterTable::kMaxPar + 1, "1 X=1 0 1");
  port.engine_messages.clear();
  EXPECT_THROW(table.LoadParameterLines(too_many), EngineFailure);
  EXPECT_EQ(port.engine_messages,
            std::vector<std::string>{"PIN UNIT PARAUNIT the variable MAXPAR is too small\n"
                                     "increase MAXPAR and recompile"});
  std::vector<std::string> just_enough(ParameterTable::kMaxPar, "1 X=1 0 1");
  table.LoadParameterLines(just_enough);
  EXPECT_EQ(table.Count(), 50);
}

TEST(ParameterTable, TestOverridesApplyWhileInstalled) {
  FakeUserPort port;
  {
    ScopedParameterOverride tight("TIGHT", "Y");
    ScopedParameterOverride iterations("maxiter", "25");
    ParameterTable table(port);
    table.LoadDefaultParameters();
    EXPECT_TRUE(table.BooleanParameter("TIGHT"));
    EXPECT_EQ(table.IntegerParameter("MAXITER"), 25);
    table.SetParameter("LOGFILE", "y");
    EXPECT_TRUE(table.BooleanParameter("LOGFILE"));
    table.SetParameter("DRUCKER", "ink");
    EXPECT_EQ(table.TextParameter("DRUCKER"), "INK");
    EXPECT_THROW(table.SetParameter("NOSUCH", "1"), EngineFailure);
  }
  ParameterTable table(port);
  table.LoadDefaultParameters();
  EXPECT_FALSE(table.BooleanParameter("TIGHT"));
  EXPECT_EQ(table.IntegerParameter("MAXITER"), 2000000000);
}

}  // namespace
}  // namespace vido
