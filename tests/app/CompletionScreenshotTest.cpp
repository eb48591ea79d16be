// The calculator on an X server of its own (Xvfb) with the completion list open under the weight
// field: a screenshot of the window and the list, written as a PNG into the build folder
// (tests/app/screenshots/completion.png), shows the list's rows below the field.

#include "app/uMain.h"
#include "support/NumberFormat.h"
#include "ui/uExpressionCompleter.h"
#include "ui/uLabeledEdit.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

namespace {

// Pixels in Area that stand out from its background, taken at its right edge, where a row of
// the list ends without text: the letters of the row, light on a chosen row and dark on others.
int InkPixels(const QImage& Image, const QRect& Area) {
  const int background = qGray(Image.pixel(Area.right(), Area.center().y()));
  int ink = 0;
  for (int y = Area.top(); y <= Area.bottom(); ++y)
    for (int x = Area.left(); x <= Area.right(); ++x)
      ink += std::abs(qGray(Image.pixel(x, y)) - background) > 60;
  return ink;
}

TEST(CompletionScreenshot, ShowsTheListBelowTheField) {
  ASSERT_EQ(QGuiApplication::platformName(), QString("xcb")) << "runs on an X server";
  const TNumberFormatGuard format(PointLocale);
  TfMain form;
  form.move(20, 20);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  form.EditWeight->setFocus();
  QTest::keyClick(form.EditWeight, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(form.EditWeight, "sq");
  TExpressionCompleter* completer = ExpressionCompleter(form.EditWeight);
  ASSERT_NE(completer, nullptr);
  ASSERT_EQ(completer->Offered(), QStringList({"sqr", "sqrt"}));
  QTreeWidget* popup = completer->Popup();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));

  // The window and the list, with a margin of the screen's background around them.
  const QRect window = form.frameGeometry();
  const QRect list = popup->frameGeometry();
  const QRect area = window.united(list).adjusted(-10, -10, 10, 10);
  QImage shot;
  // A window that is mapped may not be painted yet: grab until the list shows its text.
  const QRect listInShot = list.translated(-area.topLeft());
  for (int attempt = 0; attempt < 100; ++attempt) {
    QTest::qWait(20);
    shot = QGuiApplication::primaryScreen()
               ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
               .toImage();
    if (!shot.isNull() && InkPixels(shot, listInShot.adjusted(2, 2, -2, -2)) > 40)
      break;
  }
  const std::filesystem::path file = std::filesystem::path(SCREENSHOT_DIR) / "completion.png";
  std::filesystem::create_directories(file.parent_path());
  ASSERT_TRUE(shot.save(QString::fromStdString(file.string())));

  // The list hangs below the field it completes and is as wide as the field at least.
  const QRect field(form.EditWeight->mapToGlobal(QPoint(0, 0)), form.EditWeight->size());
  EXPECT_EQ(list.top(), field.bottom() + 1);
  EXPECT_GE(list.width(), field.width());
  // Its two rows hold text: each call and its line of description.
  const int rowHeight = popup->visualItemRect(popup->topLevelItem(0)).height();
  for (int row = 0; row < 2; ++row) {
    const QRect rowArea(listInShot.left() + 2, listInShot.top() + 2 + row * rowHeight,
                        listInShot.width() - 4, rowHeight);
    EXPECT_GT(InkPixels(shot, rowArea), 20) << "row " << row;
  }
  // The field shows what was typed, and nothing else.
  EXPECT_EQ(form.EditWeight->text(), QString("sq"));
}

} // namespace
