#include "app/dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/help_access.h"

namespace vido {

NewFileForm::NewFileForm(UserPort& port, QWidget* parent)
    : QDialog(parent),
      port_(port),
      edit_alt_(new QLineEdit("2", this)),
      edit_crit_(new QLineEdit("2", this)),
      edit_cat_(new QLineEdit("2", this)) {
  setWindowTitle("New Problem");
  auto* form = new QFormLayout;
  edit_alt_->setObjectName("EditAlt");
  edit_crit_->setObjectName("EditCrit");
  edit_cat_->setObjectName("EditCat");
  form->addRow("Number of alternatives", edit_alt_);
  form->addRow("Number of criteria", edit_crit_);
  form->addRow("Number of categories", edit_cat_);
  for (QLineEdit* edit : {edit_alt_, edit_crit_, edit_cat_}) {
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->installEventFilter(this);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &NewFileForm::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &NewFileForm::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void NewFileForm::Load(const NewProblemFields& fields) {
  edit_alt_->setText(QString::fromStdString(fields.alternatives));
  edit_crit_->setText(QString::fromStdString(fields.criteria));
  edit_cat_->setText(QString::fromStdString(fields.categories));
}

void NewFileForm::Store(NewProblemFields& fields) const {
  fields.alternatives = edit_alt_->text().toStdString();
  fields.criteria = edit_crit_->text().toStdString();
  fields.categories = edit_cat_->text().toStdString();
}

NewProblemField NewFileForm::FieldOf(const QLineEdit* edit) const {
  if (edit == edit_crit_) return NewProblemField::kCriteria;
  if (edit == edit_cat_) return NewProblemField::kCategories;
  return NewProblemField::kAlternatives;
}

bool NewFileForm::LeaveField(QLineEdit* edit) {
  const auto message = CheckNewProblemField(FieldOf(edit), edit->text().toStdString());
  if (!message) return true;
  checking_ = true;  // the message box takes the focus: no second check meanwhile
  port_.Error(*message);
  checking_ = false;
  edit->setFocus();
  edit->selectAll();
  return false;
}

void NewFileForm::accept() {
  for (QLineEdit* edit : {edit_alt_, edit_crit_, edit_cat_}) {
    if (!LeaveField(edit)) return;
  }
  QDialog::accept();
}

bool NewFileForm::eventFilter(QObject* object, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(object);
  if (edit != nullptr && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (key->key() == Qt::Key_Backspace) return false;
    if (key->matches(QKeySequence::Paste)) return true;
    if (text.size() == 1 && text[0].unicode() >= 0x20 && text[0].unicode() < 0x7f) {
      return !NewProblemFieldAcceptsKey(text[0].toLatin1());
    }
    if (text.size() == 1 && text[0].unicode() >= 0x7f) return true;
  }
  // Leaving a field for another field of the dialog checks it; the buttons check all.
  if (edit != nullptr && event->type() == QEvent::FocusOut && !checking_ && isVisible()) {
    auto* focus = static_cast<QFocusEvent*>(event);
    QWidget* next = QApplication::focusWidget();
    const bool to_field = next == edit_alt_ || next == edit_crit_ || next == edit_cat_;
    if (focus->reason() == Qt::TabFocusReason || focus->reason() == Qt::BacktabFocusReason ||
        to_field) {
      LeaveField(edit);
    }
  }
  return QDialog::eventFilter(object, event);
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About");
  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel("<b>VIDO</b>", this);
  name->setAlignment(Qt::AlignCenter);
  layout->addWidget(name);
  layout->addWidget(new QLabel("Version 2.0", this), 0, Qt::AlignCenter);
  layout->addWidget(
      new QLabel("Multicriteria sorting with inferred weights and robust assignments", this), 0,
      Qt::AlignCenter);
  auto* ok = new QPushButton("OK", this);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignCenter);
}

GetHelpForm::GetHelpForm(const std::string& help_folder, QWidget* parent) : QDialog(parent) {
  setWindowTitle(kHowToGetHelpTitle);
  auto* layout = new QVBoxLayout(this);
  for (const char* line : kHowToGetHelpLines) layout->addWidget(new QLabel(line, this));
  auto* folder = new QLabel(QString::fromLocal8Bit(help_folder.c_str()), this);
  folder->setObjectName("HelpFolderLabel");
  folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(folder);
  auto* ok = new QPushButton("OK", this);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignCenter);
}

}  // namespace vido
