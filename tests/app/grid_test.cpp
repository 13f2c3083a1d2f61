#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include "app/app_fixture.h"
#include "app/app_tests.h"

namespace vido::testing {

namespace {

// Makes cell (col, row) of a table current; the editor then opens on it.
QLineEdit* EditCell(GridView* view, int col, int row) {
  const QModelIndex index = view->Model()->IndexOf(col, row);
  view->setFocus();
  view->setCurrentIndex(index);
  return qobject_cast<QLineEdit*>(view->indexWidget(index));
}

QPoint CellCentre(GridView* view, int col, int row) {
  return view->visualRect(view->Model()->IndexOf(col, row)).center();
}

QColor Background(GridView* view, int col, int row) {
  return view->Model()->IndexOf(col, row).data(Qt::BackgroundRole).value<QBrush>().color();
}

}  // namespace

void GridTest::modelsPassTheTester() {
  WindowFixture f;
  MainWindow& w = *f.window;
  std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
  for (int g = 0; g < kGridCount; ++g) {
    testers.push_back(std::make_unique<QAbstractItemModelTester>(
        w.Grid(static_cast<GridId>(g))->model(),
        QAbstractItemModelTester::FailureReportingMode::QtTest));
  }
  QVERIFY(f.OpenExample());
  // Output tables with something in them, as an analysis leaves them.
  Workspace& ws = f.ws();
  ws.RGrid.SetSize(ws.CategoriesCount + 1, ws.ActionsCount + 1);
  ws.DGrid.SetSize(ws.CriteriaCount + 1, 3);
  ws.IPGrid.SetSize(ws.CriteriaCount + 6, 4);
  w.Refresh();
  QVERIFY(f.Choose("InsertCrit"));
  f.port.query_answers = {std::string("3")};
  QVERIFY(f.Choose("DeleteAct"));
  QVERIFY(f.Choose("InsertCons"));
  QCOMPARE(w.Grid(GridId::kCGrid)->model()->rowCount(), ws.ConstraintsCount);
  QCOMPARE(w.Grid(GridId::kAGrid)->model()->rowCount(), ws.ActionsCount);
  QCOMPARE(w.Grid(GridId::kAGrid)->model()->columnCount(), 3 + ws.CriteriaCount);
  // Typing into a cell goes through setData.
  w.InputTabs()->setCurrentIndex(2);
  w.show();
  QLineEdit* editor = EditCell(w.Grid(GridId::kBGrid), 2, 2);
  QVERIFY(editor != nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "0.3");
  QCOMPARE(ws.BGrid.Cell(2, 2), std::string("0.3"));
}

void GridTest::rejectedKeyMakesResultsStale() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  Workspace& ws = f.ws();
  // As a finished analysis leaves the window.
  ws.ResultsAvailable = true;
  ws.view.report_enabled = true;
  ws.view.output_stale = false;
  ws.view.output_tabs_visible = true;
  ws.DataModified = false;
  w.Refresh();
  w.show();
  QVERIFY(w.ReportButton()->isEnabled());
  emit w.Menu("FileMenu")->aboutToShow();
  QVERIFY(w.Action("SaveRes")->isEnabled());
  QCOMPARE(w.OutputTabs()->tabBar()->tabTextColor(0), QColor(Qt::black));

  const std::string before = ws.AGrid.Cell(3, 1);
  QLineEdit* editor = EditCell(w.Grid(GridId::kAGrid), 3, 1);
  QVERIFY(editor != nullptr);
  QTest::keyClick(editor, 'x');
  QCOMPARE(ws.AGrid.Cell(3, 1), before);
  QCOMPARE(editor->text().toStdString(), before);
  QVERIFY(!ws.ResultsAvailable);
  QVERIFY(ws.DataModified);
  QVERIFY(!w.ReportButton()->isEnabled());
  emit w.Menu("FileMenu")->aboutToShow();
  QVERIFY(!w.Action("SaveRes")->isEnabled());
  for (int t = 0; t < 4; ++t) QCOMPARE(w.OutputTabs()->tabBar()->tabTextColor(t), QColor(Qt::red));
  WindowFixture::Screenshot(&w, "main_window_stale_results");
}

