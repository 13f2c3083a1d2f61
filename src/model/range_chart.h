#ifndef VIDO_MODEL_RANGE_CHART_H_
#define VIDO_MODEL_RANGE_CHART_H_

#include <string>

#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

inline constexpr const char* kChartFilter = "SVG picture (*.svg)|*.svg";

// The sizes of the chart, in pixels, chosen so that its texts stay readable at 100 %
// for 1000 actions as for 25: the picture grows in height instead.
inline constexpr double kChartRowHeight = 16;
inline constexpr double kChartCellWidth = 30;
inline constexpr double kChartFontSize = 11;
// Longer names are cut (with "…"); the row's tooltip has the whole name.
inline constexpr size_t kChartNameLength = 40;

// The category ranges of the last run as an SVG picture: one row per action (with its
// name), the categories as columns; the inferred category dark, the other reachable ones
// light, a hole crossed, the assignment example outlined. A consistent run shows the
// actions by variability (widest ranges first), an inconsistent one, which has no ranges,
// shows the inferred categories in input order, red where they contradict the example.
std::string RangeChartSvg(const Workspace& ws);

// Saves that picture: asks for a file name (starting from the problem's name) and writes
// it. Only while the results are current; true when the file was written.
bool SaveChartClick(Workspace& ws, UserPort& port);

}  // namespace vido

#endif  // VIDO_MODEL_RANGE_CHART_H_
