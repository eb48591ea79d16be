#include "ui/uDEdit.h"

#include "expr/uParserMsg.h"
#include "graphics/uColors.h"
#include "ui/uDesktopColors.h"

#include <QKeyEvent>
#include <QPalette>
#include <limits>

namespace {

constexpr const char* ShowHintProperty = "ShowHint";

void SetColors(QLineEdit* Edit, TColor Text, TColor Background) {
  QPalette palette = Edit->palette();
  palette.setColor(QPalette::Text, ToQColor(Text));
  palette.setColor(QPalette::Base, ToQColor(Background));
  Edit->setPalette(palette);
}

} // namespace

void SetErrorColors(QLineEdit* Edit, bool HasErrors) {
  if (HasErrors)
    SetColors(Edit, clGrayText, ContrastColor(clGrayText));
  else
    SetColors(Edit, clWindowText, clWindow);
}

void ShowParserMessages(QLineEdit* Edit, const TParserMessages* Messages) {
  if (Messages) {
    SetErrorColors(Edit, Messages->Count() > 0);
    const std::string hint = Messages->ToUtf8();
    Edit->setToolTip(QString::fromUtf8(hint.data(), static_cast<qsizetype>(hint.size())));
    Edit->setProperty(ShowHintProperty, true);
  } else {
    SetErrorColors(Edit, false);
    Edit->setToolTip(QString());
    Edit->setProperty(ShowHintProperty, false);
  }
}

bool ShowsHint(const QLineEdit* Edit) {
  return Edit->property(ShowHintProperty).toBool();
}

TDEdit::TDEdit(QWidget* Parent) : QLineEdit(Parent) {
  // An expression may be of any length; Qt would cut a paste at 32767 characters.
  setMaxLength(std::numeric_limits<int>::max());
}

void TDEdit::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() == Qt::Key_A && Event->modifiers() == Qt::ControlModifier) {
    selectAll();
    Event->accept();
    return;
  }
  QLineEdit::keyPressEvent(Event);
}
