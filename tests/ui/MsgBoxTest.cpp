#include "report/uMsg.h"
#include "sound/SoundTestSupport.h"
#include "ui/uMsgBox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// Long enough never to end a box that a test drives; it only keeps a broken test from waiting
// for ever, since the box then closes with no answer and the test fails on it.
constexpr std::uint16_t SafetyTimeOut = 60;

// Runs Act on the message box as soon as it is on screen, from inside its modal run.
class TBoxDriver {
 public:
  explicit TBoxDriver(std::function<void(QMessageBox&)> Act) : Act_(std::move(Act)) {
    QObject::connect(&Poll_, &QTimer::timeout, &Poll_, [this] { Poll(); });
    Poll_.start(0);
  }

  bool Acted() const noexcept { return Acted_; }

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
      return;
    Poll_.stop();
    Acted_ = true;
    Act_(*box);
  }

  std::function<void(QMessageBox&)> Act_;
  QTimer Poll_;
  bool Acted_ = false;
};

// The box's buttons from left to right.
std::vector<QAbstractButton*> ButtonsInRow(const QMessageBox& Box) {
  std::vector<QAbstractButton*> buttons;
  for (QAbstractButton* button : Box.buttons())
    if (button->isVisible())
      buttons.push_back(button);
  std::sort(buttons.begin(), buttons.end(), [&Box](QAbstractButton* a, QAbstractButton* b) {
    return a->mapTo(&Box, QPoint()).x() < b->mapTo(&Box, QPoint()).x();
  });
  return buttons;
}

std::vector<std::string> Captions(const std::vector<QAbstractButton*>& Buttons) {
  std::vector<std::string> captions;
  for (const QAbstractButton* button : Buttons)
    captions.push_back(button->text().toStdString());
  return captions;
}

// Clicks the button with the caption Caption with the mouse.
std::function<void(QMessageBox&)> Click(std::string Caption) {
  return [Caption = std::move(Caption)](QMessageBox& Box) {
    for (QAbstractButton* button : Box.buttons())
      if (button->text().toStdString() == Caption) {
        QTest::mouseClick(button, Qt::LeftButton);
        return;
      }
    ADD_FAILURE() << "no button " << Caption;
  };
}

TEST(ShowMessageBox, AnswersTheIndexOfTheButtonClicked) {
  const struct {
    TArrayOfString Buttons;
    const char* Clicked;
    std::int32_t Expected;
  } cases[] = {
      {{"OK"}, "OK", 0},
      {{"&Retry", "&Ignore"}, "&Retry", 0},
      {{"&Retry", "&Ignore"}, "&Ignore", 1},
      {{"&Yes", "Yes to &All", "&No", "N&o to All"}, "&No", 2},
      {{"&Delete", "Delete All", "Cancel"}, "Cancel", 2},
  };
  for (const auto& c : cases) {
    const TBoxDriver driver(Click(c.Clicked));
    EXPECT_EQ(ShowMessageBox("Sure?", {}, false, mlConfirmation, c.Buttons, SafetyTimeOut),
              c.Expected)
        << c.Clicked;
    EXPECT_TRUE(driver.Acted());
  }
}

TEST(ShowMessageBox, ShowsTheLevelTheFilledInTextAndTheButtonsInOrder) {
  const TArrayOfString buttons = {"&Yes", "Yes to &All", "&No", "N&o to All"};
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  std::string title, text;
  std::vector<std::string> captions;
  bool plain = false, firstIsDefault = false;
  const TBoxDriver driver([&](QMessageBox& box) {
    title = box.windowTitle().toStdString();
    text = box.text().toStdString();
    plain = box.textFormat() == Qt::PlainText;
    icon = box.icon();
    const std::vector<QAbstractButton*> row = ButtonsInRow(box);
    captions = Captions(row);
    firstIsDefault = !row.empty() && box.defaultButton() == row.front();
    Click("&No")(box);
  });
  EXPECT_EQ(ShowMessageBox("File %1 changed\non disk (%2, %3).", {"<b>a&b.txt</b>", "žluť"}, false,
                           mlWarning, buttons, SafetyTimeOut),
            2);
  EXPECT_EQ(title, "Warning");
  EXPECT_EQ(text, "File '<b>a&b.txt</b>' changed\non disk ('žluť', %3).");
  EXPECT_TRUE(plain) << "parameters are never read as markup";
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(captions, buttons);
  EXPECT_TRUE(firstIsDefault);
}

TEST(ShowMessageBox, ShowsTheIconOfTheLevel) {
  const struct {
    TMessageLevel Level;
    QMessageBox::Icon Icon;
    const char* Title;
  } cases[] = {
      {mlConfirmation, QMessageBox::Question, "Confirmation"},
      {mlDebug, QMessageBox::Information, "Debug"},
      {mlInformation, QMessageBox::Information, "Information"},
      {mlWarning, QMessageBox::Warning, "Warning"},
      {mlError, QMessageBox::Critical, "Error"},
      {mlFatalError, QMessageBox::Critical, "Fatal Error"},
      {mlNone, QMessageBox::NoIcon, "None"},
      {static_cast<TMessageLevel>(MessageLevelCount), QMessageBox::NoIcon, ""},
  };
  for (const auto& c : cases) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::string title = "not shown";
    const TBoxDriver driver([&](QMessageBox& box) {
      icon = box.icon();
      title = box.windowTitle().toStdString();
      Click("OK")(box);
    });
    EXPECT_EQ(ShowMessageBox("Text", {}, false, c.Level, {"OK"}, SafetyTimeOut), 0);
    EXPECT_EQ(icon, c.Icon) << "level " << int(c.Level);
    EXPECT_EQ(title, c.Title) << "level " << int(c.Level);
  }
}

