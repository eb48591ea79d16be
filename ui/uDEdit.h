#pragma once

// Showing the messages of a read on its input field, and the framework's single-line edit.

#include <QLineEdit>

class TParserMessages;

// Error colours (grey text on its contrast colour) when HasErrors, else the normal window colours.
void SetErrorColors(QLineEdit* Edit, bool HasErrors);

// With a list: error colours while it holds messages, the messages as the hint, one a line, and
// hint display on. Without a list: normal colours, an empty hint and hint display off. The
// messages are Latin-1, as the reader reads.
void ShowParserMessages(QLineEdit* Edit, const TParserMessages* Messages);

// Whether the edit shows its hint, as ShowParserMessages left it.
bool ShowsHint(const QLineEdit* Edit);

// The framework's edit: Ctrl+A, with Ctrl as the only modifier, selects the whole text; every other
// key goes to the usual handling. Qt paints widgets double-buffered already.
class TDEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TDEdit(QWidget* Parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* Event) override;
};
