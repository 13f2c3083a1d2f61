#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFile>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "analysis/pending_analyses.h"
#include "app/app_fixture.h"
#include "app/app_tests.h"
#include "common/small_problem.h"
#include "model/table_import.h"
#include "sorting/credibility.h"
#include "support/number_text.h"

namespace vido::testing {

namespace {

QVariant Data(MainWindow& w, GridId grid, int col, int row, int role) {
  TableModel* model = w.Grid(grid)->Model();
  return model->data(model->IndexOf(col, row), role);
}

QColor Fill(MainWindow& w, GridId grid, int col, int row) {
  return Data(w, grid, col, row, Qt::BackgroundRole).value<QBrush>().color();
}

QColor Ink(MainWindow& w, GridId grid, int col, int row) {
  return Data(w, grid, col, row, Qt::ForegroundRole).value<QBrush>().color();
}

QString Text(MainWindow& w, GridId grid, int col, int row) {
  return Data(w, grid, col, row, Qt::DisplayRole).toString();
}

const QColor kGreen(0, 128, 0);
const QColor kLime(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kCyan(0, 255, 255);
const QColor kWhite(Qt::white);

int RowOf(const Workspace& ws, const std::string& name) {
  for (int r = 1; r <= ws.ActionsCount; ++r) {
    if (ws.AGrid.Cell(0, r) == name) return r;
  }
  return -1;
}

}  // namespace

void ResultsTest::consistentRunFillsTheResultTables() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  QVERIFY(f.Choose("CalcRangeItem"));
  QVERIFY(f.port.Warnings().empty());
  QVERIFY(f.ws().RangesValid);
  w.resize(900, 560);
  w.show();

  // Acme Metals can only be in C2, the inferred category.
  const int acme = RowOf(f.ws(), "Acme Metals");
  QCOMPARE(Fill(w, GridId::kRGrid, 2, acme), kGreen);
  QCOMPARE(Fill(w, GridId::kRGrid, 1, acme), kWhite);
  QCOMPARE(Fill(w, GridId::kRGrid, 3, acme), kWhite);
  QVERIFY(Text(w, GridId::kRGrid, 2, acme).isEmpty());
  // Borealis Parts: inferred C2, reachable up to C3.
  const int borealis = RowOf(f.ws(), "Borealis Parts");
  QCOMPARE(Fill(w, GridId::kRGrid, 2, borealis), kGreen);
  QCOMPARE(Fill(w, GridId::kRGrid, 3, borealis), kLime);
  QCOMPARE(Fill(w, GridId::kRGrid, 4, borealis), kWhite);
  // Cobalt & Sons: C1 reachable below the inferred C2.
  const int cobalt = RowOf(f.ws(), "Cobalt & Sons");
  QCOMPARE(Fill(w, GridId::kRGrid, 1, cobalt), kLime);
  QCOMPARE(Fill(w, GridId::kRGrid, 2, cobalt), kGreen);
  // Name cells: cyan exactly for the actions with an example.
  for (int r = 1; r <= f.ws().ActionsCount; ++r) {
    const bool example = f.ws().AGrid.Cell(1, r) != "1" ||
                         f.ws().AGrid.Cell(2, r) != std::to_string(f.ws().CategoriesCount);
    QCOMPARE(Fill(w, GridId::kRGrid, 0, r) == kCyan, example);
  }
  // A hole inside a range is hatched on white and shows no text.
  f.ws().RGrid.SetCell(3, borealis, "X");
  f.ws().BestCategory[borealis] = 4;
  w.Refresh();
  QVERIFY(Data(w, GridId::kRGrid, 3, borealis, TableModel::kHatchRole).toBool());
  QCOMPARE(Fill(w, GridId::kRGrid, 3, borealis), kWhite);
  QVERIFY(Text(w, GridId::kRGrid, 3, borealis).isEmpty());
  QVERIFY(!Data(w, GridId::kRGrid, 2, borealis, TableModel::kHatchRole).toBool());

