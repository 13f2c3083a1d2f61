#include "analysis/volume.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "analysis/inference_tables.h"
#include "analysis/volume_region.h"
#include "common/fake_user_port.h"
#include "common/small_problem.h"
#include "support/number_text.h"

namespace vido {
namespace {

using testing::AddConstraint;
using testing::FakeUserPort;
using testing::MakeSmallProblem;
using testing::SetExample;
using testing::SetPerformances;
using testing::SetProfile;

class VolumeTest : public ::testing::Test {
 protected:
  // n criteria, lambda in [0.5, 1], every k_j in [0, 1], examples built.
  void MakeProblem(int n) {
    MakeSmallProblem(ws_, n, 2, 2);
    for (int j = 1; j <= n; ++j) ws_.BGrid.SetCell(1 + j, 2, "1");
    form_.seed = 12345;
  }
  bool Run() {
    BuildExampleConstraints(ws_, port_);
    return StartButtonClick(ws_, port_, form_);
  }
  double Absolute() const { return *ParseReal(form_.absolute_volume); }
  double Relative() const { return *ParseReal(form_.relative_volume); }

  Workspace ws_;
  FakeUserPort port_;
  VolumeForm form_;
};

TEST_F(VolumeTest, TwoCriteriaWithOnlyTheNormFillTheirBox) {
  MakeProblem(2);
  int repaints = 0;
  form_.repaint = [&](const VolumeForm&) { ++repaints; };
  ASSERT_TRUE(Run());
  EXPECT_EQ(form_.dimension, "2");
  EXPECT_EQ(form_.absolute_volume, "0.5");
  EXPECT_EQ(form_.relative_volume, "1");
  EXPECT_TRUE(form_.converged);
  EXPECT_EQ(form_.samples, 400000u);  // the second checkpoint
  EXPECT_EQ(form_.progress_position, VolumeForm::kProgressMaximum);
  EXPECT_FALSE(form_.running);
  EXPECT_EQ(port_.pumps, 2);
  EXPECT_GE(repaints, 2);
  EXPECT_FALSE(port_.busy);
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(VolumeTest, ExampleCutsTheRegion) {
  // K = 2; action 0 beats b_1 on g1 only, and its example puts it in C2: k1 >= lambda.
  // With k2 = 1 - k1 the region {0.5 <= lambda <= k1 <= 1} has area 0.125 in a box of
  // 0.5.
  MakeProblem(2);
  SetProfile(ws_, 1, 1, 10);
  SetProfile(ws_, 1, 2, 10);
  SetPerformances(ws_, 1, {10, 0});
  SetExample(ws_, 1, 2, 2);
  ASSERT_TRUE(Run());
  EXPECT_EQ(form_.dimension, "2");
  EXPECT_NEAR(Absolute(), 0.125, 0.002);
  EXPECT_NEAR(Relative(), 0.25, 0.004);
  // The interval holds the estimate and the exact area, and is as narrow as 400000
  // points make it (a binomial half-width of about 0.0006).
  double low = 0, high = 0;
  ASSERT_EQ(std::sscanf(form_.volume_interval.c_str(), "[%lf, %lf]", &low, &high), 2)
      << form_.volume_interval;
  EXPECT_LE(low, Absolute());
  EXPECT_GE(high, Absolute());
  EXPECT_LE(low, 0.125);
  EXPECT_GE(high, 0.125);
  EXPECT_LT(high - low, 0.003);
}

TEST_F(VolumeTest, EqualityBesidesTheNormIsEliminatedToo) {
  // k1 = k2 (ad1) and k3 = 1 - 2 k1 >= 0: the free variables lambda and k1 span a box
  // of 0.5, half of which respects the bounds of k3. lambda >= 0.6 (ad2) keeps 0.8
  // of that half.
  MakeProblem(3);
  AddConstraint(ws_, {"0", "1", "-1", "0"}, "=", "0");
  AddConstraint(ws_, {"1", "0", "0", "0"}, ">=", "0.6");
  form_.SetPrecision(2);
  ASSERT_TRUE(Run());
  EXPECT_EQ(form_.dimension, "2");
  EXPECT_EQ(form_.absolute_volume, "0.2");
  EXPECT_EQ(form_.relative_volume, "0.8");

  VolumeRegion region = ReadVolumeRegion(ws_);
  ASSERT_EQ(region.equalities.size(), 2u);
  EliminateEqualities(region);
  EXPECT_EQ(region.free, (std::vector<bool>{true, true, false, false}));
  EXPECT_DOUBLE_EQ(HitOrMissSampler(region).BoxVolume(), 0.5);
  for (const LinearRow& row : region.inequalities) {
    EXPECT_EQ(row.a[2], 0);
    EXPECT_EQ(row.a[3], 0);
  }
}

TEST_F(VolumeTest, PivotIsTheHighestFreeNonZeroCoefficient) {
  MakeProblem(2);
  // 2 k1 + 0 k2 = 1 after the Norm has taken k2: pivot k1 with coefficient 2.
  AddConstraint(ws_, {"0", "2", "0"}, "=", "1");
  VolumeRegion region = ReadVolumeRegion(ws_);
  EliminateEqualities(region);
  EXPECT_EQ(region.free, (std::vector<bool>{true, false, false}));
  EXPECT_EQ(region.equalities[1].a, (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(region.equalities[1].b, 0.5);
  // Bound rows of k2 = 1 - k1 = 0.5: -k2 <= 0 reads 0 <= 0.5, k2 <= 1 reads 0 <= 0.5.
  const LinearRow& k2_upper = region.inequalities.back();
  EXPECT_EQ(k2_upper.a, (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(k2_upper.b, 0.5);
}

TEST_F(VolumeTest, AllZeroEqualityStopsAfterShowingTheDimension) {
  MakeProblem(2);
  AddConstraint(ws_, {"0", "0", "0"}, "=", "0");
  EXPECT_FALSE(Run());
  EXPECT_EQ(form_.dimension, "1");
  EXPECT_EQ(port_.Errors(), (std::vector<std::string>{"All zeroes constraint (VolumeF)"}));
  EXPECT_FALSE(form_.running);
  EXPECT_FALSE(port_.busy);
  // A copy of the Norm is dependent on it: the same stop.
  port_.messages.clear();
  ws_.CGrid.SetCell(2, 2, "1");
  ws_.CGrid.SetCell(3, 2, "1");
  ws_.CGrid.SetCell(5, 2, "1");
  EXPECT_FALSE(Run());
  EXPECT_EQ(port_.Errors().size(), 1u);
}

TEST_F(VolumeTest, EmptyRegionConvergesAtZero) {
  MakeProblem(2);
  AddConstraint(ws_, {"1", "0", "0"}, "<=", "0.25");  // lambda >= 0.5 by its bound
  ASSERT_TRUE(Run());
  EXPECT_EQ(form_.absolute_volume, "0");
  EXPECT_EQ(form_.relative_volume, "0");
  EXPECT_EQ(form_.samples, 400000u);
}

TEST_F(VolumeTest, PrecisionDecidesWhenTheEstimateSettles) {
  // A sliver of one thousandth of the box: five digits of its estimate never settle
  // and the run draws every sample; two digits settle much sooner.
  MakeProblem(2);
  AddConstraint(ws_, {"1", "0", "0"}, "<=", "0.5005");
  form_.SetPrecision(1);
  EXPECT_EQ(form_.precision, 2);
  form_.SetPrecision(9);
  EXPECT_EQ(form_.precision, 5);
  ASSERT_TRUE(Run());
  EXPECT_FALSE(form_.converged);
  EXPECT_EQ(form_.samples, 5000000u);
  EXPECT_EQ(form_.progress_position, VolumeForm::kProgressMaximum);
  EXPECT_EQ(port_.pumps, 25);
  EXPECT_NEAR(Absolute(), 0.0005, 0.00003);
  EXPECT_LE(form_.absolute_volume.size(), std::string("0.00012345").size());
  form_.SetPrecision(2);
  ASSERT_TRUE(Run());
  EXPECT_TRUE(form_.converged);
  EXPECT_LT(form_.samples, 5000000u);
  EXPECT_LE(form_.absolute_volume.size(), std::string("0.00012").size());
}

TEST_F(VolumeTest, SeedRepeatsARunAndCancelStopsIt) {
  MakeProblem(2);
  SetProfile(ws_, 1, 1, 10);
  SetProfile(ws_, 1, 2, 10);
  SetPerformances(ws_, 1, {10, 0});
  SetExample(ws_, 1, 2, 2);
  form_.SetPrecision(5);
  port_.cancel_at_pump = 1;
  ASSERT_TRUE(Run());
  EXPECT_TRUE(form_.cancelled);
  EXPECT_EQ(form_.samples, 200000u);
  EXPECT_EQ(form_.progress_position, 200000);
  const std::string first = form_.absolute_volume;
  port_.pumps = 0;
  ASSERT_TRUE(Run());
  EXPECT_EQ(form_.absolute_volume, first);
  FormShow(form_);
  EXPECT_EQ(form_.progress_position, 0);
}

TEST_F(VolumeTest, ConversionErrorEndsTheRun) {
  MakeProblem(2);
  ws_.BGrid.SetCell(2, 2, "one");
  EXPECT_FALSE(StartButtonClick(ws_, port_, form_));
  EXPECT_EQ(port_.Errors(),
            (std::vector<std::string>{"'one' is not a valid floating point value"}));
  EXPECT_FALSE(form_.running);
}

TEST_F(VolumeTest, CommandChecksTheDataBeforeTheWindowOpens) {
  EXPECT_FALSE(VolumeItemClick(ws_, port_, form_));
  EXPECT_EQ(port_.Errors(), (std::vector<std::string>{"You must read data first"}));

  MakeProblem(2);
  port_.messages.clear();
  ws_.BGrid.SetCell(2, 1, "0.8");  // k1 in [0.8, 0.5]
  ws_.BGrid.SetCell(2, 2, "0.5");
  AddConstraint(ws_, {"1", "0", "0"}, "<=", "-1");
  EXPECT_FALSE(VolumeItemClick(ws_, port_, form_));
  // The bounds fail first; the right-hand sides are not checked then.
  EXPECT_EQ(port_.Errors(),
            (std::vector<std::string>{"Lower bound exceeds upper bound in column 2"}));

  port_.messages.clear();
  ws_.BGrid.SetCell(2, 1, "0");
  EXPECT_FALSE(VolumeItemClick(ws_, port_, form_));
  EXPECT_EQ(port_.Errors(), (std::vector<std::string>{"Negative RHS is row 1"}));

  ws_.CGrid.SetCell(5, 2, "1");
  SetExample(ws_, 1, 2, 2);
  form_.progress_position = 77;
  port_.messages.clear();
  EXPECT_TRUE(VolumeItemClick(ws_, port_, form_));
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(ws_.ExampleRowsCount, 1);
  EXPECT_EQ(form_.progress_position, 0);
}

}  // namespace
}  // namespace vido
