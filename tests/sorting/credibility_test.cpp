#include "sorting/credibility.h"

#include <gtest/gtest.h>

#include "common/small_problem.h"
#include "support/command_error.h"

namespace vido {
namespace {

using testing::MakeSmallProblem;
using testing::SetDirection;
using testing::SetPerformances;
using testing::SetProfile;
using testing::SetThreshold;

class CredibilityTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeSmallProblem(ws_, 2, 2, 2); }
  Workspace ws_;
};

TEST_F(CredibilityTest, NewProblemIsAStepWithoutDiscordance) {
  SetProfile(ws_, 1, 1, 10);
  EXPECT_EQ(PartialConcordance(ws_, 1, 1, 10), 1);
  EXPECT_EQ(PartialConcordance(ws_, 1, 1, 11), 1);
  EXPECT_EQ(PartialConcordance(ws_, 1, 1, 9.999), 0);
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, -1000), 0);  // v = p = 0: no veto
  SetPerformances(ws_, 1, {-1000, -1000});
  EXPECT_EQ(NonDiscordanceFactor(ws_, 1, 1), 1);
}

TEST_F(CredibilityTest, ConcordanceAtTheThresholds) {
  SetProfile(ws_, 1, 1, 10, /*q=*/1, /*p=*/3);
  EXPECT_EQ(PartialConcordance(ws_, 1, 1, 9), 1);  // delta = -q
  EXPECT_EQ(PartialConcordance(ws_, 1, 1, 7), 0);  // delta = -p
  EXPECT_DOUBLE_EQ(PartialConcordance(ws_, 1, 1, 8), 0.5);
  EXPECT_DOUBLE_EQ(PartialConcordance(ws_, 1, 1, 7.5), 0.25);
  // p <= q is a step at -q and never divides by zero.
  SetProfile(ws_, 1, 2, 10, /*q=*/2, /*p=*/1);
  EXPECT_EQ(PartialConcordance(ws_, 2, 1, 8), 1);
  EXPECT_EQ(PartialConcordance(ws_, 2, 1, 7.99), 0);
  SetProfile(ws_, 1, 2, 10, /*q=*/2, /*p=*/2);
  EXPECT_EQ(PartialConcordance(ws_, 2, 1, 7.99), 0);
}

TEST_F(CredibilityTest, MinimisedCriterionSwapsTheAdvantage) {
  SetProfile(ws_, 1, 1, 10, /*q=*/1, /*p=*/3, /*u=*/0, /*v=*/8);
  SetDirection(ws_, 1, "-1");
  EXPECT_EQ(PartialConcordance(ws_, 1, 1, 5), 1);  // below the profile is better
  EXPECT_DOUBLE_EQ(PartialConcordance(ws_, 1, 1, 12), 0.5);
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, 18), 1);  // delta = x - g = 8 = v
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, 2), 0);
  // Only the exact text "1" means maximised.
  for (const char* text : {"0", "", " 1", "1 "}) {
    SetDirection(ws_, 1, text);
    EXPECT_EQ(PartialConcordance(ws_, 1, 1, 5), 1) << "'" << text << "'";
  }
  SetDirection(ws_, 1, "1");
  EXPECT_EQ(PartialConcordance(ws_, 1, 1, 5), 0);
}

TEST_F(CredibilityTest, DiscordanceWithTheDefaultThreshold) {
  // "Use vj" down, "Use uj" up: u = 0.25 * 2 + 0.75 * 10 = 8.
  SetProfile(ws_, 1, 1, 20, 0, /*p=*/2, /*u=*/6, /*v=*/10);
  ws_.SetUsevj(true);
  ws_.SetUseuj(false);
  EXPECT_DOUBLE_EQ(PartialDiscordance(ws_, 1, 1, 11), 0.5);  // delta 9
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, 12), 0);           // delta 8 = u
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, 10), 1);           // delta 10 = v
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, 0), 1);
}

