// The integer dialog on Qt's offscreen platform: the starting state of each question, typed
// expressions and bad text, the track bar, the up-down arrows at the limits, the jump buttons,
// the modal answers, the callback mode with its undo, and the JPEG quality question.

#include "expr/uInputFormat.h"
#include "expr/uParserMsg.h"
#include "ui/uDBitmap.h"
#include "ui/uDButton.h"
#include "ui/uDMemo.h"
#include "ui/uGetInt.h"
#include "ui/uLabeledEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

// The dialog prepared for one question, as GetNumber64 prepares it, without showing it.
TfGetInt& Prepared(std::int64_t Current, std::int64_t Min, std::int64_t Def, std::int64_t Max,
                   TApplyEvent Apply = {}) {
  TfGetInt& form = CreateGetIntForm();
  form.hide();
  form.Prepare("&Number", Current, Min, Def, Max, std::move(Apply));
  return form;
}

// Which of Min, Cur, Def, Max are enabled, as "1010".
std::string EnabledButtons(const TfGetInt& Form) {
  std::string text;
  for (const TDButton* button : {Form.ButtonMin, Form.ButtonCur, Form.ButtonDef, Form.ButtonMax})
    text += button->isEnabled() ? '1' : '0';
  return text;
}

// Runs Action once the next modal loop has started.
void WhenModal(std::function<void(TfGetInt&)> Action) {
  QTimer::singleShot(0, [Action = std::move(Action)] {
    TfGetInt* form = GetIntForm();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    Action(*form);
  });
}

} // namespace

TEST(GetInt, StartsAtTheValueClampedIntoTheLimits) {
  struct TCase {
    std::int64_t Current, Min, Def, Max;
    std::int64_t Value, Minimum, Maximum;
    std::string Enabled; // Min Cur Def Max
  };
  const TCase cases[] = {
      {0, 1, 90, 100, 1, 1, 100, "0011"},     // below the minimum: starts at it
      {500, 1, 90, 100, 100, 1, 100, "1010"}, // above the maximum
      {50, 1, 90, 100, 50, 1, 100, "1011"},   {90, 1, 90, 100, 90, 1, 100, "1001"},
      {7, 10, 12, 5, 10, 10, 10, "0010"}, // maximum below minimum: both are the minimum
  };
  for (const TCase& c : cases) {
    const TfGetInt& form = Prepared(c.Current, c.Min, c.Def, c.Max);
    SCOPED_TRACE(testing::Message()
                 << "start " << c.Current << " in " << c.Min << " ... " << c.Max);
    EXPECT_EQ(form.Value, c.Value);
    EXPECT_EQ(form.StartValue, c.Value);
    EXPECT_EQ(form.Minimum, c.Minimum);
    EXPECT_EQ(form.Maximum, c.Maximum);
    EXPECT_EQ(EnabledButtons(form), c.Enabled);
    EXPECT_EQ(form.EditInput->text().toLongLong(), c.Value);
    EXPECT_EQ(form.LabelNow->text().toLongLong(), c.Value);
    EXPECT_EQ(form.LabelMin->text().toLongLong(), c.Minimum);
    EXPECT_EQ(form.LabelMax->text().toLongLong(), c.Maximum);
    EXPECT_EQ(form.TrackBar->value(), c.Value);
    EXPECT_EQ(form.TrackBar->SelStart(), c.Value);
    EXPECT_EQ(form.TrackBar->SelEnd(), c.Value);
    EXPECT_TRUE(form.EditError->toPlainText().isEmpty());
  }
}

TEST(GetInt, TheCaptionIsShownWithoutAcceleratorMarkers) {
  TfGetInt& form = Prepared(1, 1, 1, 2);
  form.Prepare("JPEG &Quality && size", 1, 1, 1, 2, {});
  EXPECT_EQ(form.Caption(), "JPEG Quality & size");
}

