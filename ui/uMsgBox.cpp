#include "ui/uMsgBox.h"

#include "report/uMsg.h"
#include "sound/uWave.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t NoAnswer = -1;

// A message box that closes without an answer: its window's close button and the time-out leave
// no button pressed, where a plain QMessageBox would press its escape button or refuse to close.
class TNoAnswerBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void closeEvent(QCloseEvent* Event) override { QDialog::closeEvent(Event); }
};

QMessageBox::Icon LevelIcon(TMessageLevel Level) noexcept {
  switch (Level) {
  case mlConfirmation:
    return QMessageBox::Question;
  case mlDebug:
  case mlInformation:
    return QMessageBox::Information;
  case mlWarning:
    return QMessageBox::Warning;
  case mlError:
  case mlFatalError:
    return QMessageBox::Critical;
  default:
    return QMessageBox::NoIcon;
  }
}

QString FromUtf8(const std::string& Text) {
  return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

// True while a box is open: a report that comes in meanwhile, from a timer or another event that
// the modal run dispatches, gets no answer instead of a second box.
bool BoxOpen = false;

class TBoxOpenScope {
 public:
  TBoxOpenScope() noexcept { BoxOpen = true; }
  ~TBoxOpenScope() { BoxOpen = false; }
  TBoxOpenScope(const TBoxOpenScope&) = delete;
  TBoxOpenScope& operator=(const TBoxOpenScope&) = delete;
};

// Whether a box may be shown here: there is a QApplication, and this is its thread.
bool CanShowBox() noexcept {
  const QCoreApplication* application = QCoreApplication::instance();
  return application && qobject_cast<const QApplication*>(application) &&
         QThread::currentThread() == application->thread();
}

// The dialog that InstallMessageBox replaced, while the box is installed.
std::optional<TShowQueuedMessage> Replaced;

} // namespace

std::int32_t ShowMessageBox(const std::string& Text, const TArrayOfString& Params, bool /*Retry*/,
                            TMessageLevel Level, const TArrayOfString& Buttons,
                            std::uint16_t TimeOut) {
  if (BoxOpen || !CanShowBox())
    return NoAnswer;
  const TBoxOpenScope open;

  TNoAnswerBox box;
  box.setWindowTitle(FromUtf8(MessageLevelCaption(Level)));
  box.setIcon(LevelIcon(Level));
  // File names and parameters may hold "<" and "&": the text is never read as markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(FromUtf8(ReplaceParams(Text, Params)));

  // One role for all, so that the box keeps the buttons in the order of their captions.
  std::vector<const QAbstractButton*> answers;
  answers.reserve(Buttons.size());
  QPushButton* first = nullptr;
  QPushButton* last = nullptr;
  for (const std::string& caption : Buttons) {
    last = box.addButton(FromUtf8(caption), QMessageBox::ActionRole);
    if (!first)
      first = last;
    answers.push_back(last);
  }
  if (first) {
    box.setDefaultButton(first);
    box.setEscapeButton(last);
  }

  QTimer timeOut;
  if (TimeOut > 0) {
    timeOut.setSingleShot(true);
    QObject::connect(&timeOut, &QTimer::timeout, &box, [&box] { box.close(); });
    timeOut.start(std::chrono::seconds(TimeOut));
  }
  // The level's event sound, as the message dialog plays it when an entry is shown.
  PlayLevelSound(Level);
  box.exec();

  const QAbstractButton* pressed = box.clickedButton();
  for (std::size_t i = 0; i < answers.size(); ++i)
    if (pressed && answers[i] == pressed)
      return static_cast<std::int32_t>(i);
  return NoAnswer;
}

void InstallMessageBox() {
  if (!Replaced)
    Replaced = SetShowQueuedMessage(ShowMessageBox);
}

void RemoveMessageBox() {
  if (!Replaced)
    return;
  SetShowQueuedMessage(std::move(*Replaced));
  Replaced.reset();
}
