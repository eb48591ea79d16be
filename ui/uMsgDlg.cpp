#include "ui/uMsgDlg.h"

#include "env/uDictionary.h"
#include "expr/uInputFormat.h"
#include "expr/uParserMsg.h"
#include "graphics/uColors.h"
#include "platform/uClock.h"
#include "report/uMsg.h"
#include "sound/uWave.h"
#include "text/uOutputFormat.h"
#include "text/uTranslate.h"
#include "ui/uCanvasText.h"
#include "ui/uDButton.h"
#include "ui/uDEdit.h"
#include "ui/uDLabel.h"
#include "ui/uExceptionBox.h"
#include "ui/uTranslateComponents.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

namespace {

constexpr std::int32_t NoAnswer = -1;
// Where the memo starts; the components above it keep their design places.
constexpr int MemoLeft = 8;
constexpr int MemoTop = 62;
// The design width: the right edge of PanelCreated + 8.
constexpr int DesignWidth = 439;

TfMsgDlg* OpenDialog = nullptr;
// The dialog that InstallMsgDlg replaced, while it is installed.
std::optional<TShowQueuedMessage> Replaced;

QString FromUtf8(std::string_view Text) {
  return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

QString Tr(std::string_view Text) {
  return FromUtf8(Translate(Text));
}

QColor ToQColor(TColor Color) {
  const TColor rgb = ColorToRGB(Color);
  return {static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
          static_cast<int>((rgb >> 16) & 0xFF)};
}

// Whether a dialog may be shown here: there is a QApplication, and this is its thread.
bool CanShowDialog() noexcept {
  const QCoreApplication* application = QCoreApplication::instance();
  return application && qobject_cast<const QApplication*>(application) &&
         QThread::currentThread() == application->thread();
}

QIcon LevelIcon(TMessageLevel Level) {
  QStyle* style = QApplication::style();
  switch (Level) {
  case mlConfirmation:
    return style->standardIcon(QStyle::SP_MessageBoxQuestion);
  case mlDebug:
    return style->standardIcon(QStyle::SP_ComputerIcon);
  case mlInformation:
    return style->standardIcon(QStyle::SP_MessageBoxInformation);
  case mlWarning:
    return style->standardIcon(QStyle::SP_MessageBoxWarning);
  case mlError:
    return style->standardIcon(QStyle::SP_MessageBoxCritical);
  case mlFatalError:
    return QApplication::windowIcon().isNull() ? style->standardIcon(QStyle::SP_DesktopIcon)
                                               : QApplication::windowIcon();
  default:
    return {};
  }
}

// The main form: the first visible top-level window that is no dialog.
QWidget* MainForm() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && !qobject_cast<QDialog*>(widget) && widget->isWindow())
      return widget;
  return nullptr;
}

TDLabel* MakeLabel(QWidget* Parent, const char* Name, const char* Caption, QRect Place,
                   TAlignment Alignment) {
  auto* label = new TDLabel(Parent, QString::fromLatin1(Name), QString::fromLatin1(Caption));
  label->setGeometry(Place);
  label->SetBevelOuter(bvLowered);
  label->SetFontShadow(1);
  label->SetAlignment(Alignment);
  return label;
}

} // namespace

std::int64_t TickMilliseconds() noexcept {
  return TickCount() * 1000 / TickFrequency();
}

TfMsgDlg* fMsgDlg() noexcept {
  return OpenDialog;
}

