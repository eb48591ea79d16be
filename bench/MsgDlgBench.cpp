// The message dialog from ShowQueuedMessage to its first paint with a message of 500 lines,
// beside a QMessageBox showing the same text; each is closed as its first paint arrives. The two
// run alternately and are compared by the median of their wall times. Runs on Qt's offscreen
// platform unless QT_QPA_PLATFORM says otherwise; no sound is played (a recording player).

#include "app/uStartup.h"
#include "app/uWidgetStartup.h"
#include "platform/uSoundPlayer.h"
#include "report/uMsg.h"
#include "ui/uMsgDlg.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using TClockTime = std::chrono::steady_clock::time_point;

// Notes the time of the first paint of a dialog of the watched kind and closes it.
class TFirstPaint : public QObject {
 public:
  TClockTime Painted;
  bool Seen = false;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (!Seen && Event->type() == QEvent::Paint) {
      auto* dialog = qobject_cast<QDialog*>(Watched);
      if (dialog && dialog->isWindow()) {
        Painted = std::chrono::steady_clock::now();
        Seen = true;
        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
      }
    }
    return false;
  }
};

// Plays nothing: the figures measure the dialog, not the sound device.
class TSilentPlayer : public TSoundPlayer {
 public:
  int PlayImage(std::shared_ptr<const std::uint8_t[]>, std::size_t) override { return 0; }
  int PlayFile(const std::string&) override { return 0; }
  int PlayThemeSound(const std::string&) override { return 0; }
  int Stop() override { return 0; }
};

// Drops the offscreen platform's note on size hints, which every dialog shown would print.
void QuietOffscreenNotes(QtMsgType, const QMessageLogContext&, const QString& Text) {
  if (Text != QLatin1String("This plugin does not support propagateSizeHints()"))
    std::fprintf(stderr, "%s\n", qPrintable(Text));
}

double Median(std::vector<double> Values) {
  std::sort(Values.begin(), Values.end());
  return Values[Values.size() / 2];
}

template <class TShow>
double Measure(const TShow& Show) {
  TFirstPaint watch;
  qApp->installEventFilter(&watch);
  const TClockTime start = std::chrono::steady_clock::now();
  Show();
  qApp->removeEventFilter(&watch);
  if (!watch.Seen) {
    std::fprintf(stderr, "no paint seen\n");
    std::exit(1);
  }
  return std::chrono::duration<double, std::milli>(watch.Painted - start).count();
}

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietOffscreenNotes);
  TFrameworkScope framework;
  QApplication application(argc, argv);
  TWidgetFrameworkScope widgets;
  TSilentPlayer player;
  TSoundPlayer* previous = SetSoundPlayer(&player);
  const int runs = argc > 1 ? std::atoi(argv[1]) : 30;

  std::string text;
  for (int line = 1; line <= 500; ++line)
    text += "Line " + std::to_string(line) + " of a long report, file %1\n";
  const TArrayOfString params = {"/home/user/data.csv"};
  const QString filled = QString::fromStdString(ReplaceParams(text, params));

  const auto ours = [&] {
    ShowQueuedMessage(text, params, false, mlWarning, {"OK"}, MessageTimeOut);
  };
  const auto theirs = [&] {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), filled, QMessageBox::Ok);
    box.exec();
  };
  // One run of each first, so that neither pays for cold caches in the figures.
  Measure(ours);
  Measure(theirs);
  std::vector<double> dialog, messageBox;
  for (int i = 0; i < runs; ++i) {
    dialog.push_back(Measure(ours));
    messageBox.push_back(Measure(theirs));
  }
  SetSoundPlayer(previous);
  const double a = Median(dialog), b = Median(messageBox);
  std::printf("ShowQueuedMessage to first paint, 500 lines, median of %d runs (%s):\n", runs,
              qgetenv("QT_QPA_PLATFORM").constData());
  std::printf("  message dialog  %7.2f ms\n  QMessageBox     %7.2f ms\n  ratio (QMessageBox / "
              "dialog) %5.2f\n",
              a, b, b / a);
  return 0;
}
