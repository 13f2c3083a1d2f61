#ifndef VIDO_APP_QT_USER_PORT_H_
#define VIDO_APP_QT_USER_PORT_H_

#include <QPointer>
#include <QString>
#include <QWidget>

#include "support/user_port.h"

namespace vido {

// The desktop program's UserPort: Qt message boxes, the one-line input dialog, the file
// dialogs, the busy cursor, the event pump and the desktop's handler for help pages.
// The progress panel belongs to the main window, which shows it itself.
class QtUserPort : public UserPort {
 public:
  QtUserPort() = default;
  // Dialogs are centred on this window.
  void SetWindow(QWidget* window) { window_ = window; }
  // A cancel asked for (Esc during a computation) is reported by the next pump.
  void RequestCancel() { cancel_requested_ = true; }

  void ShowMessage(MessageKind kind, const std::string& text) override;
  bool Confirm(const std::string& text) override;
  bool EngineMessage(const std::string& text) override;
  std::optional<std::string> QueryText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override;
  std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) override;
  std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) override;
  void SetBusy(bool busy) override;
  void ShowProgress(int) override {}
  void SetProgress(int) override {}
  void HideProgress() override {}
  bool PumpEvents() override;
  bool OpenHelpPage(const std::string& path) override;

 private:
  QPointer<QWidget> window_;
  int busy_depth_ = 0;
  bool cancel_requested_ = false;
};

// "VIDO (v.2) (*.tri)|*.tri|All files (*.*)|*.*" as Qt writes filters:
// "VIDO (v.2) (*.tri);;All files (*)".
QString QtFileFilter(const std::string& filter);

}  // namespace vido

#endif  // VIDO_APP_QT_USER_PORT_H_
