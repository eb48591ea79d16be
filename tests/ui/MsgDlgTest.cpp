#include "report/uMsg.h"
#include "sound/SoundTestSupport.h"
#include "support/FakeClock.h"
#include "support/ModalDriver.h"
#include "text/uTranslate.h"
#include "ui/uDButton.h"
#include "ui/uDEdit.h"
#include "ui/uDLabel.h"
#include "ui/uMsgDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// Runs Act on the message dialog as soon as it is on screen, once.
using TDialogDriver = TModalDriver<TfMsgDlg>;

void Send(QWidget* Widget, QEvent::Type Type, int Key, Qt::KeyboardModifiers Modifiers = {}) {
  QKeyEvent event(Type, Key, Modifiers);
  QApplication::sendEvent(Widget, &event);
}

void MoveMouseOver(QWidget* Widget) {
  const QPointF at(Widget->width() / 2.0, Widget->height() / 2.0);
  QMouseEvent event(QEvent::MouseMove, at, Widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(Widget, &event);
}

std::function<void(TfMsgDlg&)> Answer(int Index) {
  return [Index](TfMsgDlg& Dialog) {
    QTest::mouseClick(Dialog.AnswerButtons.at(Index), Qt::LeftButton);
  };
}

// The dialog installed for every report, a clock that stands still unless the test moves it, and
// a sound player that records.
class TMsgDlgTest : public testing::Test {
 protected:
  void SetUp() override { InstallMsgDlg(); }
  void TearDown() override { RemoveMsgDlg(); }

  std::int32_t Ask(const std::string& Text, const TArrayOfString& Buttons,
                   TMessageLevel Level = mlError, bool Retry = false,
                   const TArrayOfString& Params = {}) {
    return ShowQueuedMessage(Text, Params, Retry, Level, Buttons, MessageTimeOut);
  }

  TFakeClock Clock;
  TClockScope ClockScope{Clock};
  TRecordingPlayer Player;
};

TEST_F(TMsgDlgTest, EnterAnswersTheFirstButtonAndEscTheLast) {
  const struct {
    int Key;
    std::int32_t Expected;
  } cases[] = {{Qt::Key_Return, 0}, {Qt::Key_Enter, 0}, {Qt::Key_Escape, 1}};
  for (const auto& c : cases) {
    const TDialogDriver driver([&](TfMsgDlg& dialog) {
      dialog.activateWindow();
      QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dialog,
                      static_cast<Qt::Key>(c.Key));
    });
    EXPECT_EQ(Ask("Cannot read", {"&Retry", "&Ignore"}, mlError, true), c.Expected) << c.Key;
    EXPECT_TRUE(driver.Acted());
  }
}

TEST_F(TMsgDlgTest, AnAnswerGivenForAllIsReusedWithoutSoundOrDialog) {
  const TDialogDriver first([](TfMsgDlg& dialog) {
    QTest::mouseClick(dialog.ButtonAll, Qt::LeftButton);
    EXPECT_TRUE(dialog.ButtonAll->Down());
    Answer(1)(dialog);
  });
  EXPECT_EQ(Ask("Cannot read %1", {"&Retry", "&Ignore"}, mlError, true, {"a"}), 1);
  EXPECT_EQ(AnswerMode(), amReuse);
  EXPECT_EQ(Player.Calls.size(), 1U) << "the first report sounds";

  Player.Calls.clear();
  {
    const TDialogDriver none([](TfMsgDlg& dialog) { dialog.reject(); });
    EXPECT_EQ(Ask("Cannot read %1", {"&Retry", "&Ignore"}, mlError, true, {"other file"}), 1);
    QApplication::processEvents();
    EXPECT_FALSE(none.Acted());
  }
  EXPECT_TRUE(Player.Calls.empty());
  EXPECT_EQ(MessageList().size(), 1U) << "a reused answer makes no entry";

  // Another template, level or retry flag still asks.
  const TDialogDriver again(Answer(0));
  EXPECT_EQ(Ask("Cannot write %1", {"&Retry", "&Ignore"}, mlError, true, {"a"}), 0);
  EXPECT_TRUE(again.Acted());
  EXPECT_EQ(Player.Calls.size(), 1U);
}

