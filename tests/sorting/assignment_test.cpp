#include "sorting/assignment.h"

#include <gtest/gtest.h>

#include "common/small_problem.h"
#include "support/command_error.h"

namespace vido {
namespace {

using testing::MakeSmallProblem;
using testing::SetPerformances;
using testing::SetProfile;

// Three categories on two criteria; the profiles sit at 10 and 20 on both criteria.
class AssignmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeSmallProblem(ws_, 2, 3, 4);
    for (int j = 1; j <= 2; ++j) {
      SetProfile(ws_, 1, j, 10);
      SetProfile(ws_, 2, j, 20);
    }
  }
  Workspace ws_;
};

TEST_F(AssignmentTest, ScanClimbsOverEveryOutrankedProfile) {
  SetPerformances(ws_, 1, {0, 0});    // outranks nothing
  SetPerformances(ws_, 2, {15, 15});  // outranks b_1
  SetPerformances(ws_, 3, {25, 25});  // outranks both: C_K
  SetPerformances(ws_, 4, {25, 0});   // sigma = 0.5 against both
  ws_.InferredSolution = {0.6, 0.5, 0.5};
  ComputeInferredCategories(ws_);
  ASSERT_EQ(ws_.InferredCategory.size(), 5u);
  EXPECT_EQ(ws_.InferredCategory[1], 1);
  EXPECT_EQ(ws_.InferredCategory[2], 2);
  EXPECT_EQ(ws_.InferredCategory[3], 3);
  EXPECT_EQ(ws_.InferredCategory[4], 1);
  ws_.InferredSolution = {0.5, 0.5, 0.5};
  ComputeInferredCategories(ws_);
  EXPECT_EQ(ws_.InferredCategory[4], 3);
}

TEST_F(AssignmentTest, ToleranceLiftsOnceButDoesNotContinueTheScan) {
  SetPerformances(ws_, 1, {25, 0});  // sigma(1, 1) = sigma(1, 2) = 0.5
  const std::vector<double> k = {0.5, 0.5};
  EXPECT_EQ(PessimisticCategory(ws_, 1, 0.5, k), 3);
  // 0.0000005 below lambda: counted as outranking b_1, but b_2 is not examined.
  EXPECT_EQ(PessimisticCategory(ws_, 1, 0.5000005, k), 2);
  EXPECT_EQ(PessimisticCategory(ws_, 1, 0.5000009, k), 2);
  EXPECT_EQ(PessimisticCategory(ws_, 1, 0.5000011, k), 1);
  // Proof that b_2 is not read once the scan stops.
  SetPerformances(ws_, 2, {25, 0});
  ws_.FGrid.SetCell(1, 6, "not a number");
  EXPECT_EQ(PessimisticCategory(ws_, 2, 0.5000005, k), 2);
  EXPECT_THROW(PessimisticCategory(ws_, 2, 0.5, k), CommandError);
}

TEST(Assignment, TwoCategoriesComputeOneCredibility) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 2, 2);
  SetProfile(ws, 1, 1, 10);
  SetProfile(ws, 1, 2, 10);
  SetPerformances(ws, 1, {10, 10});  // equal to the profile: sigma = sum k = 1
  SetPerformances(ws, 2, {10, 0});
  EXPECT_EQ(PessimisticCategory(ws, 1, 1.0, {0.5, 0.5}), 2);
  EXPECT_EQ(PessimisticCategory(ws, 2, 0.7, {0.5, 0.5}), 1);
  EXPECT_EQ(PessimisticCategory(ws, 2, 0.7, {0.7, 0.3}), 2);
  EXPECT_EQ(PessimisticCategory(ws, 2, 0.7, {0.6999995, 0.3000005}), 2);
}

TEST(Assignment, CategoryHoleAndItsAssertion) {
  Workspace ws;
  MakeSmallProblem(ws, 2, 4, 1);
  for (int j = 1; j <= 2; ++j) {
    SetProfile(ws, 1, j, 10);
    SetProfile(ws, 2, j, 20);
    SetProfile(ws, 3, j, 30);
  }
  SetPerformances(ws, 1, {35, 5});  // the same coefficients (1, 0) against every profile
  EXPECT_TRUE(IsCategoryHole(ws, 1, 2));
  EXPECT_TRUE(IsCategoryHole(ws, 1, 3));
  SetPerformances(ws, 1, {25, 5});  // (1, 0), (1, 0), (0, 0)
  EXPECT_TRUE(IsCategoryHole(ws, 1, 2));
  EXPECT_FALSE(IsCategoryHole(ws, 1, 3));
  for (int h : {1, 4, 0}) {
    try {
      IsCategoryHole(ws, 1, h);
      FAIL() << "h = " << h;
    } catch (const CommandError& e) {
      EXPECT_NE(std::string(e.what()).find("cat=pior ou cat=melhor em buraco"), std::string::npos);
      EXPECT_NE(std::string(e.what()).find("Main"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace vido
