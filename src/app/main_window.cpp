#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <clocale>

#include "analysis/inference_solve.h"
#include "analysis/pending_analyses.h"
#include "lp/solver_interface.h"
#include "model/agrid_dialogs.h"
#include "model/problem_file.h"
#include "model/window_rules.h"

namespace vido {

// The port the commands get: the given one, with the window's progress panel and the
// cancel request (Esc) added.
class MainWindow::WindowPort : public UserPort {
 public:
  WindowPort(UserPort& inner, MainWindow& window) : inner_(inner), window_(window) {}

  void RequestCancel() { cancel_ = true; }

  void ShowMessage(MessageKind kind, const std::string& text) override {
    inner_.ShowMessage(kind, text);
  }
  bool Confirm(const std::string& text) override { return inner_.Confirm(text); }
  bool EngineMessage(const std::string& text) override { return inner_.EngineMessage(text); }
  std::optional<std::string> QueryText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override {
    return inner_.QueryText(title, prompt, initial);
  }
  std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) override {
    return inner_.AskOpenFileName(request);
  }
  std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) override {
    return inner_.AskSaveFileName(request);
  }
  void SetBusy(bool busy) override {
    if (busy) cancel_ = false;
    // While a command works, the events the pump lets through must not change the
    // tables under it: only Esc (cancel) and repainting get through.
    depth_ += busy ? 1 : -1;
    if (depth_ < 0) depth_ = 0;
    window_.BlockInput(depth_ > 0);
    inner_.SetBusy(busy);
  }
  void ShowProgress(int maximum) override {
    window_.ShowCalcPanel(maximum);
    inner_.ShowProgress(maximum);
  }
  void SetProgress(int position) override {
    window_.SetCalcPosition(position);
    inner_.SetProgress(position);
  }
  void HideProgress() override {
    window_.HideCalcPanel();
    inner_.HideProgress();
  }
  bool PumpEvents() override {
    const bool cancel = inner_.PumpEvents();
    return cancel || cancel_;
  }
  bool OpenHelpPage(const std::string& path) override { return inner_.OpenHelpPage(path); }

 private:
  UserPort& inner_;
  MainWindow& window_;
  bool cancel_ = false;
  int depth_ = 0;
};

namespace {

// A number field with an up/down control whose text cannot be typed into.
class CellSizeBox : public QSpinBox {
 public:
  CellSizeBox(const CellSizeControl& control, const char* hint, QWidget* parent)
      : QSpinBox(parent) {
    setRange(control.minimum, control.maximum);
    setSingleStep(control.step);
    setValue(control.value);
    setWrapping(false);
    lineEdit()->setReadOnly(true);
    setToolTip(hint);
    setStatusTip(hint);
  }
};

}  // namespace

MainWindow::MainWindow(UserPort& port, std::string help_folder, QWidget* parent)
    : QMainWindow(parent),
      port_(std::make_unique<WindowPort>(port, *this)),
      help_folder_(std::move(help_folder)) {
  // Cells hold numbers with "." whatever the desktop's locale says.
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
  exec_modal = [](QDialog& dialog) { return dialog.exec(); };
  setObjectName("MainForm");
  BuildToolBar();
  BuildTables();
  BuildMenus();
  BuildPopupMenus();
  // Hints of menus, buttons and controls appear in the status line.
  statusBar()->setObjectName("StatusLine");
  statusBar()->setSizeGripEnabled(false);
  // The dialogs live as long as the window, created in this order.
  new_form_ = new NewFileForm(*port_, this);
  ia_window_ = new InconsistencyWindow(ws_, *port_, InconsistencyForm(), help_folder_, this);
  ia_window_->request_cancel = [this] { port_->RequestCancel(); };
  InconsistencyForm().show_modal = [this](vido::IAForm&) {
    ia_window_->PlaceOver(*this);
    ia_window_->Activate();
    exec_modal(*ia_window_);
  };
  volume_window_ = new VolumeWindow(ws_, *port_, this);
  volume_window_->request_cancel = [this] { port_->RequestCancel(); };
  // The solver's trace window: its sink discards everything, so it is never shown.
  auto* trace = new QWidget(this, Qt::Window);
  trace->setObjectName("fernform");
  trace->setWindowTitle("Color=0");
  QPalette white = trace->palette();
  white.setColor(QPalette::WindowText, Qt::white);
  white.setColor(QPalette::Text, Qt::white);
  trace->setPalette(white);
  trace->hide();
  RestoreWindowState();
  ApplyCellSizes();
  Refresh();
  // The engine shows its messages, and lets events through, by the window's port.
  SolverSetUserPort(port_.get());
}

