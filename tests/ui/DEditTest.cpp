#include "ui/uDEdit.h"
#include "expr/uParserMsg.h"
#include "support/NumberFormat.h"
#include "graphics/uColors.h"
#include "ui/uDesktopColors.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

class TEditFeedback : public testing::Test {
 protected:
  void SetUp() override { Previous = SetSystemColorResolver(nullptr); }
  void TearDown() override { SetSystemColorResolver(Previous); }

  static QColor TextOf(const QLineEdit& edit) { return edit.palette().color(QPalette::Text); }
  static QColor BaseOf(const QLineEdit& edit) { return edit.palette().color(QPalette::Base); }

  TSystemColorResolver Previous = nullptr;
};

TEST_F(TEditFeedback, MessagesGiveErrorColoursAndTheHint) {
  QLineEdit edit;
  TParserMessages messages;
  messages.Add(0, 0, 3, "Undeclared identifier 'abc'", mlError);
  messages.Add(0, 4, 5, "Expression expected but '\xAC' found", mlError);
  ShowParserMessages(&edit, &messages);
  EXPECT_EQ(TextOf(edit), ToQColor(clGrayText));
  EXPECT_EQ(BaseOf(edit), ToQColor(ContrastColor(clGrayText)));
  EXPECT_EQ(edit.toolTip(), QString("[Error] (1, 1..4): Undeclared identifier 'abc'\r\n"
                                    "[Error] (1, 5..6): Expression expected but '\u00AC' found"));
  EXPECT_TRUE(ShowsHint(&edit));
}

// Column numbers grouped by a separator that UTF-8 writes in several bytes show that separator.
TEST_F(TEditFeedback, TheHintShowsTheLocalesOwnSeparator) {
  const struct {
    const TNumberFormat& Format;
    QChar Separator;
  } cases[] = {{FrenchLocale, QChar(0x202F)}, {SwissGermanLocale, QChar(0x2019)}};
  for (const auto& c : cases) {
    TNumberFormatGuard format(c.Format);
    QLineEdit edit;
    TParserMessages messages;
    messages.Add(0, 1099, 1100, "Undeclared identifier 'x'", mlError);
    ShowParserMessages(&edit, &messages);
    const QString separator(c.Separator);
    EXPECT_EQ(edit.toolTip(), "[Error] (1, 1" + separator + "100..1" + separator +
                                  "101): Undeclared identifier 'x'")
        << "separator U+" << std::hex << int{c.Separator.unicode()};
  }
}

TEST_F(TEditFeedback, AnEmptyListGivesNormalColoursAndAnEmptyHintShown) {
  QLineEdit edit;
  TParserMessages messages;
  messages.Add(0, 0, 1, "x", mlError);
  ShowParserMessages(&edit, &messages);
  messages.Clear();
  ShowParserMessages(&edit, &messages);
  EXPECT_EQ(TextOf(edit), ToQColor(clWindowText));
  EXPECT_EQ(BaseOf(edit), ToQColor(clWindow));
  EXPECT_EQ(edit.toolTip(), QString());
  EXPECT_TRUE(ShowsHint(&edit));
}

TEST_F(TEditFeedback, NoListGivesNormalColoursAndNoHint) {
  QLineEdit edit;
  TParserMessages messages;
  messages.Add(0, 0, 1, "x", mlError);
  ShowParserMessages(&edit, &messages);
  ShowParserMessages(&edit, nullptr);
  EXPECT_EQ(TextOf(edit), ToQColor(clWindowText));
  EXPECT_EQ(BaseOf(edit), ToQColor(clWindow));
  EXPECT_EQ(edit.toolTip(), QString());
  EXPECT_FALSE(ShowsHint(&edit));
}

TEST_F(TEditFeedback, DesktopColoursComeFromTheApplicationPalette) {
  InstallDesktopColors();
  const QPalette palette = QGuiApplication::palette();
  EXPECT_EQ(ToQColor(clGrayText), palette.color(QPalette::Disabled, QPalette::Text));
  EXPECT_EQ(ToQColor(clWindow), palette.color(QPalette::Base));
  EXPECT_EQ(ToQColor(clWindowText), palette.color(QPalette::Text));
  QLineEdit edit;
  SetErrorColors(&edit, false);
  EXPECT_EQ(BaseOf(edit), palette.color(QPalette::Base));
}

TEST(TDEdit, CtrlASelectsTheWholeText) {
  TDEdit edit;
  edit.setText("180");
  edit.setCursorPosition(1);
  QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(edit.selectedText(), QString("180"));
  EXPECT_EQ(edit.text(), QString("180"));
}

TEST(TDEdit, OtherKeysArePassedOn) {
  TDEdit edit;
  edit.setText("18");
  edit.setCursorPosition(2);
  QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(edit.selectedText(), QString());
  EXPECT_EQ(edit.text(), QString("18"));
  QTest::keyClick(&edit, Qt::Key_A);
  EXPECT_EQ(edit.text(), QString("18a"));
}

} // namespace