TfMsgDlg::TfMsgDlg(QWidget* Parent) : TDForm(Parent, QStringLiteral("fMsgDlg")) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setMouseTracking(true);
  resize(DesignWidth, 135);

  Image = new QLabel(this);
  Image->setObjectName(QStringLiteral("Image"));
  Image->setGeometry(8, 8, 32, 32);
  Image->setAttribute(Qt::WA_TranslucentBackground);

  ButtonLeft = new TDButton(this, QStringLiteral("ButtonLeft"), QStringLiteral("Left"));
  ButtonLeft->setGeometry(48, 9, 21, 21);
  ButtonLeft->setProperty("Tag", 0);
  EditIndex = new TDEdit(this);
  EditIndex->setObjectName(QStringLiteral("EditIndex"));
  EditIndex->setGeometry(72, 9, 50, 21);
  LabelX = new TDLabel(this, QStringLiteral("LabelX"), QStringLiteral("/"));
  LabelX->setGeometry(124, 9, 10, 21);
  LabelX->SetBevelOuter(bvNone);
  LabelX->SetColor(clNone);
  LabelX->SetAlignment(taCenter);
  PanelCount = new TDEdit(this);
  PanelCount->setObjectName(QStringLiteral("PanelCount"));
  PanelCount->setGeometry(136, 9, 50, 21);
  PanelCount->setReadOnly(true);
  PanelCount->setFocusPolicy(Qt::ClickFocus);
  ButtonRight = new TDButton(this, QStringLiteral("ButtonRight"), QStringLiteral("Right"));
  ButtonRight->setGeometry(192, 9, 21, 21);
  ButtonRight->setProperty("Tag", 1);
  // The arrows are drawn for the bare captions: set them once the caption rules, which put an
  // accelerator in front, have run.
  for (TDButton* arrow : {ButtonLeft, ButtonRight}) {
    const QString caption = arrow->Caption();
    arrow->ensurePolished();
    arrow->SetCaption(caption);
  }

  LabelTimeLeft =
      MakeLabel(this, "LabelTimeLeft", "Time to Close:", {228, 4, 92, 18}, taLeftJustify);
  PanelTimeLeft = MakeLabel(this, "PanelTimeLeft", "", {322, 4, 109, 18}, taRightJustify);
  LabelCreated = MakeLabel(this, "LabelCreated", "Created:", {228, 24, 92, 18}, taLeftJustify);
  PanelCreated = MakeLabel(this, "PanelCreated", "", {322, 24, 109, 18}, taRightJustify);
  LabelMessage = MakeLabel(this, "LabelMessage", "Message", {8, 42, 70, 16}, taLeftJustify);

  MemoMsg = new QTextEdit(this);
  MemoMsg->setObjectName(QStringLiteral("MemoMsg"));
  MemoMsg->setGeometry(MemoLeft, MemoTop, DesignWidth - MemoLeft - 2, 40);
  MemoMsg->setReadOnly(true);
  MemoMsg->setAcceptRichText(false);
  MemoMsg->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  MemoMsg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  MemoMsg->document()->setDocumentMargin(2);

  ButtonAll =
      new TDButton(this, QStringLiteral("ButtonAll"), QStringLiteral("&Use Answer for All"));
  ButtonAll->SetAutoChange(true);
  ButtonAll->setGeometry(8, 104, 145, 23);
  ButtonExit = new TDButton(this, QStringLiteral("ButtonExit"), QStringLiteral("&Close Program"));
  ButtonExit->setGeometry(157, 104, 110, 23);

  connect(ButtonLeft, &QPushButton::clicked, this,
          [this] { Guarded([this] { ButtonLeftClick(0); }); });
  connect(ButtonRight, &QPushButton::clicked, this,
          [this] { Guarded([this] { ButtonLeftClick(1); }); });
  connect(EditIndex, &QLineEdit::textChanged, this,
          [this] { Guarded([this] { EditIndexChange(); }); });
  connect(ButtonExit, &QPushButton::clicked, this,
          [this] { Guarded([this] { ButtonExitClick(); }); });

  Timer1.BeginLoading();
  Timer1.SetEnabled(false);
  Timer1.SetInterval(1000);
  Timer1.OnTimer = [this](TDTimer&) { Timer1Timer(); };
  Timer1.Loaded();

  // The bevel around the navigation area.
  OnPaint = [](TDForm&, QPainter* Canvas) {
    if (!Canvas)
      return;
    Canvas->setPen(ToQColor(clBtnShadow));
    Canvas->drawLine(BevelLeft, BevelTop, BevelRight - 1, BevelTop);
    Canvas->drawLine(BevelLeft, BevelTop, BevelLeft, BevelBottom - 1);
    Canvas->setPen(ToQColor(clBtnHighlight));
    Canvas->drawLine(BevelRight, BevelTop, BevelRight, BevelBottom);
    Canvas->drawLine(BevelLeft, BevelBottom, BevelRight, BevelBottom);
  };

  if (const TDictionary* dictionary = InstalledDictionary();
      dictionary && dictionary->State() == TDictionary::Loaded)
    TranslateComponents(this);
  WatchComponents();
}

