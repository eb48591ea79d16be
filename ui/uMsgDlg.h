#pragma once

// The message dialog: every report of the framework becomes an entry of the message list
// (uMsgList), and one modal dialog, TfMsgDlg, shows the newest entry, pages through all of them,
// takes an answer for each, reuses an answer for identical later reports, stops showing dialogs
// ("Never Show"), or ends the program. An unanswered dialog closes itself when the entry's
// time-out has passed; moving the mouse over it starts the countdown again. Time is read from the
// tick counter (platform/uClock), so tests drive the countdown with a fake clock.

#include "report/uTypes.h"
#include "ui/uDForm.h"
#include "ui/uDTimer.h"
#include "ui/uMsgList.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class QLabel;
class QTextEdit;
class TDButton;
class TDEdit;
class TDLabel;

// Queues a report: reuses a stored answer when the answer mode asks for it, else appends an
// entry; shows the dialog unless it is on screen already, no dialog is to be shown any more or an
// answer was reused. Returns the answer given to this report's own entry (the 0-based index into
// Buttons), the reused answer, or -1: no answer, time-out, closed window, or the dialog already
// on screen (the open dialog reaches the new entry after the ones before it). Without a
// QApplication, or away from its thread, the entry is kept and -1 returned at once.
std::int32_t ShowQueuedMessage(const std::string& Text, const TArrayOfString& Params, bool Retry,
                               TMessageLevel Level, const TArrayOfString& Buttons,
                               std::uint16_t TimeOut);

// Installs ShowQueuedMessage as the dialog of every report (showing what was kept since the
// start); RemoveMsgDlg puts back the dialog installed before and frees the message list.
// Installing twice keeps the first dialog to put back; removing what is not installed only frees
// the list.
void InstallMsgDlg();
void RemoveMsgDlg();

// The dialog while it is open, else nullptr.
class TfMsgDlg;
TfMsgDlg* fMsgDlg() noexcept;

class TfMsgDlg : public TDForm {
  Q_OBJECT

 public:
  explicit TfMsgDlg(QWidget* Parent = nullptr);
  ~TfMsgDlg() override;

  // Shows entry Index of the message list: its place, creation time, level, text and buttons,
  // with the dialog sized to them inside the work area of its monitor.
  void ShowMessage(std::size_t Index);
  // The shown entry's index.
  std::size_t ActualMsg() const noexcept { return ActualMsg_; }
  // The entry as the clipboard gets it on Ctrl+C: caption, creation time and the message.
  QString EntryText() const;

  // The components, as the form lays them out.
  QLabel* Image = nullptr;
  TDLabel* LabelMessage = nullptr;
  TDLabel* LabelTimeLeft = nullptr;
  TDLabel* LabelCreated = nullptr;
  TDLabel* PanelTimeLeft = nullptr;
  TDLabel* PanelCreated = nullptr;
  TDButton* ButtonLeft = nullptr;
  TDButton* ButtonRight = nullptr;
  TDEdit* EditIndex = nullptr;
  TDLabel* LabelX = nullptr;
  TDEdit* PanelCount = nullptr;
  QTextEdit* MemoMsg = nullptr;
  TDButton* ButtonAll = nullptr;
  TDButton* ButtonExit = nullptr;
  TDTimer Timer1;
  // The answer buttons of the shown entry, visible ones first; reused from entry to entry.
  std::vector<TDButton*> AnswerButtons;

  // The rectangle of the bevel around the navigation area.
  static constexpr int BevelLeft = 44, BevelTop = 4, BevelRight = 222, BevelBottom = 36;

  // The tick count (ms) of the latest timer tick and of the start of the countdown.
  std::int64_t TickNow = 0;
  std::int64_t TickStart = 0;

  // The handlers.
  void AnswerClick(int Index);
  void ButtonExitClick();
  void ButtonLeftClick(int Tag);
  void EditIndexChange();
  void Timer1Timer();
  void LabelTimeLeftClick();
  void FormClick();
  void FormShow();
  // Sets or clears ShiftDown and renames ButtonAll and ButtonExit.
  void SetShiftDown(bool Down);
  bool ShiftDown() const noexcept { return ShiftDown_; }
  // The remaining time of the shown entry on PanelTimeLeft.
  void UpdateTimeLeft();
  // The countdown starts again from the entry's whole time-out.
  void RestartCountdown();

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void keyReleaseEvent(QKeyEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void hideEvent(QHideEvent* Event) override;

 private:
  TDButton* AnswerButton(std::size_t Index);
  void FillMemo(const TIgnore& Entry);
  // Handles the keys and the mouse that every component shares with the form; true when done.
  bool SharedInput(QObject* Watched, QEvent* Event);
  // Mouse tracking and the shared input filter on every component made so far.
  void WatchComponents();

  std::size_t ActualMsg_ = 0;
  bool ShiftDown_ = false;
};

// The milliseconds of the tick counter now.
std::int64_t TickMilliseconds() noexcept;
