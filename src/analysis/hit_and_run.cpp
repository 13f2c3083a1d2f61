#include "analysis/hit_and_run.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "lp/solver_interface.h"

namespace vido {

namespace {

// Slacks drift by rounding along the steps: they are recomputed from the point this
// often.
constexpr int kSlackRefresh = 256;
// Directions with |g_i u| below this do not meet row i.
constexpr double kParallel = 1e-14;

}  // namespace

HitAndRunSampler::HitAndRunSampler(const VolumeRegion& region) : region_(region) {
  for (int i = 0; i < region.variable_count; ++i) {
    if (region.free[i]) free_.push_back(i);
  }
  d_ = static_cast<int>(free_.size());
  // Rows over the free variables, brought to unit length so that slacks are distances;
  // rows without a free variable left are either always met or make the region empty,
  // which the centre's program finds.
  for (const LinearRow& row : region.inequalities) {
    double norm = 0;
    for (int f = 0; f < d_; ++f) norm += row.a[free_[f]] * row.a[free_[f]];
    norm = std::sqrt(norm);
    if (norm == 0) continue;
    for (int f = 0; f < d_; ++f) g_.push_back(row.a[free_[f]] / norm);
    h_.push_back(row.b / norm);
  }
  const size_t rows = h_.size();
  columns_.assign(g_.size(), 0.0);
  for (size_t i = 0; i < rows; ++i) {
    for (int f = 0; f < d_; ++f) columns_[f * rows + i] = g_[i * d_ + f];
  }
  s_.assign(rows, 0.0);
  y_.assign(d_, 0.0);
  x_.assign(region.variable_count, 0.0);
}

// max r subject to g_i y + r <= h_i (unit rows: r is the distance to every row) and the
// bounds of the free variables.
double HitAndRunSampler::Start() {
  const int rows = static_cast<int>(h_.size());
  if (d_ == 0 || rows == 0) return 0;
  const int r_column = d_ + 1;
  if (SolverInit(d_ + 1, rows) != 0) return 0;
  SolverSetObjective(r_column, 1);
  for (int f = 0; f < d_; ++f) {
    SolverSetLowerBound(f + 1, region_.lower[free_[f]]);
    SolverSetUpperBound(f + 1, region_.upper[free_[f]]);
  }
  for (int i = 0; i < rows; ++i) {
    // The interface wants right-hand sides of at least 0: a row with h < 0 goes in
    // negated, as ">=".
    const double sign = h_[i] < 0 ? -1.0 : 1.0;
    for (int f = 0; f < d_; ++f) {
      const double a = g_[static_cast<size_t>(i) * d_ + f];
      if (a != 0) SolverSetCoefficient(i + 1, f + 1, sign * a);
    }
    SolverSetCoefficient(i + 1, r_column, sign);
    SolverSetRowSense(i + 1, sign > 0 ? '<' : '>');
    SolverSetRhs(i + 1, sign * h_[i]);
  }
  if (SolverSolve() != 0) return 0;
  std::vector<double> centre(d_);
  for (int f = 0; f < d_; ++f) centre[f] = SolverValue(f + 1);
  const double radius = SolverValue(r_column);
  StartAt(centre);
  return radius;
}

void HitAndRunSampler::StartAt(const std::vector<double>& free_point) {
  y_ = free_point;
  y_.resize(d_, 0.0);
  Slacks();
}

void HitAndRunSampler::Slacks() {
  const int rows = static_cast<int>(h_.size());
  for (int i = 0; i < rows; ++i) {
    const double* g = g_.data() + static_cast<size_t>(i) * d_;
    double sum = 0;
    for (int f = 0; f < d_; ++f) sum += g[f] * y_[f];
    s_[i] = std::max(0.0, h_[i] - sum);
  }
  steps_since_slacks_ = 0;
}

// The chord {y + t e_f : G (y + t e_f) <= h} along coordinate f, drawn at random, is t in
// [t_lo, t_hi] with t g_if <= s_i for every row; the new point is y + t e_f for t uniform
// in it, and s -= t G e_f. Along a coordinate a step costs one column of G, not all of
// it, and the chain is uniform in the limit as with directions from the sphere.
void HitAndRunSampler::Step(UniformRandom& random) {
  if (d_ == 0) return;
  const int f = std::min(d_ - 1, static_cast<int>(random.Next() * d_));
  const int rows = static_cast<int>(h_.size());
  const double* column = columns_.data() + static_cast<size_t>(f) * rows;
  double t_lo = -std::numeric_limits<double>::infinity();
  double t_hi = std::numeric_limits<double>::infinity();
  const double* s = s_.data();
  for (int i = 0; i < rows; ++i) {
    const double g = column[i];
    if (g > kParallel) {
      t_hi = std::min(t_hi, s[i] / g);
    } else if (g < -kParallel) {
      t_lo = std::max(t_lo, s[i] / g);
    }
  }
  if (!(t_lo <= t_hi) || !std::isfinite(t_lo) || !std::isfinite(t_hi)) return;
  const double t = t_lo + random.Next() * (t_hi - t_lo);
  y_[f] += t;
  if (++steps_since_slacks_ >= kSlackRefresh) {
    Slacks();
  } else {
    double* slack = s_.data();
    for (int i = 0; i < rows; ++i) slack[i] = std::max(0.0, slack[i] - t * column[i]);
  }
}

const std::vector<double>& HitAndRunSampler::Point() {
  std::fill(x_.begin(), x_.end(), 0.0);
  for (int f = 0; f < d_; ++f) x_[free_[f]] = y_[f];
  CompleteFromEqualities(region_, x_);
  return x_;
}

}  // namespace vido
