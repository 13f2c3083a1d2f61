#include <QAction>
#include <QApplication>
#include <QColor>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/app_fixture.h"
#include "app/app_tests.h"
#include "lp/solver_interface.h"
#include "model/help_access.h"

namespace vido::testing {

namespace {

QStringList Captions(const QList<QAction*>& actions) {
  QStringList out;
  for (QAction* a : actions) out << (a->isSeparator() ? QString("-") : a->text());
  return out;
}

}  // namespace

void MainWindowTest::startState() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QCOMPARE(w.windowTitle(), QString("VIDO 2.0"));
  // The first time the window takes most of the screen, so both panes show.
  const QRect area = QApplication::primaryScreen()->availableGeometry();
  QVERIFY(w.width() > 640 && w.width() <= area.width());
  QVERIFY(w.height() > 471 && w.height() <= area.height());
  w.show();
  QVERIFY(!w.InputTabs()->isVisible());
  QVERIFY(!w.OutputTabs()->isVisible());
  QVERIFY(!w.CalcPanel()->isVisible());
  QVERIFY(!w.ReportButton()->isEnabled());
  QVERIFY(!w.Action("InconsistMenu")->isEnabled());
  QCOMPARE(w.workspace().BGrid.Cell(0, 1), std::string("LB - Lower Bound"));

  QVERIFY(f.Choose("CalcRangeItem"));
  QCOMPARE(f.port.Errors(), std::vector<std::string>{"You must read data first"});
  QVERIFY(f.Choose("VolumeItem"));
  QCOMPARE(f.port.Errors().size(), size_t(2));
  QCOMPARE(f.port.Errors().back(), std::string("You must read data first"));
  // Nothing to edit yet: the editing items are disabled when their menus open.
  QVERIFY(!f.Choose("InsertCrit"));
  QVERIFY(!f.Choose("SaveRes"));
  WindowFixture::Screenshot(&w, "main_window_empty");
  // Size and splitter as the user leaves them, the next session.
  w.resize(700, 520);
  auto* splitter = w.findChild<QSplitter*>("Splitter");
  QVERIFY(splitter != nullptr);
  splitter->setSizes({200, 500});
  const QByteArray state = splitter->saveState();
  QVERIFY(w.close());
  WindowFixture next;
  QCOMPARE(next.window->size(), QSize(700, 520));
  QCOMPARE(next.window->findChild<QSplitter*>("Splitter")->saveState(), state);
}

void MainWindowTest::menuBarLayout() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QCOMPARE(Captions(w.menuBar()->actions()),
           QStringList({"&File", "Ca&tegories", "&Criteria", "&Actions", "C&onstraints", "&Results",
                        "&Inconsistency", "&Help"}));
  // "&Inconsistency" is an item of the bar itself.
  QVERIFY(w.Action("InconsistMenu")->menu() == nullptr);
  QCOMPARE(w.Action("InconsistMenu")->statusTip(), QString("Inconsistency analysis"));
  QCOMPARE(
      Captions(w.Menu("FileMenu")->actions()),
      QStringList({"&New", "&Open...", "Import performance table...", "&Report",
                   "Export results as CSV...", "Save results chart...", "&Save Data",
                   "&Save Data As...", "-", "&Print Form...", "P&rint Setup...", "-", "E&xit"}));
  QCOMPARE(Captions(w.Menu("ResultsMenu")->actions()),
           QStringList({"Volume &Computation", "&Robust Assignments", "Category &Acceptability",
                        "-", "by &Input Order", "by &Variability Order"}));
  QCOMPARE(Captions(w.Menu("ActionsMenu")->actions()),
           QStringList({"&Insert", "&Delete", "&Erase examples"}));
  QCOMPARE(Captions(w.Menu("HelpMenu")->actions()),
           QStringList({"&Online manual", "&How to Use Help", "&About..."}));
  QCOMPARE(w.Action("SaveRes")->statusTip(), QString("Save on file a results report"));
  QCOMPARE(w.Action("byInputItem")->statusTip(),
           QString("Output ranges appear in \"Actions\" order"));
  QCOMPARE(w.Action("PrintForm")->statusTip(),
           QString("Print the current contents of the VIDO window"));

  // The radio pair: one checked at a time, input order at start.
  QVERIFY(w.Action("byInputItem")->isChecked());
  QVERIFY(f.Choose("byVariabilityItem"));
  QVERIFY(w.Action("byVariabilityItem")->isChecked());
  QVERIFY(!w.Action("byInputItem")->isChecked());
  QCOMPARE(f.ws().display_order, DisplayOrder::kVariability);

  // A hint reaches the status line.
  w.show();
  QStatusTipEvent tip(w.ReportButton()->statusTip());
  QApplication::sendEvent(w.ReportButton(), &tip);
  QCOMPARE(w.statusBar()->currentMessage(), QString("Save on file a results report"));
}

