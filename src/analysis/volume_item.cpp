#include "analysis/inference_tables.h"
#include "analysis/volume.h"
#include "model/validation.h"
#include "support/command_boundary.h"

namespace vido {

bool VolumeItemClick(Workspace& ws, UserPort& port, VolumeForm& form) {
  if (!ws.HasProblem()) {
    port.Error("You must read data first");
    return false;
  }
  bool show = false;
  RunCommand(port, [&] {
    if (!ValidateBounds(ws, port) || !ValidateRhs(ws, port) || !ValidateExamples(ws, port)) return;
    BuildExampleConstraints(ws, port);
    FormShow(form);
    show = true;
  });
  return show;
}

}  // namespace vido
