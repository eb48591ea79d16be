// The peer of the start-up measurement: a minimal Qt window of three line edits, which quits after
// its first paint when BMI_EXIT_AFTER_FIRST_PAINT is set, as the calculator does.

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

namespace {

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
  QApplication application(argc, argv);
  QWidget window;
  window.setFixedSize(286, 58);
  for (int i = 0; i < 3; ++i)
    (new QLineEdit(&window))->setGeometry(16 + 88 * i, 24, 81, 21); // owned by the window
  TQuitAfterFirstPaint quit;
  if (qEnvironmentVariableIsSet("BMI_EXIT_AFTER_FIRST_PAINT"))
    window.installEventFilter(&quit);
  window.show();
  return QApplication::exec();
}
