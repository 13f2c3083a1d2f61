#include "analysis/volume_region.h"

#include "analysis/inference_tables.h"
#include "support/assertion.h"

namespace vido {

namespace {

LinearRow ReadRow(const Table& grid, int row, int n, bool negate) {
  LinearRow out;
  out.a.resize(static_cast<size_t>(n) + 1);
  for (int c = 1; c <= n + 1; ++c) {
    const double value = grid.Cell(c, row).empty() ? 0.0 : grid.Real(c, row);
    out.a[c - 1] = negate ? -value : value;
  }
  const double rhs = grid.Real(n + 3, row);
  out.b = negate ? -rhs : rhs;
  return out;
}

}  // namespace

VolumeRegion ReadVolumeRegion(const Workspace& ws) {
  const int n = ws.CriteriaCount;
  VolumeRegion region;
  region.variable_count = n + 1;
  for (int r = 1; r < ws.ICGrid.RowCount(); ++r) {
    const std::string& sign = ws.ICGrid.Cell(n + 2, r);
    if (sign.empty()) continue;
    if (sign[0] == '<') region.inequalities.push_back(ReadRow(ws.ICGrid, r, n, false));
    if (sign[0] == '>') region.inequalities.push_back(ReadRow(ws.ICGrid, r, n, true));
  }
  for (int r = 1; r < ws.CGrid.RowCount(); ++r) {
    const char sense = ConstraintSense(ws, r);
    if (sense == '<') region.inequalities.push_back(ReadRow(ws.CGrid, r, n, false));
    if (sense == '>') region.inequalities.push_back(ReadRow(ws.CGrid, r, n, true));
    if (sense == '=') region.equalities.push_back(ReadRow(ws.CGrid, r, n, false));
  }
  region.constraint_rows = static_cast<int>(region.inequalities.size());
  region.free.assign(static_cast<size_t>(n) + 1, true);
  for (int i = 0; i <= n; ++i) {
    const double lower = ws.BGrid.Real(i + 1, 1);
    const double upper = ws.BGrid.Real(i + 1, 2);
    region.lower.push_back(lower);
    region.upper.push_back(upper);
    LinearRow below{std::vector<double>(static_cast<size_t>(n) + 1, 0.0), -lower};
    below.a[i] = -1;
    LinearRow above{std::vector<double>(static_cast<size_t>(n) + 1, 0.0), upper};
    above.a[i] = 1;
    region.inequalities.push_back(std::move(below));
    region.inequalities.push_back(std::move(above));
  }
  return region;
}

void EliminateEqualities(VolumeRegion& region) {
  const int variables = region.variable_count;
  for (size_t e = 0; e < region.equalities.size(); ++e) {
    LinearRow& eq = region.equalities[e];
    int pivot = -1;
    for (int i = variables - 1; i >= 0; --i) {
      if (region.free[i] && eq.a[i] != 0) {
        pivot = i;
        break;
      }
    }
    if (pivot < 0) throw AssertionFailure("All zeroes constraint", "VolumeF");
    // Divide by the very coefficient found non-zero above, kept aside before the
    // row changes.
    const double pivot_value = eq.a[pivot];
    for (double& c : eq.a) c /= pivot_value;
    eq.b /= pivot_value;
    eq.a[pivot] = 1;
    // x_pivot = b - (other terms of eq): no row mentions x_pivot afterwards.
    auto substitute = [&](LinearRow& row) {
      const double f = row.a[pivot];
      if (f == 0) return;
      for (int i = 0; i < variables; ++i) row.a[i] -= f * eq.a[i];
      row.b -= f * eq.b;
      row.a[pivot] = 0;
    };
    for (size_t later = e + 1; later < region.equalities.size(); ++later) {
      substitute(region.equalities[later]);
    }
    for (LinearRow& row : region.inequalities) substitute(row);
    region.free[pivot] = false;
    region.pivots.push_back(pivot);
  }
}

void CompleteFromEqualities(const VolumeRegion& region, std::vector<double>& x) {
  for (size_t e = region.pivots.size(); e-- > 0;) {
    const LinearRow& eq = region.equalities[e];
    const int pivot = region.pivots[e];
    double value = eq.b;
    for (int i = 0; i < region.variable_count; ++i) {
      if (i != pivot) value -= eq.a[i] * x[i];
    }
    x[pivot] = value;
  }
}

HitOrMissSampler::HitOrMissSampler(const VolumeRegion& region) {
  std::vector<int> free_vars;
  for (int i = 0; i < region.variable_count; ++i) {
    if (!region.free[i]) continue;
    free_vars.push_back(i);
    lower_.push_back(region.lower[i]);
    width_.push_back(region.upper[i] - region.lower[i]);
    box_volume_ *= region.upper[i] - region.lower[i];
  }
  free_count_ = static_cast<int>(free_vars.size());
  point_.assign(free_vars.size(), 0.0);
  bound_rows_.start.push_back(0);
  constraint_rows_.start.push_back(0);
  for (int r = 0; r < static_cast<int>(region.inequalities.size()); ++r) {
    const LinearRow& row = region.inequalities[r];
    SparseRows& rows = r >= region.constraint_rows ? bound_rows_ : constraint_rows_;
    for (int f = 0; f < free_count_; ++f) {
      const double a = row.a[free_vars[f]];
      if (a == 0) continue;
      rows.index.push_back(f);
      rows.value.push_back(a);
    }
    rows.start.push_back(static_cast<int>(rows.index.size()));
    rows.rhs.push_back(row.b);
  }
}

// True when the point passes every row: a.x <= b, a point on the boundary passing.
// Stops at the first failing row.
bool HitOrMissSampler::PassesAll(const SparseRows& rows, const double* x) {
  const int count = rows.Count();
  const int* start = rows.start.data();
  const int* index = rows.index.data();
  const double* value = rows.value.data();
  const double* rhs = rows.rhs.data();
  for (int r = 0; r < count; ++r) {
    double sum = 0;
    for (int e = start[r]; e < start[r + 1]; ++e) sum += value[e] * x[index[e]];
    if (sum > rhs[r]) return false;
  }
  return true;
}

void HitOrMissSampler::Draw(uint32_t count, UniformRandom& random) {
  double* x = point_.data();
  const double* lower = lower_.data();
  const double* width = width_.data();
  const int free_count = free_count_;
  for (uint32_t s = 0; s < count; ++s) {
    ++samples_;
    for (int i = 0; i < free_count; ++i) x[i] = lower[i] + random.Next() * width[i];
    if (!PassesAll(bound_rows_, x)) continue;
    ++inside_bounds_;
    if (PassesAll(constraint_rows_, x)) ++inside_all_;
  }
}

}  // namespace vido
