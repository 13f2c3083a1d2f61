#ifndef VIDO_TESTS_APP_APP_TESTS_H_
#define VIDO_TESTS_APP_APP_TESTS_H_

#include <QObject>

namespace vido::testing {

// The main window: start state, menus, commands, cell sizes, help.
class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startState();
  void menuBarLayout();
  void newProblemThroughTheDialog();
  void openTheBundledExample();
  void cellSizeControls();
  void helpAccess();
  void pendingAnalysesSaySo();
  void longCommandsShowProgressAndBlockInput();
  void closingReleasesResultsAndTheSolverProblem();
};

// The tables: models, key filters, selection, colours, the mouse dialogs of AGrid.
class GridTest : public QObject {
  Q_OBJECT

 private slots:
  void modelsPassTheTester();
  void rejectedKeyMakesResultsStale();
  void directionRowKeys();
  void normRowCannotBeSelected();
  void elowDialogRefusesInvalidCategory();
  void criterionNameFromTheHeader();
  void thresholdSwitches();
  void colours();
  void wideCellsShowToolTips();
};

// The output side: result tables after real runs, the volume window, printing.
class ResultsTest : public QObject {
  Q_OBJECT

 private slots:
  void consistentRunFillsTheResultTables();
  void acceptabilityHeatMap();
  void inconsistentRunMarksTheProgramRows();
  void selectingACellSolvesForThatAssignment();
  void inconsistencyWindowSuggestsAndAccepts();
  void suggestShowsItsSearchAndStops();
  void volumeWindowRunsTheSimulation();
  void printingGoesThroughThePrintDialog();
  void importATableThenExportItsResults();
};

}  // namespace vido::testing

#endif  // VIDO_TESTS_APP_APP_TESTS_H_
