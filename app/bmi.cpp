// The body mass index calculator: the framework starts, then the application and the main form;
// the message loop runs until the window closes, and the framework shuts down in reverse.

#include "app/uMain.h"
#include "app/uStartup.h"
#include "app/uWidgetStartup.h"
#include "env/uProjectInfo.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEvent>
#include <QIcon>
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

enum class TCommandLine {
  Run,
  Exit,
  Fail
};

// The standard options of a Qt program: --help, --help-all and --version print their text and
// end the program; anything else on the command line is an error.
TCommandLine ReadCommandLine(const QApplication& Application) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Calculates the body mass index from a height and a weight, or the weight from an index.");
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  if (!parser.parse(Application.arguments())) {
    std::fprintf(stderr, "bmi: %s\n", qPrintable(parser.errorText()));
    return TCommandLine::Fail;
  }
  if (!parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "bmi: unexpected argument '%s'\n",
                 qPrintable(parser.positionalArguments().constFirst()));
    return TCommandLine::Fail;
  }
  if (parser.isSet(help) || parser.isSet("help-all")) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    return TCommandLine::Exit;
  }
  if (parser.isSet(version)) {
    std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                qPrintable(QCoreApplication::applicationVersion()));
    return TCommandLine::Exit;
  }
  return TCommandLine::Run;
}

} // namespace

int main(int argc, char** argv) {
  try {
    TFrameworkScope framework;
    QApplication application(argc, argv);
    // Qt takes the user's locale for the C library too; the framework reads the locale through
    // its own settings and keeps C's number format plain.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("bmi");
    QApplication::setApplicationDisplayName("Body Mass Index");
    QApplication::setApplicationVersion(QString::fromStdString(GetProjectInfo(piFileVersion)));
    // The desktop entry's name lets docks and Wayland compositors match the window to it.
    QGuiApplication::setDesktopFileName("bmi");
    QApplication::setWindowIcon(QIcon(":/icons/bmi.svg"));
    switch (ReadCommandLine(application)) {
    case TCommandLine::Run:
      break;
    case TCommandLine::Exit:
      return 0;
    case TCommandLine::Fail:
      return 1;
    }
    // The widget layer shows the reports kept since start-up before the window appears, and
    // shuts down before the application object and the framework's modules.
    TWidgetFrameworkScope widgets;
    TfMain form;
    TQuitAfterFirstPaint quitAfterFirstPaint;
    if (qEnvironmentVariableIsSet("BMI_EXIT_AFTER_FIRST_PAINT"))
      form.installEventFilter(&quitAfterFirstPaint);
    form.show();
    return QApplication::exec();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bmi: %s\n", error.what());
    return 1;
  }
}
