#include "ui/uExpressionCompleter.h"

#include "expr/uIdentifierAt.h"
#include "ui/uExceptionBox.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <optional>
#include <utility>

namespace {

// Rows the list shows at once; more scroll.
constexpr int VisibleRows = 8;
// The widest the list grows; longer descriptions are cut with an ellipsis.
constexpr int MaxPopupWidth = 520;

// The field's text as the reader reads it: one Latin-1 character for each UTF-16 unit, so that
// indexes agree with the field's.
std::string Latin1Text(const QLineEdit* Edit) {
  const QByteArray text = Edit->text().toLatin1();
  return std::string(text.constData(), static_cast<std::size_t>(text.size()));
}

// Sets a flag for a scope.
class TFlagScope {
 public:
  explicit TFlagScope(bool& Flag) : Flag_(Flag), Saved_(std::exchange(Flag, true)) {}
  ~TFlagScope() { Flag_ = Saved_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& Flag_;
  bool Saved_;
};

} // namespace

TExpressionCompleter::TExpressionCompleter(QLineEdit* Edit)
    : QObject(Edit), Edit_(Edit), Popup_(new QTreeWidget(Edit)) {
  setObjectName("ExpressionCompleter");
  // A window of its own that never takes the focus, so that typing goes on in the field.
  Popup_->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  Popup_->setAttribute(Qt::WA_ShowWithoutActivating);
  Popup_->setFocusPolicy(Qt::NoFocus);
  Popup_->setObjectName("CompletionPopup");
  Popup_->setColumnCount(2);
  Popup_->setHeaderHidden(true);
  Popup_->setRootIsDecorated(false);
  Popup_->setUniformRowHeights(true);
  Popup_->setSelectionMode(QAbstractItemView::SingleSelection);
  Popup_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Popup_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Popup_->setTextElideMode(Qt::ElideRight);
  Popup_->setMouseTracking(true);
  Popup_->header()->setStretchLastSection(true);
  Popup_->hide();

  connect(Popup_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* Item) {
    Guarded([&] {
      Popup_->setCurrentItem(Item);
      InsertChosen();
    });
  });
  connect(Edit_, &QLineEdit::textEdited, this, [this] { Guarded([&] { Update(true); }); });
  connect(Edit_, &QLineEdit::cursorPositionChanged, this,
          [this] { Guarded([&] { Update(false); }); });
  Edit_->installEventFilter(this);
}

bool TExpressionCompleter::IsPopupVisible() const {
  return Popup_->isVisible();
}

QStringList TExpressionCompleter::Offered() const {
  QStringList names;
  if (IsPopupVisible())
    for (const TFunctionHelp& function : Matches_)
      names.append(QString::fromStdString(function.Name));
  return names;
}

int TExpressionCompleter::CurrentRow() const {
  if (!IsPopupVisible())
    return -1;
  return Popup_->indexOfTopLevelItem(Popup_->currentItem());
}

void TExpressionCompleter::Replace(int Start, int End, const QString& Text) {
  const TFlagScope replacing(Replacing_);
  Edit_->setSelection(Start, End - Start);
  Edit_->insert(Text);
  Hide();
}

bool TExpressionCompleter::eventFilter(QObject* Watched, QEvent* Event) {
  bool handled = false;
  Guarded([&] {
    if (Watched != Edit_) {
      // The field's window moved, changed size, closed or lost the focus: the list, a window
      // of its own, would be left behind.
      switch (Event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Hide:
      case QEvent::WindowDeactivate:
        Hide();
        break;
      default:
        break;
      }
      return;
    }
    switch (Event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      if (!IsPopupVisible())
        return;
      auto* key = static_cast<QKeyEvent*>(Event);
      if (Event->type() == QEvent::ShortcutOverride) {
        // The list's keys are the field's while it is open, not a shortcut of the window's.
        const int k = key->key();
        if (k == Qt::Key_Escape || k == Qt::Key_Tab || k == Qt::Key_Return || k == Qt::Key_Enter ||
            k == Qt::Key_Up || k == Qt::Key_Down || k == Qt::Key_PageUp || k == Qt::Key_PageDown) {
          Event->accept();
          handled = true;
        }
        return;
      }
      handled = HandleKey(key->key(), key->modifiers());
      return;
    }
    case QEvent::FocusOut:
    case QEvent::Hide:
      Hide();
      return;
    default:
      return;
    }
  });
  return handled || QObject::eventFilter(Watched, Event);
}