void GridTest::directionRowKeys() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  w.InputTabs()->setCurrentIndex(1);
  w.show();
  const int direction = 5 * (f.ws().CategoriesCount - 1) + 1;
  QLineEdit* editor = EditCell(w.Grid(GridId::kFGrid), 2, direction);
  QVERIFY(editor != nullptr);
  QCOMPARE(editor->text(), QString("1"));
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Backspace);
  QTest::keyClicks(editor, "2.-x1a0");
  QCOMPARE(editor->text(), QString("-1"));
  QCOMPARE(f.ws().FGrid.Cell(2, direction), std::string("-1"));
  // Other rows take decimal numbers.
  editor = EditCell(w.Grid(GridId::kFGrid), 2, direction - 1);
  QVERIFY(editor != nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, "2.5x");
  QCOMPARE(f.ws().FGrid.Cell(2, direction - 1), std::string("2.5"));
}

void GridTest::normRowCannotBeSelected() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  w.InputTabs()->setCurrentIndex(3);
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  GridView* c = w.Grid(GridId::kCGrid);
  QCOMPARE(f.ws().CGrid.Cell(0, 1), std::string("Norm"));
  QVERIFY(EditCell(c, 1, 2) != nullptr);
  QTest::mouseClick(c->viewport(), Qt::LeftButton, {}, CellCentre(c, 2, 1));
  QCOMPARE(c->currentIndex(), c->Model()->IndexOf(1, 2));
  QTest::keyClick(c, Qt::Key_Up);
  QCOMPARE(c->currentIndex(), c->Model()->IndexOf(1, 2));
  QCOMPARE(f.ws().CGrid.CurrentRow(), 2);
  // Its cells are yellow, its zeros drawn empty, and it takes no key.
  QCOMPARE(Background(c, 2, 1), QColor(255, 255, 0));
  QCOMPARE(c->Model()->IndexOf(1, 1).data(Qt::DisplayRole).toString(), QString());
  QCOMPARE(c->Model()->flags(c->Model()->IndexOf(2, 1)), Qt::NoItemFlags);
  // In the sign column "<=" and ">=" can be typed, letters cannot.
  const int sign = f.ws().CriteriaCount + 2;
  QLineEdit* editor = EditCell(c, sign, 2);
  QVERIFY(editor != nullptr);
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Backspace);
  QTest::keyClicks(editor, "a<x=");
  QCOMPARE(f.ws().CGrid.Cell(sign, 2), std::string("<="));
}

void GridTest::elowDialogRefusesInvalidCategory() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  Workspace& ws = f.ws();
  ws.AGrid.SetCell(1, 2, "1");
  ws.AGrid.SetCell(2, 2, "2");
  w.Refresh();
  GridView* a = w.Grid(GridId::kAGrid);
  f.port.query_answers = {std::string("x"), std::string("3")};
  QTest::mouseClick(a->viewport(), Qt::LeftButton, {}, CellCentre(a, 1, 2));
  QCOMPARE(f.port.queries, std::vector<std::string>({"Lower category", "Lower category"}));
  QCOMPARE(f.port.Errors(), std::vector<std::string>{"Invalid category"});
  QCOMPARE(ws.AGrid.Cell(1, 2), std::string("1"));
  // The press made the first criterion column of that row current.
  QCOMPARE(a->currentIndex(), a->Model()->IndexOf(3, 2));

  f.port.query_answers = {std::string("2")};
  QTest::mouseClick(a->viewport(), Qt::LeftButton, {}, CellCentre(a, 1, 2));
  QCOMPARE(ws.AGrid.Cell(1, 2), std::string("2"));
  QCOMPARE(Background(a, 1, 2), QColor(255, 255, 0));
  QCOMPARE(Background(a, 0, 2), QColor(0, 255, 255));
  QVERIFY(!ws.DataModified);
}

