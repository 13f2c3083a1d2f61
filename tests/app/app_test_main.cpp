#include <QApplication>
#include <QTest>

#include "app/app_tests.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
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
