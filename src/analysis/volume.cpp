#include "analysis/volume.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "analysis/inference_tables.h"
#include "analysis/uniform_random.h"
#include "analysis/volume_region.h"
#include "support/command_error.h"
#include "support/number_text.h"

namespace vido {

void VolumeForm::SetPrecision(int digits) {
  precision = std::clamp(digits, kMinPrecision, kMaxPrecision);
}

void FormShow(VolumeForm& form) { form.progress_position = 0; }

namespace {

uint64_t ClockSeed() {
  return static_cast<uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

void Repaint(VolumeForm& form) {
  if (form.repaint) form.repaint(form);
}

// The 95 % Wilson score interval of a binomial share: good also near 0 and 1, where the
// normal approximation's would leave [0, 1].
std::pair<double, double> WilsonInterval(double inside, double samples) {
  constexpr double z = 1.959964;
  const double p = inside / samples;
  const double z2 = z * z / samples;
  const double centre = (p + z2 / 2) / (1 + z2);
  const double half = z * std::sqrt(p * (1 - p) / samples + z2 / (4 * samples)) / (1 + z2);
  return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

}  // namespace

bool StartButtonClick(const Workspace& ws, UserPort& port, VolumeForm& form) {
  // The event pump may deliver another click on the button while a run is going on.
  if (form.running) return false;
  form.running = true;
  form.converged = false;
  form.cancelled = false;
  form.samples = 0;
  BusyCursor busy(port);
  try {
    VolumeRegion region = ReadVolumeRegion(ws);
    form.dimension = Format("%d", region.Dimension());
    Repaint(form);
    EliminateEqualities(region);
    HitOrMissSampler sampler(region);

    form.absolute_volume.clear();
    form.relative_volume.clear();
    form.volume_interval.clear();
    std::string previous = "x";  // never equal to a number: the first checkpoint goes on
    uint32_t next_checkpoint = VolumeForm::kCheckpointSamples;
    UniformRandom random(form.seed ? *form.seed : ClockSeed());
    while (sampler.Samples() < HitOrMissSampler::kMaxSamples && !form.converged) {
      sampler.Draw(next_checkpoint - sampler.Samples(), random);
      const double samples = sampler.Samples();
      form.absolute_volume =
          FormatGeneral(sampler.InsideAll() * sampler.BoxVolume() / samples, form.precision);
      const auto [low, high] = WilsonInterval(sampler.InsideAll(), samples);
      form.volume_interval = "[" + FormatGeneral(low * sampler.BoxVolume(), form.precision) + ", " +
                             FormatGeneral(high * sampler.BoxVolume(), form.precision) + "]";
      if (sampler.InsideBounds() > 0) {
        form.relative_volume = FormatGeneral(
            static_cast<double>(sampler.InsideAll()) / sampler.InsideBounds(), form.precision);
      }
      if (form.absolute_volume == previous) {
        form.converged = true;
      } else {
        previous = form.absolute_volume;
      }
      form.samples = sampler.Samples();
      form.progress_position = static_cast<int>(sampler.Samples());
      next_checkpoint += VolumeForm::kCheckpointSamples;
      Repaint(form);
      if (port.PumpEvents()) {
        form.cancelled = true;
        break;
      }
    }
    if (!form.cancelled) form.progress_position = VolumeForm::kProgressMaximum;
    Repaint(form);
  } catch (const CommandError& e) {
    if (!e.AlreadyShown()) port.Error(e.what());
    form.running = false;
    return false;
  }
  form.running = false;
  return true;
}

}  // namespace vido