TEST_F(TMsgDlgTest, NeverShowSuppressesEveryLaterDialog) {
  const TDialogDriver first([](TfMsgDlg& dialog) {
    QTest::mouseClick(dialog.ButtonAll, Qt::LeftButton);
    Send(&dialog, QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(dialog.ButtonAll->Caption().toStdString(), "&Never Show");
    Answer(0)(dialog);
  });
  EXPECT_EQ(Ask("Disk full", {"OK"}), 0);
  EXPECT_EQ(AnswerMode(), amNeverShow);

  Player.Calls.clear();
  bool shown = false;
  const TDialogDriver none([&shown](TfMsgDlg& dialog) {
    shown = true;
    dialog.reject();
  });
  EXPECT_EQ(Ask("Disk full", {"OK"}), -1) << "not even the same report is answered";
  EXPECT_EQ(Ask("Something else", {"&Yes", "&No"}, mlConfirmation), -1);
  EXPECT_EQ(ShowMessageDialog("Sure?", {}, mlConfirmation, {mbYes, mbNo}), mbCancel);
  QApplication::processEvents();
  EXPECT_FALSE(shown);
  EXPECT_TRUE(Player.Calls.empty());
}

TEST_F(TMsgDlgTest, MovingTheMouseKeepsTheDialogOpenAndItClosesFifteenSecondsAfter) {
  bool openWhileMoving = true;
  bool openAtFifteen = false;
  bool closedAfter = false;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    QWidget* over[] = {&dialog, dialog.MemoMsg->viewport(), dialog.ButtonAll, dialog.PanelCreated,
                       dialog.EditIndex};
    for (int second = 0; second < 40; ++second) {
      Clock.Advance(1000);
      MoveMouseOver(over[second % std::size(over)]);
      TDIdleTimer::Instance()->Idle();
      openWhileMoving = openWhileMoving && dialog.isVisible();
    }
    EXPECT_EQ(dialog.PanelTimeLeft->Caption().toStdString(), "14");
    Clock.Advance(15000);
    dialog.Timer1Timer();
    openAtFifteen = dialog.isVisible();
    Clock.Advance(1);
    dialog.Timer1Timer();
    closedAfter = !dialog.isVisible();
  });
  EXPECT_EQ(Ask("Nobody answers", {"OK"}), -1);
  EXPECT_TRUE(openWhileMoving);
  EXPECT_TRUE(openAtFifteen);
  EXPECT_TRUE(closedAfter);
}

TEST_F(TMsgDlgTest, TheTimerClosesAnUntouchedDialog) {
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    for (int second = 0; second < 16 && dialog.isVisible(); ++second) {
      Clock.Advance(1000);
      TDIdleTimer::Instance()->Idle();
    }
  });
  EXPECT_EQ(Ask("Nobody answers", {"OK", "Cancel"}), -1);
  EXPECT_EQ(MessageList().at(0).Answer, -1);
}

TEST_F(TMsgDlgTest, ALongMessageIsLimitedToTheWorkAreaWithAScrollBar) {
  std::string text;
  for (int line = 1; line <= 400; ++line)
    text += "Line " + std::to_string(line) + "\n";
  bool scrollBar = false;
  int height = 0, workHeight = 0, memoHeight = 0;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    scrollBar = dialog.MemoMsg->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    height = dialog.frameGeometry().height();
    workHeight = dialog.screen()->availableGeometry().height();
    memoHeight = dialog.MemoMsg->height();
    Answer(0)(dialog);
  });
  EXPECT_EQ(Ask(text, {"OK"}, mlInformation), 0);
  EXPECT_TRUE(scrollBar);
  EXPECT_LE(height, workHeight);
  EXPECT_GT(memoHeight, 100);
}

TEST_F(TMsgDlgTest, AShortMessageHasNoScrollBar) {
  bool scrollBar = true;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    scrollBar = dialog.MemoMsg->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    Answer(0)(dialog);
  });
  EXPECT_EQ(Ask("One line", {"OK"}, mlInformation), 0);
  EXPECT_FALSE(scrollBar);
}