void MainWindowTest::newProblemThroughTheDialog() {
  WindowFixture f;
  MainWindow& w = *f.window;
  // What the dialog showed, checked once it is closed.
  QString typed;
  int refused_result = -1;
  std::vector<std::string> field_errors;
  bool leave_alt = true;
  bool leave_cat = true;
  f.on_modal = [&](QDialog& dialog) {
    auto* form = qobject_cast<NewFileForm*>(&dialog);
    if (form == nullptr) return int(QDialog::Rejected);
    // Letters never reach a field.
    form->EditCrit()->clear();
    QTest::keyClicks(form->EditCrit(), "1x3");
    typed = form->EditCrit()->text();
    form->accept();  // refused: too many criteria
    refused_result = form->result();
    form->EditCrit()->setText("3");
    form->EditAlt()->setText("");
    leave_alt = form->LeaveField(form->EditAlt());
    form->EditAlt()->setText("4");
    form->EditCat()->setText("1");
    leave_cat = form->LeaveField(form->EditCat());
    form->EditCat()->setText("3");
    form->accept();
    return form->result();
  };
  QVERIFY(f.Choose("New1"));
  QCOMPARE(f.modal_titles, QStringList({"New Problem"}));
  QCOMPARE(typed, QString("13"));
  QCOMPARE(refused_result, int(QDialog::Rejected));
  QVERIFY(!leave_alt);
  QVERIFY(!leave_cat);
  QCOMPARE(f.port.Errors(),
           std::vector<std::string>(
               {"Number is too high", "You must enter a value", "Number is too low"}));
  QCOMPARE(f.ws().CriteriaCount, 3);
  QCOMPARE(f.ws().ActionsCount, 4);
  QCOMPARE(f.ws().CategoriesCount, 3);
  w.show();
  QVERIFY(w.InputTabs()->isVisible());
  QCOMPARE(w.Grid(GridId::kAGrid)->model()->columnCount(), 6);
  QCOMPARE(w.Grid(GridId::kAGrid)->model()->rowCount(), 4);
  QCOMPARE(w.windowTitle(), QString("VIDO 2.0"));
  // The fields keep the last values entered.
  QString kept;
  f.on_modal = [&](QDialog& dialog) {
    kept = qobject_cast<NewFileForm*>(&dialog)->EditAlt()->text();
    return int(QDialog::Rejected);
  };
  QVERIFY(f.Choose("New1"));
  QCOMPARE(kept, QString("4"));
  QCOMPARE(f.ws().ActionsCount, 4);
  // With a problem the editing items open up.
  QVERIFY(f.Choose("InsertCrit"));
  QCOMPARE(f.ws().CriteriaCount, 4);
  QCOMPARE(w.Grid(GridId::kFGrid)->model()->columnCount(), 5);
}