  // The variability order: the widest ranges first, ties in table order.
  QVERIFY(w.Action("byVariabilityItem")->isEnabled());
  QVERIFY(f.Choose("byVariabilityItem"));
  QVERIFY(w.Grid(GridId::kORGrid)->isVisible());
  QVERIFY(!w.Grid(GridId::kRGrid)->isVisible());
  QCOMPARE(Text(w, GridId::kORGrid, 0, 1), QString("Borealis Parts"));
  QCOMPARE(Text(w, GridId::kORGrid, 0, 2), QString("Cobalt & Sons"));
  const int last = f.ws().ActionsCount;
  QCOMPARE(Text(w, GridId::kORGrid, 0, last), QString("Yukon Hydraulics"));
  QCOMPARE(Fill(w, GridId::kORGrid, 2, 2), kGreen);  // Cobalt & Sons again
  QCOMPARE(Fill(w, GridId::kORGrid, 1, 2), kLime);
  QVERIFY(f.Choose("byInputItem"));
  QVERIFY(w.Grid(GridId::kRGrid)->isVisible());

  // DGrid: the inferred solution in green in row 2.
  const QStringList inferred = {"0.685", "0.24", "0.22", "0.135", "0.135", "0.135", "0.135"};
  QCOMPARE(w.Grid(GridId::kDGrid)->Model()->columnCount(), 7);
  QCOMPARE(w.Grid(GridId::kDGrid)->Model()->headerData(0, Qt::Horizontal).toString(),
           QString("lambda"));
  for (int c = 0; c < 7; ++c) {
    QCOMPARE(Text(w, GridId::kDGrid, c, 2), inferred[c]);
    QCOMPARE(Ink(w, GridId::kDGrid, c, 2), kGreen);
    QCOMPARE(Ink(w, GridId::kDGrid, c, 1), QColor(Qt::black));
  }

  // "Indices": the mean of the range sizes; the first run shows no variation.
  auto* label_ma = w.findChild<QLabel*>("LabelMA");
  auto* label_ma_dif = w.findChild<QLabel*>("LabelMADif");
  QCOMPARE(label_ma->text(), QString("1.357"));
  QVERIFY(label_ma_dif->text().isEmpty());
  QVERIFY(w.OutputTabs()->isTabVisible(3));
  QCOMPARE(w.OutputTabs()->tabText(3), QString("Indices"));
  QVERIFY(f.Choose("CalcRangeItem"));
  // Against the previous mean as LabelMA showed it, rounded to three decimals.
  QVERIFY(QRegularExpression(R"(^variation = -?0\.000 \(-?0\.0%\)$)")
              .match(label_ma_dif->text())
              .hasMatch());

  // The width control reaches the result tables; IPGrid's descriptions get at least
  // twice it, and their whole text (">=2" included); the numbers below the results are
  // on one line each.
  w.SizeControl(1)->setValue(60);
  QCOMPARE(w.Grid(GridId::kRGrid)->columnWidth(1), 60);
  QVERIFY(w.Grid(GridId::kDGrid)->columnWidth(1) >= 60);
  QVERIFY(!w.Grid(GridId::kDGrid)->wordWrap());
  GridView* ip = w.Grid(GridId::kIPGrid);
  QVERIFY(ip->columnWidth(0) >= 120);
  for (int r = 1; r < f.ws().IPGrid.RowCount(); ++r) {
    const QString text = QString::fromStdString(f.ws().IPGrid.Cell(0, r));
    QVERIFY(ip->columnWidth(0) >= std::min(ip->fontMetrics().horizontalAdvance(text), 320));
  }
  w.SizeControl(1)->setValue(48);
  w.OutputTabs()->setCurrentIndex(0);
  WindowFixture::Screenshot(&w, "results_tab");
}

// "Category &Acceptability" after a consistent run: its tab appears with a row per action,
// shares shaded from white to deep blue, the inferred category in bold, a category the
// ranges rule out empty; a new run hides the tab again.
void ResultsTest::acceptabilityHeatMap() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  QVERIFY(f.Choose("AcceptabilityItem"));  // before any run: refused, nothing shown
  QVERIFY(!f.ws().view.acceptability_tab_visible);
  QVERIFY(f.Choose("CalcRangeItem"));
  QVERIFY(f.Choose("AcceptabilityItem"));
  QVERIFY(f.ws().view.acceptability_tab_visible);
  QCOMPARE(w.Grid(GridId::kAccGrid)->model()->rowCount(), f.ws().ActionsCount);
  const int acme = RowOf(f.ws(), "Acme Metals");  // C2 alone
  QCOMPARE(Text(w, GridId::kAccGrid, 2, acme), QString("1.000"));
  QCOMPARE(Fill(w, GridId::kAccGrid, 2, acme), QColor(16, 64, 160));
  QVERIFY(Data(w, GridId::kAccGrid, 2, acme, Qt::FontRole).value<QFont>().bold());
  QVERIFY(Text(w, GridId::kAccGrid, 1, acme).isEmpty());
  QCOMPARE(Fill(w, GridId::kAccGrid, 1, acme), QColor(Qt::white));
  const int borealis = RowOf(f.ws(), "Borealis Parts");  // C2 or C3
  const double c3 = Text(w, GridId::kAccGrid, 3, borealis).toDouble();
  QVERIFY(c3 > 0.1 && c3 < 0.9);
  QVERIFY(!Data(w, GridId::kAccGrid, 3, borealis, Qt::FontRole).value<QFont>().bold());
  QCOMPARE(Text(w, GridId::kAccGrid, f.ws().CategoriesCount + 1, acme), QString("C2"));
  w.resize(1200, 700);
  w.show();
  WindowFixture::Screenshot(&w, "acceptability");
  QVERIFY(f.Choose("CalcRangeItem"));
  QVERIFY(!f.ws().view.acceptability_tab_visible);
}

