#ifndef VIDO_ANALYSIS_HIT_AND_RUN_H_
#define VIDO_ANALYSIS_HIT_AND_RUN_H_

#include <cstdint>
#include <vector>

#include "analysis/uniform_random.h"
#include "analysis/volume_region.h"

namespace vido {

// Uniform sampling of a bounded polytope by hit-and-run along coordinate directions:
// from the current point one of the free variables at random, the chord of the polytope
// along it, a point uniform on the chord. The chain's points are uniform in the limit
// whatever the start inside; it starts from the centre of the largest ball inside (the
// Chebyshev centre, by LP).
class HitAndRunSampler {
 public:
  // `region` must have had its equalities eliminated; the sampler walks its free
  // variables and completes the others from the equalities.
  explicit HitAndRunSampler(const VolumeRegion& region);

  // Solves the Chebyshev centre's linear program and moves there. The radius of the
  // largest ball inside, in the free variables (0 or less: no interior, or the solve
  // failed: see the solver interface's last stop).
  double Start();
  // Starts from a given point of the free variables (inside, or on the boundary).
  void StartAt(const std::vector<double>& free_point);

  // One step of the chain (no allocation).
  void Step(UniformRandom& random);

  int Dimension() const { return d_; }
  // The current point in all variables (lambda, k_1..k_n).
  const std::vector<double>& Point();
  // The current point in the free variables.
  const std::vector<double>& FreePoint() const { return y_; }

 private:
  void Slacks();

  const VolumeRegion& region_;
  int d_ = 0;
  std::vector<int> free_;        // variable of each free coordinate
  std::vector<double> g_;        // rows over the free variables, row-major, unit norm
  std::vector<double> columns_;  // the same, column after column
  std::vector<double> h_;        // their right-hand sides
  std::vector<double> s_;        // slacks h - G y, kept along the steps
  std::vector<double> y_;        // the point
  std::vector<double> x_;        // the point in all variables
  int steps_since_slacks_ = 0;
};

}  // namespace vido

#endif  // VIDO_ANALYSIS_HIT_AND_RUN_H_
