#include "ui/uExceptionBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void MessageBox(const std::exception& E) {
  QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                        QString::fromUtf8(E.what()));
}

TExceptionBox Box;

} // namespace

void ShowExceptionBox(const std::exception& E) {
  if (Box)
    Box(E);
  else
    MessageBox(E);
}

TExceptionBox SetExceptionBox(TExceptionBox NewBox) {
  TExceptionBox previous = std::move(Box);
  Box = std::move(NewBox);
  return previous;
}
