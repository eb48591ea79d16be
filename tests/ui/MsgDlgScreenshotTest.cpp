// The message dialog on an X server of its own (Xvfb), showing the second of three entries with
// two answer buttons: the picture is kept in the build folder
// (tests/report/screenshots/msgdlg.png) for developers and reviewers.

#include "report/uMsg.h"
#include "support/ModalDriver.h"
#include "ui/uDButton.h"
#include "ui/uMsgDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>

namespace {

// Runs Act on the message dialog as soon as it is on screen, once.
using TDialogDriver = TModalDriver<TfMsgDlg>;

TEST(MsgDlgScreenshot, ShowsTheSecondOfThreeEntries) {
  const std::filesystem::path shot = std::filesystem::path(SCREENSHOT_DIR) / "msgdlg.png";
  std::filesystem::create_directories(shot.parent_path());
  std::filesystem::remove(shot);
  InstallMsgDlg();
  {
    const TDialogDriver close([](TfMsgDlg& dialog) { dialog.reject(); });
    ShowError("Cannot open %1", {"/home/user/data.csv"});
  }
  {
    const TDialogDriver close([](TfMsgDlg& dialog) { dialog.reject(); });
    ShowIOErrorMessageRetry("/home/user/Documents/report 2024.txt",
                            "Cannot write file, the disk is full");
  }
  QImage image;
  std::string memo;
  const TDialogDriver driver([&](TfMsgDlg& dialog) {
    QTest::mouseClick(dialog.ButtonLeft, Qt::LeftButton);
    memo = dialog.MemoMsg->toPlainText().toStdString();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.repaint();
    QTest::qWait(300);
    image = dialog.screen()->grabWindow(dialog.winId()).toImage();
    image.save(QString::fromStdString(shot.string()));
    dialog.reject();
  });
  ShowMessageDialog("Replace %1 with the version on disk?", {"settings.ini"}, mlConfirmation,
                    {mbYes, mbNo});
  RemoveMsgDlg();

  EXPECT_EQ(memo, "Cannot write file, the disk is full\n'/home/user/Documents/report 2024.txt'");
  ASSERT_FALSE(image.isNull());
  EXPECT_TRUE(std::filesystem::exists(shot));
  EXPECT_GE(image.width(), 439);
  // The parameter is bold in the mix of the window text (black) and red: (127, 0, 0).
  int parameterInk = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      parameterInk += (image.pixel(x, y) & 0xFFFFFF) == 0x7F0000;
  EXPECT_GT(parameterInk, 20);
}

} // namespace
