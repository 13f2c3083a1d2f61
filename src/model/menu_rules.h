#ifndef VIDO_MODEL_MENU_RULES_H_
#define VIDO_MODEL_MENU_RULES_H_

#include "model/workspace.h"

namespace vido {

// Which editing items are enabled when their menu opens. The input tables are shown
// once a problem exists (after New or Open).
struct MenuEnabling {
  bool split = false;              // "Ca&tegories" > "&Split"
  bool merge = false;              // "Ca&tegories" > "&Merge": K > 2
  bool insert_criterion = false;   // "&Criteria" > "&Insert"
  bool delete_criterion = false;   // "&Criteria" > "&Delete": n > 2
  bool insert_action = false;      // "&Actions" > "&Insert"
  bool delete_action = false;      // "&Actions" > "&Delete": m > 0
  bool insert_constraint = false;  // "C&onstraints" > "&Insert"
  bool delete_constraint = false;  // "C&onstraints" > "&Delete": an additional constraint exists
  bool report = false;             // "&File" > "&Report": while the results are current
};

MenuEnabling MenuRules(const Workspace& ws);

}  // namespace vido

#endif  // VIDO_MODEL_MENU_RULES_H_
