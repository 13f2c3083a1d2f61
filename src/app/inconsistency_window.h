#ifndef VIDO_APP_INCONSISTENCY_WINDOW_H_
#define VIDO_APP_INCONSISTENCY_WINDOW_H_

#include <QAbstractTableModel>
#include <QDialog>
#include <QLabel>
#include <functional>
#include <string>

#include "analysis/inconsistency_analysis.h"
#include "model/table.h"
#include "model/workspace.h"
#include "support/user_port.h"

class QPushButton;
class QSpinBox;
class QTableView;

namespace vido {

// A read-only table of text: row 0 is the header, the rest are cells as `text` shows them.
class TextTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using CellText = std::function<std::string(const Table&, int col, int row)>;
  TextTableModel(const Table& table, CellText text, QObject* parent = nullptr);
  // The tooltip of a cell (none when it returns "").
  void SetToolTip(CellText tip) { tip_ = std::move(tip); }

  void Reload();
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  const Table& table_;
  CellText text_;
  CellText tip_;
};

// "Inconsistency analysis": every constraint of the problem (IGrid) and, after
// "Suggest", the sets of constraints whose removal makes the rest consistent. The
// decisions are the core's IAForm; the window shows it and forwards the buttons.
class InconsistencyWindow : public QDialog {
  Q_OBJECT

 public:
  InconsistencyWindow(const Workspace& ws, UserPort& port, IAForm& form, std::string help_folder,
                      QWidget* parent = nullptr);

  IAForm& Form() { return form_; }
  QTableView* IGrid() const { return igrid_; }
  QTableView* StringGrid1() const { return suggestions_; }
  QSpinBox* UpDownMaxS() const { return max_suggestions_; }
  QPushButton* BSuggest() const { return suggest_button_; }
  QPushButton* BStop() const { return stop_button_; }
  QLabel* SearchingLabel() const { return searching_label_; }
  // Asks the running search to stop (the window's owner sets it).
  std::function<void()> request_cancel;
  QPushButton* BHelp() const { return help_button_; }

  // Over the main window: 27 pixels below its top, same left and width.
  void PlaceOver(const QWidget& main);
  // The window appears: FormActivate, IGrid as the last run built it.
  void Activate();
  // Shows what the form holds.
  void Show();

 protected:
  // Esc while searching stops the search and keeps the window; closing it stops the
  // search too, and the window goes when the search has ended.
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;

 private:
  void StopSearch();
  const Workspace& ws_;
  UserPort& port_;
  IAForm& form_;
  std::string help_folder_;
  TextTableModel* igrid_model_;
  TextTableModel* suggestions_model_;
  QTableView* igrid_;
  QTableView* suggestions_;
  QSpinBox* max_suggestions_;
  QPushButton* suggest_button_;
  QPushButton* stop_button_;
  QPushButton* help_button_;
  QLabel* searching_label_;
  bool close_pending_ = false;
};

}  // namespace vido

#endif  // VIDO_APP_INCONSISTENCY_WINDOW_H_
