#include "ui/uDMemo.h"

#include <QKeyEvent>

TDMemo::TDMemo(QWidget* Parent) : QPlainTextEdit(Parent) {}

void TDMemo::keyPressEvent(QKeyEvent* Event) {
  // Ctrl+A whatever the desktop's key bindings say, and with Shift or Alt held it is another key.
  if (Event->key() == Qt::Key_A &&
      (Event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
    selectAll();
    Event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(Event);
}
