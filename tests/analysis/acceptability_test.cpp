#include "analysis/acceptability.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

#include "analysis/hit_and_run.h"
#include "analysis/robust_assignments.h"
#include "common/fake_user_port.h"
#include "common/generated_problem.h"
#include "differential/random_problem.h"
#include "lp/solver_interface.h"
#include "sorting/assignment.h"
#include "sorting/credibility.h"
#include "support/command_error.h"

namespace vido {
namespace {

using Vec = std::vector<double>;

// The volume of {y : g_i y <= h_i} over the region's free variables, exactly (up to
// rounding), in one to three dimensions: the vertices from every choice of d rows, then
// the sum over the facets of measure * distance from an inner point / d.
double ExactVolume(const VolumeRegion& region) {
  std::vector<int> free;
  for (int i = 0; i < region.variable_count; ++i) {
    if (region.free[i]) free.push_back(i);
  }
  const int d = static_cast<int>(free.size());
  std::vector<Vec> g;
  Vec h;
  for (const LinearRow& row : region.inequalities) {
    Vec a(d);
    double norm = 0;
    for (int f = 0; f < d; ++f) norm += (a[f] = row.a[free[f]]) * a[f];
    norm = std::sqrt(norm);
    if (norm < 1e-13) {
      if (row.b < -1e-12) return 0;
      continue;
    }
    for (double& v : a) v /= norm;
    const double b = row.b / norm;
    bool seen = false;
    for (size_t r = 0; r < g.size() && !seen; ++r) {
      double gap = std::fabs(h[r] - b);
      for (int f = 0; f < d; ++f) gap += std::fabs(g[r][f] - a[f]);
      seen = gap < 1e-12;
    }
    if (!seen) {
      g.push_back(a);
      h.push_back(b);
    }
  }
  const int rows = static_cast<int>(g.size());
  auto inside = [&](const Vec& y, double tolerance) {
    for (int r = 0; r < rows; ++r) {
      double s = 0;
      for (int f = 0; f < d; ++f) s += g[r][f] * y[f];
      if (s > h[r] + tolerance) return false;
    }
    return true;
  };
  std::vector<Vec> vertices;
  auto add_vertex = [&](const Vec& y) {
    if (!inside(y, 1e-9)) return;
    for (const Vec& v : vertices) {
      double gap = 0;
      for (int f = 0; f < d; ++f) gap += std::fabs(v[f] - y[f]);
      if (gap < 1e-9) return;
    }
    vertices.push_back(y);
  };
  // Cramer's rule on the chosen rows.
  std::array<int, 3> pick{};
  std::function<void(int, int)> choose = [&](int start, int depth) {
    if (depth == d) {
      double m[3][4];
      for (int r = 0; r < d; ++r) {
        for (int f = 0; f < d; ++f) m[r][f] = g[pick[r]][f];
        m[r][d] = h[pick[r]];
      }
      // Gaussian elimination with partial pivoting.
      for (int c = 0; c < d; ++c) {
        int best = c;
        for (int r = c + 1; r < d; ++r) {
          if (std::fabs(m[r][c]) > std::fabs(m[best][c])) best = r;
        }
        if (std::fabs(m[best][c]) < 1e-12) return;
        for (int f = 0; f <= d; ++f) std::swap(m[c][f], m[best][f]);
        for (int r = 0; r < d; ++r) {
          if (r == c) continue;
          const double factor = m[r][c] / m[c][c];
          for (int f = c; f <= d; ++f) m[r][f] -= factor * m[c][f];
        }
      }
      Vec y(d);
      for (int f = 0; f < d; ++f) y[f] = m[f][d] / m[f][f];
      add_vertex(y);
      return;
    }
    for (int r = start; r < rows; ++r) {
      pick[depth] = r;
      choose(r + 1, depth + 1);
    }
  };
  choose(0, 0);
  if (static_cast<int>(vertices.size()) < d + 1) return 0;
  Vec centre(d, 0.0);
  for (const Vec& v : vertices) {
    for (int f = 0; f < d; ++f) centre[f] += v[f] / vertices.size();
  }
  double volume = 0;
  for (int r = 0; r < rows; ++r) {
    std::vector<Vec> on;
    for (const Vec& v : vertices) {
      double s = 0;
      for (int f = 0; f < d; ++f) s += g[r][f] * v[f];
      if (std::fabs(s - h[r]) < 1e-9) on.push_back(v);
    }
    if (static_cast<int>(on.size()) < d) continue;
    double measure = 1;
    if (d == 2) {
      measure = 0;
      for (const Vec& p : on) {
        for (const Vec& q : on) measure = std::max(measure, std::hypot(p[0] - q[0], p[1] - q[1]));
      }
    } else if (d == 3) {
      // The facet polygon, its corners ordered by angle around their mean in the plane.
      Vec mid(3, 0.0);
      for (const Vec& p : on) {
        for (int f = 0; f < 3; ++f) mid[f] += p[f] / on.size();
      }
      const Vec& n = g[r];
      Vec e1 = {on[0][0] - mid[0], on[0][1] - mid[1], on[0][2] - mid[2]};
      const double l1 = std::sqrt(e1[0] * e1[0] + e1[1] * e1[1] + e1[2] * e1[2]);
      if (l1 < 1e-12) continue;
      for (double& v : e1) v /= l1;
      const Vec e2 = {n[1] * e1[2] - n[2] * e1[1], n[2] * e1[0] - n[0] * e1[2],
                      n[0] * e1[1] - n[1] * e1[0]};
      std::vector<std::pair<double, std::array<double, 2>>> corners;
      for (const Vec& p : on) {
        const double x =
            (p[0] - mid[0]) * e1[0] + (p[1] - mid[1]) * e1[1] + (p[2] - mid[2]) * e1[2];
        const double y =
            (p[0] - mid[0]) * e2[0] + (p[1] - mid[1]) * e2[1] + (p[2] - mid[2]) * e2[2];
        corners.push_back({std::atan2(y, x), {x, y}});
      }
      std::sort(corners.begin(), corners.end());
      measure = 0;
      for (size_t c = 0; c < corners.size(); ++c) {
        const auto& p = corners[c].second;
        const auto& q = corners[(c + 1) % corners.size()].second;
        measure += 0.5 * (p[0] * q[1] - p[1] * q[0]);
      }
      measure = std::fabs(measure);
    }
    double s = 0;
    for (int f = 0; f < d; ++f) s += g[r][f] * centre[f];
    volume += measure * (h[r] - s) / d;
  }
  return volume;
}

// The rows that put action i into category c by the pessimistic rule (sigma_h >= lambda
// below c, sigma_c < lambda), as a.x <= b over (lambda, k).
std::vector<LinearRow> CategoryRows(const Workspace& ws, int i, int c) {
  std::vector<LinearRow> rows;
  for (int h = 1; h < ws.CategoriesCount && h <= c; ++h) {
    const Vec coef = CredibilityCoefficients(ws, i, h);
    LinearRow row{Vec(coef.size() + 1), 0};
    const double sign = h < c ? 1 : -1;  // lambda - sigma <= 0, or sigma - lambda <= 0
    row.a[0] = sign;
    for (size_t j = 0; j < coef.size(); ++j) row.a[j + 1] = -sign * coef[j];
    rows.push_back(row);
  }
  return rows;
}

// Uniform on a box and on a simplex: means and a marginal's distribution at two points
// within five standard errors (batch means over the chain).
TEST(HitAndRun, BoxAndSimplexHaveTheirKnownMarginals) {
  for (const bool simplex : {false, true}) {
    VolumeRegion region;
    region.variable_count = 3;
    region.free.assign(3, true);
    region.lower.assign(3, 0.0);
    region.upper.assign(3, 1.0);
    for (int i = 0; i < 3; ++i) {
      LinearRow below{Vec(3, 0.0), 0};
      below.a[i] = -1;
      LinearRow above{Vec(3, 0.0), 1};
      above.a[i] = 1;
      region.inequalities.push_back(below);
      region.inequalities.push_back(above);
    }
    if (simplex) region.inequalities.push_back({Vec(3, 1.0), 1});
    HitAndRunSampler sampler(region);
    ASSERT_GT(sampler.Start(), 0.1);
    UniformRandom random(7);
    constexpr int kBatches = 20, kPerBatch = 2000;
    // Statistics: mean of x1, share of x1 <= 0.2, share of x1 <= 0.5.
    const std::array<double, 3> expected =
        simplex ? std::array<double, 3>{0.25, 0.488, 0.875} : std::array<double, 3>{0.5, 0.2, 0.5};
    std::array<double, 3> sum{}, squares{};
    for (int b = 0; b < kBatches; ++b) {
      std::array<double, 3> batch{};
      for (int s = 0; s < kPerBatch; ++s) {
        for (int t = 0; t < 9; ++t) sampler.Step(random);
        const double x = sampler.Point()[0];
        batch[0] += x;
        batch[1] += x <= 0.2;
        batch[2] += x <= 0.5;
      }
      for (int q = 0; q < 3; ++q) {
        sum[q] += batch[q] / kPerBatch;
        squares[q] += (batch[q] / kPerBatch) * (batch[q] / kPerBatch);
      }
    }
    for (int q = 0; q < 3; ++q) {
      const double mean = sum[q] / kBatches;
      const double se = std::sqrt((squares[q] / kBatches - mean * mean) / (kBatches - 1));
      EXPECT_NEAR(mean, expected[q], 5 * se + 1e-3) << (simplex ? "simplex" : "box") << " " << q;
    }
  }
}

// Seeded problems of two or three free variables: every share against the exact volume
// of its category's part of the region over the region's volume. The intervals of one
// run share its chain, so their coverage is counted over many problems.
TEST(Acceptability, SharesMatchExactVolumesWithinTheirIntervals) {
  testing::FakeUserPort port;
  SolverSetUserPort(&port);
  int covered = 0, compared = 0, problems = 0;
  for (int seed = 1; seed <= 2000 && problems < 120; ++seed) {
    std::mt19937 rng(seed);
    Workspace ws;
    testing::MakeRandomProblem(ws, rng);
    CalcRangeItemClick(ws, port);
    if (!ws.RangesValid || !ws.ResultsAvailable) continue;
    VolumeRegion region;
    try {
      region = SampledRegion(ws);
    } catch (const CommandError&) {
      continue;  // an equality the others make void, refused as the volume does
    }
    int d = 0;
    for (int i = 0; i < region.variable_count; ++i) d += region.free[i];
    if (d < 2 || d > 3) continue;
    const double whole = ExactVolume(region);
    if (!(whole > 1e-9)) continue;
    AcceptabilitySettings settings;
    settings.samples = 4000;
    settings.seed = seed;
    AcceptabilityResult result;
    ASSERT_TRUE(ComputeAcceptability(ws, port, settings, result)) << "seed " << seed;
    ++problems;
    for (int i = 1; i <= ws.ActionsCount; ++i) {
      double total = 0;
      for (int c = 1; c <= ws.CategoriesCount; ++c) {
        const double exact = ExactVolume(SampledRegion(ws, CategoryRows(ws, i, c))) / whole;
        const Share& share = result.shares[i][c];
        total += share.value;
        EXPECT_NEAR(share.value, exact, 0.06) << "seed " << seed << " action " << i << " C" << c;
        if (exact > 1e-6 && exact < 1 - 1e-6) {
          ++compared;
          covered += share.low <= exact && exact <= share.high;
        }
      }
      EXPECT_NEAR(total, 1, 1e-9);
    }
  }
  SolverSetUserPort(nullptr);
  std::printf("%d problems, %d of %d intervals hold the exact share\n", problems, covered,
              compared);
  EXPECT_EQ(problems, 120);
  ASSERT_GT(compared, 500);
  EXPECT_GE(static_cast<double>(covered) / compared, 0.95) << covered << " of " << compared;
}

// On seeded problems of up to five criteria and a generated one of 200 actions: shares
// sum to one, only categories inside the robust range (and no hole) get any, the central
// vector's categories are those the sorting model gives it.
TEST(Acceptability, SharesStayInsideTheRobustRanges) {
  testing::FakeUserPort port;
  SolverSetUserPort(&port);
  std::vector<Workspace> problems;
  for (int seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    problems.emplace_back();
    testing::MakeRandomProblem(problems.back(), rng);
  }
  problems.push_back(testing::GeneratedProblem(6, 5, 200, 40));
  int checked = 0;
  for (Workspace& ws : problems) {
    CalcRangeItemClick(ws, port);
    if (!ws.RangesValid || !ws.ResultsAvailable) continue;
    AcceptabilityResult result;
    AcceptabilitySettings settings;
    settings.samples = 2000;
    if (!ComputeAcceptability(ws, port, settings, result)) continue;  // a flat region
    ++checked;
    const std::vector<double> weights(result.central_vector.begin() + 1,
                                      result.central_vector.end());
    for (int i = 1; i <= ws.ActionsCount; ++i) {
      double total = 0;
      for (int c = 1; c <= ws.CategoriesCount; ++c) {
        const double share = result.shares[i][c].value;
        total += share;
        if (share == 0) continue;
        EXPECT_GE(c, ws.WorstCategory[i]) << ws.AGrid.Cell(0, i);
        EXPECT_LE(c, ws.BestCategory[i]) << ws.AGrid.Cell(0, i);
        if (c > ws.WorstCategory[i] && c < ws.BestCategory[i]) {
          EXPECT_FALSE(IsCategoryHole(ws, i, c));
        }
      }
      EXPECT_NEAR(total, 1, 1e-9);
      EXPECT_GT(result.shares[i][result.most_likely[i]].value, 0);
      EXPECT_EQ(result.central_category[i],
                PessimisticCategory(ws, i, result.central_vector[0], weights));
    }
  }
  SolverSetUserPort(nullptr);
  EXPECT_GT(checked, 20);
}

}  // namespace
}  // namespace vido
