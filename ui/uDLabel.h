#pragma once

// TDLabel, the framework's windowed label: it paints borders, bevels and a shaded background
// into its bitmap and draws its caption as text, with a shadow, a rotation and a blend effect, or
// as a segmented display (TDispl). The caption's accelerator focuses FocusControl.
//
// Painting, in order: the bitmap in Color; a sunken double frame for bsSingle; the outer bevel;
// BorderWidth frames in Color; the inner bevel; a style-12 gradient from Lighter(Color) at the
// top-left to Darker(Color) at the bottom-right; then the caption. The caption goes straight onto
// the bitmap when it is neither rotated nor blended; otherwise it is drawn on a caption layer
// whose background is its transparent colour, and the layer is drawn turned by FontAngle about the
// label's centre (RotateDraw) or at (0, 0), through FontEffect. Color clNone draws no background
// and no colour frames: the label shows what its parent paints under it.

#include "ui/uDWinControl.h"
#include "ui/uDispl.h"
#include "ui/uEffects.h"

#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QShortcut;

// Horizontal placement of a caption.
enum TAlignment : std::uint8_t {
  taLeftJustify,
  taRightJustify,
  taCenter
};

// Vertical placement of a caption.
enum TTextLayout : std::uint8_t {
  tlTop,
  tlCenter,
  tlBottom
};

// The cut of a bevel.
enum TBevelCut : std::uint8_t {
  bvNone,
  bvLowered,
  bvRaised,
  bvSpace
};

enum TBorderStyle : std::uint8_t {
  bsNone,
  bsSingle
};

class TDLabel : public TDWinControl {
  Q_OBJECT
  Q_PROPERTY(int Alignment READ AlignmentValue WRITE SetAlignmentValue)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(QWidget* FocusControl READ FocusControl WRITE SetFocusControl)
  Q_PROPERTY(int FontEffect READ FontEffectValue WRITE SetFontEffectValue)
  Q_PROPERTY(int FontAngle READ FontAngle WRITE SetFontAngleValue)
  Q_PROPERTY(int FontShadow READ FontShadow WRITE SetFontShadow)
  Q_PROPERTY(int BevelInner READ BevelInnerValue WRITE SetBevelInnerValue)
  Q_PROPERTY(int BevelOuter READ BevelOuterValue WRITE SetBevelOuterValue)
  Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
  Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
  Q_PROPERTY(int BorderStyle READ BorderStyleValue WRITE SetBorderStyleValue)
  Q_PROPERTY(int Layout READ LayoutValue WRITE SetLayoutValue)
  Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)

 public:
  // A 64 x 64 label named Name.
  explicit TDLabel(QWidget* Parent = nullptr, const QString& Name = {},
                   const QString& Caption = {});
  ~TDLabel() override;

  // Properties. Setters store and repaint on change; the bevel and border width setters repaint
  // always.

  TAlignment Alignment() const noexcept { return Alignment_; }
  void SetAlignment(TAlignment Value);
  // The text; "&" marks the accelerator.
  const QString& Caption() const noexcept { return Caption_; }
  void SetCaption(const QString& Value);
  // Takes the focus on the caption's accelerator, while the label is enabled and it can.
  QWidget* FocusControl() const noexcept { return FocusControl_; }
  void SetFocusControl(QWidget* Value);
  // How the caption combines with the background; ef00 hides it.
  TEffect FontEffect() const noexcept { return FontEffect_; }
  void SetFontEffect(TEffect Value);
  // The caption's rotation in 1/1024 of a turn.
  std::int16_t FontAngle() const noexcept { return FontAngle_; }
  void SetFontAngle(std::int16_t Value);
  // The caption shadow's depth in pixels.
  int FontShadow() const noexcept { return FontShadow_; }
  void SetFontShadow(int Value);
  // The segment display settings; assigning copies them.
  const TDispl& Displ() const noexcept { return Displ_; }
  TDispl& Displ() noexcept { return Displ_; }
  void SetDispl(const TDispl& Value);
  TBevelCut BevelInner() const noexcept { return BevelInner_; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const noexcept { return BevelOuter_; }
  void SetBevelOuter(TBevelCut Value);
  int BevelWidth() const noexcept { return BevelWidth_; }
  void SetBevelWidth(int Value);
  // Frames in Color between the bevels.
  int BorderWidth() const noexcept { return BorderWidth_; }
  void SetBorderWidth(int Value);
  TBorderStyle BorderStyle() const noexcept { return BorderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TTextLayout Layout() const noexcept { return Layout_; }
  void SetLayout(TTextLayout Value);
  bool WordWrap() const noexcept { return WordWrap_; }
  void SetWordWrap(bool Value);

  // Called at the end of each painting of the bitmap, to draw over it.
  std::function<void(TDLabel& Sender)> OnPaint;

  // The caption layer of the last painting.
  const TDBitmap& CaptionLayer() const noexcept { return Layer_; }

 protected:
  void PaintBitmap() override;

 private:
  int AlignmentValue() const noexcept { return Alignment_; }
  void SetAlignmentValue(int Value);
  int FontEffectValue() const noexcept { return FontEffect_; }
  void SetFontEffectValue(int Value);
  void SetFontAngleValue(int Value) { SetFontAngle(static_cast<std::int16_t>(Value)); }
  int BevelInnerValue() const noexcept { return BevelInner_; }
  void SetBevelInnerValue(int Value);
  int BevelOuterValue() const noexcept { return BevelOuter_; }
  void SetBevelOuterValue(int Value);
  int BorderStyleValue() const noexcept { return BorderStyle_; }
  void SetBorderStyleValue(int Value);
  int LayoutValue() const noexcept { return Layout_; }
  void SetLayoutValue(int Value);

  // The parent's painting under the label, for Color clNone.
  void FillFromParent();
  // Draws a bevel of BevelWidth frames around Rect and shrinks it.
  void DrawBevel(TRect& Rect, TBevelCut Cut);
  void DrawCaption(TRect Rect);
  void UpdateAccelerator();
  void AcceleratorPressed();

  TAlignment Alignment_ = taLeftJustify;
  QString Caption_;
  QPointer<QWidget> FocusControl_;
  TEffect FontEffect_ = ef16;
  std::int16_t FontAngle_ = 0;
  int FontShadow_ = 0;
  TDispl Displ_;
  TBevelCut BevelInner_ = bvNone;
  TBevelCut BevelOuter_ = bvRaised;
  int BevelWidth_ = 1;
  int BorderWidth_ = 0;
  TBorderStyle BorderStyle_ = bsNone;
  TTextLayout Layout_ = tlCenter;
  bool WordWrap_ = false;
  TDBitmap Layer_;
  std::unique_ptr<QShortcut> Accelerator_;
};
