#ifndef VIDO_APP_TABLE_MODEL_H_
#define VIDO_APP_TABLE_MODEL_H_

#include <QAbstractTableModel>

#include "model/grid_rules.h"
#include "model/workspace.h"

namespace vido {

// One table of the workspace as a Qt model. Row 0 of the table (its fixed row) is the
// horizontal header, so that it stays in view; model row r is table row r + 1 and model
// columns are table columns. The fixed columns are ordinary model cells drawn like
// headers, which can never become current. Every look and every edit is decided by
// the core.
class TableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  TableModel(Workspace& ws, GridId grid, QObject* parent = nullptr);

  GridId Grid() const { return grid_; }
  // The table's size or contents changed under the model.
  void Reload();

  int TableRow(const QModelIndex& index) const { return index.row() + 1; }
  QModelIndex IndexOf(int col, int row) const { return index(row - 1, col); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // The hatched fill of an unreachable category inside a range.
  static constexpr int kHatchRole = Qt::UserRole + 1;

 signals:
  // A cell was edited in place: the results are stale now.
  void InputEdited();

 private:
  const Table& table() const { return GridTable(ws_, grid_); }

  Workspace& ws_;
  GridId grid_;
};

}  // namespace vido

#endif  // VIDO_APP_TABLE_MODEL_H_
