#include "ui/uLabeledEdit.h"

#include <QEvent>
#include <limits>

namespace {

// The gap between the label and the edit, in pixels.
constexpr int LabelSpacing = 3;

} // namespace

TLabeledEdit::TLabeledEdit(QWidget* Parent) : QLineEdit(Parent), Label_(new QLabel(Parent)) {
  Label_->setBuddy(this);
  // A field holds a text of any length, as typed or pasted; Qt would cut it at 32767.
  setMaxLength(std::numeric_limits<int>::max());
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (OnChange)
      OnChange(this);
  });
}

void TLabeledEdit::SetBounds(int Left, int Top, int Width, int Height) {
  setGeometry(Left, Top, Width, Height);
  PlaceLabel();
}

void TLabeledEdit::moveEvent(QMoveEvent* Event) {
  QLineEdit::moveEvent(Event);
  PlaceLabel();
}

void TLabeledEdit::changeEvent(QEvent* Event) {
  QLineEdit::changeEvent(Event);
  if (Event->type() == QEvent::FontChange)
    PlaceLabel();
}

void TLabeledEdit::PlaceLabel() {
  Label_->adjustSize();
  Label_->move(x(), y() - Label_->height() - LabelSpacing);
}
