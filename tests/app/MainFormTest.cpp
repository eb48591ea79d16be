// The calculator window driven with typed keys, as a user drives it.

#include "app/uMain.h"
#include "ui/uDEdit.h"
#include "expr/uParserMsg.h"
#include "support/NumberFormat.h"
#include "text/uOutputFormat.h"
#include "graphics/uColors.h"
#include "ui/uDesktopColors.h"
#include "ui/uExceptionBox.h"
#include "ui/uLabeledEdit.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

namespace {

class TMainForm : public testing::Test {
 protected:
  void SetUp() override {
    PreviousBox = SetExceptionBox([this](const std::exception& E) { Boxes.push_back(E.what()); });
    Form = std::make_unique<TfMain>();
    Form->show();
  }
  void TearDown() override {
    Form.reset();
    SetExceptionBox(PreviousBox);
  }

  // Replaces the field's text by typing: select all, then the keys of Text (Backspace for none).
  static void Type(TLabeledEdit* Edit, const QString& Text) {
    Edit->setFocus();
    QTest::keyClick(Edit, Qt::Key_A, Qt::ControlModifier);
    if (Text.isEmpty())
      QTest::keyClick(Edit, Qt::Key_Backspace);
    else
      QTest::keyClicks(Edit, Text);
  }

  static bool ShowsErrors(const TLabeledEdit* Edit) {
    return Edit->palette().color(QPalette::Text) == ToQColor(clGrayText);
  }

  std::unique_ptr<TfMain> Form;
  std::vector<std::string> Boxes;

