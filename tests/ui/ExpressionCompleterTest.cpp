// Completion of function names in an expression field, driven with typed keys.

#include "expr/functions/uFunctionHelp.h"
#include "ui/uDEdit.h"
#include "ui/uExpressionCompleter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <string>

namespace {

// The name of Key, for a failure's message; QTest's own names are the caller's to free.
std::string KeyName(Qt::Key Key) {
  const std::unique_ptr<char[]> name(QTest::toString(Key));
  return name ? name.get() : "";
}

class TCompletion : public testing::Test {
 protected:
  void SetUp() override {
    Window.resize(320, 80);
    Edit = new TDEdit(&Window); // owned by the window
    Edit->setGeometry(10, 10, 200, 24);
    Other = new TDEdit(&Window); // owned by the window
    Other->setGeometry(10, 40, 200, 24);
    Completer = InstallExpressionCompleter(Edit);
    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    Edit->setFocus();
  }

  // Empties the field, then types Text key by key.
  void Type(const QString& Text) {
    Edit->clear();
    QTest::keyClicks(Edit, Text);
  }

  // The rows of the open list: each call and its line of description.
  QStringList Rows() const {
    QStringList rows;
    QTreeWidget* popup = Completer->Popup();
    for (int i = 0; i < popup->topLevelItemCount(); ++i)
      rows.append(popup->topLevelItem(i)->text(0) + " | " + popup->topLevelItem(i)->text(1));
    return rows;
  }