// Reports that come while the dialog is open get no answer at once; the open dialog reaches each
// after the one before it is answered, and its caller gets its own entry's answer.
TEST_F(TMsgDlgTest, ReportsQueuedWhileOpenAreReachedOneAfterAnother) {
  std::vector<std::int32_t> nested;
  std::vector<std::size_t> shown;
  bool openAfterLongWait = false;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    nested.push_back(Ask("Second", {"OK"}));
    nested.push_back(Ask("Third", {"&Yes", "&No"}, mlConfirmation));
    nested.push_back(Ask("Fourth", {"&Retry", "&Ignore"}));
    EXPECT_EQ(dialog.PanelCount->text().toStdString(), "1") << "the count as the dialog opened";
    shown.push_back(dialog.ActualMsg());
    Clock.Advance(14000);
    Answer(1)(dialog);
    // The entry now shown counts down from its whole time-out.
    Clock.Advance(2000);
    dialog.Timer1Timer();
    openAfterLongWait = dialog.isVisible();
    shown.push_back(dialog.ActualMsg());
    Answer(0)(dialog);
    shown.push_back(dialog.ActualMsg());
    Answer(1)(dialog);
    shown.push_back(dialog.ActualMsg());
    EXPECT_EQ(dialog.PanelCount->text().toStdString(), "4");
    Answer(0)(dialog);
  });
  EXPECT_EQ(Ask("First", {"&Retry", "&Ignore"}), 1);
  EXPECT_EQ(nested, (std::vector<std::int32_t>{-1, -1, -1}));
  EXPECT_EQ(shown, (std::vector<std::size_t>{0, 1, 2, 3}));
  EXPECT_TRUE(openAfterLongWait);
  std::vector<std::int32_t> answers;
  for (const TIgnore& entry : MessageList())
    answers.push_back(entry.Answer);
  EXPECT_EQ(answers, (std::vector<std::int32_t>{1, 0, 1, 0}));
}

// An entry left unanswered by an earlier dialog is offered after the new one: the caller of the
// new one still receives its own answer, not the older entry's.
TEST_F(TMsgDlgTest, TheCallerReceivesItsOwnAnswer) {
  const TDialogDriver timeOut([](TfMsgDlg& dialog) { dialog.reject(); });
  EXPECT_EQ(Ask("Old question", {"&Retry", "&Ignore"}, mlError, true), -1);
  std::vector<std::string> order;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    order.push_back(dialog.MemoMsg->toPlainText().toStdString());
    Answer(1)(dialog);
    order.push_back(dialog.MemoMsg->toPlainText().toStdString());
    Answer(0)(dialog);
  });
  EXPECT_FALSE(ShowIOErrorMessageRetry("f.txt", "Cannot read")) << "answered Ignore";
  EXPECT_EQ(order, (std::vector<std::string>{"Cannot read\n'f.txt'", "Old question"}));
  EXPECT_EQ(MessageList().at(0).Answer, 0);
}

TEST_F(TMsgDlgTest, ShiftRenamesTheTwoButtonsThroughTheDictionary) {
  static const auto Marked = [](std::string_view Text) { return "[" + std::string(Text) + "]"; };
  const TTranslateHook previous = SetTranslateHook(+Marked);
  std::vector<std::string> captions;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    Send(dialog.MemoMsg, QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    captions.push_back(dialog.ButtonAll->Caption().toStdString());
    captions.push_back(dialog.ButtonExit->Caption().toStdString());
    EXPECT_TRUE(dialog.ShiftDown());
    Send(dialog.AnswerButtons.at(0), QEvent::KeyRelease, Qt::Key_Shift);
    captions.push_back(dialog.ButtonAll->Caption().toStdString());
    captions.push_back(dialog.ButtonExit->Caption().toStdString());
    EXPECT_FALSE(dialog.ShiftDown());
    Answer(0)(dialog);
  });
  Ask("Note", {"OK"});
  SetTranslateHook(previous);
  EXPECT_EQ(captions, (std::vector<std::string>{"[&Never Show]", "[&Terminate]",
                                                "[&Use Answer for All]", "[&Close Program]"}));
}

