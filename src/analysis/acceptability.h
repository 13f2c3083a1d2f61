#ifndef VIDO_ANALYSIS_ACCEPTABILITY_H_
#define VIDO_ANALYSIS_ACCEPTABILITY_H_

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/volume_region.h"
#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// How the compatible region is sampled.
struct AcceptabilitySettings {
  static constexpr int kMinSamples = 200;
  static constexpr int kMaxSamples = 10000000;
  static constexpr int kBatches = 20;

  int samples = 10000;
  uint64_t seed = 1;
  // Steps of the chain before the first sample, and between two samples, per free
  // variable (the chain's dimension d): 0 chooses the measured defaults.
  int burn_in_per_dimension = 0;
  int thinning_per_dimension = 0;
};

// A share with its 95 % confidence interval.
struct Share {
  double value = 0;
  double low = 0;
  double high = 0;
};

// What the sampling found: for every action (1..m) and category (1..K) the share of the
// sampled parameter vectors (lambda, k_1..k_n) that assign the action there by the
// pessimistic rule, the mean of the samples and each action's category under it.
struct AcceptabilityResult {
  int samples = 0;
  uint64_t seed = 0;
  int dimension = 0;  // free variables of the region
  int burn_in = 0;    // steps
  int thinning = 0;   // steps between two samples
  double radius = 0;  // of the largest ball inside the region (its Chebyshev centre)
  std::vector<std::vector<Share>> shares;  // [action][category], index 0 unused
  std::vector<double> central_vector;      // lambda, k_1..k_n
  std::vector<int> central_category;       // [action]
  std::vector<int> most_likely;            // [action], the lowest of equal shares
  bool cancelled = false;
};

// Samples the region the robust ranges are computed over (bounds, constraints with
// "Norm", the example rows) uniformly by hit-and-run and counts where every action
// falls. Needs the tables of a consistent results run ("&Robust Assignments"); refuses
// with a message otherwise. Shows progress and stops at a cancel (result.cancelled).
// False after a message.
bool ComputeAcceptability(const Workspace& ws, UserPort& port,
                          const AcceptabilitySettings& settings, AcceptabilityResult& result);

// "&Results" > "Category &Acceptability": the acceptabilities of the current results
// (10000 samples, seed 1) into AccGrid, whose tab is then shown. A refusal or a cancel
// leaves the table as it was. False then.
bool AcceptabilityItemClick(Workspace& ws, UserPort& port);

// The region sampled: that of the volume computation (bounds, constraints, example
// rows), every variable whose bounds meet made an equality, and `extra` rows a.x <= b
// over (lambda, k_1..k_n) added; the equalities eliminated.
VolumeRegion SampledRegion(const Workspace& ws, const std::vector<LinearRow>& extra = {});

// The messages of a refusal.
inline constexpr const char* kAcceptabilityNeedsRanges =
    "Run the robust assignments first: the acceptabilities are computed over their region";
inline constexpr const char* kAcceptabilityInconsistent =
    "The information is inconsistent: no parameter vector is compatible with it. The "
    "inconsistency analysis (\"&Inconsistency\", vido-cli inconsistency) proposes what to drop";
inline constexpr const char* kAcceptabilityThin =
    "The compatible region has no interior to sample: some constraints leave it flat";

}  // namespace vido

#endif  // VIDO_ANALYSIS_ACCEPTABILITY_H_
