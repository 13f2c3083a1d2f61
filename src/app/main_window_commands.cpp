#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "analysis/acceptability.h"
#include "analysis/pending_analyses.h"
#include "analysis/results_export.h"
#include "app/main_window.h"
#include "model/editing.h"
#include "model/help_access.h"
#include "model/menu_rules.h"
#include "model/problem_file.h"
#include "model/problem_reader.h"
#include "model/range_chart.h"
#include "model/table_import.h"
#include "model/window_rules.h"
#include "sorting/result_display.h"
#include "support/command_boundary.h"

namespace vido {

QAction* MainWindow::AddItem(QMenu* menu, const char* name, const char* caption, const char* hint,
                             std::function<void()> command) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(name);
  if (hint != nullptr) item->setStatusTip(hint);
  connect(item, &QAction::triggered, this, [this, command = std::move(command)] { Run(command); });
  return item;
}

QAction* MainWindow::Action(const QString& name) const { return findChild<QAction*>(name); }

QMenu* MainWindow::Menu(const QString& name) const { return findChild<QMenu*>(name); }

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  auto menu = [&](const char* name, const char* caption) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(name);
    // The enabling rules are computed each time a menu opens.
    connect(m, &QMenu::aboutToShow, this, &MainWindow::ApplyMenuRules);
    return m;
  };
  QMenu* file = menu("FileMenu", "&File");
  AddItem(file, "New1", "&New", "New file", [this] { NewClick(); });
  AddItem(file, "OpenOth", "&Open...", "Open existing file", [this] { OpenClick(); });
  AddItem(file, "ImportTable", "Import performance table...",
          "Make a new problem of a performance table (CSV)",
          [this] { ImportTableClick(ws_, Port()); });
  AddItem(file, "SaveRes", "&Report", "Save on file a results report", [this] { ReportClick(); });
  AddItem(file, "ExportResultsCsv", "Export results as CSV...",
          "Save the results as a table for spreadsheets and scripts",
          [this] { ExportResultsCsvClick(ws_, Port()); });
  AddItem(file, "SaveChart", "Save results chart...",
          "Save the category ranges of every action as a picture (SVG)",
          [this] { SaveChartClick(ws_, Port()); });
  AddItem(file, "SaveData", "&Save Data", "Save all input data", [this] { SaveDataClick(false); });
  AddItem(file, "SaveDataAs", "&Save Data As...", "Save all input data",
          [this] { SaveDataClick(true); });
  file->addSeparator();
  AddItem(file, "PrintForm", "&Print Form...", "Print the current contents of the VIDO window",
          [this] { PrintFormClick(); });
  AddItem(file, "PrintSetup", "P&rint Setup...", "Define printer settings",
          [this] { PrintSetupClick(); });
  file->addSeparator();
  AddItem(file, "Exit", "E&xit", "Exit VIDO", [this] { close(); });

  QMenu* categories = menu("CategoriesMenu", "Ca&tegories");
  AddItem(categories, "InsertCat", "&Split", "Split one category into two",
          [this] { InsertCatClick(ws_, Port()); });
  AddItem(categories, "DeleteCat", "&Merge", "Merge two categories into one",
          [this] { DeleteCatClick(ws_, Port()); });
  QMenu* criteria = menu("CriteriaMenu", "&Criteria");
  AddItem(criteria, "InsertCrit", "&Insert", "Insert new criterion",
          [this] { InsertCritClick(ws_, Port()); });
  AddItem(criteria, "DeleteCrit", "&Delete", "Delete one of the criteria",
          [this] { DeleteCritClick(ws_, Port()); });
  QMenu* actions = menu("ActionsMenu", "&Actions");
  AddItem(actions, "InsertAct", "&Insert", "Insert new action",
          [this] { InsertActClick(ws_, Port()); });
  AddItem(actions, "DeleteAct", "&Delete", "Delete an action",
          [this] { DeleteActClick(ws_, Port()); });
  AddItem(actions, "Eraseexamples", "&Erase examples", nullptr,
          [this] { EraseexamplesClick(ws_, Port()); });
  QMenu* constraints = menu("ConstraintsMenu", "C&onstraints");
  AddItem(constraints, "InsertCons", "&Insert", "Insert new constraint",
          [this] { InsertConsClick(ws_, Port()); });
  AddItem(constraints, "DeleteCons", "&Delete", "Delete a constraint",
          [this] { DeleteConsClick(ws_, Port()); });

  QMenu* results = menu("ResultsMenu", "&Results");
  AddItem(results, "VolumeItem", "Volume &Computation", "Estimate volume of inputs region",
          [this] { VolumeClick(); });
  AddItem(results, "CalcRangeItem", "&Robust Assignments",
          "Calculate range of assignments for each action", [this] { RobustAssignmentsClick(); });
  AddItem(results, "AcceptabilityItem", "Category &Acceptability",
          "How much of the compatible parameters puts each action in each category",
          [this] { AcceptabilityClick(); });
  results->addSeparator();
  auto* order = new QActionGroup(this);
  QAction* by_input =
      AddItem(results, "byInputItem", "by &Input Order",
              "Output ranges appear in \"Actions\" order", [this] { OrderClick(false); });
  QAction* by_variability =
      AddItem(results, "byVariabilityItem", "by &Variability Order",
              "Output ranges appear ordered by variability", [this] { OrderClick(true); });
  for (QAction* item : {by_input, by_variability}) {
    item->setCheckable(true);
    order->addAction(item);
  }
  by_input->setChecked(true);

  // An item of the bar itself, not a menu.
  QAction* inconsistency = bar->addAction("&Inconsistency");
  inconsistency->setObjectName("InconsistMenu");
  inconsistency->setStatusTip("Inconsistency analysis");
  inconsistency->setEnabled(false);
  connect(inconsistency, &QAction::triggered, this,
          [this] { Run([this] { InconsistencyClick(); }); });

  QMenu* help = menu("HelpMenu", "&Help");
  AddItem(help, "OnlineManual", "&Online manual", nullptr, [this] { HelpClick(kMainManualPage); });
  AddItem(help, "HowToUseHelp", "&How to Use Help", nullptr, [this] { HowToUseHelpClick(); });
  AddItem(help, "About", "&About...", nullptr, [this] { AboutClick(); });
}