void GridTest::criterionNameFromTheHeader() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QHeaderView* header = w.Grid(GridId::kAGrid)->horizontalHeader();
  f.port.query_answers = {std::string("unit cost")};
  const QPoint pos(header->sectionViewportPosition(3) + 5, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, pos);
  QCOMPARE(f.port.queries, std::vector<std::string>{"New name for this criterion"});
  QCOMPARE(f.ws().AGrid.Cell(3, 0), std::string("unit cost"));
  QCOMPARE(f.ws().FGrid.Cell(1, 0), std::string("unit cost"));
  QCOMPARE(w.Grid(GridId::kFGrid)->model()->headerData(1, Qt::Horizontal).toString(),
           QString("unit cost"));
}

void GridTest::thresholdSwitches() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  GridView* fg = w.Grid(GridId::kFGrid);
  auto hidden = [&](int table_row) { return fg->isRowHidden(table_row - 1); };
  QVERIFY(w.UsevjButton()->isChecked());
  QVERIFY(!w.UseujButton()->isChecked());
  QVERIFY(hidden(4) && !hidden(5) && !hidden(3));  // u1 hidden, v1 shown
  w.UsevjButton()->click();
  QVERIFY(hidden(4) && hidden(5) && hidden(9) && hidden(10));
  QVERIFY(!w.UseujButton()->isEnabled());
  QVERIFY(!f.ws().UsevjButton);
  w.UsevjButton()->click();
  QVERIFY(w.UseujButton()->isEnabled());
  w.UseujButton()->click();
  QVERIFY(f.ws().UseujButton);
  QVERIFY(!hidden(4) && !hidden(5));
  // Hidden rows keep their values.
  QCOMPARE(f.ws().FGrid.Cell(1, 4), std::string("15"));
}

void GridTest::colours() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  GridView* fg = w.Grid(GridId::kFGrid);
  QCOMPARE(Background(fg, 1, 1), QColor(0, 255, 0));
  QCOMPARE(Background(fg, 1, 16), QColor(0, 255, 0));
  QCOMPARE(Background(fg, 1, 2), QColor(Qt::white));
  // Criterion 4 has p = 1 and u = 0: its u text is drawn white.
  const QModelIndex u = fg->Model()->IndexOf(4, 4);
  QCOMPARE(u.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::white));
  GridView* a = w.Grid(GridId::kAGrid);
  QCOMPARE(Background(a, 0, 1), QColor(0, 255, 255));  // "Acme Metals": [2, 2]
  QCOMPARE(Background(a, 1, 1), QColor(255, 255, 0));
  QCOMPARE(Background(a, 2, 1), QColor(255, 255, 0));
  QCOMPARE(Background(a, 3, 1), QColor(Qt::white));
  QVERIFY(Background(a, 0, 2) != QColor(0, 255, 255));  // "Borealis Parts": no example
}

void GridTest::wideCellsShowToolTips() {
  WindowFixture f;
  MainWindow& w = *f.window;
  QVERIFY(f.OpenExample());
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  GridView* a = w.Grid(GridId::kAGrid);
  // The names' column fits the names up to 320 pixels: a longer one is cut and shows
  // whole in its tooltip; "1" in a 48-pixel column does not need one.
  const std::string long_name(80, 'W');
  f.ws().AGrid.SetCell(0, 2, long_name);
  w.Refresh();
  QCOMPARE(a->columnWidth(0), 320);
  const QPoint name = CellCentre(a, 0, 2);
  QHelpEvent wide(QEvent::ToolTip, name, a->viewport()->mapToGlobal(name));
  QApplication::sendEvent(a->viewport(), &wide);
  QCOMPARE(QToolTip::text(), QString::fromStdString(long_name));
  const QPoint low = CellCentre(a, 1, 2);
  QHelpEvent narrow(QEvent::ToolTip, low, a->viewport()->mapToGlobal(low));
  QApplication::sendEvent(a->viewport(), &narrow);
  QTRY_VERIFY(!QToolTip::isVisible());
  // An ordinary name fits its column: no tooltip.
  f.ws().AGrid.SetCell(0, 2, "Borealis Parts");
  w.Refresh();
  QVERIFY(a->columnWidth(0) < 320);
  QApplication::sendEvent(a->viewport(), &wide);
  QTRY_VERIFY(!QToolTip::isVisible());
}

}  // namespace vido::testing