 private:
  TNumberFormatGuard Format_{PointLocale};
  TExceptionBox PreviousBox;
};

TEST_F(TMainForm, StartsWithTheDefaultsAndTheirIndex) {
  EXPECT_EQ(Form->windowTitle(), QString("Body Mass Index"));
  EXPECT_EQ(Form->size(), QSize(286, 58));
  EXPECT_EQ(Form->EditHeight->text(), QString("180"));
  EXPECT_EQ(Form->EditWeight->text(), QString("75"));
  EXPECT_EQ(Form->EditBMI->text(), QString("23.1481481481481"));
  EXPECT_EQ(Form->HeightValue, 180);
  EXPECT_EQ(Form->WeightValue, 75);
  EXPECT_EQ(Form->BMIValue, 75 / (1.8L * 1.8L));
  EXPECT_EQ(Form->EditHeight->EditLabel()->text(), QString("Height [cm]"));
  EXPECT_EQ(Form->EditWeight->EditLabel()->text(), QString("Weight [kg]"));
  EXPECT_EQ(Form->EditBMI->EditLabel()->text(), QString("BMI (20-25 is ok)"));
  EXPECT_EQ(Form->EditWeight->geometry(), QRect(104, 24, 81, 21));
  EXPECT_FALSE(ShowsErrors(Form->EditHeight));
}

TEST_F(TMainForm, ShowsTheIndexWithTheLocaleDecimalSeparator) {
  DecimalSep = ",";
  ThousandSep = ".";
  Type(Form->EditWeight, "75");
  EXPECT_EQ(Form->EditBMI->text(), QString("23,1481481481481"));
  Type(Form->EditWeight, "75,5");
  EXPECT_EQ(Form->WeightValue, 75.5L);
}

TEST_F(TMainForm, AHeightOfZeroMakesTheIndexNotAvailable) {
  Type(Form->EditHeight, "0");
  EXPECT_EQ(Form->EditBMI->text(), QString("N/A"));
  Type(Form->EditBMI, "25");
  EXPECT_EQ(Form->EditWeight->text(), QString("N/A"));
  EXPECT_EQ(Form->WeightValue, 75) << "the weight keeps its value";
}

TEST_F(TMainForm, AnEmptyHeightReadsAsTheDefaultWithoutMessage) {
  Type(Form->EditHeight, "");
  EXPECT_EQ(Form->EditHeight->text(), QString());
  EXPECT_EQ(Form->HeightValue, 180);
  EXPECT_FALSE(ShowsErrors(Form->EditHeight));
  EXPECT_EQ(Form->EditHeight->toolTip(), QString());
}

TEST_F(TMainForm, NegativeEntriesCountAsZeroWithAMessage) {
  Type(Form->EditWeight, "-5");
  EXPECT_EQ(Form->WeightValue, 0);
  EXPECT_EQ(Form->EditBMI->text(), QString("0"));
  EXPECT_TRUE(ShowsErrors(Form->EditWeight));
  EXPECT_EQ(Form->EditWeight->toolTip(),
            QString("[Error] (1, 3..3): Value -5 out of range 0..2147483647"));
  EXPECT_TRUE(ShowsHint(Form->EditWeight));

  Type(Form->EditHeight, "-5");
  EXPECT_EQ(Form->HeightValue, 0);
  EXPECT_EQ(Form->EditBMI->text(), QString("N/A"));

  Type(Form->EditBMI, "-5");
  EXPECT_EQ(Form->BMIValue, 0);
  EXPECT_TRUE(ShowsErrors(Form->EditBMI));
}

TEST_F(TMainForm, AnIndexSetsTheWeight) {
  Type(Form->EditBMI, "25");
  EXPECT_EQ(Form->EditWeight->text(), QString("81"));
  EXPECT_EQ(Form->BMIValue, 25);
  EXPECT_FALSE(ShowsErrors(Form->EditWeight));
}

TEST_F(TMainForm, TextLeftAfterTheValueIsReported) {
  Type(Form->EditHeight, "180 ");
  EXPECT_EQ(Form->HeightValue, 180);
  EXPECT_TRUE(ShowsErrors(Form->EditHeight));
  EXPECT_EQ(Form->EditHeight->toolTip(), QString("[Error] (1, 5..5): Line too long, unused chars"));
}

TEST_F(TMainForm, EntriesAreExpressionsAndKeywords) {
  Type(Form->EditHeight, "175+5");
  EXPECT_EQ(Form->HeightValue, 180);
  EXPECT_EQ(Form->EditBMI->text(), QString("23.1481481481481"));
  Type(Form->EditWeight, "mAx");
  EXPECT_EQ(Form->WeightValue, 2147483647);
  Type(Form->EditHeight, QString::fromUtf8("\xC2\xAC\xC2\xAC"
                                           "170"));
  EXPECT_EQ(Form->HeightValue, 170) << "the not sign, twice";
}

TEST_F(TMainForm, APasteOfAnyLengthIsReadWhole) {
  // 40,003 characters: far more than a line edit keeps by default, and 180 only at the very end.
  const QString sum = QString("0+").repeated(20000) + "180";
  QApplication::clipboard()->setText(sum);
  Form->EditHeight->setFocus();
  QTest::keyClick(Form->EditHeight, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(Form->EditHeight, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Form->EditHeight->text().size(), sum.size());
  EXPECT_EQ(Form->HeightValue, 180);
  EXPECT_FALSE(ShowsErrors(Form->EditHeight)) << Form->EditHeight->toolTip().toStdString();
}

TEST_F(TMainForm, CtrlQClosesTheWindow) {
  QApplication::setActiveWindow(Form.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
  QTest::keyClick(Form->EditWeight, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(Form->isVisible());
}

TEST_F(TMainForm, ComputedTextIsNeverReadBack) {
  Type(Form->EditWeight, "80");
  EXPECT_EQ(Form->WeightValue, 80);
  EXPECT_EQ(Form->BMIValue, 80 / (1.8L * 1.8L)) << "not the rounded text read back";
  EXPECT_EQ(Form->EditBMI->text(), QString("24.6913580246914"));
  Type(Form->EditBMI, "24.6913580246914");
  EXPECT_EQ(Form->EditHeight->text(), QString("180")) << "the height is never written";
}

TEST_F(TMainForm, ComputedFieldsLoseTheirErrorDisplay) {
  Type(Form->EditBMI, "abc");
  EXPECT_TRUE(ShowsErrors(Form->EditBMI));
  Type(Form->EditWeight, "70");
  EXPECT_FALSE(ShowsErrors(Form->EditBMI));
  EXPECT_FALSE(ShowsHint(Form->EditBMI));
}

TEST_F(TMainForm, AFloatingPointErrorShowsTheExceptionBoxAndStoresNothing) {
  Type(Form->EditWeight, "ln(");
  const QString index = Form->EditBMI->text();
  const long double weight = Form->WeightValue;
  QTest::keyClicks(Form->EditWeight, "0");
  ASSERT_EQ(Boxes, std::vector<std::string>{"Floating point division by zero"});
  EXPECT_EQ(Form->EditBMI->text(), index) << "the dependent field is not updated";
  EXPECT_EQ(Form->WeightValue, weight) << "the value is not stored";
  Type(Form->EditWeight, "75");
  EXPECT_EQ(Form->EditBMI->text(), QString("23.1481481481481")) << "the handler is still attached";
}

TEST_F(TMainForm, AnErrorWhileComputingLeavesTheHandlerAttached) {
  // The square of a tiny height underflows to 0, and the weight is divided by it.
  Type(Form->EditHeight, "1e-2480");
  EXPECT_EQ(Boxes, std::vector<std::string>{"Floating point division by zero"});
  Type(Form->EditHeight, "180");
  EXPECT_EQ(Form->EditBMI->text(), QString("23.1481481481481"));
  Type(Form->EditBMI, "20");
  EXPECT_EQ(Form->EditWeight->text(), QString("64.8")) << "the index field still reads";
}

} // namespace