void MainWindow::BuildPopupMenus() {
  auto popup = [&](GridId grid, const char* page) {
    auto* m = new QMenu(this);
    m->setObjectName(QString(Grid(grid)->objectName()) + "Popup");
    popups_[static_cast<int>(grid)] = m;
    GridView* view = Grid(grid);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, grid, view](const QPoint& p) {
      if (running_) return;
      PopupMenu(grid)->exec(view->viewport()->mapToGlobal(p));
    });
    (void)page;
    return m;
  };
  auto criteria_items = [&](QMenu* m, const char* prefix) {
    QMenu* sub = m->addMenu("&Criteria");
    AddItem(sub, (std::string(prefix) + "InsertCrit").c_str(), "&Insert", "Insert new criterion",
            [this] { InsertCritClick(ws_, Port()); });
    AddItem(sub, (std::string(prefix) + "DeleteCrit").c_str(), "&Delete",
            "Delete one of the criteria", [this] { DeleteCritClick(ws_, Port()); });
  };
  auto help_item = [&](QMenu* m, const char* page) {
    AddItem(m, "PopupHelp", "&Help", nullptr, [this, page] { HelpClick(page); });
  };

  QMenu* a = popup(GridId::kAGrid, kActionsHelpPage);
  QMenu* actions = a->addMenu("&Actions");
  AddItem(actions, "PopupAInsertAct", "&Insert", "Insert new action",
          [this] { InsertActClick(ws_, Port()); });
  AddItem(actions, "PopupADeleteAct", "&Delete", "Delete an action",
          [this] { DeleteActClick(ws_, Port()); });
  criteria_items(a, "PopupA");
  help_item(a, kActionsHelpPage);
  QMenu* f = popup(GridId::kFGrid, kFixedParHelpPage);
  criteria_items(f, "PopupF");
  help_item(f, kFixedParHelpPage);
  help_item(popup(GridId::kBGrid, kBoundsHelpPage), kBoundsHelpPage);
  QMenu* c = popup(GridId::kCGrid, kConstraintsHelpPage);
  AddItem(c, "PopupCInsertCons", "&Insert constraint", "Inserts new constraint",
          [this] { InsertConsClick(ws_, Port()); });
  AddItem(c, "PopupCDeleteCons", "&Delete constraint", "Delete the constraint selected",
          [this] { DeleteConsClick(ws_, Port()); });
  help_item(c, kConstraintsHelpPage);
  help_item(popup(GridId::kRGrid, kResultsHelpPage), kResultsHelpPage);
  help_item(popup(GridId::kORGrid, kResultsHelpPage), kResultsHelpPage);
  help_item(popup(GridId::kIPGrid, kInferProgHelpPage), kInferProgHelpPage);
}