TfMsgDlg::~TfMsgDlg() {
  if (OpenDialog == this)
    OpenDialog = nullptr;
}

void TfMsgDlg::WatchComponents() {
  for (QWidget* child : findChildren<QWidget*>()) {
    child->setMouseTracking(true);
    child->removeEventFilter(this);
    child->installEventFilter(this);
  }
}

TDButton* TfMsgDlg::AnswerButton(std::size_t Index) {
  while (AnswerButtons.size() <= Index) {
    const int tag = static_cast<int>(AnswerButtons.size());
    auto* button = new TDButton(this, QStringLiteral("Button%1").arg(tag));
    button->setProperty("Tag", tag);
    connect(button, &QPushButton::clicked, this,
            [this, tag] { Guarded([this, tag] { AnswerClick(tag); }); });
    AnswerButtons.push_back(button);
    WatchComponents();
  }
  return AnswerButtons[Index];
}

void TfMsgDlg::ShowMessage(std::size_t Index) {
  const std::vector<TIgnore>& list = MessageList();
  if (Index >= list.size())
    return;
  ActualMsg_ = Index;
  const TIgnore& entry = list[Index];

  {
    const QSignalBlocker blocker(EditIndex);
    EditIndex->setText(QString::number(Index + 1));
  }
  PanelCount->setText(QString::number(list.size()));
  PanelCreated->SetCaption(FromUtf8(DateTimeToText(entry.Created, 0, nsLocale)));
  SetCaption(FromUtf8(MessageLevelCaption(entry.MsgType)));
  const QIcon icon = LevelIcon(entry.MsgType);
  Image->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(32, 32));

  // The width: the design's, each line of the message, the buttons.
  const QFontMetrics metrics(MemoMsg->font());
  int width = PanelCreated->geometry().right() + 1 + 8;
  const QStringList lines =
      FromUtf8(ReplaceParams(entry.Text, entry.Params)).split(QLatin1Char('\n'));
  for (const QString& line : lines)
    width = std::max(width, metrics.horizontalAdvance(line) + MemoLeft + 12);
  const int lineCount = static_cast<int>(lines.size()) + 1;

  int buttonsWidth = 0;
  const QFontMetrics buttonMetrics(font());
  for (std::size_t i = 0; i < entry.Buttons.size(); ++i) {
    TDButton* button = AnswerButton(i);
    const QString caption = Tr(entry.Buttons[i]);
    button->SetCaption(caption);
    button->resize(std::max(81, buttonMetrics.horizontalAdvance(DropAmpersands(caption)) + 10), 23);
    button->SetDefault(i == 0);
    button->SetCancel(i + 1 == entry.Buttons.size());
    button->setFocusPolicy(Qt::StrongFocus);
    button->SetDown(static_cast<std::int32_t>(i) == entry.Answer);
    button->setEnabled(entry.Answer == NoAnswer);
    buttonsWidth += button->width() + 8;
  }
  for (std::size_t i = entry.Buttons.size(); i < AnswerButtons.size(); ++i) {
    AnswerButtons[i]->SetDefault(false);
    AnswerButtons[i]->SetCancel(false);
    AnswerButtons[i]->hide();
  }
  // The answer buttons stay clear of ButtonAll and ButtonExit.
  width = std::max(width, ButtonExit->geometry().right() + 1 + 8 + buttonsWidth);

  // The memo's height, limited to the work area of the dialog's monitor.
  const QScreen* screen = NearestScreen(frameGeometry());
  const QRect workArea = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const int frameHeight = frameGeometry().height() - height();
  const int frameWidth = frameGeometry().width() - this->width();
  const int lineHeight = metrics.lineSpacing();
  int memoHeight = std::max(lineCount, 3) * lineHeight + 6;
  bool scrollBar = false;
  if (lineHeight > 0) {
    const int maxHeight =
        lineHeight * ((workArea.height() - 2 * frameHeight - 128) / lineHeight) + 6;
    if (maxHeight < memoHeight) {
      memoHeight = std::max(maxHeight, lineHeight + 6);
      scrollBar = true;
      width += 20;
    }
  }
  MemoMsg->setVerticalScrollBarPolicy(scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  width = std::min(width, workArea.width() - 2 * frameWidth);
  MemoMsg->setGeometry(MemoLeft, MemoTop, width - MemoLeft - 2, memoHeight);

  FillMemo(entry);

  const int y = MemoTop + memoHeight + 8;
  resize(width, y + 31);

  ButtonAll->SetDown(entry.UseForAll != ufSingle);
  ButtonAll->setEnabled(entry.Answer == NoAnswer);
  ButtonAll->move(ButtonAll->x(), y);
  ButtonExit->move(ButtonExit->x(), y);
  int x = width - buttonsWidth;
  for (std::size_t i = 0; i < entry.Buttons.size(); ++i) {
    TDButton* button = AnswerButtons[i];
    button->move(x, y);
    x += button->width() + 8;
    button->show();
  }
  // Tab order: the answer buttons after the navigation.
  QWidget* previous = ButtonRight;
  for (std::size_t i = 0; i < entry.Buttons.size(); ++i) {
    setTabOrder(previous, AnswerButtons[i]);
    previous = AnswerButtons[i];
  }
  UpdateTimeLeft();
}

