#include "ui/uExpressionHelp.h"

#include "ui/uExpressionCompleter.h"
#include "ui/uFunctionReference.h"

void InstallExpressionHelp(QLineEdit* Edit) {
  InstallExpressionCompleter(Edit);
  InstallFunctionReferenceMenu(Edit);
}
