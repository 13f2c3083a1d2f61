#ifndef VIDO_APP_GRID_VIEW_H_
#define VIDO_APP_GRID_VIEW_H_

#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

#include "app/table_model.h"
#include "model/grid_rules.h"
#include "model/workspace.h"

namespace vido {

// Draws cells as the core says (fills, hatching, texts that headers and disabled cells
// would grey out) and gives the in-place editor the table's key filter.
class GridDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  GridDelegate(Workspace& ws, GridId grid, QObject* parent);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 signals:
  // A key reached the table's filter (accepted or dropped): the results are stale.
  void KeyTyped();

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  Workspace& ws_;
  GridId grid_;
};

// One table of the main window: a view over a TableModel with the look of the cell-size
// controls, the cell tool-tips and, for the input tables, editing in place with the
// editor always shown on the current cell.
class GridView : public QTableView {
  Q_OBJECT

 public:
  GridView(Workspace& ws, GridId grid, QWidget* parent = nullptr);

  GridId Grid() const { return grid_; }
  TableModel* Model() const { return model_; }
  // The table changed under the view (size, contents, hidden rows).
  void Reload();
  void ApplyCellSizes(const CellSizes& sizes);
  // Moves the view's current cell to the table's.
  void FollowCurrentCell();
  // (col, row) of the table under a point of the viewport or of the header; false when
  // no cell is there.
  bool CellAt(const QPoint& pos, bool in_header, int* col, int* row) const;

  // Mouse presses and releases on cells and on the header, for AGrid's dialogs.
  std::function<void(int col, int row)> on_mouse_down;
  std::function<void(int col, int row)> on_mouse_up;
  // The user made another cell current (not the window following the table's).
  std::function<void(int col, int row)> on_select;

 protected:
  bool viewportEvent(QEvent* event) override;
  bool eventFilter(QObject* object, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void ApplyRowsAndColumns();
  bool ShowCellToolTip(const QPoint& pos, const QPoint& global_pos, bool in_header);

  Workspace& ws_;
  GridId grid_;
  TableModel* model_;
  CellSizes sizes_;
  bool following_ = false;
};

}  // namespace vido

#endif  // VIDO_APP_GRID_VIEW_H_