QMenu* MainWindow::PopupMenu(GridId grid) {
  ApplyMenuRules();
  return popups_[static_cast<int>(grid)];
}

void MainWindow::ApplyMenuRules() {
  const MenuEnabling e = MenuRules(ws_);
  const struct {
    const char* name;
    bool enabled;
  } items[] = {
      {"InsertCat", e.split},
      {"DeleteCat", e.merge},
      {"InsertCrit", e.insert_criterion},
      {"DeleteCrit", e.delete_criterion},
      {"PopupAInsertCrit", e.insert_criterion},
      {"PopupADeleteCrit", e.delete_criterion},
      {"PopupFInsertCrit", e.insert_criterion},
      {"PopupFDeleteCrit", e.delete_criterion},
      {"InsertAct", e.insert_action},
      {"DeleteAct", e.delete_action},
      {"PopupAInsertAct", e.insert_action},
      {"PopupADeleteAct", e.delete_action},
      {"InsertCons", e.insert_constraint},
      {"DeleteCons", e.delete_constraint},
      {"PopupCInsertCons", e.insert_constraint},
      {"PopupCDeleteCons", e.delete_constraint},
      {"SaveRes", e.report},
      {"ExportResultsCsv", e.report},
      {"SaveChart", e.report},
  };
  for (const auto& item : items) {
    if (QAction* action = Action(item.name)) action->setEnabled(item.enabled);
  }
}

void MainWindow::NewClick() {
  New1Click(ws_, Port(), new_fields_, [this](NewProblemFields& fields) {
    new_form_->Load(fields);
    if (exec_modal(*new_form_) != QDialog::Accepted) return false;
    new_form_->Store(fields);
    return true;
  });
}

void MainWindow::OpenClick() { OpenOthClick(ws_, Port()); }

void MainWindow::SaveDataClick(bool ask_for_name) { SaveProblemFile(ws_, Port(), ask_for_name); }

void MainWindow::ReportClick() {
  if (!ws_.ResultsAvailable) return;
  ResultsReportCommand(ws_, Port());
}

void MainWindow::PrintFormClick() {
  if (!printer_) printer_ = std::make_unique<QPrinter>();
  QPrintDialog dialog(printer_.get(), this);
  if (exec_modal(dialog) != QDialog::Accepted) return;
  // An image of the window as it is shown, scaled to the page.
  const QPixmap image = grab();
  QPainter painter(printer_.get());
  const QRect page = painter.viewport();
  QSize size = image.size();
  size.scale(page.size(), Qt::KeepAspectRatio);
  painter.setViewport(page.x(), page.y(), size.width(), size.height());
  painter.setWindow(image.rect());
  painter.drawPixmap(0, 0, image);
}

void MainWindow::PrintSetupClick() {
  if (!printer_) printer_ = std::make_unique<QPrinter>();
  QPageSetupDialog dialog(printer_.get(), this);
  exec_modal(dialog);
}

void MainWindow::VolumeClick() {
  if (!VolumeItemClick(ws_, Port(), volume_window_->Form())) return;
  FormShow(volume_window_->Form());
  volume_window_->Show();
  exec_modal(*volume_window_);
}

void MainWindow::RobustAssignmentsClick() { RobustAssignmentsCommand(ws_, Port()); }

void MainWindow::InconsistencyClick() { InconsistencyCommand(ws_, Port()); }

void MainWindow::AcceptabilityClick() {
  bool filled = false;
  RunCommand(Port(), [&] { filled = AcceptabilityItemClick(ws_, Port()); });
  if (!filled) return;
  // The tab must be shown before it can become the current one.
  Grid(GridId::kAccGrid)->Reload();
  RefreshChrome();
  output_tabs_->setCurrentIndex(static_cast<int>(OutputTab::kAcceptability));
}

void MainWindow::OrderClick(bool variability) {
  if (variability) {
    byVariabilityItemClick(ws_);
  } else {
    byInputItemClick(ws_);
  }
}

void MainWindow::HelpClick(const char* page) { OpenHelpPage(Port(), help_folder_, page); }

void MainWindow::HowToUseHelpClick() {
  GetHelpForm form(help_folder_, this);
  exec_modal(form);
}

void MainWindow::AboutClick() {
  AboutBox box(this);
  exec_modal(box);
}

}  // namespace vido