void ResultsTest::inconsistentRunMarksTheProgramRows() {
  WindowFixture f;
  MainWindow& w = *f.window;
  f.port.open_answers = {WindowFixture::SourceFile("examples/suppliers-inconsistent.tri")};
  QVERIFY(f.Choose("OpenOth"));
  QVERIFY(f.Choose("byVariabilityItem"));
  QVERIFY(f.Choose("CalcRangeItem"));
  QCOMPARE(f.port.Warnings(), std::vector<std::string>{"Inconsistent information!"});
  w.show();
  QVERIFY(!f.ws().RangesValid);
  QVERIFY(w.Action("InconsistMenu")->isEnabled());
  QVERIFY(!w.Action("byVariabilityItem")->isEnabled());
  QVERIFY(w.Action("byInputItem")->isChecked());
  QVERIFY(w.Grid(GridId::kRGrid)->isVisible());
  QVERIFY(!w.OutputTabs()->isTabVisible(3));  // no "Indices" without ranges
  QVERIFY(w.OutputTabs()->isTabVisible(1));   // the examples' constraints
  QVERIFY(w.ReportButton()->isEnabled());

  // The violated rows of the program in red, the others in black.
  const Table& ip = f.ws().IPGrid;
  QVERIFY(!f.ws().ViolatedRows.empty());
  int red = 0;
  for (int r = 1; r < ip.RowCount(); ++r) {
    const bool violated = std::find(f.ws().ViolatedRows.begin(), f.ws().ViolatedRows.end(),
                                    r - 1) != f.ws().ViolatedRows.end();
    QCOMPARE(Ink(w, GridId::kIPGrid, 0, r) == kRed, violated);
    QCOMPARE(Ink(w, GridId::kIPGrid, 2, r) == kRed, violated);
    if (violated) {
      ++red;
      QVERIFY(*ParseReal(ip.Cell(ip.ColCount() - 1, r)) > 0);  // its positive error
    }
    // "0" is drawn empty, except as a right-hand side.
    for (int c = 1; c < ip.ColCount(); ++c) {
      if (ip.Cell(c, r) != "0") continue;
      QCOMPARE(Text(w, GridId::kIPGrid, c, r).isEmpty(), c != ip.ColCount() - 2);
    }
  }
  QCOMPARE(red, int(f.ws().ViolatedRows.size()));
  // Without ranges the inferred category is green inside the example, red outside.
  bool some_red = false;
  for (int r = 1; r <= f.ws().ActionsCount; ++r) {
    const int c = f.ws().InferredCategory[r];
    const int low = std::stoi(f.ws().AGrid.Cell(1, r));
    const int high = std::stoi(f.ws().AGrid.Cell(2, r));
    QCOMPARE(Fill(w, GridId::kRGrid, c, r), (low <= c && c <= high) ? kGreen : kRed);
    some_red = some_red || c < low || c > high;
  }
  QVERIFY(some_red);
  w.OutputTabs()->setCurrentIndex(2);
  WindowFixture::Screenshot(&w, "inconsistent_program");
}

