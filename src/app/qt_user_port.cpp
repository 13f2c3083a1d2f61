#include "app/qt_user_port.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

namespace vido {

namespace {

QString Q(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }
std::string S(const QString& text) { return text.toLocal8Bit().toStdString(); }

std::optional<std::string> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                         QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, Q(request.title));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilter(QtFileFilter(request.filter));
  if (!request.default_extension.empty()) dialog.setDefaultSuffix(Q(request.default_extension));
  if (mode == QFileDialog::AcceptSave && !request.overwrite_prompt) {
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  }
  if (!request.file_name.empty()) dialog.selectFile(Q(request.file_name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return S(dialog.selectedFiles().front());
}

}  // namespace

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = Q(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString caption = parts[i];
    QString pattern = parts[i + 1];
    pattern.replace(';', ' ');
    // "*.*" would ask for a dot in the name; here every file is meant.
    if (pattern == "*.*") pattern = "*";
    const int paren = caption.lastIndexOf(" (");
    if (paren > 0 && caption.endsWith(')')) caption.truncate(paren);
    out << caption + " (" + pattern + ")";
  }
  return out.join(";;");
}

void QtUserPort::ShowMessage(MessageKind kind, const std::string& text) {
  switch (kind) {
    case MessageKind::kError:
      QMessageBox::critical(window_, "Error", Q(text));
      break;
    case MessageKind::kWarning:
      QMessageBox::warning(window_, "Warning", Q(text));
      break;
    case MessageKind::kInformation:
      QMessageBox::information(window_, "Information", Q(text));
      break;
  }
}

bool QtUserPort::Confirm(const std::string& text) {
  return QMessageBox::question(window_, "Confirm", Q(text), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtUserPort::EngineMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, "VIDO", Q(text), QMessageBox::Ok | QMessageBox::Cancel,
                  window_);
  return box.exec() == QMessageBox::Ok;
}

std::optional<std::string> QtUserPort::QueryText(const std::string& title,
                                                 const std::string& prompt,
                                                 const std::string& initial) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(window_, Q(title), Q(prompt), QLineEdit::Normal, Q(initial), &ok);
  if (!ok) return std::nullopt;
  return S(text);
}

std::optional<std::string> QtUserPort::AskOpenFileName(const FileDialogRequest& request) {
  return RunFileDialog(window_, request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtUserPort::AskSaveFileName(const FileDialogRequest& request) {
  return RunFileDialog(window_, request, QFileDialog::AcceptSave);
}

void QtUserPort::SetBusy(bool busy) {
  if (busy) {
    if (busy_depth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    cancel_requested_ = false;
  } else if (busy_depth_ > 0 && --busy_depth_ == 0) {
    QApplication::restoreOverrideCursor();
  }
}

bool QtUserPort::PumpEvents() {
  QApplication::processEvents();
  return cancel_requested_;
}

bool QtUserPort::OpenHelpPage(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
}

}  // namespace vido
