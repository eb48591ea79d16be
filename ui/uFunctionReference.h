#pragma once

// The function reference of an expression field: every registered function grouped by its
// library (the registry's namespace), each as its calls with the first sentence of its
// description; a search box narrows the list. Below the list the chosen function shows its
// calls, its whole description and its reference link, which opens in the desktop's browser
// (OpenUrl). Double-click, Enter or "Insert" inserts the function at the field's cursor, as
// completion inserts it, and closes the dialog.
//
// Fields offer the dialog through their context menu's "Insert Function…".

#include "expr/functions/uFunctionHelp.h"

#include <QDialog>
#include <QStringList>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

class TfFunctionReference : public QDialog {
  Q_OBJECT

 public:
  // The reference for inserting into Target, which must outlive the dialog.
  explicit TfFunctionReference(QLineEdit* Target, QWidget* Parent = nullptr);

  QLineEdit* SearchEdit() const noexcept { return Search_; }
  QTreeWidget* FunctionList() const noexcept { return List_; }
  QLabel* Details() const noexcept { return Details_; }

  // The names the list shows after the search, in its order.
  QStringList ShownNames() const;
  // The chosen function, or nullptr when none is (the search matched nothing).
  const TFunctionHelp* Chosen() const;
  // Inserts the chosen function into the target and closes the dialog accepted; does nothing
  // while no function is chosen.
  void InsertChosen();

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void Fill();
  // Shows the functions whose name, calls, description, line of help or library contain Text,
  // ignoring case, and keeps a shown function chosen.
  void Filter(const QString& Text);
  void ShowDetails();
  // Chooses the next shown function after the chosen one, Step functions on (back when negative).
  void MoveChoice(int Step);
  std::vector<QTreeWidgetItem*> ShownFunctionItems() const;

  QLineEdit* Target_;
  QLineEdit* Search_;
  QTreeWidget* List_;
  QLabel* Details_;
  std::vector<TFunctionHelp> Functions_;
};

// The caption of the context menu's entry.
QString InsertFunctionCaption();

// Opens the reference for Target as a modal dialog.
void ShowFunctionReference(QLineEdit* Target);

// Gives Target's context menu, after its standard entries, "Insert Function…", which opens the
// reference for it.
void InstallFunctionReferenceMenu(QLineEdit* Target);
