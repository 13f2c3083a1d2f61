#include "cli/cli_user_port.h"

#include <ostream>

#include "cli/interrupt.h"

namespace vido {

CliUserPort::CliUserPort(std::ostream& err) : err_(err) {}

void CliUserPort::ShowMessage(MessageKind kind, const std::string& text) {
  switch (kind) {
    case MessageKind::kError:
      error_shown_ = true;
      err_ << "error: " << text << '\n';
      break;
    case MessageKind::kWarning:
      err_ << "warning: " << text << '\n';
      break;
    case MessageKind::kInformation:
      err_ << "information: " << text << '\n';
      break;
  }
}

bool CliUserPort::Confirm(const std::string& text) {
  err_ << "question: " << text << '\n';
  return confirm_answer_;
}

bool CliUserPort::ConfirmReplace(const std::string& text) {
  err_ << "question: " << text << '\n';
  return overwrite_answer_;
}

bool CliUserPort::EngineMessage(const std::string& text) {
  err_ << "information: " << text << '\n';
  return true;
}

std::optional<std::string> CliUserPort::QueryText(const std::string& /*title*/,
                                                  const std::string& prompt,
                                                  const std::string& /*initial*/) {
  // Nobody can answer: the query is cancelled.
  err_ << "question: " << prompt << '\n';
  return std::nullopt;
}

std::optional<std::string> CliUserPort::AskOpenFileName(const FileDialogRequest& /*request*/) {
  auto name = open_name_;
  open_name_.reset();
  return name;
}

std::optional<std::string> CliUserPort::AskSaveFileName(const FileDialogRequest& /*request*/) {
  auto name = save_name_;
  save_name_.reset();
  return name;
}

bool CliUserPort::PumpEvents() { return InterruptRequested(); }

void CliUserPort::ShowProgress(int maximum) { progress_maximum_ = maximum; }

void CliUserPort::SetProgress(int position) {
  if (show_progress_) err_ << "progress: " << position << '/' << progress_maximum_ << '\n';
}

void CliUserPort::HideProgress() {}

}  // namespace vido
