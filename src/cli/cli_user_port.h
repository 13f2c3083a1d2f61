#ifndef VIDO_CLI_CLI_USER_PORT_H_
#define VIDO_CLI_CLI_USER_PORT_H_

#include <iosfwd>
#include <optional>
#include <string>

#include "support/user_port.h"

namespace vido {

// The command line's UserPort: every message box becomes one line on standard error
// ("error: TEXT", "warning: TEXT", "information: TEXT", "question: TEXT"), questions
// get a fixed answer, file dialogs answer with names given on the command line.
class CliUserPort : public UserPort {
 public:
  explicit CliUserPort(std::ostream& err);

  void ShowMessage(MessageKind kind, const std::string& text) override;
  bool Confirm(const std::string& text) override;
  bool EngineMessage(const std::string& text) override;
  std::optional<std::string> QueryText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override;
  std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) override;
  std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) override;
  void SetBusy(bool) override {}
  void ShowProgress(int maximum) override;
  void SetProgress(int position) override;
  void HideProgress() override;
  // A Ctrl-C stops the computation at its next check.
  bool PumpEvents() override;
  bool OpenHelpPage(const std::string&) override { return false; }

  // Answers the program's questions with Yes instead of No.
  void SetConfirmAnswer(bool yes) { confirm_answer_ = yes; }
  // The question of the command line itself whether an existing file may be replaced,
  // as a save dialog asks it; answered No unless SetOverwriteAnswer(true).
  bool ConfirmReplace(const std::string& text);
  void SetOverwriteAnswer(bool yes) { overwrite_answer_ = yes; }
  // The names the next file dialogs answer with (once each).
  void SetOpenFileName(std::string name) { open_name_ = std::move(name); }
  void SetSaveFileName(std::string name) { save_name_ = std::move(name); }
  // Show progress lines on standard error.
  void SetShowProgress(bool show) { show_progress_ = show; }

  bool ErrorShown() const { return error_shown_; }

 private:
  std::ostream& err_;
  bool confirm_answer_ = false;
  bool overwrite_answer_ = false;
  bool show_progress_ = false;
  bool error_shown_ = false;
  int progress_maximum_ = 0;
  std::optional<std::string> open_name_;
  std::optional<std::string> save_name_;
};

}  // namespace vido

#endif  // VIDO_CLI_CLI_USER_PORT_H_
