// Runs every test with a Qt GUI application object and the framework started, for tests of code
// that runs in the event loop. The tests run with QT_QPA_PLATFORM=offscreen, so no display is
// needed.

#include "support/FrameworkEnvironment.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
  const QGuiApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  // Google Test takes ownership of the environment.
  testing::AddGlobalTestEnvironment(new TFrameworkEnvironment);
  return RUN_ALL_TESTS();
}