void MainWindowTest::openTheBundledExample() {
  WindowFixture f;
  MainWindow& w = *f.window;
  w.show();
  WindowFixture::Screenshot(&w, "main_window_before_open");
  QVERIFY(f.OpenExample());
  QVERIFY2(f.port.Errors().empty(), f.port.Errors().empty() ? "" : f.port.Errors()[0].c_str());
  QVERIFY(w.windowTitle().startsWith("VIDO 2.0  -  "));
  QVERIFY(w.windowTitle().endsWith("suppliers.tri"));
  QVERIFY(w.InputTabs()->isVisible());
  QCOMPARE(f.port.open_requests.size(), size_t(1));
  QCOMPARE(f.port.open_requests[0].filter,
           std::string("TRI parameters & constraints (*.tri)|*.tri|All files (*.*)|*.*"));
  const Workspace& ws = f.ws();
  QCOMPARE(w.Grid(GridId::kAGrid)->model()->rowCount(), ws.ActionsCount);
  QCOMPARE(w.Grid(GridId::kAGrid)->model()->headerData(3, Qt::Horizontal).toString(),
           QString::fromStdString(ws.AGrid.Cell(3, 0)));
  const char* tabs[] = {"tab_actions", "tab_fixed_par", "tab_bounds", "tab_constraints"};
  for (int t = 0; t < 4; ++t) {
    w.InputTabs()->setCurrentIndex(t);
    QCOMPARE(w.InputTabs()->tabText(t),
             QString(QStringList({"Actions", "Fixed Par.", "Bounds", "Constraints"})[t]));
    WindowFixture::Screenshot(&w, QString("main_window_") + tabs[t]);
  }
  // Save as: the dialog's filter, extension and overwrite prompt.
  f.port.save_answers = {std::string("copy_of_suppliers")};
  QVERIFY(f.Choose("SaveDataAs"));
  QCOMPARE(f.port.save_requests.back().filter, std::string("VIDO (v.2) (*.tri)|*.tri"));
  QCOMPARE(f.port.save_requests.back().default_extension, std::string("tri"));
  QVERIFY(f.port.save_requests.back().overwrite_prompt);
  QVERIFY(QFile::exists("copy_of_suppliers.tri"));
  QVERIFY(w.windowTitle().endsWith("copy_of_suppliers.tri"));
}

void MainWindowTest::cellSizeControls() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QSpinBox* height = w.SizeControl(0);
  QSpinBox* width = w.SizeControl(1);
  QSpinBox* font = w.SizeControl(2);
  QCOMPARE(height->value(), 16);
  QCOMPARE(width->value(), 48);
  QCOMPARE(font->value(), 8);
  QVERIFY(!width->wrapping());
  QCOMPARE(width->statusTip(), QString("Width of the grid cells"));
  f.port.open_answers = {WindowFixture::SourceFile("examples/suppliers.tri")};
  QVERIFY(f.Choose("OpenOth"));
  // The analysis tables as a run sizes them.
  const int n = f.ws().CriteriaCount;
  f.ws().ICGrid.SetSize(n + 4, 3);
  f.ws().IPGrid.SetSize(n + 6, 3);
  f.ws().DGrid.SetSize(n + 1, 3);
  w.Refresh();
  for (int i = 0; i < 30; ++i) width->stepUp();
  QCOMPARE(width->value(), 96);
  QCOMPARE(w.Grid(GridId::kIPGrid)->columnWidth(0), 192);
  QCOMPARE(w.Grid(GridId::kICGrid)->columnWidth(0), 192);
  // The names' column is never narrower than the cells, and wide enough for the names.
  QVERIFY(w.Grid(GridId::kAGrid)->columnWidth(0) >= 96);
  QVERIFY(w.Grid(GridId::kAGrid)->columnWidth(0) >=
          w.Grid(GridId::kAGrid)->fontMetrics().horizontalAdvance("Iberia Components"));
  QCOMPARE(w.Grid(GridId::kAGrid)->columnWidth(1), 96);
  QCOMPARE(w.Grid(GridId::kDGrid)->columnWidth(1), 96);
  for (int i = 0; i < 30; ++i) height->stepDown();
  QCOMPARE(height->value(), 8);
  QCOMPARE(w.Grid(GridId::kAGrid)->rowHeight(0), 8);
  font->stepUp();
  QCOMPARE(w.Grid(GridId::kDGrid)->font().pointSize(), 10);
  // A reload (another command) keeps the sizes.
  QVERIFY(f.Choose("InsertAct"));
  QCOMPARE(w.Grid(GridId::kAGrid)->rowHeight(0), 8);
  QCOMPARE(w.Grid(GridId::kIPGrid)->columnWidth(0), 192);
}