  QWidget Window;
  TDEdit* Edit = nullptr;
  TDEdit* Other = nullptr;
  TExpressionCompleter* Completer = nullptr;
};

TEST_F(TCompletion, TwoLettersOfANameOfferTheNamesBeginningWithThem) {
  const struct {
    QString Typed;
    QStringList Offered;
  } cases[] = {
      {"s", {}},
      {"sq", {"sqr", "sqrt"}},
      {"SQ", {"sqr", "sqrt"}},
      {"sqrt", {"sqrt"}},
      {"sqrtx", {}},
      {"1+ar", {"ArcCos", "ArcCosh", "ArcElo", "ArcSin", "ArcSinh", "ArcTanh"}},
      {"2*pi", {"PI"}},
      {"sum(1;av", {"Avg", "AvgG", "AvgH"}},
      {"sq ", {}},
      {"sq(", {}},
      {"0xab", {}},
      {"2e", {}},
      {"zz", {}},
  };
  for (const auto& c : cases) {
    Type(c.Typed);
    EXPECT_EQ(Completer->Offered(), c.Offered) << c.Typed.toStdString();
    EXPECT_EQ(Completer->IsPopupVisible(), !c.Offered.isEmpty()) << c.Typed.toStdString();
    EXPECT_EQ(Edit->text(), c.Typed) << "the list never changes the text by itself";
  }
}

TEST_F(TCompletion, EachRowIsACallWithTheFirstSentenceOfItsDescription) {
  Type("sq");
  EXPECT_EQ(Rows(), QStringList({"sqr(x) | Square (algebra)", "sqrt(x) | Square root"}));
  Type("ma");
  EXPECT_EQ(Rows(), QStringList({"Max(x; y; \u2026) | Maximum and minimum"}));
  Type("elo");
  EXPECT_EQ(Rows().first(), "Elo(x; y; \u2026) | Probably Elo difference for result <0..1>.");
  Type("po");
  EXPECT_EQ(Rows(), QStringList({"power(Base; Exponent) | Exponentiation"}));
}

TEST_F(TCompletion, TabInsertsTheChosenNameWithABracket) {
  Type("sq");
  EXPECT_EQ(Completer->CurrentRow(), 0);
  QTest::keyClick(Edit, Qt::Key_Down);
  EXPECT_EQ(Completer->CurrentRow(), 1);
  QTest::keyClick(Edit, Qt::Key_Tab);
  EXPECT_EQ(Edit->text(), QString("sqrt("));
  EXPECT_EQ(Edit->cursorPosition(), 5);
  EXPECT_FALSE(Completer->IsPopupVisible());
  EXPECT_EQ(QApplication::focusWidget(), Edit) << "Tab inserted instead of moving the focus";
}

TEST_F(TCompletion, EnterInsertsAConstantWithoutBracket) {
  Type("2*pi");
  QTest::keyClick(Edit, Qt::Key_Return);
  EXPECT_EQ(Edit->text(), QString("2*PI"));
  EXPECT_FALSE(Completer->IsPopupVisible()) << "the inserted name does not open the list again";
}

TEST_F(TCompletion, TheWholeNameAroundTheCursorIsReplaced) {
  const struct {
    QString Text;  // set before typing
    int Cursor;    // where typing starts
    QString Typed; // then Tab on the first offer
    QString Result;
    int CursorAfter;
  } cases[] = {
      {"xx+1", 0, "sqr", "sqr(+1", 4},
      {"1+t", 3, "ru", "1+true", 6},
      {"ln(4)", 0, "ex", "ex(4)", 3},
      {"ln[4]", 0, "sq", "sqr[4]", 4},
  };
  for (const auto& c : cases) {
    Edit->setText(c.Text);
    Edit->setCursorPosition(c.Cursor);
    QTest::keyClicks(Edit, c.Typed);
    ASSERT_TRUE(Completer->IsPopupVisible()) << c.Text.toStdString();
    QTest::keyClick(Edit, Qt::Key_Tab);
    EXPECT_EQ(Edit->text(), c.Result) << c.Text.toStdString();
    EXPECT_EQ(Edit->cursorPosition(), c.CursorAfter) << c.Text.toStdString();
  }
}

TEST_F(TCompletion, TypingFiltersAndEscapeErasingOrLeavingTheNameClose) {
  // Each step types Typed, or presses Key when Typed is empty; then the list offers Offered
  // (closed when empty) and the field holds Text.
  const struct {
    QString Typed;
    Qt::Key Key;
    QStringList Offered;
    QString Text;
  } steps[] = {
      {"sq", {}, {"sqr", "sqrt"}, "sq"},
      {"rt", {}, {"sqrt"}, "sqrt"},
      {"", Qt::Key_Backspace, {"sqr", "sqrt"}, "sqr"},
      {"", Qt::Key_Escape, {}, "sqr"},
      {"", Qt::Key_Backspace, {"sqr", "sqrt"}, "sq"},
      {"", Qt::Key_Backspace, {}, "s"},
      {"q", {}, {"sqr", "sqrt"}, "sq"},
      {"", Qt::Key_Home, {}, "sq"},
  };
  Edit->clear();
  for (const auto& step : steps) {
    const std::string what = step.Typed.isEmpty() ? KeyName(step.Key) : step.Typed.toStdString();
    if (step.Typed.isEmpty())
      QTest::keyClick(Edit, step.Key);
    else
      QTest::keyClicks(Edit, step.Typed);
    EXPECT_EQ(Completer->Offered(), step.Offered) << what;
    EXPECT_EQ(Edit->text(), step.Text) << what;
  }
}

TEST_F(TCompletion, UpDownAndPageKeysChooseWithinTheList) {
  Type("ar");
  const struct {
    Qt::Key Key;
    int Row;
  } steps[] = {
      {Qt::Key_Up, 0},       {Qt::Key_Down, 1}, {Qt::Key_Down, 2},
      {Qt::Key_PageDown, 5}, {Qt::Key_Down, 5}, {Qt::Key_PageUp, 0},
  };
  for (const auto& step : steps) {
    QTest::keyClick(Edit, step.Key);
    EXPECT_EQ(Completer->CurrentRow(), step.Row) << KeyName(step.Key);
  }
}

TEST_F(TCompletion, TheListTakesNoFocusAndLosingTheFocusClosesIt) {
  Type("sq");
  ASSERT_TRUE(Completer->IsPopupVisible());
  EXPECT_EQ(QApplication::focusWidget(), Edit);
  EXPECT_TRUE(Window.isActiveWindow());
  Other->setFocus();
  EXPECT_FALSE(Completer->IsPopupVisible());
}

TEST_F(TCompletion, MovingTheWindowClosesTheList) {
  Type("sq");
  ASSERT_TRUE(Completer->IsPopupVisible());
  Window.move(Window.pos() + QPoint(40, 0));
  QCoreApplication::processEvents();
  EXPECT_FALSE(Completer->IsPopupVisible()) << "the list would be left behind";
}

TEST_F(TCompletion, AClickOnARowInsertsIt) {
  Type("sq");
  QTreeWidget* popup = Completer->Popup();
  const QRect row = popup->visualItemRect(popup->topLevelItem(1));
  QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(Edit->text(), QString("sqrt("));
  EXPECT_FALSE(Completer->IsPopupVisible());
}

TEST_F(TCompletion, TextSetByTheProgramOpensNothing) {
  Edit->setText("sq");
  Edit->setCursorPosition(2);
  EXPECT_FALSE(Completer->IsPopupVisible());
}

TEST(InsertFunction, InsertsAtTheCursorOrInPlaceOfTheSelection) {
  const TFunctionHelp sqrt{"sqrt", "Arithmetic", {1}, ""};
  const TFunctionHelp pi{"PI", "Goniometic", {0}, ""};
  QLineEdit edit;
  edit.setText("1+2");
  edit.setCursorPosition(2);
  InsertFunction(&edit, sqrt);
  EXPECT_EQ(edit.text(), QString("1+sqrt(2"));
  edit.setSelection(0, 1);
  InsertFunction(&edit, pi);
  EXPECT_EQ(edit.text(), QString("PI+sqrt(2"));
  EXPECT_EQ(edit.cursorPosition(), 2);
}

} // namespace
