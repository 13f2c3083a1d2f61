#ifndef VIDO_ANALYSIS_VOLUME_H_
#define VIDO_ANALYSIS_VOLUME_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

// The state of the window "VIDO - Volume Computation": what the GUI shows and what
// the command line prints. The GUI owns one for the whole run of the program.
struct VolumeForm {
  static constexpr const char* kTitle = "VIDO - Volume Computation";
  static constexpr const char* kDimensionCaption = "Dimension:";
  static constexpr const char* kAbsoluteCaption = "Absolute Volume:";
  static constexpr const char* kRelativeCaption = "Volume to bounds:";
  static constexpr const char* kIntervalCaption = "95 % interval:";
  static constexpr int kMinPrecision = 2;
  static constexpr int kMaxPrecision = 5;
  static constexpr int kProgressMaximum = 5000000;
  static constexpr int kCheckpointSamples = 200000;

  // PrecisUpDown: significant digits of the displayed estimates.
  int precision = 3;
  // The value texts beside the three captions (DimLabel, AbsLabel, RelLabel).
  std::string dimension;
  std::string absolute_volume;
  std::string relative_volume;
  // The absolute volume's 95 % interval (the count of points inside is binomial): the
  // Wilson score interval of the share inside, times the box, "[low, high]".
  std::string volume_interval;
  int progress_position = 0;  // ProgressBar1, 0..kProgressMaximum
  bool running = false;       // StartButton is disabled meanwhile

  // Facts about the last run, for callers that want more than the labels.
  bool converged = false;
  bool cancelled = false;
  uint32_t samples = 0;

  // Tests fix the seed to repeat a run; by default each start seeds from the clock.
  std::optional<uint64_t> seed;
  // Called at every checkpoint after the labels and the progress changed.
  std::function<void(const VolumeForm&)> repaint;

  // PrecisUpDown clamps to 2..5.
  void SetPrecision(int digits);
};

// "Volume &Computation": checks the data, rebuilds the example constraints and
// prepares the window. True when the window is to be shown (modally).
bool VolumeItemClick(Workspace& ws, UserPort& port, VolumeForm& form);

// The window appears: the progress bar goes back to 0.
void FormShow(VolumeForm& form);

// "&Start simulation": estimates the volume by hit-or-miss sampling, stopping when the
// absolute estimate reads the same at two checkpoints in a row, after 5000000 samples,
// or when the user asks to cancel. Failures are shown through `port`; false then.
bool StartButtonClick(const Workspace& ws, UserPort& port, VolumeForm& form);

}  // namespace vido

#endif  // VIDO_ANALYSIS_VOLUME_H_