void MainWindowTest::helpAccess() {
  // The pages the build copies beside the program.
  WindowFixture f;
  const char* pages[] = {kMainManualPage,    kActionsHelpPage,      kFixedParHelpPage,
                         kBoundsHelpPage,    kConstraintsHelpPage,  kResultsHelpPage,
                         kInferProgHelpPage, kInconsistencyHelpPage};
  for (const char* page : pages) {
    QVERIFY2(QFile::exists(QString::fromStdString(f.window->HelpFolder()) + page), page);
  }
  QVERIFY(f.Choose("OnlineManual"));
  QCOMPARE(f.port.help_pages,
           std::vector<std::string>{std::string(VIDO_PROGRAM_DIR) + "/Manual/Main_man.htm"});
  QVERIFY(f.port.Errors().empty());
  // Each table's pop-up menu opens its own page.
  f.window->PopupMenu(GridId::kCGrid)->findChild<QAction*>("PopupHelp")->trigger();
  QVERIFY(f.port.help_pages.back().ends_with("/Manual/cons_in.htm"));
  f.window->PopupMenu(GridId::kIPGrid)->findChild<QAction*>("PopupHelp")->trigger();
  QVERIFY(f.port.help_pages.back().ends_with("/Manual/inferprog.htm"));

  // Without the folder every help command gives the error with the full path.
  QTemporaryDir program;
  const std::string folder = HelpFolderFor(program.path().toStdString());
  WindowFixture missing(folder);
  QVERIFY(missing.Choose("OnlineManual"));
  QCOMPARE(missing.port.Errors(),
           std::vector<std::string>{"Cannot open help file " + folder +
                                    "Main_man.htm. Please check its existance and properties."});
  missing.window->PopupMenu(GridId::kAGrid)->findChild<QAction*>("PopupHelp")->trigger();
  QCOMPARE(missing.port.Errors().back(),
           "Cannot open help file " + folder +
               "actions_in.htm. Please check its existance and properties.");
  QVERIFY(missing.port.help_pages.empty());

  // "&How to Use Help" shows the four lines and the folder; "&About..." its box.
  QStringList texts;
  missing.on_modal = [&](QDialog& dialog) {
    for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    return int(QDialog::Accepted);
  };
  QVERIFY(missing.Choose("HowToUseHelp"));
  QCOMPARE(texts.size(), 5);
  QCOMPARE(texts[0], QString("You can learn how to use this program following the Online Manual."));
  QCOMPARE(texts[3], QString("location:"));
  QCOMPARE(texts[4], QString::fromStdString(folder));
  QVERIFY(missing.Choose("About"));
  QCOMPARE(missing.modal_titles, QStringList({"How to get help", "About"}));
}