TEST(GetInt, TheTrackBarTicksAboutTwentyTimesAndSaturatesAt0x7FFFFFFF) {
  struct TCase {
    std::int64_t Current, Min, Max;
    int Frequency, TrackMin, TrackMax, Position;
  };
  const TCase cases[] = {
      {75, 1, 100, 5, 1, 100, 75}, // (99 + 19) div 20
      {0, 0, 20, 1, 0, 20, 0},     // (20 + 19) div 20
      {5, 5, 5, 0, 5, 5, 5},       // an empty range
      {0x90000000LL, 0, 0x100000000LL, (0x3FFFFFFF + 19) / 20, 0, 0x7FFFFFFF, 0x7FFFFFFF},
      {-5, -0x100000000LL, 0x100000000LL, (0x3FFFFFFF + 19) / 20, INT32_MIN, 0x7FFFFFFF, -5},
      // the widest range of all: its width does not overflow
      {0, INT64_MIN, INT64_MAX, (0x3FFFFFFF + 19) / 20, INT32_MIN, 0x7FFFFFFF, 0},
      // after a range far above, a range far below the track bar's minimum
      {-3000, -5000, -2000, 150, -5000, -2000, -3000},
  };
  Prepared(0x7FFFFFF0, 0x7FFFFF00, 0, 0x7FFFFFFF);
  for (const TCase& c : cases) {
    const TfGetInt& form = Prepared(c.Current, c.Min, c.Min, c.Max);
    SCOPED_TRACE(testing::Message() << c.Min << " ... " << c.Max);
    EXPECT_EQ(form.TrackBar->tickInterval(), c.Frequency);
    EXPECT_EQ(form.TrackBar->pageStep(), c.Frequency);
    EXPECT_EQ(form.TrackBar->minimum(), c.TrackMin);
    EXPECT_EQ(form.TrackBar->maximum(), c.TrackMax);
    EXPECT_EQ(form.TrackBar->value(), c.Position);
    EXPECT_EQ(form.Value, c.Current);
  }
}

TEST(GetInt, TypedExpressionsAreEvaluatedAndBadTextKeepsTheValueWithTheParsersMessage) {
  TfGetInt& form = Prepared(50, 1, 90, 100);
  struct TCase {
    const char* Text;
    std::int64_t Value;
    bool Messages;
  };
  const TCase cases[] = {
      {"2*45", 90, false}, {"abc", 90, true}, // bad text keeps the value before
      {"1000", 100, true},                    // out of range: the bound, with a message
      {"(7", 7, true},                        // read, with a message for the missing bracket
      {"0x10", 16, false}, {"", 16, false},   // empty: the value before, silently
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    form.EditInput->setText(c.Text);
    EXPECT_EQ(form.Value, c.Value);
    EXPECT_EQ(form.LabelNow->text().toLongLong(), c.Value);
    EXPECT_EQ(form.TrackBar->value(), c.Value);
    // The edit keeps what was typed.
    EXPECT_EQ(form.EditInput->text(), c.Text);
    const QString shown = form.EditError->toPlainText();
    if (!c.Messages) {
      EXPECT_TRUE(shown.isEmpty()) << shown.toStdString();
      continue;
    }
    // The parser's own messages for the text, as the parser reports them.
    TParserMessages expected;
    StrToValS8(c.Text, true, &expected, 1, 1, 100, 1);
    ASSERT_GT(expected.Count(), 0);
    EXPECT_EQ(shown.toStdString(), expected.ToUtf8());
  }
}

TEST(GetInt, TheTrackBarJumpButtonsAndUpDownSetTheValue) {
  TfGetInt& form = Prepared(50, 1, 90, 100);
  const auto expectShown = [&](std::int64_t Value, const char* Step) {
    SCOPED_TRACE(Step);
    EXPECT_EQ(form.Value, Value);
    EXPECT_EQ(form.EditInput->text().toLongLong(), Value);
    EXPECT_EQ(form.EditInput->selectedText(), form.EditInput->text());
    EXPECT_EQ(form.TrackBar->value(), Value);
    EXPECT_EQ(form.LabelNow->text().toLongLong(), Value);
  };
  form.TrackBar->setValue(70);
  expectShown(70, "track bar");
  form.ButtonMax->Click();
  expectShown(100, "Max");
  EXPECT_EQ(EnabledButtons(form), "1110");
  form.UpDown->UpButton()->click();
  expectShown(100, "up at the maximum stays");
  form.UpDown->DownButton()->click();
  expectShown(99, "down");
  form.ButtonMin->Click();
  expectShown(1, "Min");
  form.UpDown->DownButton()->click();
  expectShown(1, "down at the minimum stays");
  form.UpDown->UpButton()->click();
  expectShown(2, "up");
  form.ButtonDef->Click();
  expectShown(90, "Def");
  form.ButtonCur->Click();
  expectShown(50, "Cur");
  EXPECT_EQ(EnabledButtons(form), "1011");
}

