// The body mass index calculator: the framework starts, then the application and the main form;
// the message loop runs until the window closes, and the framework shuts down in reverse.

#include "app/uMain.h"
#include "app/uStartup.h"
#include "report/uMsgBox.h"
#include "ui/uDBitmap.h"
#include "ui/uDesktopColors.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <exception>

namespace {

// With BMI_EXIT_AFTER_FIRST_PAINT set, the program quits once the window has painted, so that
// the time from start to first paint can be measured from outside.
class TQuitAfterFirstPaint : public QObject {
 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::Paint)
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return QObject::eventFilter(Watched, Event);
  }
};

} // namespace

int main(int argc, char** argv) {
  try {
    TFrameworkScope framework;
    QApplication application(argc, argv);
    // Qt takes the user's locale for the C library too; the framework reads the locale through
    // its own settings and keeps C's number format plain.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationDisplayName("Body Mass Index");
    InstallDesktopColors();
    InstallMessageBox();
    TfMain form;
    TQuitAfterFirstPaint quitAfterFirstPaint;
    if (qEnvironmentVariableIsSet("BMI_EXIT_AFTER_FIRST_PAINT"))
      form.installEventFilter(&quitAfterFirstPaint);
    form.show();
    const int result = QApplication::exec();
    // The widget layer shuts down before the application object and the framework's modules.
    RemoveMessageBox();
    FinalizeDBitmap();
    return result;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bmi: %s\n", error.what());
    return 1;
  }
}