TEST_F(TMsgDlgTest, ShowsTheEntryWithItsParametersHighlighted) {
  std::string caption, text, created;
  std::vector<bool> bold;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    caption = dialog.windowTitle().toStdString();
    text = dialog.MemoMsg->toPlainText().toStdString();
    created = dialog.PanelCreated->Caption().toStdString();
    // "Ž\n'žluť' x '😀' y": bold exactly over each parameter, quotes excluded.
    QTextCursor cursor(dialog.MemoMsg->document());
    for (int position = 1; position <= dialog.MemoMsg->document()->characterCount() - 1;
         ++position) {
      cursor.setPosition(position);
      bold.push_back(cursor.charFormat().fontWeight() == QFont::Bold);
    }
    Answer(0)(dialog);
  });
  Ask("Ž\n%1 x %2 y", {"OK"}, mlWarning, false, {"žluť", "😀"});
  EXPECT_EQ(caption, "Warning");
  EXPECT_EQ(text, "Ž\n'žluť' x '😀' y");
  EXPECT_FALSE(created.empty());
  // The format at position p is that of the character before p.
  // "😀" is two characters of the document.
  const std::vector<bool> expected = {false, false, false, true, true, true,  true,  false, false,
                                      false, false, false, true, true, false, false, false};
  EXPECT_EQ(bold, expected);
}

TEST_F(TMsgDlgTest, NavigatesWithTheArrowsAndTheIndex) {
  const TDialogDriver timeOut([](TfMsgDlg& dialog) { dialog.reject(); });
  Ask("A", {"OK"});
  std::vector<std::string> texts;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    const auto now = [&] { texts.push_back(dialog.MemoMsg->toPlainText().toStdString()); };
    now();
    QTest::mouseClick(dialog.ButtonLeft, Qt::LeftButton);
    now();
    QTest::mouseClick(dialog.ButtonLeft, Qt::LeftButton);
    now();
    QTest::mouseClick(dialog.ButtonRight, Qt::LeftButton);
    now();
    dialog.EditIndex->setText(QStringLiteral("1"));
    now();
    dialog.EditIndex->setText(QStringLiteral("1+1"));
    now();
    EXPECT_FALSE(ShowsHint(dialog.EditIndex));
    dialog.EditIndex->setText(QStringLiteral("99"));
    now();
    EXPECT_TRUE(ShowsHint(dialog.EditIndex)) << "the number out of range is shown on the edit";
    dialog.EditIndex->setText(QStringLiteral("1"));
    now();
    EXPECT_FALSE(ShowsHint(dialog.EditIndex));
    // Answering the older entry shown leaves the dialog's own entry to answer.
    Answer(0)(dialog);
    now();
    Answer(1)(dialog);
  });
  EXPECT_EQ(Ask("B", {"OK", "Cancel"}), 1);
  EXPECT_EQ(texts, (std::vector<std::string>{"B", "A", "A", "B", "A", "B", "B", "A", "B"}));
}

TEST_F(TMsgDlgTest, CtrlCCopiesTheShownEntry) {
  std::string copied;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    QApplication::clipboard()->clear();
    Send(dialog.AnswerButtons.at(0), QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    copied = QApplication::clipboard()->text().toStdString();
    Answer(0)(dialog);
  });
  Ask("Cannot open %1", {"OK"}, mlError, false, {"a.txt"});
  EXPECT_TRUE(copied.starts_with("Error\nCreated: ")) << copied;
  EXPECT_TRUE(copied.ends_with("\n\nCannot open 'a.txt'\n")) << copied;
}

TEST_F(TMsgDlgTest, CloseProgramClosesTheMainForm) {
  QWidget main;
  main.show();
  const TDialogDriver driver(
      [](TfMsgDlg& dialog) { QTest::mouseClick(dialog.ButtonExit, Qt::LeftButton); });
  EXPECT_EQ(Ask("Fatal", {"OK"}, mlFatalError), -1);
  EXPECT_FALSE(main.isVisible());
}

TEST_F(TMsgDlgTest, TerminateEndsTheProcessWithCodeOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  QWidget main;
  main.show();
  EXPECT_EXIT(
      {
        const TDialogDriver driver([](TfMsgDlg& dialog) {
          Send(&dialog, QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
          QTest::mouseClick(dialog.ButtonExit, Qt::LeftButton, Qt::ShiftModifier);
        });
        Ask("Fatal", {"OK"}, mlFatalError);
      },
      testing::ExitedWithCode(1), "");
}

TEST_F(TMsgDlgTest, ClickingTheBackgroundStopsTheCountdown) {
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(dialog.width() - 4, 50));
    EXPECT_EQ(dialog.PanelTimeLeft->Caption().toStdString(), "");
    Clock.Advance(60000);
    dialog.Timer1Timer();
    EXPECT_TRUE(dialog.isVisible());
    Answer(0)(dialog);
  });
  EXPECT_EQ(Ask("Stay", {"OK"}), 0);
}

