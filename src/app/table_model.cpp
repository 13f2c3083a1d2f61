#include "app/table_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <algorithm>
#include <cmath>

#include "sorting/result_display.h"

namespace vido {

namespace {

QVariant InputFillBrush(InputFill fill) {
  switch (fill) {
    case InputFill::kCyan:
      return QBrush(QColor(0, 255, 255));
    case InputFill::kYellow:
      return QBrush(QColor(255, 255, 0));
    case InputFill::kLime:
      return QBrush(QColor(0, 255, 0));
    case InputFill::kHeader:
      return QBrush(QColor(0xe4, 0xe4, 0xe4));
    case InputFill::kWhite:
      return QBrush(Qt::white);
  }
  return {};
}

QVariant ResultFillBrush(CellFill fill) {
  switch (fill) {
    case CellFill::kHeader:
      return QBrush(QColor(0xe4, 0xe4, 0xe4));
    case CellFill::kWhite:
    case CellFill::kHatched:
      return QBrush(Qt::white);
    case CellFill::kGreen:
      return QBrush(QColor(0, 128, 0));
    case CellFill::kLime:
      return QBrush(QColor(0, 255, 0));
    case CellFill::kRed:
      return QBrush(QColor(255, 0, 0));
    case CellFill::kCyan:
      return QBrush(QColor(0, 255, 255));
    case CellFill::kShade:
      break;
  }
  return {};
}

// From white (share 0) to a deep blue (share 1), so that the range colours of the results
// tab, greens and red, keep their meaning.
QVariant ShadeBrush(int percent) {
  const double t = std::clamp(percent, 0, 100) / 100.0;
  auto mix = [t](int from, int to) {
    return static_cast<int>(std::lround(from + (to - from) * t));
  };
  return QBrush(QColor(mix(255, 16), mix(255, 64), mix(255, 160)));
}

}  // namespace

TableModel::TableModel(Workspace& ws, GridId grid, QObject* parent)
    : QAbstractTableModel(parent), ws_(ws), grid_(grid) {}

void TableModel::Reload() {
  beginResetModel();
  endResetModel();
}

int TableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return std::max(0, table().RowCount() - 1);
}

int TableModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return table().ColCount();
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.model() != this) return {};
  const int col = index.column();
  const int row = TableRow(index);
  const std::string& text = table().Cell(col, row);
  if (IsInputGrid(grid_)) {
    const InputCellLook look = InputCellLookAt(ws_, grid_, col, row);
    switch (role) {
      case Qt::DisplayRole:
        return look.blank ? QString() : QString::fromStdString(text);
      case Qt::EditRole:
        return QString::fromStdString(text);
      case Qt::BackgroundRole:
        return InputFillBrush(look.fill);
      case Qt::ForegroundRole:
        return QBrush(look.white_text ? QColor(Qt::white) : QColor(Qt::black));
      default:
        return {};
    }
  }
  CellLook look;
  if (grid_ == GridId::kRGrid) {
    look = RGridCellLook(ws_, col, row);
  } else if (grid_ == GridId::kORGrid) {
    look = ORGridCellLook(ws_, col, row);
  } else if (grid_ == GridId::kDGrid) {
    look = DGridCellLook(ws_, col, row);
  } else if (grid_ == GridId::kIPGrid) {
    look = IPGridCellLook(ws_, col, row);
  } else if (grid_ == GridId::kAccGrid) {
    look = AccGridCellLook(ws_, col, row);
  } else {
    look.fill = col < table().FixedCols() ? CellFill::kHeader : CellFill::kWhite;
    look.text = text;
  }
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(look.text);
    case Qt::BackgroundRole:
      if (look.fill == CellFill::kShade) return ShadeBrush(look.shade);
      return ResultFillBrush(look.fill);
    case Qt::FontRole:
      if (look.bold) {
        QFont font;
        font.setBold(true);
        return font;
      }
      return {};
    case Qt::ForegroundRole:
      // Deep shades carry white text.
      if (look.fill == CellFill::kShade && look.shade > 55) return QBrush(Qt::white);
      if (look.red_text) return QBrush(QColor(255, 0, 0));
      return QBrush(look.green_text ? QColor(0, 128, 0) : QColor(Qt::black));
    case kHatchRole:
      return look.fill == CellFill::kHatched;
    default:
      return {};
  }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return QString::fromStdString(table().Cell(section, 0));
  return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const int col = index.column();
  const int row = TableRow(index);
  // A cell that may not become current is not enabled: the view then neither selects
  // it on a click nor stops on it when the arrow keys move.
  if (!CellSelectable(ws_, grid_, col, row)) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (CellEditable(ws_, grid_, col, row)) flags |= Qt::ItemIsEditable;
  return flags;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  const int col = index.column();
  const int row = TableRow(index);
  const std::string text = value.toString().toStdString();
  if (table().Cell(col, row) == text) return true;
  if (!SetInputCellText(ws_, grid_, col, row, text)) return false;
  // A typed value may change the look of other cells of its row (the colours of AGrid,
  // the white thresholds of FGrid).
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
  if (grid_ == GridId::kFGrid)
    emit dataChanged(this->index(0, col), this->index(rowCount() - 1, col));
  emit InputEdited();
  return true;
}

}  // namespace vido
