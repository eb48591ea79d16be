#pragma once

// The platform's labelled edit: a single-line edit with a caption label above it, and a change
// handler that runs whenever the text changes, also when the program sets it. Setting the handler
// to none detaches it.

#include <QLabel>
#include <QLineEdit>
#include <functional>

class TLabeledEdit : public QLineEdit {
  Q_OBJECT

 public:
  using TNotifyEvent = std::function<void(QObject* Sender)>;

  // The edit and its label, both children of Parent.
  explicit TLabeledEdit(QWidget* Parent);

  QLabel* EditLabel() const noexcept { return Label_; }

  // Moves the edit and keeps the label above it.
  void SetBounds(int Left, int Top, int Width, int Height);

  // The change handler, or none.
  TNotifyEvent OnChange;

 protected:
  void moveEvent(QMoveEvent* Event) override;
  void changeEvent(QEvent* Event) override;

 private:
  void PlaceLabel();

  QLabel* Label_; // owned by the parent
};
