#include "app/grid_view.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace vido {

namespace {

constexpr const char* kCellProperty = "vidoCell";
// Room a cell's text needs beside its width: the cell's padding and the grid line.
constexpr int kTextMargin = 10;

// The character a key press types for the key filters: '\b' for backspace, the code
// point of a printable character, a control character that no table accepts for
// pasting (which would slip text past the filter), and 0 for keys that type nothing
// (arrows, Tab, Enter, Delete, shortcuts): those are not filtered.
char32_t TypedKey(const QKeyEvent* event) {
  if (event->key() == Qt::Key_Backspace) return U'\b';
  if (event->matches(QKeySequence::Paste)) return U'\x16';
  const QList<uint> text = event->text().toUcs4();
  if (text.size() != 1) return 0;
  const char32_t c = text.front();
  if (c < 0x20 || c == 0x7f) return 0;
  if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return 0;
  return c;
}

}  // namespace

GridDelegate::GridDelegate(Workspace& ws, GridId grid, QObject* parent)
    : QStyledItemDelegate(parent), ws_(ws), grid_(grid) {}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  auto* editor = qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
  if (editor == nullptr) return nullptr;
  editor->setFrame(false);
  // The table's own pop-up menu, not the editor's.
  editor->setContextMenuPolicy(Qt::NoContextMenu);
  editor->setProperty(kCellProperty, QPoint(index.column(), index.row() + 1));
  editor->installEventFilter(const_cast<GridDelegate*>(this));
  // The cell follows the editor as it is typed into, so that every command reads what
  // the user sees.
  QPersistentModelIndex cell(index);
  auto* model = const_cast<QAbstractItemModel*>(index.model());
  connect(editor, &QLineEdit::textChanged, editor, [model, cell](const QString& text) {
    if (cell.isValid()) model->setData(cell, text, Qt::EditRole);
  });
  return editor;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* line = qobject_cast<QLineEdit*>(editor);
  // The model echoes every keystroke back; rewriting the same text would move the caret.
  if (line != nullptr && line->text() == index.data(Qt::EditRole).toString()) return;
  QStyledItemDelegate::setEditorData(editor, index);
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  QStyleOptionViewItem opt(option);
  // Fixed cells and the read-only rows cannot be current, but their text is not greyed.
  opt.state |= QStyle::State_Enabled;
  QStyledItemDelegate::paint(painter, opt, index);
  if (index.data(TableModel::kHatchRole).toBool()) {
    painter->save();
    painter->fillRect(option.rect, QBrush(Qt::black, Qt::BDiagPattern));
    painter->restore();
  }
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const char32_t key = TypedKey(static_cast<QKeyEvent*>(event));
    if (key != 0) {
      const QPoint cell = object->property(kCellProperty).toPoint();
      const bool accepted = InputGridKeyPress(ws_, grid_, cell.x(), cell.y(), key);
      emit KeyTyped();
      if (!accepted) return true;
    }
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

GridView::GridView(Workspace& ws, GridId grid, QWidget* parent)
    : QTableView(parent), ws_(ws), grid_(grid), model_(new TableModel(ws, grid, this)) {
  setModel(model_);
  setItemDelegate(new GridDelegate(ws, grid, this));
  verticalHeader()->hide();
  // A number broken at its decimal point reads as two; a text that does not fit is cut
  // and shows whole in its tooltip.
  setWordWrap(false);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->viewport()->installEventFilter(this);
  // Pressing a header would select the whole column; AGrid uses the press for its dialog.
  disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
  if (IsInputGrid(grid)) {
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setTabKeyNavigation(true);
  } else {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
  }
  connect(model_, &QAbstractItemModel::modelReset, this, &GridView::ApplyRowsAndColumns);
  ApplyCellSizes(sizes_);
}

void GridView::Reload() {
  model_->Reload();
  FollowCurrentCell();
}

void GridView::ApplyCellSizes(const CellSizes& sizes) {
  sizes_ = sizes;
  QFont f = font();
  f.setPointSize(sizes.font.value);
  setFont(f);
  horizontalHeader()->setFont(f);
  if (HeightAppliesTo(grid_)) {
    verticalHeader()->setDefaultSectionSize(sizes.height.value);
    horizontalHeader()->setFixedHeight(sizes.height.value + 2);
  }
  horizontalHeader()->setDefaultSectionSize(sizes.width.value);
  ApplyRowsAndColumns();
}