TEST_F(CredibilityTest, DiscordanceWithTheUserThreshold) {
  SetProfile(ws_, 1, 1, 20, 0, /*p=*/2, /*u=*/6, /*v=*/10);
  ws_.SetUsevj(true);
  ws_.SetUseuj(true);
  EXPECT_DOUBLE_EQ(PartialDiscordance(ws_, 1, 1, 12), 0.5);  // (8 - 6) / (10 - 6)
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, 14), 0);           // delta 6 = u
  // u <= p: the default 8 is used instead.
  SetThreshold(ws_, 1, 3, 1, "1");
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, 12), 0);
  EXPECT_DOUBLE_EQ(PartialDiscordance(ws_, 1, 1, 11), 0.5);
  // u >= v: a step at v.
  SetThreshold(ws_, 1, 3, 1, "12");
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, 10.01), 0);
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, 10), 1);
  // v <= p: no veto at all.
  SetThreshold(ws_, 1, 4, 1, "2");
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, -100), 0);
}

TEST_F(CredibilityTest, VjUpIgnoresTheHiddenRows) {
  SetProfile(ws_, 1, 1, 20, 0, 2, 6, 10);
  SetThreshold(ws_, 1, 3, 2, "junk");
  SetThreshold(ws_, 1, 4, 2, "junk");
  ws_.SetUsevj(false);
  EXPECT_EQ(PartialDiscordance(ws_, 1, 1, 0), 0);
  SetPerformances(ws_, 1, {0, 0});
  EXPECT_EQ(NonDiscordanceFactor(ws_, 1, 1), 1);
  ws_.SetUsevj(true);
  SetPerformances(ws_, 1, {20, 0});  // no veto on g1: g2's cells are read
  EXPECT_THROW(NonDiscordanceFactor(ws_, 1, 1), CommandError);
}

TEST_F(CredibilityTest, NonDiscordanceIsTheWorstCriterionAndStopsAtZero) {
  SetProfile(ws_, 1, 1, 20, 0, 2, 0, 10);
  SetProfile(ws_, 1, 2, 20, 0, 2, 0, 10);
  SetPerformances(ws_, 1, {11, 12});  // d_1 = 0.5, d_2 = 0
  EXPECT_DOUBLE_EQ(NonDiscordanceFactor(ws_, 1, 1), 0.5);
  SetPerformances(ws_, 1, {12, 11});
  EXPECT_DOUBLE_EQ(NonDiscordanceFactor(ws_, 1, 1), 0.5);
  // The first criterion vetoes: the later cell is never read.
  SetPerformances(ws_, 1, {0});
  ws_.AGrid.SetCell(4, 1, "abc");
  EXPECT_EQ(NonDiscordanceFactor(ws_, 1, 1), 0);
  // Without the veto the same cell stops the computation with its message.
  SetPerformances(ws_, 1, {20});
  try {
    NonDiscordanceFactor(ws_, 1, 1);
    FAIL() << "no conversion error";
  } catch (const CommandError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
  }
}

TEST_F(CredibilityTest, CoefficientsAreConcordanceTimesNonDiscordance) {
  SetProfile(ws_, 1, 1, 10, 1, 3, 0, 10);
  SetProfile(ws_, 1, 2, 10, 0, 0, 0, 0);
  SetPerformances(ws_, 1, {8, 10});  // c = (0.5, 1); d_1 = 0 (u = 8.25), D = 1
  EXPECT_EQ(CredibilityCoefficients(ws_, 1, 1), (std::vector<double>{0.5, 1}));
  SetProfile(ws_, 1, 2, 20, 0, 2, 0, 10);
  SetPerformances(ws_, 1, {8, 11});  // c_2 = 0, d_2 = 0.5
  EXPECT_EQ(CredibilityCoefficients(ws_, 1, 1), (std::vector<double>{0.25, 0}));
  EXPECT_DOUBLE_EQ(Credibility({0.25, 0}, {0.6, 0.4}), 0.15);
}

}  // namespace
}  // namespace vido