MainWindow::~MainWindow() {
  SolverSetUserPort(nullptr);
  InconsistencyForm().show_modal = nullptr;
  // The widgets use the workspace and the port, which are members: they go first.
  const auto children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  for (QWidget* child : children) delete child;
}

UserPort& MainWindow::Port() { return *port_; }

void MainWindow::BuildToolBar() {
  auto* bar = addToolBar("SpeedBar");
  bar->setObjectName("SpeedBar");
  bar->setMovable(false);
  struct Button {
    const char* name;
    const char* hint;
    QStyle::StandardPixmap icon;
    std::function<void()> command;
  };
  const Button buttons[] = {
      {"SpeedButtonNew", "New file", QStyle::SP_FileIcon, [this] { NewClick(); }},
      {"SpeedButtonOpen", "Open existing file", QStyle::SP_DialogOpenButton,
       [this] { OpenClick(); }},
      {"SpeedButtonSave", "Save all input data", QStyle::SP_DialogSaveButton,
       [this] { SaveDataClick(true); }},
      {"SpeedButtonReport", "Save on file a results report", QStyle::SP_FileDialogDetailedView,
       [this] { ReportClick(); }},
  };
  for (const Button& b : buttons) {
    auto* button = new QToolButton(bar);
    button->setObjectName(b.name);
    button->setIcon(style()->standardIcon(b.icon));
    button->setToolTip(b.hint);
    button->setStatusTip(b.hint);
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, [this, command = b.command] { Run(command); });
    bar->addWidget(button);
    report_button_ = button;
  }
  bar->addSeparator();

  speed_stack_ = new QStackedWidget(bar);
  auto* cells = new QWidget(speed_stack_);
  auto* cells_layout = new QHBoxLayout(cells);
  cells_layout->setContentsMargins(4, 0, 4, 0);
  cells_layout->addWidget(new QLabel("CELLS:", cells));
  const struct {
    const char* caption;
    const char* name;
    const char* hint;
    CellSizeControl* control;
  } controls[] = {
      {"Heigth", "HeightEdit", "Height of the grid cells", &sizes_.height},
      {"Width", "WidthEdit", "Width of the grid cells", &sizes_.width},
      {"Font size", "SizeEdit", "Cell font size", &sizes_.font},
  };
  for (int i = 0; i < 3; ++i) {
    cells_layout->addWidget(new QLabel(controls[i].caption, cells));
    auto* box = new CellSizeBox(*controls[i].control, controls[i].hint, cells);
    box->setObjectName(controls[i].name);
    CellSizeControl* control = controls[i].control;
    connect(box, &QSpinBox::valueChanged, this, [this, control](int value) {
      control->Set(value);
      ApplyCellSizes();
    });
    cells_layout->addWidget(box);
    size_boxes_[i] = box;
  }
  speed_stack_->addWidget(cells);

  calc_panel_ = new QWidget(speed_stack_);
  calc_panel_->setObjectName("CalcPanel");
  auto* calc_layout = new QHBoxLayout(calc_panel_);
  calc_layout->setContentsMargins(4, 0, 4, 0);
  calc_layout->addWidget(new QLabel("Calculating. Please wait...", calc_panel_));
  calc_progress_ = new QProgressBar(calc_panel_);
  calc_progress_->setObjectName("CalcProgressBar");
  calc_progress_->setRange(0, 100);
  calc_layout->addWidget(calc_progress_);
  calc_panel_->setToolTip("Esc stops the computation");
  speed_stack_->addWidget(calc_panel_);
  bar->addWidget(speed_stack_);
}

