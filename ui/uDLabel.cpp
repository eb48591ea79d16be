#include "ui/uDLabel.h"

#include "ui/uCanvasText.h"
#include "ui/uDesktopColors.h"

#include <QKeySequence>
#include <QPainter>
#include <QShortcut>

namespace {

// The layer's transparent colour when the label has none of its own: a colour the caption is
// not drawn in.
TColor LayerKey(TColor FontColor) {
  constexpr TColor magenta = 0xFF00FF, green = 0x00FF00;
  return FontColor == magenta ? green : magenta;
}

} // namespace

TDLabel::TDLabel(QWidget* Parent, const QString& Name, const QString& Caption)
    : TDWinControl(Parent) {
  if (!Name.isEmpty())
    setObjectName(Name);
  resize(64, 64);
  Displ_.OnChange = [this] { Invalidate(); };
  SetCaption(Caption);
}

TDLabel::~TDLabel() = default;

void TDLabel::SetAlignment(TAlignment Value) {
  if (Value == Alignment_)
    return;
  Alignment_ = Value;
  Invalidate();
}

void TDLabel::SetAlignmentValue(int Value) {
  if (Value >= taLeftJustify && Value <= taCenter)
    SetAlignment(static_cast<TAlignment>(Value));
}

void TDLabel::SetCaption(const QString& Value) {
  if (Value == Caption_)
    return;
  Caption_ = Value;
  UpdateAccelerator();
  Invalidate();
}

void TDLabel::SetFocusControl(QWidget* Value) {
  FocusControl_ = Value;
}

void TDLabel::SetFontEffect(TEffect Value) {
  if (Value == FontEffect_)
    return;
  FontEffect_ = Value;
  Invalidate();
}

void TDLabel::SetFontEffectValue(int Value) {
  if (Value >= ef00 && Value < EffectCount)
    SetFontEffect(static_cast<TEffect>(Value));
}

void TDLabel::SetFontAngle(std::int16_t Value) {
  if (Value == FontAngle_)
    return;
  FontAngle_ = Value;
  Invalidate();
}

void TDLabel::SetFontShadow(int Value) {
  if (Value == FontShadow_)
    return;
  FontShadow_ = Value;
  Invalidate();
}

void TDLabel::SetDispl(const TDispl& Value) {
  Displ_.Assign(Value);
}

void TDLabel::SetBevelInner(TBevelCut Value) {
  if (Value == BevelInner_)
    return;
  BevelInner_ = Value;
  Invalidate();
}

void TDLabel::SetBevelInnerValue(int Value) {
  if (Value >= bvNone && Value <= bvSpace)
    SetBevelInner(static_cast<TBevelCut>(Value));
}

void TDLabel::SetBevelOuter(TBevelCut Value) {
  if (Value == BevelOuter_)
    return;
  BevelOuter_ = Value;
  Invalidate();
}

void TDLabel::SetBevelOuterValue(int Value) {
  if (Value >= bvNone && Value <= bvSpace)
    SetBevelOuter(static_cast<TBevelCut>(Value));
}

void TDLabel::SetBevelWidth(int Value) {
  BevelWidth_ = Value;
  Invalidate();
}

void TDLabel::SetBorderWidth(int Value) {
  BorderWidth_ = Value;
  Invalidate();
}

void TDLabel::SetBorderStyle(TBorderStyle Value) {
  if (Value == BorderStyle_)
    return;
  BorderStyle_ = Value;
  Invalidate();
}

void TDLabel::SetBorderStyleValue(int Value) {
  if (Value >= bsNone && Value <= bsSingle)
    SetBorderStyle(static_cast<TBorderStyle>(Value));
}

void TDLabel::SetLayout(TTextLayout Value) {
  if (Value == Layout_)
    return;
  Layout_ = Value;
  Invalidate();
}

void TDLabel::SetLayoutValue(int Value) {
  if (Value >= tlTop && Value <= tlBottom)
    SetLayout(static_cast<TTextLayout>(Value));
}

void TDLabel::SetWordWrap(bool Value) {
  if (Value == WordWrap_)
    return;
  WordWrap_ = Value;
  Invalidate();
}

void TDLabel::UpdateAccelerator() {
  const QKeySequence key = QKeySequence::mnemonic(Caption_);
  if (key.isEmpty()) {
    Accelerator_.reset();
    return;
  }
  Accelerator_ = std::make_unique<QShortcut>(key, this);
  Accelerator_->setContext(Qt::WindowShortcut);
  connect(Accelerator_.get(), &QShortcut::activated, this, [this] { AcceleratorPressed(); });
}

