#include "ui/uDWinControl.h"

#include "report/uMsg.h"
#include "ui/uDesktopColors.h"

#include <QPaintEvent>
#include <QPainter>

TDWinControl::TDWinControl(QWidget* Parent) : QWidget(Parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TDWinControl::~TDWinControl() = default;

void TDWinControl::SetColor(TColor Value) {
  if (Value == Color_)
    return;
  Color_ = Value;
  Invalidate();
}

void TDWinControl::Invalidate() {
  NeedsRepaint_ = true;
  update();
}

void TDWinControl::PaintBitmap() {
  NeedsRepaint_ = false;
  const bool sameSize = Bitmap_.Width() == width() && Bitmap_.Height() == height();
  Bitmap_.SetSize(width(), height(), Color_);
  if (sameSize && Color_ != clNone)
    Bitmap_.Bar(Color_, ef16);
}

void TDWinControl::paintEvent(QPaintEvent* /*Event*/) {
  if (NeedsRepaint_) {
    // An exception from a descendant's drawing is logged: a paint must always end with a picture.
    try {
      PaintBitmap();
    } catch (const std::exception& error) {
      NeedsRepaint_ = false;
      ReportException(error, "TDWinControl");
    }
  }
  QPainter painter(this);
  if (Bitmap_.Empty())
    painter.fillRect(rect(), ToQColor(clAppWorkSpace));
  else
    Bitmap_.DrawTo(painter, 0, 0);
}

void TDWinControl::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  NeedsRepaint_ = true;
}

void TDWinControl::focusInEvent(QFocusEvent* Event) {
  QWidget::focusInEvent(Event);
  IsFocused_ = true;
  Invalidate();
}

void TDWinControl::focusOutEvent(QFocusEvent* Event) {
  QWidget::focusOutEvent(Event);
  IsFocused_ = false;
  Invalidate();
}

void TDWinControl::changeEvent(QEvent* Event) {
  QWidget::changeEvent(Event);
  switch (Event->type()) {
  case QEvent::FontChange:
  case QEvent::EnabledChange:
  case QEvent::PaletteChange:
  case QEvent::ApplicationPaletteChange:
    Invalidate();
    break;
  default:
    break;
  }
}