bool TExpressionCompleter::HandleKey(int Key, Qt::KeyboardModifiers Modifiers) {
  if (Modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
    return false;
  switch (Key) {
  case Qt::Key_Up:
    MoveChoice(-1);
    return true;
  case Qt::Key_Down:
    MoveChoice(1);
    return true;
  case Qt::Key_PageUp:
    MoveChoice(-VisibleRows);
    return true;
  case Qt::Key_PageDown:
    MoveChoice(VisibleRows);
    return true;
  case Qt::Key_Tab:
  case Qt::Key_Return:
  case Qt::Key_Enter:
    if (Modifiers & Qt::ShiftModifier)
      return false;
    InsertChosen();
    return true;
  case Qt::Key_Escape:
    Hide();
    return true;
  default:
    return false;
  }
}

void TExpressionCompleter::Update(bool MayOpen) {
  if (Replacing_ || (!MayOpen && !IsPopupVisible()))
    return;
  std::optional<TIdentifierAt> name;
  if (!Edit_->hasSelectedText())
    name = IdentifierAt(Latin1Text(Edit_), Edit_->cursorPosition(), true);
  if (!name || name->Prefix.size() < static_cast<std::size_t>(PrefixLength)) {
    Hide();
    return;
  }
  Matches_ = FunctionsStartingWith(name->Prefix);
  if (Matches_.empty()) {
    Hide();
    return;
  }
  Start_ = name->Start;
  End_ = name->End;
  // The field's window is watched from the list's first showing, when the field has its place.
  if (QWidget* window = Edit_->window(); window != Edit_ && window != Window_) {
    if (Window_)
      Window_->removeEventFilter(this);
    Window_ = window;
    Window_->installEventFilter(this);
  }
  Fill();
  Place();
  Popup_->show();
}

void TExpressionCompleter::Fill() {
  Popup_->clear();
  QList<QTreeWidgetItem*> items;
  for (const TFunctionHelp& function : Matches_) {
    auto* item = new QTreeWidgetItem(); // owned by the list once added
    item->setText(0, QString::fromStdString(CallsText(function)));
    item->setText(1, QString::fromStdString(Summary(function.Description)));
    item->setToolTip(1, QString::fromStdString(DescriptionText(function.Description)));
    items.append(item);
  }
  Popup_->addTopLevelItems(items);
  Popup_->setCurrentItem(Popup_->topLevelItem(0));
}

void TExpressionCompleter::Place() {
  Popup_->resizeColumnToContents(0);
  Popup_->resizeColumnToContents(1);
  const int frame = 2 * Popup_->frameWidth();
  const int rows = std::min(Popup_->topLevelItemCount(), VisibleRows);
  const int rowHeight = std::max(Popup_->sizeHintForRow(0), Edit_->fontMetrics().height());
  int width = Popup_->columnWidth(0) + Popup_->columnWidth(1) + frame;
  if (Popup_->topLevelItemCount() > VisibleRows)
    width += Popup_->verticalScrollBar()->sizeHint().width();
  width = std::clamp(width, Edit_->width(), MaxPopupWidth);
  const int height = rows * rowHeight + frame;

  // Below the name being typed, or above the field where the screen ends below it.
  const QString prefix = Edit_->text().mid(Start_, Edit_->cursorPosition() - Start_);
  const QRect cursor = Edit_->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  const int nameLeft = cursor.left() - Edit_->fontMetrics().horizontalAdvance(prefix);
  QPoint position = Edit_->mapToGlobal(QPoint(std::max(nameLeft, 0), Edit_->height()));
  if (const QScreen* screen = Edit_->screen()) {
    const QRect area = screen->availableGeometry();
    if (position.y() + height > area.bottom())
      position.setY(Edit_->mapToGlobal(QPoint(0, 0)).y() - height);
    position.setX(
        std::clamp(position.x(), area.left(), std::max(area.left(), area.right() - width)));
  }
  Popup_->setGeometry(QRect(position, QSize(width, height)));
}

void TExpressionCompleter::Hide() {
  if (Popup_->isVisible())
    Popup_->hide();
}

void TExpressionCompleter::MoveChoice(int Rows) {
  const int count = Popup_->topLevelItemCount();
  if (count == 0)
    return;
  const int row = std::clamp(CurrentRow() + Rows, 0, count - 1);
  Popup_->setCurrentItem(Popup_->topLevelItem(row));
}

void TExpressionCompleter::InsertChosen() {
  const int row = CurrentRow();
  if (row < 0 || row >= static_cast<int>(Matches_.size())) {
    Hide();
    return;
  }
  const TFunctionHelp& function = Matches_[row];
  const QString text = Edit_->text();
  // A bracket that already follows the name opens its arguments: the cursor goes past it
  // instead of a second one going in.
  if (TakesArguments(function) && End_ < text.size() && QStringView(u"([{").contains(text[End_])) {
    const QString name = QString::fromStdString(function.Name);
    const int start = Start_;
    Replace(Start_, End_, name);
    Edit_->setCursorPosition(start + static_cast<int>(name.size()) + 1);
    return;
  }
  Replace(Start_, End_, QString::fromStdString(InsertionText(function)));
}

TExpressionCompleter* InstallExpressionCompleter(QLineEdit* Edit) {
  if (TExpressionCompleter* installed = ExpressionCompleter(Edit))
    return installed;
  return new TExpressionCompleter(Edit); // owned by the field
}

TExpressionCompleter* ExpressionCompleter(const QLineEdit* Edit) {
  return Edit->findChild<TExpressionCompleter*>(QString(), Qt::FindDirectChildrenOnly);
}

void InsertFunction(QLineEdit* Edit, const TFunctionHelp& Function) {
  const QString text = QString::fromStdString(InsertionText(Function));
  int start = Edit->cursorPosition();
  int end = start;
  if (Edit->hasSelectedText()) {
    start = Edit->selectionStart();
    end = Edit->selectionEnd();
  }
  if (TExpressionCompleter* completer = ExpressionCompleter(Edit))
    completer->Replace(start, end, text);
  else
    Edit->insert(text);
}
