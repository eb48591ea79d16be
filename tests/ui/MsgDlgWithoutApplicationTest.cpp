// The message dialog where no dialog can be shown: a program without a QApplication, such as a
// command-line tool, still gets an answer at once instead of a crash.

#include "report/uMsg.h"
#include "ui/uMsgDlg.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <utility>

namespace {

TEST(ShowQueuedMessage, WithoutAnApplicationAnswersNothingAtOnce) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_EQ(ShowQueuedMessage("Sure?", {}, false, mlConfirmation, {"&Yes", "&No"}, 0), -1);
  EXPECT_EQ(MessageList().size(), 1U) << "the entry is kept all the same";
  FreeMessageList();
}

TEST(ShowQueuedMessage, WithANonWidgetApplicationAnswersNothingAtOnce) {
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  const QCoreApplication application(argc, argv);
  EXPECT_EQ(ShowQueuedMessage("Sure?", {}, false, mlConfirmation, {"&Yes", "&No"}, 0), -1);
  FreeMessageList();
}

TEST(InstallMsgDlg, ReportsStillGetNoAnswerWithoutAnApplication) {
  InstallMsgDlg();
  EXPECT_EQ(ShowMessageDialog("Sure?", {}, mlConfirmation, {mbYes, mbNo}), mbCancel);
  EXPECT_TRUE(ShowErrorRetry("Cannot read"));
  RemoveMsgDlg();
  EXPECT_TRUE(MessageList().empty()) << "removing the dialog frees its list";
}

} // namespace
