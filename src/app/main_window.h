#ifndef VIDO_APP_MAIN_WINDOW_H_
#define VIDO_APP_MAIN_WINDOW_H_

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "analysis/volume.h"
#include "app/dialogs.h"
#include "app/grid_view.h"
#include "app/inconsistency_window.h"
#include "app/volume_window.h"
#include "model/grid_rules.h"
#include "model/new_problem.h"
#include "model/workspace.h"
#include "support/user_port.h"

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QToolButton;

namespace vido {

// The program's only permanent window: the input tables on the left, the results on
// the right, every command in the menu bar, the tool bar and the tables' pop-up menus.
// It owns the workspace; what it shows is what the core decided, and every command is
// a core function called with the workspace and the port.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `port` answers every dialog; the window adds its progress panel to it.
  MainWindow(UserPort& port, std::string help_folder, QWidget* parent = nullptr);
  ~MainWindow() override;

  Workspace& workspace() { return ws_; }
  UserPort& Port();
  const std::string& HelpFolder() const { return help_folder_; }
  GridView* Grid(GridId grid) const { return grids_[static_cast<int>(grid)]; }
  // A menu-bar or tool-bar command by its object name (e.g. "CalcRangeItem").
  QAction* Action(const QString& name) const;
  QMenu* Menu(const QString& name) const;
  QToolButton* ReportButton() const { return report_button_; }
  QTabWidget* InputTabs() const { return input_tabs_; }
  QTabWidget* OutputTabs() const { return output_tabs_; }
  QWidget* CalcPanel() const { return calc_panel_; }
  QPushButton* UsevjButton() const { return usevj_button_; }
  QPushButton* UseujButton() const { return useuj_button_; }
  QSpinBox* SizeControl(int which) const { return size_boxes_[which]; }
  NewFileForm* NewForm() const { return new_form_; }
  VolumeWindow* VolumeForm() const { return volume_window_; }
  InconsistencyWindow* IAForm() const { return ia_window_; }
  // The pop-up menu of a table, enabled as it would be when it opens.
  QMenu* PopupMenu(GridId grid);

  // Runs a modal dialog. Tests replace it: a real modal loop would wait for a person.
  std::function<int(QDialog&)> exec_modal;

  // Shows everything as the workspace now says.
  void Refresh();

  // The commands.
  void NewClick();
  void OpenClick();
  void SaveDataClick(bool ask_for_name);
  void ReportClick();
  void PrintFormClick();
  void PrintSetupClick();
  void VolumeClick();
  void RobustAssignmentsClick();
  void InconsistencyClick();
  void AcceptabilityClick();
  void RestoreWindowState();
  void SaveWindowState();
  static constexpr const char* kGeometryKey = "window/geometry";
  static constexpr const char* kSplitterKey = "window/splitter";
  void OrderClick(bool variability);
  void HelpClick(const char* page);
  void HowToUseHelpClick();
  void AboutClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  class WindowPort;

  void BuildToolBar();
  void BuildTables();
  void BuildMenus();
  void BuildPopupMenus();
  QAction* AddItem(QMenu* menu, const char* name, const char* caption, const char* hint,
                   std::function<void()> command);
  // Runs a command unless one is running already (a long computation lets events through).
  void Run(const std::function<void()>& command);
  // Only the window's state, after a key typed into a table: captions, buttons.
  void RefreshChrome();
  void ApplyMenuRules();
  void ApplyCellSizes();
  void ShowCalcPanel(int maximum);
  void SetCalcPosition(int position);
  void HideCalcPanel();
  void BlockInput(bool blocked);
  // A cell of RGrid or ORGrid selected: the parameters of that assignment in DGrid.
  void ResultCellSelected(GridId grid, int col, int row);

  Workspace ws_;
  std::unique_ptr<WindowPort> port_;
  std::string help_folder_;
  NewProblemFields new_fields_;
  NewFileForm* new_form_ = nullptr;
  InconsistencyWindow* ia_window_ = nullptr;
  VolumeWindow* volume_window_ = nullptr;
  CellSizes sizes_;
  std::unique_ptr<QPrinter> printer_;
  bool running_ = false;
  bool input_blocked_ = false;
  bool close_pending_ = false;

  std::array<GridView*, kGridCount> grids_{};
  std::array<QMenu*, 9> popups_{};
  QTabWidget* input_tabs_ = nullptr;
  QTabWidget* output_tabs_ = nullptr;
  QStackedWidget* results_stack_ = nullptr;
  QStackedWidget* speed_stack_ = nullptr;
  QWidget* calc_panel_ = nullptr;
  QProgressBar* calc_progress_ = nullptr;
  QToolButton* report_button_ = nullptr;
  QPushButton* usevj_button_ = nullptr;
  QPushButton* useuj_button_ = nullptr;
  std::array<QSpinBox*, 3> size_boxes_{};
  QLabel* label_ma_ = nullptr;
  QLabel* label_ma_dif_ = nullptr;
};

}  // namespace vido

#endif  // VIDO_APP_MAIN_WINDOW_H_
