#ifndef VIDO_ANALYSIS_UNIFORM_RANDOM_H_
#define VIDO_ANALYSIS_UNIFORM_RANDOM_H_

#include <cstdint>

namespace vido {

// A small, fast uniform generator on [0, 1) (xoshiro256+ seeded through splitmix64).
// Runs seeded alike draw alike, which the tests rely on.
class UniformRandom {
 public:
  explicit UniformRandom(uint64_t seed) {
    for (uint64_t& word : state_) {
      seed += 0x9E3779B97F4A7C15ULL;
      uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
      word = z ^ (z >> 31);
    }
  }

  // 53 random bits scaled to [0, 1): never 1.
  double Next() {
    const uint64_t result = state_[0] + state_[3];
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = (state_[3] << 45) | (state_[3] >> 19);
    return static_cast<double>(result >> 11) * 0x1.0p-53;
  }

 private:
  uint64_t state_[4];
};

}  // namespace vido

#endif  // VIDO_ANALYSIS_UNIFORM_RANDOM_H_
