// Completion in the calculator's fields: what is offered, what Tab inserts, and that each field
// reads the text it holds and nothing the list shows.

#include "app/uMain.h"
#include "graphics/uColors.h"
#include "support/NumberFormat.h"
#include "ui/uDesktopColors.h"
#include "ui/uExceptionBox.h"
#include "ui/uExpressionCompleter.h"
#include "ui/uLabeledEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <numbers>

namespace {

class TMainFormCompletion : public testing::Test {
 protected:
  void SetUp() override {
    PreviousBox = SetExceptionBox([](const std::exception& E) { FAIL() << E.what(); });
    Form = std::make_unique<TfMain>();
    Form->show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
  }
  void TearDown() override {
    Form.reset();
    SetExceptionBox(PreviousBox);
  }

  // Replaces the field's text by typing: select all, then the keys of Text.
  static void Type(TLabeledEdit* Edit, const QString& Text) {
    Edit->setFocus();
    QTest::keyClick(Edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Edit, Text);
  }

  static bool ShowsErrors(const TLabeledEdit* Edit) {
    return Edit->palette().color(QPalette::Text) == ToQColor(clGrayText);
  }

  std::unique_ptr<TfMain> Form;

 private:
  TNumberFormatGuard Format_{PointLocale};
  TExceptionBox PreviousBox;
};

TEST_F(TMainFormCompletion, SqOffersSqrtAndTabInsertsItWhileTheFieldReadsOnlyItsText) {
  TExpressionCompleter* completer = ExpressionCompleter(Form->EditWeight);
  ASSERT_NE(completer, nullptr);

  Type(Form->EditWeight, "sq");
  EXPECT_TRUE(completer->Offered().contains("sqrt"));
  EXPECT_EQ(Form->EditWeight->text(), QString("sq"));
  EXPECT_EQ(Form->WeightValue, 75) << "an unknown name reads as the default";
  EXPECT_EQ(Form->EditWeight->toolTip(), QString("[Error] (1, 1..3): Undeclared identifier 'sq'"));
  EXPECT_TRUE(ShowsErrors(Form->EditWeight));

  QTest::keyClick(Form->EditWeight, Qt::Key_Down);
  QTest::keyClick(Form->EditWeight, Qt::Key_Tab);
  EXPECT_EQ(Form->EditWeight->text(), QString("sqrt("));
  EXPECT_EQ(QApplication::focusWidget(), Form->EditWeight) << "Tab stayed in the field";
  EXPECT_EQ(Form->WeightValue, 75);
  EXPECT_EQ(Form->EditWeight->toolTip(),
            QString("[Error] (1, 6..6): '')', ',' or expression' expected but '' found"));

  QTest::keyClicks(Form->EditWeight, "6400)");
  EXPECT_EQ(Form->WeightValue, 80);
  EXPECT_EQ(Form->EditWeight->toolTip(), QString());
  EXPECT_FALSE(ShowsErrors(Form->EditWeight));
  EXPECT_EQ(Form->EditBMI->text(), QString("24.6913580246914")) << "80 / 1.8^2";
}

TEST_F(TMainFormCompletion, EveryFieldCompletesAndReadsTheInsertedConstant) {
  TLabeledEdit* const fields[] = {Form->EditHeight, Form->EditWeight, Form->EditBMI};
  long double* const values[] = {&Form->HeightValue, &Form->WeightValue, &Form->BMIValue};
  for (int i = 0; i < 3; ++i) {
    TLabeledEdit* field = fields[i];
    const std::string name = field->objectName().toStdString();
    Type(field, "pi");
    ASSERT_NE(ExpressionCompleter(field), nullptr) << name;
    EXPECT_EQ(ExpressionCompleter(field)->Offered(), QStringList({"PI"})) << name;
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), QString("PI")) << name;
    EXPECT_EQ(*values[i], std::numbers::pi_v<long double>) << name;
    EXPECT_EQ(field->contextMenuPolicy(), Qt::CustomContextMenu)
        << name << " offers the function reference";
  }
}

} // namespace