TEST_F(TMsgDlgTest, ClickingTheTimeLeftStopsTheTimer) {
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    QTest::mouseClick(dialog.PanelTimeLeft, Qt::LeftButton);
    EXPECT_FALSE(dialog.Timer1.Enabled());
    Answer(0)(dialog);
  });
  EXPECT_EQ(Ask("Stay", {"OK"}), 0);
}

// Many answers widen the dialog rather than lay their buttons over the two on the left.
TEST_F(TMsgDlgTest, TheAnswerButtonsStayClearOfTheButtonsOnTheLeft) {
  int exitRight = 0, firstAnswer = 0, lastRight = 0, width = 0;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    exitRight = dialog.ButtonExit->geometry().right();
    firstAnswer = dialog.AnswerButtons.front()->x();
    lastRight = dialog.AnswerButtons.back()->geometry().right();
    width = dialog.width();
    Answer(4)(dialog);
  });
  EXPECT_EQ(Ask("Reload?", {"&Yes", "Yes to &All", "&No", "N&o to All", "Cancel"}, mlConfirmation),
            4);
  EXPECT_GT(firstAnswer, exitRight);
  EXPECT_LT(lastRight, width);
}

TEST_F(TMsgDlgTest, PlaysTheLevelsSoundOnceAsItOpens) {
  const struct {
    TMessageLevel Level;
    const char* Sound;
  } cases[] = {{mlError, "theme dialog-error"},
               {mlWarning, "theme dialog-warning"},
               {mlConfirmation, "theme dialog-question"},
               {mlNone, nullptr}};
  for (const auto& c : cases) {
    Player.Calls.clear();
    const TDialogDriver driver(Answer(0));
    EXPECT_EQ(Ask("Note", {"OK"}, c.Level), 0);
    const std::vector<std::string> expected =
        c.Sound ? std::vector<std::string>{c.Sound} : std::vector<std::string>{};
    EXPECT_EQ(Player.Calls, expected) << MessageLevelCaption(c.Level);
  }
}

// With text selected in the memo, Ctrl+C there copies the selection, as a Linux user expects.
TEST_F(TMsgDlgTest, CtrlCInTheMemoCopiesItsSelection) {
  std::string copied;
  bool selectable = false;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    selectable = dialog.MemoMsg->textInteractionFlags() & Qt::TextSelectableByMouse;
    QTextCursor cursor(dialog.MemoMsg->document());
    cursor.setPosition(7);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    dialog.MemoMsg->setTextCursor(cursor);
    QApplication::clipboard()->clear();
    QTest::keyClick(dialog.MemoMsg, Qt::Key_C, Qt::ControlModifier);
    copied = QApplication::clipboard()->text().toStdString();
    Answer(0)(dialog);
  });
  Ask("Cannot open %1", {"OK"}, mlError, false, {"a.txt"});
  EXPECT_TRUE(selectable);
  EXPECT_EQ(copied, "ope");
}

// The template passes through the dictionary before its parameters are filled in; system error
// texts, which begin with "Error Code", do not.
TEST_F(TMsgDlgTest, TranslatesTheTemplateUnlessItIsASystemErrorText) {
  static const auto Marked = [](std::string_view Text) { return "[" + std::string(Text) + "]"; };
  const TTranslateHook previous = SetTranslateHook(+Marked);
  const struct {
    const char* Template;
    const char* Shown;
  } cases[] = {
      {"Cannot read %1", "[Cannot read 'x']"},
      {"Error Code 2 - No such file or directory\n%1",
       "Error Code 2 - No such file or directory\n'x'"},
      {"error Code %1", "[error Code 'x']"},
  };
  for (const auto& c : cases) {
    std::string shown;
    const TDialogDriver driver([&](TfMsgDlg& dialog) {
      shown = dialog.MemoMsg->toPlainText().toStdString();
      Answer(0)(dialog);
    });
    Ask(c.Template, {"OK"}, mlError, false, {"x"});
    EXPECT_EQ(shown, c.Shown) << c.Template;
  }
  SetTranslateHook(previous);
}

} // namespace