void TfMsgDlg::FillMemo(const TIgnore& Entry) {
  const std::string text =
      std::string_view(Entry.Text).starts_with("Error Code") ? Entry.Text : Translate(Entry.Text);
  const TFilledMessage filled = FillMessage(text, Entry.Params);
  MemoMsg->setPlainText(filled.Text);
  QTextCursor cursor(MemoMsg->document());
  for (const TParamPlace& place : filled.Places) {
    const TColor spectrum = SpectrumColor(static_cast<int>((128 * place.Index) % HueRange));
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setForeground(ToQColor(MixColors(ColorToRGB(clWindowText), spectrum)));
    cursor.setPosition(static_cast<int>(place.Start));
    cursor.setPosition(static_cast<int>(place.Start + place.Length), QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(format);
  }
  MemoMsg->moveCursor(QTextCursor::Start);
}

QString TfMsgDlg::EntryText() const {
  const std::vector<TIgnore>& list = MessageList();
  if (ActualMsg_ >= list.size())
    return {};
  const TIgnore& entry = list[ActualMsg_];
  return FromUtf8(MessageLevelCaption(entry.MsgType)) + QLatin1Char('\n') +
         LabelCreated->Caption() + QLatin1Char(' ') + PanelCreated->Caption() +
         QLatin1String("\n\n") + MemoMsg->toPlainText() + QLatin1Char('\n');
}

void TfMsgDlg::UpdateTimeLeft() {
  const std::vector<TIgnore>& list = MessageList();
  if (ActualMsg_ < list.size() && list[ActualMsg_].TimeOut != 0)
    PanelTimeLeft->SetCaption(
        FromUtf8(MsToText(std::int64_t(list[ActualMsg_].TimeOut) * 1000 - (TickNow - TickStart) - 1,
                          0, 0, false, nsPlain)));
  else
    PanelTimeLeft->SetCaption({});
}

void TfMsgDlg::RestartCountdown() {
  TickNow = TickMilliseconds();
  TickStart = TickNow;
  UpdateTimeLeft();
}

void TfMsgDlg::Timer1Timer() {
  TickNow = TickMilliseconds();
  UpdateTimeLeft();
  const std::vector<TIgnore>& list = MessageList();
  if (ActualMsg_ < list.size() && list[ActualMsg_].TimeOut != 0 &&
      TickStart + std::int64_t(list[ActualMsg_].TimeOut) * 1000 < TickNow)
    reject();
}

void TfMsgDlg::AnswerClick(int Index) {
  std::vector<TIgnore>& list = MessageList();
  if (ActualMsg_ >= list.size())
    return;
  TIgnore& entry = list[ActualMsg_];
  entry.Answer = Index;
  if (ButtonAll->Down()) {
    entry.UseForAll = ShiftDown_ ? ufNeverShow : ufReuse;
    AnswerMode() = entry.UseForAll;
  } else {
    entry.UseForAll = ufSingle;
  }
  entry.TimeOut = 0;
  if (const std::optional<std::size_t> next = FirstUnanswered()) {
    ShowMessage(*next);
    // The entry now shown counts down its own time from the start.
    RestartCountdown();
    FormShow();
  } else {
    reject();
  }
}

void TfMsgDlg::ButtonExitClick() {
  QWidget* main = MainForm();
  if (!main || ShiftDown_ || (QApplication::keyboardModifiers() & Qt::ShiftModifier))
    std::_Exit(1);
  reject();
  main->close();
}

void TfMsgDlg::ButtonLeftClick(int Tag) {
  const std::size_t count = MessageList().size();
  if (Tag == 0 && ActualMsg_ > 0)
    ShowMessage(ActualMsg_ - 1);
  else if (Tag == 1 && ActualMsg_ + 1 < count)
    ShowMessage(ActualMsg_ + 1);
}

void TfMsgDlg::EditIndexChange() {
  const std::size_t count = MessageList().size();
  if (count == 0)
    return;
  // A number out of range or unreadable text is shown on the edit, as every framework field
  // shows its problems, instead of ending the handler in an exception box while the user types.
  TParserMessages messages;
  const std::int32_t value = StrToValI(EditIndex->text().toLatin1().toStdString(), true, 1,
                                       static_cast<std::int32_t>(ActualMsg_ + 1),
                                       static_cast<std::int32_t>(count), 1, &messages);
  ShowParserMessages(EditIndex, messages.Count() ? &messages : nullptr);
  if (static_cast<std::size_t>(value - 1) != ActualMsg_)
    ShowMessage(static_cast<std::size_t>(value - 1));
}

void TfMsgDlg::LabelTimeLeftClick() {
  Timer1.SetEnabled(false);
}

void TfMsgDlg::FormClick() {
  std::vector<TIgnore>& list = MessageList();
  if (ActualMsg_ < list.size())
    list[ActualMsg_].TimeOut = 0;
  UpdateTimeLeft();
}

void TfMsgDlg::FormShow() {
  const std::vector<TIgnore>& list = MessageList();
  if (ActualMsg_ < list.size() && !list[ActualMsg_].Buttons.empty() && !AnswerButtons.empty() &&
      AnswerButtons[0]->isEnabled())
    AnswerButtons[0]->setFocus();
}

void TfMsgDlg::SetShiftDown(bool Down) {
  ShiftDown_ = Down;
  ButtonAll->SetCaption(Tr(Down ? "&Never Show" : "&Use Answer for All"));
  ButtonExit->SetCaption(Tr(Down ? "&Terminate" : "&Close Program"));
}

bool TfMsgDlg::SharedInput(QObject* Watched, QEvent* Event) {
  switch (Event->type()) {
  case QEvent::KeyPress: {
    auto* key = static_cast<QKeyEvent*>(Event);
    if (key->key() == Qt::Key_Shift && !key->isAutoRepeat()) {
      SetShiftDown(true);
      return false;
    }
    if (key->matches(QKeySequence::Copy) &&
        !(Watched == MemoMsg || Watched == MemoMsg->viewport()
              ? MemoMsg->textCursor().hasSelection()
              : false) &&
        !(qobject_cast<QLineEdit*>(Watched) &&
          static_cast<QLineEdit*>(Watched)->hasSelectedText())) {
      QApplication::clipboard()->setText(EntryText());
      return true;
    }
    return false;
  }
  case QEvent::KeyRelease: {
    auto* key = static_cast<QKeyEvent*>(Event);
    if (key->key() == Qt::Key_Shift && !key->isAutoRepeat())
      SetShiftDown(false);
    return false;
  }
  case QEvent::MouseMove:
    TickStart = TickNow = TickMilliseconds();
    UpdateTimeLeft();
    return false;
  case QEvent::MouseButtonPress:
    if (Watched == LabelTimeLeft || Watched == PanelTimeLeft) {
      LabelTimeLeftClick();
      return true;
    }
    return false;
  default:
    return false;
  }
}

bool TfMsgDlg::eventFilter(QObject* Watched, QEvent* Event) {
  if (SharedInput(Watched, Event))
    return true;
  return TDForm::eventFilter(Watched, Event);
}

void TfMsgDlg::keyPressEvent(QKeyEvent* Event) {
  if (SharedInput(this, Event))
    return;
  // Esc presses the cancel button also where its shortcut does not reach (a window not active).
  if (Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier)
    for (TDButton* button : AnswerButtons)
      if (button->Cancel() && button->isVisible() && button->isEnabled()) {
        button->Click();
        return;
      }
  TDForm::keyPressEvent(Event);
}

void TfMsgDlg::keyReleaseEvent(QKeyEvent* Event) {
  SharedInput(this, Event);
  TDForm::keyReleaseEvent(Event);
}

void TfMsgDlg::mouseMoveEvent(QMouseEvent* Event) {
  SharedInput(this, Event);
  TDForm::mouseMoveEvent(Event);
}

void TfMsgDlg::mousePressEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::LeftButton)
    FormClick();
  TDForm::mousePressEvent(Event);
}

