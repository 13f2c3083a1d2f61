#include "model/menu_rules.h"

namespace vido {

MenuEnabling MenuRules(const Workspace& ws) {
  const bool tables = ws.view.input_tabs_visible && ws.HasProblem();
  MenuEnabling e;
  e.split = tables;
  e.merge = tables && ws.CategoriesCount > 2;
  e.insert_criterion = tables;
  e.delete_criterion = tables && ws.CriteriaCount > 2;
  e.insert_action = tables;
  e.delete_action = tables && ws.ActionsCount > 0;
  e.insert_constraint = tables;
  e.delete_constraint = tables && ws.ConstraintsCount > 1;
  e.report = ws.ResultsAvailable;
  return e;
}

}  // namespace vido