void ResultsTest::selectingACellSolvesForThatAssignment() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  QVERIFY(f.Choose("CalcRangeItem"));
  w.resize(900, 560);
  w.show();
  GridView* rgrid = w.Grid(GridId::kRGrid);
  const int borealis = RowOf(f.ws(), "Borealis Parts");
  const int ip_rows = f.ws().IPGrid.RowCount();
  auto click = [&](GridView* view, int col, int row) {
    const QRect cell = view->visualRect(view->Model()->IndexOf(col, row));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
  };
  // C3 is reachable for Borealis Parts: row 1 holds parameters that put it there.
  click(rgrid, 3, borealis);
  std::vector<double> solution;
  for (int c = 0; c < 7; ++c) {
    const QString text = Text(w, GridId::kDGrid, c, 1);
    QVERIFY(!text.isEmpty());
    solution.push_back(*ParseReal(text.toStdString()));
    QCOMPARE(Ink(w, GridId::kDGrid, c, 1), QColor(Qt::black));
  }
  const std::vector<double> weights(solution.begin() + 1, solution.end());
  // Borealis outranks b2 (so reaches C3) but not b3, within the display's 5 digits.
  QVERIFY(Credibility(CredibilityCoefficients(f.ws(), borealis, 2), weights) >= solution[0] - 1e-4);
  QVERIFY(Credibility(CredibilityCoefficients(f.ws(), borealis, 3), weights) < solution[0]);
  QCOMPARE(f.ws().IPGrid.RowCount(), ip_rows);  // the temporary rows are gone again
  QVERIFY(rgrid->isEnabled());
  QCOMPARE(w.focusWidget(), static_cast<QWidget*>(rgrid));
  QCOMPARE(Text(w, GridId::kDGrid, 0, 2), QString("0.685"));
  // C1 is outside its range: the row is emptied, nothing is solved.
  click(rgrid, 1, borealis);
  for (int c = 0; c < 7; ++c) QVERIFY(Text(w, GridId::kDGrid, c, 1).isEmpty());
  QVERIFY(f.port.Errors().empty());

  // The same through the variability order, where Borealis Parts is the first row.
  QVERIFY(f.Choose("byVariabilityItem"));
  click(w.Grid(GridId::kORGrid), 3, 1);
  QVERIFY(!Text(w, GridId::kDGrid, 0, 1).isEmpty());
  // Stale results are not solved for.
  QVERIFY(f.Choose("InsertCons"));
  click(w.Grid(GridId::kORGrid), 2, 1);
  QVERIFY(Text(w, GridId::kDGrid, 0, 1).isEmpty());
  WindowFixture::Screenshot(&w, "results_selected");
}

// While "Suggest" searches, the window says so (with the least size of the next
// suggestion) and offers Stop; each suggestion shows as it comes. Esc stops the search and keeps
// the window and what was found, without a box; closing the window while it searches stops it, and
// the window goes once it has.
void ResultsTest::suggestShowsItsSearchAndStops() {
  WindowFixture f;
  MainWindow& w = *f.window;
  f.port.open_answers = {WindowFixture::SourceFile("examples/suppliers-inconsistent.tri")};
  QVERIFY(f.Choose("OpenOth"));
  QVERIFY(f.Choose("CalcRangeItem"));
  w.show();
  InconsistencyWindow& ia = *w.IAForm();
  const auto shown_by_window = ia.Form().repaint;
  bool searching_seen = false;
  bool progress_shown = false;
  int rows_when_stopped = -1;
  bool visible_after_esc = false;
  bool closing = false;
  ia.Form().repaint = [&](const IAForm& form) {
    shown_by_window(form);
    if (!form.searching) return;
    searching_seen = searching_seen || (ia.SearchingLabel()->isVisible() &&
                                        ia.BStop()->isEnabled() && !ia.BSuggest()->isEnabled());
    if (!form.progress.empty()) {
      progress_shown =
          progress_shown || ia.SearchingLabel()->text() == QString::fromStdString(form.progress);
    }
    if (form.suggested_sets.size() == 1 && rows_when_stopped < 0) {
      rows_when_stopped = ia.StringGrid1()->model()->rowCount();
      if (closing) {
        ia.close();
      } else {
        QTest::keyClick(&ia, Qt::Key_Escape);
      }
    }
  };
  f.on_modal = [&](QDialog& dialog) {
    if (&dialog != &ia) return int(QDialog::Rejected);
    dialog.show();
    QTest::mouseClick(ia.BSuggest(), Qt::LeftButton);
    visible_after_esc = dialog.isVisible();
    // Now close it in the middle of a second search.
    closing = true;
    rows_when_stopped = -1;
    QTest::mouseClick(ia.BSuggest(), Qt::LeftButton);
    return int(QDialog::Rejected);
  };
  QVERIFY(f.Choose("InconsistMenu"));
  QVERIFY(searching_seen);
  QVERIFY(progress_shown);
  QVERIFY(visible_after_esc);
  QCOMPARE(rows_when_stopped, 1);  // the first suggestion was on screen when it stopped
  QCOMPARE(ia.StringGrid1()->model()->rowCount(), 1);
  QVERIFY(!ia.isVisible());
  QVERIFY(!ia.Form().searching);
  QVERIFY(!ia.BStop()->isEnabled());
  QVERIFY(f.port.Errors().empty());
  QVERIFY(f.port.engine_messages.empty());
  ia.Form().repaint = shown_by_window;
}

