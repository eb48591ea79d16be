#pragma once

// TDWinControl, the drawing base of the framework's windowed controls: a QWidget that paints into
// its own TDBitmap and copies it to the screen in one block, without erasing first. Descendants
// override PaintBitmap, which runs at the next paint after Invalidate, a resize or a focus change;
// a paint in between copies the bitmap as it is.

#include "ui/uDBitmap.h"

#include <QWidget>

class TDWinControl : public QWidget {
  Q_OBJECT
  Q_PROPERTY(bool IsFocused READ IsFocused)
  Q_PROPERTY(int Color READ Color WRITE SetColor)

 public:
  explicit TDWinControl(QWidget* Parent = nullptr);
  ~TDWinControl() override;

  // The picture the control shows.
  TDBitmap& Bitmap() noexcept { return Bitmap_; }
  const TDBitmap& Bitmap() const noexcept { return Bitmap_; }
  // The control has the keyboard focus.
  bool IsFocused() const noexcept { return IsFocused_; }
  // The control's colour, clBtnFace unless set; PaintBitmap fills the bitmap with it.
  TColor Color() const noexcept { return Color_; }
  // Stores the colour and repaints when it changed.
  void SetColor(TColor Value);

  // The bitmap is painted anew at the next paint.
  bool NeedsRepaint() const noexcept { return NeedsRepaint_; }
  // Marks the bitmap for painting and asks Qt for a paint.
  void Invalidate();

 protected:
  // Paints the bitmap: this base clears the needs-repaint flag and gives the bitmap the control's
  // size, every pixel in Color (also when the size is unchanged, so that nothing of the last
  // picture stays behind). Descendants call it first, then draw; the painter of the bitmap takes
  // the control's font.
  virtual void PaintBitmap();

  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void focusInEvent(QFocusEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;
  void changeEvent(QEvent* Event) override;

 private:
  TDBitmap Bitmap_;
  TColor Color_ = clBtnFace;
  bool NeedsRepaint_ = true;
  bool IsFocused_ = false;
};
