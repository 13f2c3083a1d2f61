#ifndef VIDO_TESTS_COMMON_FAKE_USER_PORT_H_
#define VIDO_TESTS_COMMON_FAKE_USER_PORT_H_

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "support/user_port.h"

namespace vido::testing {

// A scripted UserPort: records every message and dialog, replays prepared answers.
// An unscripted confirmation answers No, an unscripted query or dialog cancels.
class FakeUserPort : public UserPort {
 public:
  struct Message {
    MessageKind kind;
    std::string text;
    bool operator==(const Message&) const = default;
  };

  // Everything the program said, in order.
  std::vector<Message> messages;
  std::vector<std::string> confirmations;    // texts of the Yes/No questions asked
  std::vector<std::string> engine_messages;  // texts of the engine's OK/Cancel boxes
  std::vector<std::string> queries;          // prompts of the text queries
  std::vector<FileDialogRequest> open_requests;
  std::vector<FileDialogRequest> save_requests;
  std::vector<std::string> help_pages;
  std::vector<int> progress_positions;
  int progress_maximum = -1;
  bool progress_visible = false;
  bool busy = false;
  int busy_changes = 0;
  int pumps = 0;

  // Prepared answers, consumed front first.
  std::deque<bool> confirm_answers;
  std::deque<std::optional<std::string>> query_answers;
  std::deque<std::optional<std::string>> open_answers;
  std::deque<std::optional<std::string>> save_answers;
  bool help_opens = true;
  // PumpEvents reports a cancel request from this pump on (1-based); 0 never.
  int cancel_at_pump = 0;

  void ShowMessage(MessageKind kind, const std::string& text) override {
    messages.push_back({kind, text});
  }
  bool Confirm(const std::string& text) override {
    confirmations.push_back(text);
    if (confirm_answers.empty()) return false;
    const bool answer = confirm_answers.front();
    confirm_answers.pop_front();
    return answer;
  }
  bool EngineMessage(const std::string& text) override {
    engine_messages.push_back(text);
    return true;
  }
  std::optional<std::string> QueryText(const std::string& /*title*/, const std::string& prompt,
                                       const std::string& /*initial*/) override {
    queries.push_back(prompt);
    return Next(query_answers);
  }
  std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) override {
    open_requests.push_back(request);
    return Next(open_answers);
  }
  std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) override {
    save_requests.push_back(request);
    return Next(save_answers);
  }
  void SetBusy(bool b) override {
    busy = b;
    ++busy_changes;
  }
  void ShowProgress(int maximum) override {
    progress_maximum = maximum;
    progress_visible = true;
  }
  void SetProgress(int position) override { progress_positions.push_back(position); }
  void HideProgress() override { progress_visible = false; }
  bool PumpEvents() override {
    ++pumps;
    return cancel_at_pump > 0 && pumps >= cancel_at_pump;
  }
  bool OpenHelpPage(const std::string& path) override {
    help_pages.push_back(path);
    return help_opens;
  }

  // Texts of the messages of one kind, in order.
  std::vector<std::string> Texts(MessageKind kind) const {
    std::vector<std::string> out;
    for (const auto& m : messages) {
      if (m.kind == kind) out.push_back(m.text);
    }
    return out;
  }
  std::vector<std::string> Errors() const { return Texts(MessageKind::kError); }
  std::vector<std::string> Warnings() const { return Texts(MessageKind::kWarning); }
  std::vector<std::string> Informations() const { return Texts(MessageKind::kInformation); }

 private:
  static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace vido::testing

#endif  // VIDO_TESTS_COMMON_FAKE_USER_PORT_H_
