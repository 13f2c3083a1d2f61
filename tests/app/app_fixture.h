#ifndef VIDO_TESTS_APP_APP_FIXTURE_H_
#define VIDO_TESTS_APP_APP_FIXTURE_H_

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/fake_user_port.h"

namespace vido::testing {

// A main window whose dialogs are answered by a script: the port replays prepared
// answers, and modal dialogs are handed to `on_modal` instead of running a modal loop
// (which under the offscreen platform would wait forever).
struct WindowFixture {
  FakeUserPort port;
  QStringList modal_titles;
  std::function<int(QDialog&)> on_modal = [](QDialog&) { return int(QDialog::Rejected); };
  std::unique_ptr<MainWindow> window;

  explicit WindowFixture(const std::string& help_folder = std::string(VIDO_PROGRAM_DIR) +
                                                          "/Manual/") {
    window = std::make_unique<MainWindow>(port, help_folder);
    window->exec_modal = [this](QDialog& dialog) {
      modal_titles.push_back(dialog.windowTitle());
      return on_modal(dialog);
    };
  }

  Workspace& ws() { return window->workspace(); }

  // Chooses a menu command as the user would: its menu opens (the enabling rules run),
  // then the item is triggered if it is enabled.
  bool Choose(const QString& item) {
    QAction* action = window->Action(item);
    if (action == nullptr) return false;
    if (auto* menu = qobject_cast<QMenu*>(action->parent())) emit menu->aboutToShow();
    if (!action->isEnabled()) return false;
    action->trigger();
    return true;
  }

  static std::string SourceFile(const std::string& relative) {
    const char* dir = std::getenv("VIDO_SOURCE_DIR");
    return std::string(dir != nullptr ? dir : ".") + "/" + relative;
  }

  bool OpenExample() {
    port.open_answers = {SourceFile("examples/suppliers.tri")};
    return Choose("OpenOth");
  }

  static void Screenshot(QWidget* widget, const QString& name) {
    const char* dir = std::getenv("VIDO_SCREENSHOT_DIR");
    const QString folder = dir != nullptr ? QString(dir) : QDir::currentPath();
    QDir().mkpath(folder);
    // Layouts settle through posted events; a grab does not wait for them.
    QApplication::processEvents();
    widget->grab().save(folder + "/" + name + ".png");
  }
};

}  // namespace vido::testing

#endif  // VIDO_TESTS_APP_APP_FIXTURE_H_
