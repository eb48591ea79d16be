// Runs every widget test inside a QApplication with both stages of the framework started, as the
// program runs.
// The application lives from before the first test to after the last, so tests may show windows
// and run modal loops. Without a platform named in QT_QPA_PLATFORM the tests run offscreen.

#include "app/uWidgetStartup.h"
#include "support/FrameworkEnvironment.h"
#include "ui/uMsgDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QtGlobal>

namespace {

QtMessageHandler QtDefaultHandler = nullptr;

// Drops the offscreen platform's notes that it cannot pass size hints on, raise a window or grab
// the keyboard, which every dialog, list and menu shown would print; every other message goes on
// as Qt prints it.
void QuietOffscreenNotes(QtMsgType Type, const QMessageLogContext& Context, const QString& Text) {
  if (Text == QLatin1String("This plugin does not support propagateSizeHints()") ||
      Text == QLatin1String("This plugin does not support raise()") ||
      Text == QLatin1String("This plugin does not support grabbing the keyboard"))
    return;
  if (QtDefaultHandler)
    QtDefaultHandler(Type, Context, Text);
}

// Starts the widget layer as the program does, after the core. Tests install the dialogs they
// need, so the message dialog it installs is taken away again: a report answers at once.
class TWidgetFrameworkEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    InitializeWidgetFramework();
    RemoveMsgDlg();
  }
  void TearDown() override { FinalizeWidgetFramework(); }
};

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QtDefaultHandler = qInstallMessageHandler(QuietOffscreenNotes);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  // Google Test takes ownership of the environment.
  testing::AddGlobalTestEnvironment(new TFrameworkEnvironment);
  testing::AddGlobalTestEnvironment(new TWidgetFrameworkEnvironment);
  return RUN_ALL_TESTS();
}
