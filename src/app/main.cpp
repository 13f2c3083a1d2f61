#include <QApplication>

#include "app/main_window.h"
#include "app/qt_user_port.h"
#include "model/help_access.h"
#include "support/heap_reuse.h"

int main(int argc, char* argv[]) {
  vido::RetainFreedMemory();
  QApplication app(argc, argv);
  // Where the window's size, place and splitter are kept between sessions.
  QCoreApplication::setOrganizationName("VIDO");
  QCoreApplication::setApplicationName("VIDO");
  vido::QtUserPort port;
  const std::string program_folder = QCoreApplication::applicationDirPath().toStdString();
  vido::MainWindow window(port, vido::HelpFolderFor(program_folder));
  port.SetWindow(&window);
  window.show();
  return app.exec();
}