void GridView::ApplyRowsAndColumns() {
  const QFontMetrics metrics(font());
  const Table& table = GridTable(ws_, grid_);
  for (int col = 0; col < model_->columnCount(); ++col) {
    int widest = 0;
    if (ColumnFitsItsText(grid_, col)) {
      for (int r = 0; r < table.RowCount(); ++r) {
        widest =
            std::max(widest, metrics.horizontalAdvance(QString::fromStdString(table.Cell(col, r))));
      }
      widest += kTextMargin;
    }
    horizontalHeader()->resizeSection(col,
                                      FittedColumnWidth(grid_, col, sizes_.width.value, widest));
  }
  const int rows = model_->rowCount();
  for (int r = 0; r < rows; ++r) {
    if (HeightAppliesTo(grid_)) verticalHeader()->resizeSection(r, sizes_.height.value);
    if (grid_ == GridId::kFGrid) setRowHidden(r, !ws_.FGridRowVisible(r + 1));
  }
}

void GridView::FollowCurrentCell() {
  const Table& t = GridTable(ws_, grid_);
  const QModelIndex index = model_->IndexOf(t.CurrentCol(), t.CurrentRow());
  if (index.isValid() && (model_->flags(index) & Qt::ItemIsEnabled)) {
    following_ = true;
    setCurrentIndex(index);
    following_ = false;
  }
}

bool GridView::CellAt(const QPoint& pos, bool in_header, int* col, int* row) const {
  if (in_header) {
    *col = horizontalHeader()->logicalIndexAt(pos);
    *row = 0;
    return *col >= 0;
  }
  const QModelIndex index = indexAt(pos);
  if (!index.isValid()) return false;
  *col = index.column();
  *row = model_->TableRow(index);
  return true;
}

bool GridView::ShowCellToolTip(const QPoint& pos, const QPoint& global_pos, bool in_header) {
  int col = 0;
  int row = 0;
  QWidget* area = in_header ? horizontalHeader()->viewport() : viewport();
  if (!CellAt(pos, in_header, &col, &row)) {
    QToolTip::hideText();
    return false;
  }
  const QString text = QString::fromStdString(GridTable(ws_, grid_).Cell(col, row));
  // Against the column as it is: a fitted one shows most texts whole.
  const int width = QFontMetrics(font()).horizontalAdvance(text) + kTextMargin;
  if (!CellNeedsToolTip(width, horizontalHeader()->sectionSize(col))) {
    QToolTip::hideText();
    return false;
  }
  // The tip stays while the mouse keeps within a few pixels of where it appeared.
  const QRect zone(pos - QPoint(kToolTipSlack, kToolTipSlack),
                   QSize(2 * kToolTipSlack + 1, 2 * kToolTipSlack + 1));
  QToolTip::showText(global_pos, text, area, zone);
  return true;
}

bool GridView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    ShowCellToolTip(help->pos(), help->globalPos(), false);
    return true;
  }
  return QTableView::viewportEvent(event);
}

bool GridView::eventFilter(QObject* object, QEvent* event) {
  if (object == horizontalHeader()->viewport()) {
    if (event->type() == QEvent::ToolTip) {
      auto* help = static_cast<QHelpEvent*>(event);
      ShowCellToolTip(help->pos(), help->globalPos(), true);
      return true;
    }
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    auto* mouse = press || release ? static_cast<QMouseEvent*>(event) : nullptr;
    if (mouse != nullptr && mouse->button() == Qt::LeftButton) {
      int col = 0;
      int row = 0;
      if (CellAt(mouse->position().toPoint(), true, &col, &row)) {
        if (press && on_mouse_down) {
          on_mouse_down(col, row);
          FollowCurrentCell();
        }
        if (release && on_mouse_up) on_mouse_up(col, row);
      }
    }
  }
  return QTableView::eventFilter(object, event);
}

void GridView::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  int col = 0;
  int row = 0;
  if (event->button() == Qt::LeftButton && on_mouse_down &&
      CellAt(event->position().toPoint(), false, &col, &row)) {
    on_mouse_down(col, row);
    FollowCurrentCell();
  }
}

void GridView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  int col = 0;
  int row = 0;
  if (event->button() == Qt::LeftButton && on_mouse_up &&
      CellAt(event->position().toPoint(), false, &col, &row)) {
    on_mouse_up(col, row);
  }
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (current.isValid()) {
    GridTable(ws_, grid_).SetCurrent(current.column(), model_->TableRow(current));
    if (!following_ && on_select) on_select(current.column(), model_->TableRow(current));
  }
}

}  // namespace vido
