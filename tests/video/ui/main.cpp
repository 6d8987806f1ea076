// Runs the Qt test classes of the video windows in one program.
#include <QApplication>
#include <QTest>

#include "video/ui/TestClasses.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failed = 0;
  {
    kelta::VideoPanelsTest test;
    failed += QTest::qExec(&test, argc, argv);
  }
  {
    kelta::PlayThreadTest test;
    failed += QTest::qExec(&test, argc, argv);
  }
  {
    kelta::VideoFrameBarTest test;
    failed += QTest::qExec(&test, argc, argv);
  }
  {
    kelta::VideoOpeningTest test;
    failed += QTest::qExec(&test, argc, argv);
  }
  {
    kelta::StillFrameTest test;
    failed += QTest::qExec(&test, argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