void ResultsTest::inconsistencyWindowSuggestsAndAccepts() {
  WindowFixture f;
  MainWindow& w = *f.window;
  f.port.open_answers = {WindowFixture::SourceFile("examples/suppliers-inconsistent.tri")};
  QVERIFY(f.Choose("OpenOth"));
  QVERIFY(f.Choose("CalcRangeItem"));
  QCOMPARE(f.port.Warnings(), std::vector<std::string>{"Inconsistent information!"});
  w.move(40, 60);
  w.show();
  InconsistencyWindow& ia = *w.IAForm();
  // The windows exist from the start, created in this order.
  const QList<QDialog*> dialogs = w.findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly);
  QVERIFY(dialogs.size() >= 3);
  QCOMPARE(dialogs[0], static_cast<QDialog*>(w.NewForm()));
  QCOMPARE(dialogs[1], static_cast<QDialog*>(&ia));
  QCOMPARE(dialogs[2], static_cast<QDialog*>(w.VolumeForm()));
  const QList<QWidget*> windows = w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  auto* trace = w.findChild<QWidget*>("fernform");
  QVERIFY(trace != nullptr && !trace->isVisible());
  QCOMPARE(trace->windowTitle(), QString("Color=0"));
  QVERIFY(windows.indexOf(trace) > windows.indexOf(w.VolumeForm()));
  QCOMPARE(ia.windowTitle(), QString("Inconsistency analysis"));
  QCOMPARE(ia.UpDownMaxS()->minimum(), 3);
  QCOMPARE(ia.UpDownMaxS()->maximum(), 30);
  QCOMPARE(ia.UpDownMaxS()->value(), 5);
  QCOMPARE(ia.BSuggest()->text(), QString("Suggest"));
  QCOMPARE(ia.BHelp()->text(), QString("Help"));

  // Both tables are models over the core's tables; they stay valid through the resets
  // of every opening and every "Suggest".
  QAbstractItemModelTester igrid_tester(ia.IGrid()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
  QAbstractItemModelTester suggestions_tester(
      ia.StringGrid1()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QRect placed;
  bool hidden_before_suggest = false;
  QStringList suggestions;
  QStringList tips;
  f.on_modal = [&](QDialog& dialog) {
    if (&dialog != &ia) return int(QDialog::Rejected);
    dialog.show();
    placed = dialog.geometry();
    hidden_before_suggest = !ia.StringGrid1()->isVisible();
    QTest::mouseClick(ia.BSuggest(), Qt::LeftButton);
    QAbstractItemModel* model = ia.StringGrid1()->model();
    for (int r = 0; r < model->rowCount(); ++r) {
      suggestions << model->index(r, 2).data().toString();
      tips << model->index(r, 2).data(Qt::ToolTipRole).toString();
    }
    WindowFixture::Screenshot(&dialog, "inconsistency_window");
    dialog.reject();
    return int(QDialog::Rejected);
  };
  QVERIFY(f.Choose("InconsistMenu"));
  const QRect main = w.geometry();
  QCOMPARE(placed, QRect(main.left(), main.top() + 27, main.width(), main.height() - 27));
  QVERIFY(hidden_before_suggest);
  QVERIFY(ia.StringGrid1()->isVisibleTo(&ia));
  QCOMPARE(ia.StringGrid1()->model()->columnCount(), 3);
  QCOMPARE(ia.StringGrid1()->columnWidth(2), 150);
  QCOMPARE(ia.StringGrid1()->model()->headerData(2, Qt::Horizontal).toString(),
           QString(" Constraints to remove"));
  // Each suggestion names constraints, and no set is proposed twice.
  QVERIFY(!suggestions.isEmpty());
  // Its tooltip says what each number stands for.
  QVERIFY(tips.at(0).startsWith(suggestions.at(0).split(" + ").at(0) + ": "));
  QVERIFY(suggestions.size() <= 5);
  QCOMPARE(QSet<QString>(suggestions.begin(), suggestions.end()).size(), suggestions.size());
  for (const QString& s : suggestions) QVERIFY(!s.isEmpty());
  // IGrid as the run built it: zeros blank except the right-hand side, the
  // descriptions twice as wide.
  const Table& ig = f.ws().IGrid;
  QAbstractItemModel* igrid = ia.IGrid()->model();
  QCOMPARE(igrid->rowCount(), ig.RowCount() - 1);
  QCOMPARE(ia.IGrid()->columnWidth(1), 2 * ia.IGrid()->horizontalHeader()->defaultSectionSize());
  for (int r = 1; r < ig.RowCount(); ++r) {
    for (int c = 2; c < ig.ColCount(); ++c) {
      const QString shown = igrid->index(r - 1, c).data().toString();
      if (ig.Cell(c, r) == "0") {
        QCOMPARE(shown.isEmpty(), c != ig.ColCount() - 1);
      } else {
        QCOMPARE(shown.toStdString(), ig.Cell(c, r));
      }
    }
  }
  // No suggestion that keeps every constraint: nothing to accept.
  if (!suggestions.contains("No need to drop restrictions")) {
    QVERIFY(f.port.confirmations.empty());
  }

  // On consistent data the first suggestion keeps every constraint; closing the window
  // offers its parameters, and accepting re-runs the results under them.
  WindowFixture g;
  MainWindow& v = *g.window;
  QVERIFY(g.OpenExample());
  QVERIFY(g.Choose("CalcRangeItem"));
  v.show();
  QStringList kept;
  g.on_modal = [&](QDialog& dialog) {
    if (&dialog != v.IAForm()) return int(QDialog::Rejected);
    QTest::mouseClick(v.IAForm()->BSuggest(), Qt::LeftButton);
    QAbstractItemModel* model = v.IAForm()->StringGrid1()->model();
    for (int r = 0; r < model->rowCount(); ++r) kept << model->index(r, 2).data().toString();
    return int(QDialog::Rejected);
  };
  g.port.confirm_answers = {true};
  v.InconsistencyClick();
  v.Refresh();
  QCOMPARE(kept, QStringList({"No need to drop restrictions"}));
  QCOMPARE(g.port.confirmations, std::vector<std::string>{"A new solution was found: accept it?"});
  const std::vector<double>& accepted = v.IAForm()->Form().kept_solution;
  QCOMPARE(int(accepted.size()), 7);
  QCOMPARE(g.ws().InferredSolution, accepted);
  QCOMPARE(Text(v, GridId::kDGrid, 1, 2).toStdString(), FormatGeneral(accepted[1]));
  QVERIFY(g.ws().RangesValid);
  QVERIFY(g.ws().ResultsAvailable);
  QVERIFY(!g.ws().UseAcceptedSolution);
  // Every action's inferred category lies in its range under the accepted vector.
  for (int a = 1; a <= g.ws().ActionsCount; ++a) {
    QVERIFY(g.ws().WorstCategory[a] <= g.ws().InferredCategory[a]);
    QVERIFY(g.ws().InferredCategory[a] <= g.ws().BestCategory[a]);
  }

  // "Help" opens its page.
  QTest::mouseClick(ia.BHelp(), Qt::LeftButton);
  QVERIFY(!f.port.help_pages.empty());
  QVERIFY(QString::fromStdString(f.port.help_pages.back()).endsWith("inconsistency.htm"));
}

void ResultsTest::volumeWindowRunsTheSimulation() {
  WindowFixture f;
  MainWindow& w = *f.window;
  VolumeWindow& vw = *w.VolumeForm();
  QCOMPARE(vw.windowTitle(), QString("VIDO - Volume Computation"));
  QCOMPARE(vw.PrecisEdit()->value(), 3);
  QCOMPARE(vw.PrecisEdit()->minimum(), 2);
  QCOMPARE(vw.PrecisEdit()->maximum(), 5);
  QCOMPARE(vw.ProgressBar1()->maximum(), 5000000);
  QCOMPARE(vw.StartButton()->text(), QString("&Start simulation"));
  QCOMPARE(vw.OKButton()->text(), QString("&Exit"));

  // Two criteria, no example, the weights' normalisation only: k2 is eliminated and the
  // bounds lambda in [0.5, 1], k1 in [0, 1] leave a box of volume 0.5 that every point
  // passes.
  MakeSmallProblem(f.ws(), 2, 3, 2);
  f.ws().BGrid.SetCell(1, 1, "0.5");
  f.ws().BGrid.SetCell(1, 2, "1");
  for (int c = 2; c <= 3; ++c) {
    f.ws().BGrid.SetCell(c, 1, "0");
    f.ws().BGrid.SetCell(c, 2, "1");
  }
  w.Refresh();
  w.show();
  int repaints = 0;
  int shown_position = -1;
  bool start_disabled_meanwhile = false;
  std::vector<int> positions;
  f.on_modal = [&](QDialog& dialog) {
    auto* form = qobject_cast<VolumeWindow*>(&dialog);
    if (form == nullptr) return int(QDialog::Rejected);
    dialog.show();
    shown_position = form->ProgressBar1()->value();
    const auto paint = form->Form().repaint;
    form->Form().repaint = [&, paint, form](const VolumeForm& state) {
      paint(state);
      ++repaints;
      positions.push_back(form->ProgressBar1()->value());
      start_disabled_meanwhile = start_disabled_meanwhile || !form->StartButton()->isEnabled();
    };
    QTest::mouseClick(form->StartButton(), Qt::LeftButton);
    form->Form().repaint = paint;
    WindowFixture::Screenshot(form, "volume_window");
    QTest::mouseClick(form->OKButton(), Qt::LeftButton);
    return form->result();
  };
  QVERIFY(f.Choose("VolumeItem"));
  QCOMPARE(f.modal_titles, QStringList({"VIDO - Volume Computation"}));
  QVERIFY(f.port.Errors().empty());
  QCOMPARE(shown_position, 0);
  QCOMPARE(vw.DimLabel()->text(), QString("2"));
  QCOMPARE(vw.AbsLabel()->text(), QString("0.5"));
  QCOMPARE(vw.RelLabel()->text(), QString("1"));
  QCOMPARE(vw.ProgressBar1()->value(), 5000000);
  QVERIFY(vw.StartButton()->isEnabled());
  QVERIFY(start_disabled_meanwhile);
  // The dimension, two checkpoints (converged at the second) and the end.
  QVERIFY(repaints >= 3);
  QVERIFY(std::find(positions.begin(), positions.end(), 200000) != positions.end());
  QVERIFY(std::find(positions.begin(), positions.end(), 400000) != positions.end());
  QVERIFY(!vw.isVisible());

  // "&Exit" while a simulation runs stops it at its next checkpoint and then closes.
  f.on_modal = [&](QDialog& dialog) {
    auto* form = qobject_cast<VolumeWindow*>(&dialog);
    if (form == nullptr) return int(QDialog::Rejected);
    dialog.show();
    form->PrecisEdit()->setValue(5);
    const auto paint = form->Form().repaint;
    bool asked = false;
    form->Form().repaint = [&, paint, form](const VolumeForm& state) {
      paint(state);
      if (!asked && state.samples > 0) {
        asked = true;
        form->reject();
        QVERIFY(form->isVisible());  // not before the run has ended
      }
    };
    form->StartButtonClicked();
    form->Form().repaint = paint;
    return form->result();
  };
  f.ws().BGrid.SetCell(1, 1, "0.6");
  QVERIFY(f.Choose("VolumeItem"));
  QVERIFY(vw.Form().cancelled);
  QVERIFY(vw.Form().samples < 5000000);
  QVERIFY(!vw.isVisible());
}

void ResultsTest::printingGoesThroughThePrintDialog() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  QVERIFY(f.Choose("CalcRangeItem"));
  w.show();
  const QString pdf = QDir::currentPath() + "/print_form.pdf";
  QFile::remove(pdf);
  f.on_modal = [&](QDialog& dialog) {
    auto* print = qobject_cast<QPrintDialog*>(&dialog);
    if (print == nullptr) return int(QDialog::Rejected);
    print->printer()->setOutputFormat(QPrinter::PdfFormat);
    print->printer()->setOutputFileName(pdf);
    return int(QDialog::Accepted);
  };
  QVERIFY(f.Choose("PrintForm"));
  QFile file(pdf);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  QVERIFY(bytes.startsWith("%PDF"));
  QVERIFY(bytes.size() > 2000);  // an image of the window, not an empty page
  file.close();

  // Cancelled, nothing is printed.
  QFile::remove(pdf);
  f.on_modal = [](QDialog&) { return int(QDialog::Rejected); };
  QVERIFY(f.Choose("PrintForm"));
  QVERIFY(!QFile::exists(pdf));
  // "P&rint Setup..." shows the printer set-up dialog.
  f.modal_titles.clear();
  QVERIFY(f.Choose("PrintSetup"));
  QCOMPARE(f.modal_titles.size(), 1);
}

