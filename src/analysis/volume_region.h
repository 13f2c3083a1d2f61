#ifndef VIDO_ANALYSIS_VOLUME_REGION_H_
#define VIDO_ANALYSIS_VOLUME_REGION_H_

#include <cstdint>
#include <vector>

#include "analysis/uniform_random.h"
#include "model/workspace.h"

namespace vido {

// One linear row a.x (<= or =) b over x_0 = lambda, x_j = k_j.
struct LinearRow {
  std::vector<double> a;
  double b = 0;
};

// The region whose volume is estimated, as read from ICGrid, CGrid and BGrid.
struct VolumeRegion {
  int variable_count = 0;  // n + 1
  // All in the form a.x <= b: the constraint rows (examples, then CGrid), then two
  // bound rows per variable, -x_i <= -LB_i and x_i <= UB_i.
  std::vector<LinearRow> inequalities;
  int constraint_rows = 0;  // the bound rows start here
  // The "=" rows of CGrid, the "Norm" row first.
  std::vector<LinearRow> equalities;
  std::vector<double> lower, upper;
  std::vector<bool> free;
  // After EliminateEqualities: the variable each equality was solved for, in order.
  std::vector<int> pivots;

  // Dimension of the region before any elimination: (n + 1) - number of equalities.
  int Dimension() const { return variable_count - static_cast<int>(equalities.size()); }
};

// Reads the rows. A cell that does not convert or a CGrid sign that is none of '<',
// '=', '>' throws CommandError. ICGrid rows with an empty or other sign are skipped.
VolumeRegion ReadVolumeRegion(const Workspace& ws);

// Substitutes every equality into the later equalities and all inequalities, solving
// it for the free variable of highest index with a non-zero coefficient, which stops
// being free. An equality without such a variable throws "All zeroes constraint".
void EliminateEqualities(VolumeRegion& region);

// The values of the variables the equalities were solved for, from the free ones in x
// (the last equality first: an earlier one may still name a later one's variable).
void CompleteFromEqualities(const VolumeRegion& region, std::vector<double>& x);

// Hit-or-miss sampling in the box of the free variables. Counters are unsigned 32-bit;
// a run never draws more than kMaxSamples, far below their range.
class HitOrMissSampler {
 public:
  static constexpr uint32_t kMaxSamples = 5000000;

  // `region` must have had its equalities eliminated.
  explicit HitOrMissSampler(const VolumeRegion& region);

  // Draws `count` more points (no allocation, no display work).
  void Draw(uint32_t count, UniformRandom& random);

  double BoxVolume() const { return box_volume_; }
  uint32_t Samples() const { return samples_; }
  uint32_t InsideBounds() const { return inside_bounds_; }
  uint32_t InsideAll() const { return inside_all_; }

 private:
  int free_count_ = 0;
  double box_volume_ = 1;
  std::vector<double> lower_, width_;  // per free variable
  // Rows restricted to the free variables, each group row after row. Only non-zero
  // coefficients are kept: most bound rows have a single one, and leaving out zero
  // terms does not change a sum.
  struct SparseRows {
    std::vector<int> start;  // row r holds entries start[r] .. start[r + 1] - 1
    std::vector<int> index;  // position among the free variables
    std::vector<double> value;
    std::vector<double> rhs;
    int Count() const { return static_cast<int>(rhs.size()); }
  };
  static bool PassesAll(const SparseRows& rows, const double* x);
  SparseRows bound_rows_, constraint_rows_;
  std::vector<double> point_;
  uint32_t samples_ = 0;
  uint32_t inside_bounds_ = 0;
  uint32_t inside_all_ = 0;
};

}  // namespace vido

#endif  // VIDO_ANALYSIS_VOLUME_REGION_H_
