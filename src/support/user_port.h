#ifndef VIDO_SUPPORT_USER_PORT_H_
#define VIDO_SUPPORT_USER_PORT_H_

#include <optional>
#include <string>

namespace vido {

enum class MessageKind { kError, kWarning, kInformation };

// What a file dialog is asked to show. The filter uses the "Caption|pattern|..." form,
// e.g. "VIDO (v.2) (*.tri)|*.tri".
struct FileDialogRequest {
  std::string title;
  std::string filter;
  std::string default_extension;  // without the dot; appended when the name has none
  std::string file_name;          // initial name, possibly with a folder
  bool overwrite_prompt = false;
};

// The one door to the person and the platform. The desktop program implements it
// with dialogs, the command line with standard error and fixed answers, the tests
// with a scripted fake. Commands receive it explicitly.
class UserPort {
 public:
  virtual ~UserPort() = default;

  // Error, warning and information boxes with an OK button.
  virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
  // A Yes/No confirmation; true means Yes.
  virtual bool Confirm(const std::string& text) = 0;
  // The engine's box: no icon, OK and Cancel. Callers ignore the answer.
  virtual bool EngineMessage(const std::string& text) = 0;
  // A one-line text query; nothing when the user cancels.
  virtual std::optional<std::string> QueryText(const std::string& title, const std::string& prompt,
                                               const std::string& initial) = 0;
  // File dialogs; the full name chosen, or nothing on cancel.
  virtual std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) = 0;

  virtual void SetBusy(bool busy) = 0;
  // The progress panel "Calculating. Please wait..." with its bar 0..maximum.
  virtual void ShowProgress(int maximum) = 0;
  virtual void SetProgress(int position) = 0;
  virtual void HideProgress() = 0;
  // Lets the user interface process pending events; true when the user asked to
  // cancel the running computation.
  virtual bool PumpEvents() = 0;
  // Opens a help page with the desktop's default handler; false on failure.
  virtual bool OpenHelpPage(const std::string& path) = 0;

  void Error(const std::string& text) { ShowMessage(MessageKind::kError, text); }
  void Warning(const std::string& text) { ShowMessage(MessageKind::kWarning, text); }
  void Information(const std::string& text) { ShowMessage(MessageKind::kInformation, text); }
};

// A port nobody sits at: every message is dropped, questions are answered No,
// dialogs are cancelled and nothing is ever cancelled by the user.
class SilentUserPort : public UserPort {
 public:
  void ShowMessage(MessageKind, const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  bool EngineMessage(const std::string&) override { return true; }
  std::optional<std::string> QueryText(const std::string&, const std::string&,
                                       const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> AskOpenFileName(const FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<std::string> AskSaveFileName(const FileDialogRequest&) override {
    return std::nullopt;
  }
  void SetBusy(bool) override {}
  void ShowProgress(int) override {}
  void SetProgress(int) override {}
  void HideProgress() override {}
  bool PumpEvents() override { return false; }
  bool OpenHelpPage(const std::string&) override { return false; }
};

// Keeps the busy cursor shown for the lifetime of a command, whatever way it ends.
class BusyCursor {
 public:
  explicit BusyCursor(UserPort& port) : port_(port) { port_.SetBusy(true); }
  ~BusyCursor() { port_.SetBusy(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  UserPort& port_;
};

}  // namespace vido

#endif  // VIDO_SUPPORT_USER_PORT_H_