void TDLabel::AcceleratorPressed() {
  QWidget* control = FocusControl_;
  if (!isEnabled() || !control || !control->isEnabled() || !control->isVisible() ||
      control->focusPolicy() == Qt::NoFocus)
    return;
  control->setFocus(Qt::ShortcutFocusReason);
}

void TDLabel::FillFromParent() {
  QWidget* parent = parentWidget();
  if (!parent) {
    Bitmap().Bar(clBtnFace, ef16);
    return;
  }
  // Only the parent's own painting: no child, this label least of all.
  Bitmap().Paint([&](QPainter& Canvas) {
    parent->render(&Canvas, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
  });
}

void TDLabel::DrawBevel(TRect& Rect, TBevelCut Cut) {
  if (Cut == bvNone)
    return;
  const bool lowered = Cut == bvLowered;
  Bitmap().Border3D(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom,
                    lowered ? clBtnShadow : clBtnHighlight, lowered ? clBtnHighlight : clBtnShadow,
                    BevelWidth_, ef16);
  Rect = {Rect.Left + BevelWidth_, Rect.Top + BevelWidth_, Rect.Right - BevelWidth_,
          Rect.Bottom - BevelWidth_};
}

void TDLabel::PaintBitmap() {
  TDWinControl::PaintBitmap();
  TDBitmap& bitmap = Bitmap();
  if (bitmap.Empty())
    return;
  const TColor colour = Color();
  if (colour == clNone)
    FillFromParent();
  TRect rect{0, 0, width() - 1, height() - 1};
  if (BorderStyle_ != bsNone) {
    bitmap.Border3D(rect.Left, rect.Top, rect.Right, rect.Bottom, clBtnShadow, clBtnHighlight, 1,
                    ef16);
    bitmap.Border3D(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1, cl3DDkShadow,
                    cl3DLight, 1, ef16);
    rect = {rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2};
  }
  DrawBevel(rect, BevelOuter_);
  if (colour != clNone && BorderWidth_ > 0) {
    bitmap.Border3D(rect.Left, rect.Top, rect.Right, rect.Bottom, colour, colour, BorderWidth_,
                    ef16);
    rect = {rect.Left + BorderWidth_, rect.Top + BorderWidth_, rect.Right - BorderWidth_,
            rect.Bottom - BorderWidth_};
  }
  DrawBevel(rect, BevelInner_);
  if (colour != clNone && rect.Left <= rect.Right && rect.Top <= rect.Bottom)
    bitmap.Gradient(rect, {}, 0, ef16,
                    {Lighter(colour), Darker(colour), Lighter(colour), Darker(colour)}, 12);
  if (!Caption_.isEmpty() && FontEffect_ != ef00)
    DrawCaption(rect);
  if (OnPaint)
    OnPaint(*this);
}

void TDLabel::DrawCaption(TRect Rect) {
  TDBitmap& bitmap = Bitmap();
  const TColor colour = Color();
  const TColor fontColour = FromQColor(palette().color(QPalette::WindowText));
  const TColor key = colour != clNone ? colour : LayerKey(fontColour);
  Layer_.SetSize(0, 0, clNone);
  Layer_.SetSize(bitmap.Width(), bitmap.Height(), key);
  Layer_.Transparent = true;
  Layer_.TransparentColor = key;
  Rect = {Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1};

  bool onLayer = false;
  if (Displ_.Enabled()) {
    onLayer = FontEffect_ != ef16;
    Displ_.DrawText(onLayer ? Layer_ : bitmap, DropAmpersands(Caption_), ef16, Layout_, Alignment_,
                    Rect);
  } else {
    onLayer = FontAngle_ != 0 || FontEffect_ != ef16;
    TDBitmap& target = onLayer ? Layer_ : bitmap;
    QFont captionFont = font();
    // Blended edges of the layer's own colour would stay around the letters where nothing of
    // that colour lies under them.
    if (onLayer && colour == clNone)
      captionFont.setStyleStrategy(QFont::NoAntialias);
    target.Paint([&](QPainter& Canvas) {
      Canvas.setFont(captionFont);
      Canvas.setPen(ToQColor(fontColour));
      DrawTextRect(
          Canvas,
          QRect(Rect.Left, Rect.Top, Rect.Right - Rect.Left + 1, Rect.Bottom - Rect.Top + 1),
          Alignment_, FontShadow_, WordWrap_, Caption_, Layout_);
    });
  }
  if (!onLayer)
    return;
  if (FontAngle_ != 0)
    bitmap.RotateDraw(Layer_, FontAngle_, 0, FontEffect_);
  else
    bitmap.DrawBitmap(0, 0, Layer_, FontEffect_);
}