void ResultsTest::importATableThenExportItsResults() {
  WindowFixture f;
  const std::string table = f.SourceFile("examples/sites.csv");
  // A number of categories outside 2..20 is asked again; cancel leaves nothing imported.
  f.port.open_answers = {table};
  f.port.query_answers = {std::string("21"), std::nullopt};
  QVERIFY(f.Choose("ImportTable"));
  QVERIFY(!f.ws().HasProblem());
  QCOMPARE(f.port.queries.size(), size_t{2});
  QCOMPARE(f.port.open_requests.back().filter, std::string(kTableImportFilter));

  f.port.open_answers = {table};
  f.port.query_answers = {std::string("3"), std::string("nope"),
                          std::string("rent, distance to port, flood risk")};
  QVERIFY(f.Choose("ImportTable"));
  QCOMPARE(f.port.Errors(), std::vector<std::string>{"no criterion is named 'nope'"});
  QCOMPARE(f.ws().CriteriaCount, 5);
  QCOMPARE(f.ws().CategoriesCount, 3);
  QCOMPARE(f.ws().ActionsCount, 24);
  QCOMPARE(f.window->windowTitle(), QString("* VIDO 2.0"));  // imported, not saved yet
  QVERIFY(f.ws().DataModified);
  QCOMPARE(Text(*f.window, GridId::kAGrid, 0, 4), QString("Dock 7; North Quay"));

  // Both exports wait for current results, as "&Report" does.
  QVERIFY(!f.Choose("ExportResultsCsv"));
  QVERIFY(!f.Choose("SaveChart"));
  QVERIFY(f.Choose("CalcRangeItem"));
  QVERIFY(f.ws().RangesValid);
  f.port.save_answers = {std::string("sites-results.csv"), std::string("sites-chart.svg")};
  QVERIFY(f.Choose("ExportResultsCsv"));
  QVERIFY(f.Choose("SaveChart"));
  // The exports start from the table's name, as a save of the problem does.
  QCOMPARE(f.port.save_requests[0].file_name, table.substr(0, table.size() - 4));
  QCOMPARE(f.port.save_requests[0].default_extension, std::string("csv"));
  QCOMPARE(f.port.save_requests[1].default_extension, std::string("svg"));
  QFile csv("sites-results.csv");
  QVERIFY(csv.open(QIODevice::ReadOnly));
  const QByteArray rows = csv.readAll();
  QVERIFY(rows.startsWith("record,name,elow,ehigh,worst,inferred,best,holes,value\r\n"));
  QVERIFY(rows.contains("\r\naction,Dock 7; North Quay,1,3,"));
  QVERIFY(rows.contains("\r\naction,\"Quayside \"\"Old Mill\"\"\",1,3,"));
  QFile svg("sites-chart.svg");
  QVERIFY(svg.open(QIODevice::ReadOnly));
  const QByteArray picture = svg.readAll();
  QVERIFY(picture.contains("<svg"));
  QCOMPARE(picture.count("class=\"action\""), qsizetype{24});
  QCOMPARE(f.port.Errors().size(), size_t{1});
}

}  // namespace vido::testing