void TfMsgDlg::showEvent(QShowEvent* Event) {
  TDForm::showEvent(Event);
  FormShow();
}

void TfMsgDlg::hideEvent(QHideEvent* Event) {
  Timer1.SetEnabled(false);
  TDForm::hideEvent(Event);
}

std::int32_t ShowQueuedMessage(const std::string& Text, const TArrayOfString& Params, bool Retry,
                               TMessageLevel Level, const TArrayOfString& Buttons,
                               std::uint16_t TimeOut) {
  if (AnswerMode() == amReuse)
    if (const std::optional<std::int32_t> reused = FindReusableAnswer(Retry, Level, Text))
      return *reused;
  std::vector<TIgnore>& list = MessageList();
  list.push_back({Level, Retry, ufSingle, Text, Params, NoAnswer, Buttons, LocalNow(), TimeOut});
  // A report from inside the modal run (a timer, another event) waits in the list for the open
  // dialog to reach it.
  if (AnswerMode() == amNeverShow || OpenDialog || !CanShowDialog())
    return NoAnswer;
  const std::size_t own = list.size() - 1;

  PlayLevelSound(Level);
  auto dialog = std::make_unique<TfMsgDlg>();
  OpenDialog = dialog.get();
  const std::unique_ptr<TfMsgDlg*, void (*)(TfMsgDlg**)> closed(
      &OpenDialog, [](TfMsgDlg** Open) { *Open = nullptr; });
  dialog->SetBackground(baGradient);
  dialog->RestartCountdown();
  dialog->ShowMessage(own);
  dialog->CenterForm();
  dialog->Timer1.SetEnabled(true);
  dialog->exec();
  dialog.reset();
  // The caller's own entry, not the one shown last: the dialog may have moved on to another.
  return MessageList().size() > own ? MessageList()[own].Answer : NoAnswer;
}

void InstallMsgDlg() {
  if (!Replaced)
    Replaced = SetShowQueuedMessage(ShowQueuedMessage);
}

void RemoveMsgDlg() {
  if (Replaced) {
    SetShowQueuedMessage(std::move(*Replaced));
    Replaced.reset();
  }
  FreeMessageList();
}
