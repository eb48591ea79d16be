#pragma once

// TDMemo, the framework's small memo: a plain-text edit in which Ctrl+A selects all the text;
// every other key is handled as usual.

#include <QPlainTextEdit>

class TDMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TDMemo(QWidget* Parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* Event) override;
};