TEST(GetInt, CallbackModeReportsEveryChangeAndCancelUndoesOnce) {
  std::vector<std::int64_t> applied;
  std::int64_t value = 20;
  ASSERT_TRUE(GetNumber64("Size", value, 0, 10, 40,
                          [&applied](std::int64_t Value) { applied.push_back(Value); }));
  TfGetInt& form = *GetIntForm();
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isModal());
  EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(form.ButtonApply->isEnabled());
  EXPECT_EQ(applied, std::vector<std::int64_t>{20});
  applied.clear();
  form.TrackBar->setValue(33);
  form.ButtonCancel->Click();
  EXPECT_EQ(applied, (std::vector<std::int64_t>{33, 20}));
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(value, 20);

  // Cancel without a change calls nothing more; OK keeps the last value reported.
  ASSERT_TRUE(GetNumber64("Size", value, 0, 10, 40,
                          [&applied](std::int64_t Value) { applied.push_back(Value); }));
  applied.clear();
  form.ButtonCancel->Click();
  EXPECT_TRUE(applied.empty());
  ASSERT_TRUE(GetNumber64("Size", value, 0, 10, 40,
                          [&applied](std::int64_t Value) { applied.push_back(Value); }));
  applied.clear();
  form.EditInput->setText("2*6");
  form.ButtonOk->Click();
  EXPECT_EQ(applied, std::vector<std::int64_t>{12});
  EXPECT_FALSE(form.isVisible());
}

TEST(GetInt, ModalAnswersSetTheValueOnlyOnOk) {
  std::int32_t value = 75;
  WhenModal([](TfGetInt& Form) {
    EXPECT_TRUE(Form.isModal());
    EXPECT_FALSE(Form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Form.ButtonApply->isEnabled());
    EXPECT_FALSE(Form.ButtonApply->isVisible());
    EXPECT_EQ(Form.Value, 75);
    Form.EditInput->setText("2*45");
    Form.ButtonOk->Click();
  });
  EXPECT_TRUE(GetNumber("Quality", value, 1, 90, 100));
  EXPECT_EQ(value, 90);

  WhenModal([](TfGetInt& Form) {
    Form.ButtonMin->Click();
    Form.ButtonCancel->Click();
  });
  EXPECT_FALSE(GetNumber("Quality", value, 1, 90, 100));
  EXPECT_EQ(value, 90);

  // A 64-bit answer is stored back truncated to 32 bits by the 32-bit front end only.
  std::int64_t wide = 0x100000005LL;
  WhenModal([](TfGetInt& Form) { Form.ButtonOk->Click(); });
  EXPECT_TRUE(GetNumber64("Wide", wide, 0, 0, 0x200000000LL));
  EXPECT_EQ(wide, 0x100000005LL);
}

TEST(GetInt, TheButtonsSitInARowAtTheBottomRight) {
  const TfGetInt& form = Prepared(1, 1, 1, 2);
  EXPECT_EQ(form.size(), QSize(335, 193));
  // Cancel is the last visible one: its right edge is 8 pixels from the client's right edge.
  EXPECT_EQ(form.ButtonCancel->geometry(), QRect(335 - 84, 193 - 32, 76, 24));
  EXPECT_EQ(form.ButtonOk->geometry(), QRect(335 - 168, 193 - 32, 76, 24));
  EXPECT_TRUE(form.ButtonOk->Default());
  EXPECT_TRUE(form.ButtonCancel->Cancel());
  EXPECT_EQ(form.EditInput->maxLength(), 15);
  EXPECT_EQ(form.Background(), baGradient);
}

TEST(GetInt, TheJpegQualityQuestionGoesToTheDialog) {
  // The widget start-up installed the dialog as the bitmap's question.
  TDBitmap bitmap;
  bitmap.SetSize(4, 4, 0x00FF00);
  std::int32_t quality = 75;
  std::vector<std::uint8_t> data;
  WhenModal([](TfGetInt& Form) {
    EXPECT_EQ(Form.Caption(), "JPEG Quality");
    EXPECT_EQ(Form.Minimum, 1);
    EXPECT_EQ(Form.Default, 90);
    EXPECT_EQ(Form.Maximum, 100);
    EXPECT_EQ(Form.Value, 75);
    Form.EditInput->setText("60");
    Form.ButtonOk->Click();
  });
  EXPECT_TRUE(bitmap.SaveToStreamExt(data, "jpg", quality));
  EXPECT_EQ(quality, 60);
  EXPECT_FALSE(data.empty());
}
