#pragma once

// Help for typing expressions, for any field that reads one: completion of function names while
// typing, and the function reference in the field's context menu.

class QLineEdit;

// Installs completion (uExpressionCompleter) and the context menu's "Insert Function…"
// (uFunctionReference) on Edit. Neither changes how the field's text is read.
void InstallExpressionHelp(QLineEdit* Edit);
