#include "app/inconsistency_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "analysis/inference_tables.h"

namespace vido {

namespace {

constexpr int kDefaultColumnWidth = 64;
constexpr int kPlacementOffset = 27;
constexpr int kSuggestionsColumnWidth = 150;

QTableView* MakeView(QAbstractItemModel* model, QWidget* parent) {
  auto* view = new QTableView(parent);
  view->setModel(model);
  view->verticalHeader()->hide();
  view->horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth);
  view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view->verticalHeader()->setDefaultSectionSize(18);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  return view;
}

}  // namespace

TextTableModel::TextTableModel(const Table& table, CellText text, QObject* parent)
    : QAbstractTableModel(parent), table_(table), text_(std::move(text)) {}

void TextTableModel::Reload() {
  beginResetModel();
  endResetModel();
}

int TextTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return std::max(0, table_.RowCount() - 1);
}

int TextTableModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return table_.ColCount();
}

QVariant TextTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.model() != this) return {};
  if (role == Qt::ToolTipRole && tip_) {
    const std::string tip = tip_(table_, index.column(), index.row() + 1);
    return tip.empty() ? QVariant() : QVariant(QString::fromStdString(tip));
  }
  if (role != Qt::DisplayRole) return {};
  return QString::fromStdString(text_(table_, index.column(), index.row() + 1));
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= columnCount() || table_.RowCount() == 0) return {};
  return QString::fromStdString(table_.Cell(section, 0));
}

InconsistencyWindow::InconsistencyWindow(const Workspace& ws, UserPort& port, IAForm& form,
                                         std::string help_folder, QWidget* parent)
    : QDialog(parent), ws_(ws), port_(port), form_(form), help_folder_(std::move(help_folder)) {
  setObjectName("IAForm");
  setWindowTitle("Inconsistency analysis");
  auto* layout = new QVBoxLayout(this);

  igrid_model_ = new TextTableModel(ws_.IGrid, &AnalysisTableCellText, this);
  igrid_ = MakeView(igrid_model_, this);
  igrid_->setObjectName("IGrid");
  layout->addWidget(igrid_, 3);

  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel("Max. suggestions", this));
  max_suggestions_ = new QSpinBox(this);
  max_suggestions_->setObjectName("UpDownMaxS");
  max_suggestions_->setRange(IAForm::kMinSuggestions, IAForm::kMaxSuggestions);
  max_suggestions_->setValue(form_.max_suggestions);
  max_suggestions_->setWrapping(false);
  max_suggestions_->findChild<QLineEdit*>()->setReadOnly(true);
  max_suggestions_->findChild<QLineEdit*>()->setObjectName("EditMaxS");
  connect(max_suggestions_, &QSpinBox::valueChanged, this,
          [this](int count) { form_.SetMaxSuggestions(count); });
  controls->addWidget(max_suggestions_);
  suggest_button_ = new QPushButton("Suggest", this);
  suggest_button_->setObjectName("BSuggest");
  suggest_button_->setAutoDefault(false);
  connect(suggest_button_, &QPushButton::clicked, this, [this] {
    if (form_.searching) return;
    BSuggestClick(ws_, port_, form_);
    Show();
    if (close_pending_) {
      close_pending_ = false;
      QDialog::reject();
    }
  });
  controls->addWidget(suggest_button_);
  stop_button_ = new QPushButton("Stop", this);
  stop_button_->setObjectName("BStop");
  stop_button_->setAutoDefault(false);
  stop_button_->setEnabled(false);
  connect(stop_button_, &QPushButton::clicked, this, [this] { StopSearch(); });
  controls->addWidget(stop_button_);
  searching_label_ = new QLabel("Searching...", this);
  searching_label_->setObjectName("SearchingLabel");
  searching_label_->setVisible(false);
  controls->addWidget(searching_label_);
  help_button_ = new QPushButton("Help", this);
  help_button_->setObjectName("BHelp");
  help_button_->setAutoDefault(false);
  connect(help_button_, &QPushButton::clicked, this, [this] { BHelpClick(port_, help_folder_); });
  controls->addWidget(help_button_);
  controls->addStretch();
  layout->addLayout(controls);

  suggestions_model_ = new TextTableModel(
      form_.StringGrid1, [](const Table& t, int col, int row) { return t.Cell(col, row); }, this);
  // Each set names its constraints by number; the tooltip says what they are.
  suggestions_model_->SetToolTip(
      [this](const Table&, int, int row) { return SuggestionDescriptions(ws_, form_, row); });
  suggestions_ = MakeView(suggestions_model_, this);
  // The suggestions appear as the search finds them.
  form_.repaint = [this](const IAForm&) {
    Show();
    repaint();
  };
  suggestions_->setObjectName("StringGrid1");
  layout->addWidget(suggestions_, 2);
  Show();
}

void InconsistencyWindow::PlaceOver(const QWidget& main) {
  const QRect frame = main.geometry();
  setGeometry(frame.left(), frame.top() + kPlacementOffset, frame.width(),
              frame.height() - kPlacementOffset);
}

void InconsistencyWindow::Activate() {
  FormActivate(form_);
  Show();
}

void InconsistencyWindow::StopSearch() {
  if (form_.searching && request_cancel) request_cancel();
}

void InconsistencyWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && form_.searching) {
    StopSearch();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void InconsistencyWindow::reject() {
  if (form_.searching) {
    StopSearch();
    close_pending_ = true;
    return;
  }
  QDialog::reject();
}

void InconsistencyWindow::Show() {
  igrid_model_->Reload();
  // The row descriptions need the room.
  igrid_->setColumnWidth(1, 2 * kDefaultColumnWidth);
  suggestions_model_->Reload();
  suggestions_->setColumnWidth(2, kSuggestionsColumnWidth);
  suggestions_->setVisible(form_.suggestions_visible);
  max_suggestions_->setValue(form_.max_suggestions);
  suggest_button_->setEnabled(!form_.searching);
  stop_button_->setEnabled(form_.searching);
  searching_label_->setText(form_.progress.empty() ? "Searching..."
                                                   : QString::fromStdString(form_.progress));
  searching_label_->setVisible(form_.searching);
}

}  // namespace vido
