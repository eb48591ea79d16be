#pragma once

// Completion of function and constant names in an expression field. Once the name before the
// cursor has two characters, a list below it offers the registered names that begin with them
// (ignoring case), each as a call ("Max(x; y; …)", "PI") with its line of help (Summary: the
// first sentence of its description). Typing on filters the list; Up, Down, Page Up and Page
// Down choose; Tab, Enter or a click puts the chosen name in place of the one typed, with "("
// when it takes arguments (or steps over a bracket that follows already); Escape closes it.
//
// The list never changes the text by itself, so the field reads what was typed and nothing else.
// It takes no keyboard focus: every key goes to the field, which hands the list's keys over.

#include "expr/functions/uFunctionHelp.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <vector>

class QLineEdit;
class QTreeWidget;

class TExpressionCompleter : public QObject {
  Q_OBJECT

 public:
  // The number of characters of a name after which the list opens.
  static constexpr int PrefixLength = 2;

  // Completion for Edit; a child of Edit, so it lives as long as the field.
  explicit TExpressionCompleter(QLineEdit* Edit);

  // The list, a window of its own that is shown below the name being typed.
  QTreeWidget* Popup() const noexcept { return Popup_; }
  bool IsPopupVisible() const;
  // The names the list offers, in its order; empty while it is closed.
  QStringList Offered() const;
  // The row chosen in the list, or -1 while it is closed.
  int CurrentRow() const;

  // Replaces the characters Start .. End of the field by Text, as one edit, without opening the
  // list for what was inserted.
  void Replace(int Start, int End, const QString& Text);

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  // Opens, filters or closes the list for the name before the cursor. The list opens only when
  // MayOpen (the user typed); otherwise an open list follows the cursor or closes.
  void Update(bool MayOpen);
  void Fill();
  void Place();
  void Hide();
  void InsertChosen();
  void MoveChoice(int Rows);
  bool HandleKey(int Key, Qt::KeyboardModifiers Modifiers);

  QLineEdit* Edit_;
  QTreeWidget* Popup_;       // a window owned by the field
  QPointer<QWidget> Window_; // the field's window, watched for moves while the list is open
  std::vector<TFunctionHelp> Matches_;
  int Start_ = 0; // the name's characters in the field
  int End_ = 0;
  bool Replacing_ = false;
};

// Installs completion on Edit (once; a second call returns the first completer).
TExpressionCompleter* InstallExpressionCompleter(QLineEdit* Edit);
// The completer installed on Edit, or nullptr.
TExpressionCompleter* ExpressionCompleter(const QLineEdit* Edit);

// Inserts Function at Edit's cursor, replacing a selection, as completion inserts it: its name,
// with "(" when it takes arguments. An installed completer does not open for the inserted name.
void InsertFunction(QLineEdit* Edit, const TFunctionHelp& Function);