void MainWindow::BuildTables() {
  for (int g = 0; g < kGridCount; ++g) {
    grids_[g] = new GridView(ws_, static_cast<GridId>(g), this);
  }
  const char* names[] = {"AGrid",  "FGrid", "BGrid",  "CGrid",  "RGrid",
                         "ORGrid", "DGrid", "ICGrid", "IPGrid", "AccGrid"};
  for (int g = 0; g < kGridCount; ++g) {
    grids_[g]->setObjectName(names[g]);
    GridView* view = grids_[g];
    connect(static_cast<GridDelegate*>(view->itemDelegate()), &GridDelegate::KeyTyped, this,
            &MainWindow::RefreshChrome);
    connect(view->Model(), &TableModel::InputEdited, this, &MainWindow::RefreshChrome);
  }
  GridView* agrid = Grid(GridId::kAGrid);
  agrid->on_mouse_down = [this](int col, int row) { AGridMouseDown(ws_, col, row); };
  agrid->on_mouse_up = [this](int col, int row) {
    if (running_) return;
    if (AGridMouseUp(ws_, *port_, col, row)) {
      Grid(GridId::kAGrid)->Reload();
      Grid(GridId::kFGrid)->Reload();
    }
    RefreshChrome();
  };

  for (GridId grid : {GridId::kRGrid, GridId::kORGrid}) {
    Grid(grid)->on_select = [this, grid](int col, int row) { ResultCellSelected(grid, col, row); };
  }

  input_tabs_ = new QTabWidget(this);
  input_tabs_->setObjectName("PageControlIn");
  input_tabs_->addTab(agrid, "Actions");
  auto* fixed = new QWidget(input_tabs_);
  auto* fixed_layout = new QVBoxLayout(fixed);
  fixed_layout->setContentsMargins(0, 0, 0, 0);
  fixed_layout->addWidget(Grid(GridId::kFGrid));
  auto* switches = new QHBoxLayout;
  usevj_button_ = new QPushButton("Use vj", fixed);
  usevj_button_->setObjectName("UsevjButton");
  useuj_button_ = new QPushButton("Use uj", fixed);
  useuj_button_->setObjectName("UseujButton");
  usevj_button_->setToolTip("Use veto thresholds");
  usevj_button_->setStatusTip("Use veto thresholds");
  useuj_button_->setToolTip("Use discordance thresholds");
  useuj_button_->setStatusTip("Use discordance thresholds");
  for (QPushButton* b : {usevj_button_, useuj_button_}) {
    b->setCheckable(true);
    // A switch that is down must look down at a glance.
    b->setStyleSheet("QPushButton:checked { background-color: #a9c4e8; border: 1px inset #556; }");
    switches->addWidget(b);
  }
  switches->addStretch();
  fixed_layout->addLayout(switches);
  // The switches choose the discordance model, so results computed with the other one
  // no longer hold.
  connect(usevj_button_, &QPushButton::clicked, this, [this](bool down) {
    ws_.SetUsevj(down);
    ws_.ResetResults();
    Refresh();
  });
  connect(useuj_button_, &QPushButton::clicked, this, [this](bool down) {
    ws_.SetUseuj(down);
    ws_.ResetResults();
    Refresh();
  });
  input_tabs_->addTab(fixed, "Fixed Par.");
  input_tabs_->addTab(Grid(GridId::kBGrid), "Bounds");
  input_tabs_->addTab(Grid(GridId::kCGrid), "Constraints");

  output_tabs_ = new QTabWidget(this);
  output_tabs_->setObjectName("PageControlOut");
  auto* results = new QWidget(output_tabs_);
  auto* results_layout = new QVBoxLayout(results);
  results_layout->setContentsMargins(0, 0, 0, 0);
  results_stack_ = new QStackedWidget(results);
  results_stack_->addWidget(Grid(GridId::kRGrid));
  results_stack_->addWidget(Grid(GridId::kORGrid));
  Grid(GridId::kRGrid)->setStatusTip("Select cells to see solution for the respective assignment");
  Grid(GridId::kORGrid)
      ->setStatusTip("Select cells to see a solution for the respective assignment");
  results_layout->addWidget(results_stack_, 3);
  results_layout->addWidget(Grid(GridId::kDGrid), 1);
  output_tabs_->addTab(results, "Results");
  output_tabs_->addTab(Grid(GridId::kICGrid), "Inferred constraints");
  output_tabs_->addTab(Grid(GridId::kIPGrid), "Infer. Prog.");
  auto* indices = new QWidget(output_tabs_);
  auto* indices_layout = new QVBoxLayout(indices);
  indices_layout->addWidget(new QLabel("GEOMETRIC MEAN FOR No. CATEGORIES", indices));
  indices_layout->addWidget(new QLabel("(Including examples)", indices));
  label_ma_ = new QLabel(indices);
  label_ma_->setObjectName("LabelMA");
  label_ma_dif_ = new QLabel(indices);
  label_ma_dif_->setObjectName("LabelMADif");
  indices_layout->addWidget(label_ma_);
  indices_layout->addWidget(label_ma_dif_);
  indices_layout->addStretch();
  output_tabs_->addTab(indices, "Indices");
  output_tabs_->addTab(Grid(GridId::kAccGrid), "Acceptability");

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName("Splitter");
  splitter->addWidget(input_tabs_);
  splitter->addWidget(output_tabs_);
  setCentralWidget(splitter);
}

void MainWindow::ApplyCellSizes() {
  for (GridView* view : grids_) view->ApplyCellSizes(sizes_);
}

void MainWindow::Run(const std::function<void()>& command) {
  if (running_) return;
  running_ = true;
  command();
  running_ = false;
  Refresh();
}

