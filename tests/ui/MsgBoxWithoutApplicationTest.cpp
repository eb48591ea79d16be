// The message box where no box can be shown: a program without a QApplication, such as a
// command-line tool, still gets an answer at once instead of a crash.

#include "report/uMsg.h"
#include "ui/uMsgBox.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <utility>

namespace {

TEST(ShowMessageBox, WithoutAnApplicationAnswersNothingAtOnce) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_EQ(ShowMessageBox("Sure?", {}, false, mlConfirmation, {"&Yes", "&No"}, 0), -1);
}

TEST(ShowMessageBox, WithANonWidgetApplicationAnswersNothingAtOnce) {
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  const QCoreApplication application(argc, argv);
  EXPECT_EQ(ShowMessageBox("Sure?", {}, false, mlConfirmation, {"&Yes", "&No"}, 0), -1);
}

TEST(InstallMessageBox, ReportsStillGetNoAnswerWithoutAnApplication) {
  InstallMessageBox();
  EXPECT_EQ(ShowMessageDialog("Sure?", {}, mlConfirmation, {mbYes, mbNo}), mbCancel);
  EXPECT_TRUE(ShowErrorRetry("Cannot read"));
  RemoveMessageBox();
}

} // namespace
