#pragma once

// TfGetInt, the framework's dialog for choosing a whole number between a minimum and a maximum.
// The user types an expression (read by the expression input, so "2*45" is 90), drags the track
// bar, steps with the up-down arrows or jumps to the minimum, the starting value, the default or
// the maximum. Modal, it returns the choice; with an apply callback it stays on top without
// blocking and reports every change at once. One instance serves every call: it is created on
// first use, owned by the main form, and kept.

#include "expr/uParserMsg.h"
#include "ui/uDForm.h"

#include <QSlider>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string_view>

class QFrame;
class QLabel;
class QToolButton;
class TDButton;
class TDMemo;
class TLabeledEdit;

// Receives the value at every change of a non-modal dialog, and the starting value when the
// user cancels.
using TApplyEvent = std::function<void(std::int64_t Value)>;

// The platform's track bar: a horizontal QSlider that also draws its selection, a range marked
// by two small triangles above the groove. SelStart = SelEnd marks one value.
class TTrackBar : public QSlider {
  Q_OBJECT

 public:
  explicit TTrackBar(QWidget* Parent);

  int SelStart() const noexcept { return SelStart_; }
  int SelEnd() const noexcept { return SelEnd_; }
  // Marks Start ... End and repaints.
  void SetSelection(int Start, int End);

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  int SelStart_ = 0;
  int SelEnd_ = 0;
};

// The platform's up-down control: an up and a down arrow stacked, repeating while held, over a
// position kept within Min ... Max. Each step first asks OnChangingEx, which may refuse it.
class TUpDown : public QWidget {
  Q_OBJECT

 public:
  enum TDirection : std::uint8_t {
    updNone,
    updUp,
    updDown
  };
  using TChangingEx =
      std::function<void(TUpDown& Sender, bool& AllowChange, int NewValue, TDirection Direction)>;

  explicit TUpDown(QWidget* Parent);

  int Min = -32768;
  int Max = 32767;
  int Position() const noexcept { return Position_; }
  TChangingEx OnChangingEx;

  // One step up or down, as a click on the arrow does.
  void Step(TDirection Direction);
  QToolButton* UpButton() const noexcept { return Up_; }
  QToolButton* DownButton() const noexcept { return Down_; }

 protected:
  void resizeEvent(QResizeEvent* Event) override;

 private:
  QToolButton* Up_;
  QToolButton* Down_;
  int Position_ = 0;
};

class TfGetInt : public TDForm {
  Q_OBJECT

 public:
  // The dialog with its controls, named "fGetInt", owned by Owner (may be null), texts translated.
  explicit TfGetInt(QWidget* Owner);

  // The controls, owned by the form, in design order.
  TLabeledEdit* EditInput;
  TDButton* ButtonOk;
  TDButton* ButtonCancel;
  TTrackBar* TrackBar;
  TDButton* ButtonMin;
  TDButton* ButtonCur;
  TDButton* ButtonMax;
  QLabel* LabelMin;
  QLabel* LabelMax;
  QLabel* LabelNow;
  TDButton* ButtonDef;
  TDButton* ButtonApply;
  TDMemo* EditError;
  TUpDown* UpDown;
  QFrame* Bevel1;

  std::int64_t Minimum = 0;
  std::int64_t Maximum = 0;
  std::int64_t Default = 0;
  std::int64_t StartValue = 0;
  std::int64_t Value = 0;
  TApplyEvent OnApply;

  // Sets the dialog up for one question: limits (Maximum raised to Minimum), the starting value
  // clamped into them, caption, labels, track bar, views, and evaluates the edit once. Shows
  // nothing.
  void Prepare(std::string_view Caption, std::int64_t Current, std::int64_t Min, std::int64_t Def,
               std::int64_t Max, TApplyEvent Apply);

  // Handlers.
  void EditInputChange();
  void ButtonMinClick();
  void ButtonCurClick();
  void ButtonMaxClick();
  void ButtonDefClick();
  void TrackBarChange();
  void SpinButton1DownClick();
  void SpinButton1UpClick();
  void UpDownChangingEx(bool& AllowChange, TUpDown::TDirection Direction);
  void ButtonCancelClick();
  void ButtonOkClick();
  void FormCreate();

 private:
  enum TView : std::uint8_t {
    vwEdit = 1,
    vwTrackBar = 2,
    vwButtons = 4, // the four jump buttons and LabelNow
    vwApply = 8,
    vwAll = 15
  };
  // Shows Value in the views named, each with its handlers detached, and calls OnApply.
  void Refresh(unsigned Views);
  void SetValue(std::int64_t NewValue);

  TParserMessages Messages_;
};

// The dialog, created on first use with the main form as owner; null before that.
TfGetInt* GetIntForm() noexcept;
// The dialog, created now with the main form as owner when it does not exist yet.
TfGetInt& CreateGetIntForm();

// Asks for a whole number Min ... Max with the caption Caption (translated, "&" markers removed),
// starting at Value (clamped into the range) with the default Default. Without OnApply the
// dialog is modal: true with Value set to the choice, false (Value unchanged) when cancelled.
// With OnApply it stays on top, shows without waiting and returns true at once; OnApply receives
// every change.
bool GetNumber64(std::string_view Caption, std::int64_t& Value, std::int64_t Min,
                 std::int64_t Default, std::int64_t Max, TApplyEvent OnApply = {});
// GetNumber64 for 32-bit values; the result is stored back truncated to 32 bits.
bool GetNumber(std::string_view Caption, std::int32_t& Value, std::int32_t Min,
               std::int32_t Default, std::int32_t Max, TApplyEvent OnApply = {});

// Makes GetNumber the bitmap's JPEG quality question; RemoveGetNumber puts back the built-in
// answer and frees the dialog. Part of the widget layer's start-up.
void InstallGetNumber();
void RemoveGetNumber() noexcept;