void MainWindowTest::pendingAnalysesSaySo() {
  WindowFixture f;
  QVERIFY(f.OpenExample());
  // "&Robust Assignments" runs the analysis itself.
  QVERIFY(f.Choose("CalcRangeItem"));
  QVERIFY(f.port.Informations().empty());
  QVERIFY(f.ws().ResultsAvailable);
  QVERIFY(f.ws().RangesValid);
  QVERIFY(f.window->ReportButton()->isEnabled());
  // The window shows what the run left: the output tabs in black, the progress panel
  // gone again, the input open to edits.
  MainWindow& w = *f.window;
  w.show();
  QVERIFY(w.OutputTabs()->isVisible());
  QVERIFY(w.OutputTabs()->isTabVisible(0));
  for (int t = 0; t < 4; ++t) {
    if (w.OutputTabs()->isTabVisible(t)) {
      QCOMPARE(w.OutputTabs()->tabBar()->tabTextColor(t), QColor(Qt::black));
    }
  }
  QVERIFY(!w.CalcPanel()->isVisible());
  QVERIFY(w.InputTabs()->isEnabled());
  QVERIFY(!f.port.busy);
  QCOMPARE(w.Grid(GridId::kRGrid)->model()->rowCount(), f.ws().ActionsCount);
  WindowFixture::Screenshot(&w, "main_window_results");
  // An edit makes them stale again.
  QVERIFY(f.Choose("InsertCons"));
  QCOMPARE(w.OutputTabs()->tabBar()->tabTextColor(0), QColor(Qt::red));
  QVERIFY(!w.ReportButton()->isEnabled());
  // The volume command checks the data, then opens its window.
  QVERIFY(f.Choose("VolumeItem"));
  QCOMPARE(f.modal_titles, QStringList({"VIDO - Volume Computation"}));
  QVERIFY(f.port.Errors().empty());
}

void MainWindowTest::longCommandsShowProgressAndBlockInput() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  w.show();
  UserPort& port = w.Port();
  {
    BusyCursor busy(port);
    port.ShowProgress(25);
    port.SetProgress(10);
    QVERIFY(w.CalcPanel()->isVisible());
    QCOMPARE(w.CalcPanel()->findChild<QProgressBar*>("CalcProgressBar")->maximum(), 25);
    QCOMPARE(w.CalcPanel()->findChild<QProgressBar*>("CalcProgressBar")->value(), 10);
    QCOMPARE(w.CalcPanel()->findChild<QLabel*>()->text(), QString("Calculating. Please wait..."));
    QVERIFY(!w.SizeControl(0)->isVisible());
    // Nothing the pump lets through may change the tables under the running command.
    QVERIFY(!w.InputTabs()->isEnabled());
    QVERIFY(!w.menuBar()->isEnabled());
    QVERIFY(!port.PumpEvents());
    port.HideProgress();
  }
  QVERIFY(f.port.busy_changes == 2 && !f.port.busy);
  QVERIFY(!w.CalcPanel()->isVisible());
  QVERIFY(w.SizeControl(0)->isVisible());
  QVERIFY(w.InputTabs()->isEnabled());
  QVERIFY(w.menuBar()->isEnabled());
  QCOMPARE(f.port.progress_maximum, 25);
}

void MainWindowTest::closingReleasesResultsAndTheSolverProblem() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  f.ws().DataModified = true;
  f.ws().InferredCategory.assign(f.ws().ActionsCount + 1, 1);
  f.ws().ResultsAvailable = true;
  QCOMPARE(SolverInit(1, 1), 0);
  QCOMPARE(SolverSetObjective(1, 1.0), 0);
  QCOMPARE(SolverSetCoefficient(1, 1, 1.0), 0);
  QCOMPARE(SolverSetRhs(1, 2.0), 0);
  QCOMPARE(SolverSetRowSense(1, '<'), 0);
  QCOMPARE(SolverSolve(), 0);
  w.show();
  w.Refresh();
  // Unsaved changes are marked in the title and offered a save before the window goes.
  QVERIFY(w.windowTitle().startsWith("* VIDO 2.0"));
  QVERIFY(w.close());  // No: closed without saving
  QCOMPARE(f.port.confirmations, std::vector<std::string>{"Save current files?"});
  QVERIFY(f.ws().InferredCategory.empty());
  QVERIFY(!f.ws().ResultsAvailable);
  QCOMPARE(SolverSolve(), -1);  // no problem any more

  // Closing while a command works asks it to stop and waits for its end.
  WindowFixture busy;
  busy.window->show();
  busy.window->Port().SetBusy(true);
  QVERIFY(!busy.window->close());
  QVERIFY(busy.window->Port().PumpEvents());  // the cancel request
  QVERIFY(busy.window->isVisible());
  busy.window->Port().SetBusy(false);
  QTRY_VERIFY(!busy.window->isVisible());
}

}  // namespace vido::testing