void MainWindow::ResultCellSelected(GridId grid, int col, int row) {
  if (running_) return;
  GridView* view = Grid(grid);
  running_ = true;
  view->setEnabled(false);
  if (grid == GridId::kRGrid) {
    RGridSelectCell(ws_, Port(), col, row);
  } else {
    ORGridSelectCell(ws_, Port(), col, row);
  }
  view->setEnabled(true);
  running_ = false;
  Grid(GridId::kDGrid)->Reload();
  Grid(GridId::kIPGrid)->Reload();
  view->setFocus();
}

void MainWindow::RefreshChrome() {
  setWindowTitle(QString::fromLocal8Bit(WindowTitle(ws_).c_str()));
  input_tabs_->setVisible(ws_.view.input_tabs_visible);
  output_tabs_->setVisible(ws_.view.output_tabs_visible);
  for (const OutputTabLook& tab : OutputTabLooks(ws_)) {
    const int index = static_cast<int>(tab.tab);
    output_tabs_->setTabVisible(index, tab.visible);
    output_tabs_->tabBar()->setTabTextColor(index, tab.red ? QColor(Qt::red) : QColor(Qt::black));
  }
  report_button_->setEnabled(ws_.view.report_enabled);
  if (QAction* item = Action("InconsistMenu")) item->setEnabled(ws_.view.inconsistency_enabled);
  usevj_button_->setChecked(ws_.UsevjButton);
  useuj_button_->setChecked(ws_.UseujButton);
  useuj_button_->setEnabled(ws_.view.uj_button_enabled);
  if (QAction* item = Action("byVariabilityItem")) {
    item->setEnabled(ws_.view.variability_order_enabled);
  }
  const bool variability = ShowsVariabilityOrder(ws_);
  results_stack_->setCurrentIndex(variability ? 1 : 0);
  if (QAction* item = Action(variability ? "byVariabilityItem" : "byInputItem")) {
    item->setChecked(true);
  }
  label_ma_->setText(QString::fromStdString(ws_.view.label_ma));
  label_ma_dif_->setText(QString::fromStdString(ws_.view.label_ma_dif));
  ApplyMenuRules();
}

void MainWindow::Refresh() {
  for (GridView* view : grids_) view->Reload();
  RefreshChrome();
}

void MainWindow::ShowCalcPanel(int maximum) {
  calc_progress_->setRange(0, maximum);
  calc_progress_->setValue(0);
  speed_stack_->setCurrentWidget(calc_panel_);
}

void MainWindow::SetCalcPosition(int position) { calc_progress_->setValue(position); }

void MainWindow::HideCalcPanel() { speed_stack_->setCurrentIndex(0); }

void MainWindow::BlockInput(bool blocked) {
  input_blocked_ = blocked;
  centralWidget()->setEnabled(!blocked);
  menuBar()->setEnabled(!blocked);
  for (QToolButton* button : findChildren<QToolButton*>()) {
    if (button->objectName().startsWith("SpeedButton")) button->setEnabled(!blocked);
  }
  for (QSpinBox* box : size_boxes_) box->setEnabled(!blocked);
  if (!blocked) report_button_->setEnabled(ws_.view.report_enabled);
  // A close asked for while a command worked happens once it has ended.
  if (!blocked && close_pending_) {
    close_pending_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
  }
}

// As the user left the window; the first time at a size that shows both panes (up to
// 1500 x 950, within the screen), centred, the panes sharing the width.
void MainWindow::RestoreWindowState() {
  QSettings settings;
  if (!restoreGeometry(settings.value(kGeometryKey).toByteArray())) {
    QSize size(1500, 950);
    QRect area(0, 0, 1600, 1000);
    if (const QScreen* screen = QApplication::primaryScreen()) area = screen->availableGeometry();
    size = size.boundedTo(area.size() * 0.95);
    resize(size);
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  auto* splitter = findChild<QSplitter*>("Splitter");
  if (splitter != nullptr && !splitter->restoreState(settings.value(kSplitterKey).toByteArray())) {
    splitter->setSizes({width() / 2, width() / 2});
  }
}

void MainWindow::SaveWindowState() {
  QSettings settings;
  settings.setValue(kGeometryKey, saveGeometry());
  if (auto* splitter = findChild<QSplitter*>("Splitter")) {
    settings.setValue(kSplitterKey, splitter->saveState());
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The running command still uses the tables and the solver's problem: it is asked to
  // stop, and the window closes when it has.
  if (input_blocked_) {
    port_->RequestCancel();
    close_pending_ = true;
    event->ignore();
    return;
  }
  // Unsaved changes are offered a save first; a save asked for that did not happen keeps
  // the window open.
  if (!SaveChangesFirst(ws_, Port())) {
    event->ignore();
    RefreshChrome();
    return;
  }
  SaveWindowState();
  ReleaseResults(ws_);
  SolverFree();
  event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (running_ && event->key() == Qt::Key_Escape) {
    port_->RequestCancel();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

}  // namespace vido
