#include <QApplication>
#include <QDir>
#include <QTest>

#include "app/app_tests.h"

int main(int argc, char* argv[]) {
  // The window keeps its size and place in the settings: the tests keep theirs in a
  // folder of their own, never the user's.
  const QByteArray config = QDir::currentPath().toUtf8() + "/settings";
  qputenv("XDG_CONFIG_HOME", config);
  QDir(QString::fromUtf8(config)).removeRecursively();
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName("VIDO-tests");
  QCoreApplication::setApplicationName("VIDO-tests");
  int failures = 0;
  {
    vido::testing::MainWindowTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  {
    vido::testing::GridTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  {
    vido::testing::ResultsTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