TEST(ShowMessageBox, TheAcceleratorPressesItsButton) {
  const TBoxDriver driver([](QMessageBox& box) {
    // Shortcuts reach only the active window.
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    QTest::keyClick(&box, Qt::Key_I, Qt::AltModifier);
  });
  EXPECT_EQ(ShowMessageBox("Cannot read", {}, false, mlError, {"&Retry", "&Ignore"}, SafetyTimeOut),
            1);
}

TEST(ShowMessageBox, EscapePressesTheLastButton) {
  const TBoxDriver driver([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
  EXPECT_EQ(
      ShowMessageBox("Sure?", {}, false, mlConfirmation, {"&Yes", "&No", "Cancel"}, SafetyTimeOut),
      2);
}

TEST(ShowMessageBox, ClosingTheWindowGivesNoAnswer) {
  const TBoxDriver driver([](QMessageBox& box) { box.close(); });
  EXPECT_EQ(ShowMessageBox("Sure?", {}, false, mlConfirmation, {"&Yes", "&No"}, SafetyTimeOut), -1);
  EXPECT_TRUE(driver.Acted());
}

TEST(ShowMessageBox, WithoutCaptionsEveryAnswerIsNoAnswer) {
  const TBoxDriver driver([](QMessageBox& box) {
    ASSERT_FALSE(box.buttons().isEmpty()) << "the box offers a way to close it";
    QTest::mouseClick(box.buttons().front(), Qt::LeftButton);
  });
  EXPECT_EQ(ShowMessageBox("Note", {}, false, mlInformation, {}, SafetyTimeOut), -1);
  EXPECT_TRUE(driver.Acted());
}

// The box plays its level's event sound, the desktop theme's when no sound file is set.
TEST(ShowMessageBox, PlaysTheLevelsEventSound) {
  const struct {
    TMessageLevel Level;
    const char* Sound;
  } cases[] = {{mlError, "theme dialog-error"},
               {mlWarning, "theme dialog-warning"},
               {mlConfirmation, "theme dialog-question"},
               {mlNone, nullptr}};
  for (const auto& c : cases) {
    TRecordingPlayer player;
    const TBoxDriver driver(Click("OK"));
    ShowMessageBox("Note", {}, false, c.Level, {"OK"}, SafetyTimeOut);
    const bool played = std::find(player.Calls.begin(), player.Calls.end(),
                                  c.Sound ? c.Sound : "") != player.Calls.end();
    EXPECT_EQ(played, c.Sound != nullptr) << MessageLevelCaption(c.Level);
    if (!c.Sound) {
      const bool anyTheme =
          std::any_of(player.Calls.begin(), player.Calls.end(),
                      [](const std::string& call) { return call.starts_with("theme"); });
      EXPECT_FALSE(anyTheme) << "no sound for " << MessageLevelCaption(c.Level);
    }
  }
}

TEST(ShowMessageBox, TheTimeOutClosesTheBoxWithNoAnswer) {
  EXPECT_EQ(ShowMessageBox("Nobody answers", {}, false, mlWarning, {"OK", "Cancel"}, 1), -1);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(ShowMessageBox, AReportWhileTheBoxIsOpenGetsNoAnswerAndNoSecondBox) {
  std::int32_t nested = 0;
  bool loopRan = false;
  bool loopRanDuringNested = true;
  const TBoxDriver driver([&](QMessageBox& box) {
    // A second box would run a modal loop of its own, and that loop would fire this at once.
    QTimer::singleShot(0, &box, [&loopRan] { loopRan = true; });
    nested = ShowMessageBox("Another", {}, false, mlError, {"OK"}, 1);
    loopRanDuringNested = loopRan;
    Click("&Retry")(box);
  });
  EXPECT_EQ(ShowMessageBox("First", {}, false, mlError, {"&Retry", "&Ignore"}, SafetyTimeOut), 0);
  EXPECT_EQ(nested, -1);
  EXPECT_FALSE(loopRanDuringNested);
}

// A dialog that answers Answer to every entry without showing anything, installed for the test.
class TMessageBoxHook : public testing::Test {
 protected:
  void SetUp() override {
    Saved_ =
        SetShowQueuedMessage([this](const std::string&, const TArrayOfString&, bool, TMessageLevel,
                                    const TArrayOfString&, std::uint16_t) { return Answer; });
  }
  void TearDown() override {
    RemoveMessageBox();
    SetShowQueuedMessage(std::move(Saved_));
  }

  std::int32_t Answer = 1;

 private:
  TShowQueuedMessage Saved_;
};

TEST_F(TMessageBoxHook, ReportsGoToTheBoxWhileItIsInstalled) {
  InstallMessageBox();
  std::string text;
  std::vector<std::string> captions;
  const TBoxDriver driver([&](QMessageBox& box) {
    text = box.text().toStdString();
    captions = Captions(ButtonsInRow(box));
    Click("&Delete")(box);
  });
  EXPECT_EQ(ShowMessageDialog("Delete %1?", {"x"}, mlWarning, {mbCancel, mbDelete}), mbDelete);
  EXPECT_EQ(text, "Delete 'x'?");
  EXPECT_EQ(captions, (std::vector<std::string>{"&Delete", "Cancel"}));
}

TEST_F(TMessageBoxHook, RemovingTheBoxPutsBackTheDialogBefore) {
  InstallMessageBox();
  InstallMessageBox();
  RemoveMessageBox();
  EXPECT_EQ(ShowMessageDialog("Sure?", {}, mlConfirmation, {mbYes, mbNo}), mbNo)
      << "the dialog before answers again";
  RemoveMessageBox();
  EXPECT_EQ(ShowMessageDialog("Sure?", {}, mlConfirmation, {mbYes, mbNo}), mbNo);
}

} // namespace
