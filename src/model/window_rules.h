#ifndef VIDO_MODEL_WINDOW_RULES_H_
#define VIDO_MODEL_WINDOW_RULES_H_

#include <array>

#include "model/workspace.h"

namespace vido {

// The tabs of the output side, in their order.
enum class OutputTab { kResults, kInferredConstraints, kInferProg, kIndices, kAcceptability };

struct OutputTabLook {
  OutputTab tab;
  const char* caption;
  bool visible;
  bool red;  // the results no longer describe the input
};

// The output tabs as the window shows them: each visible as the analyses left it,
// captions red while the results are stale.
std::array<OutputTabLook, 5> OutputTabLooks(const Workspace& ws);

// The window's title: the caption, marked while the problem has unsaved changes.
std::string WindowTitle(const Workspace& ws);

// The results tab shows ORGrid instead of RGrid in variability order.
bool ShowsVariabilityOrder(const Workspace& ws);

// Closing the window: the result arrays are released.
void ReleaseResults(Workspace& ws);

// Another problem (New, Open): nothing of the previous one's results stays on screen,
// neither its tables nor the tabs that showed them.
void ClearResults(Workspace& ws);

}  // namespace vido

#endif  // VIDO_MODEL_WINDOW_RULES_H_
