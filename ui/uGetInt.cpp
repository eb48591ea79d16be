#include "ui/uGetInt.h"

#include "expr/uInputFormat.h"
#include "report/uMsg.h"
#include "text/uTranslate.h"
#include "ui/uCanvasText.h"
#include "ui/uDBitmap.h"
#include "ui/uDButton.h"
#include "ui/uDMemo.h"
#include "ui/uLabeledEdit.h"
#include "ui/uTranslateComponents.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <algorithm>
#include <climits>
#include <exception>
#include <string>

namespace {

QPointer<TfGetInt> fGetInt;

// The application's main form: its first visible top-level window that is not a dialog.
QWidget* MainForm() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible() && window->windowType() == Qt::Window)
      return window;
  return nullptr;
}

// The track bar shows positions of 32 bits; values beyond saturate.
int TrackBarPosition(std::int64_t Value) noexcept {
  return static_cast<int>(std::clamp<std::int64_t>(Value, INT_MIN, INT_MAX));
}

// Caption without its accelerator markers: "&" goes, "&&" stays as one "&".
std::string StripAccelerators(std::string_view Caption) {
  std::string text;
  for (std::size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&') {
      if (i + 1 < Caption.size() && Caption[i + 1] == '&')
        text += '&';
      ++i;
      if (i < Caption.size() && Caption[i] != '&')
        text += Caption[i];
      continue;
    }
    text += Caption[i];
  }
  return text;
}

// Runs a handler from a Qt signal; what it raises goes to the exception report, since no
// exception may cross the event loop.
template <class F>
void Guarded(F&& Handler) noexcept {
  try {
    Handler();
  } catch (const std::exception& E) {
    ReportException(E, "TfGetInt");
  }
}

TDButton* MakeButton(TfGetInt* Form, const char* Name, const char* Caption, int Left, int Top,
                     int Width, int Height) {
  auto* button = new TDButton(Form, Name, QString::fromUtf8(Caption));
  button->setGeometry(Left, Top, Width, Height);
  return button;
}

QLabel* MakeLabel(TfGetInt* Form, const char* Name, int Left, int Top, int Width) {
  auto* label = new QLabel(Form);
  label->setObjectName(Name);
  label->setGeometry(Left, Top, Width, 13);
  return label;
}

} // namespace

TTrackBar::TTrackBar(QWidget* Parent) : QSlider(Qt::Horizontal, Parent) {
  setTickPosition(QSlider::TicksBelow);
}

void TTrackBar::SetSelection(int Start, int End) {
  if (Start == SelStart_ && End == SelEnd_)
    return;
  SelStart_ = Start;
  SelEnd_ = End;
  update();
}

void TTrackBar::paintEvent(QPaintEvent* Event) {
  QSlider::paintEvent(Event);
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect groove =
      style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect handle =
      style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  // The handle's centre travels over the groove less the handle's width.
  const int span = groove.width() - handle.width();
  const auto centreOf = [&](int Position) {
    return groove.left() + handle.width() / 2 +
           QStyle::sliderPositionFromValue(minimum(), maximum(), Position, span);
  };
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setBrush(palette().color(QPalette::WindowText));
  const int top = std::max(0, groove.top() - 5);
  for (const int position : {SelStart_, SelEnd_}) {
    const int x = centreOf(std::clamp(position, minimum(), maximum()));
    const QPoint triangle[] = {{x - 3, top}, {x + 3, top}, {x, top + 3}};
    painter.drawPolygon(triangle, 3);
  }
}

TUpDown::TUpDown(QWidget* Parent)
    : QWidget(Parent), Up_(new QToolButton(this)), Down_(new QToolButton(this)) {
  for (QToolButton* button : {Up_, Down_}) {
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
  }
  Up_->setArrowType(Qt::UpArrow);
  Down_->setArrowType(Qt::DownArrow);
  connect(Up_, &QToolButton::clicked, this, [this] { Step(updUp); });
  connect(Down_, &QToolButton::clicked, this, [this] { Step(updDown); });
}

void TUpDown::Step(TDirection Direction) {
  const int next = Direction == updUp ? std::min(Position_ + 1, Max) : std::max(Position_ - 1, Min);
  bool allow = true;
  if (OnChangingEx)
    OnChangingEx(*this, allow, next, Direction);
  if (allow)
    Position_ = next;
}

void TUpDown::resizeEvent(QResizeEvent*) {
  const int half = height() / 2;
  Up_->setGeometry(0, 0, width(), half);
  Down_->setGeometry(0, half, width(), height() - half);
}

TfGetInt::TfGetInt(QWidget* Owner) : TDForm(Owner, "fGetInt") {
  setFixedSize(335, 193);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  EditInput = new TLabeledEdit(this);
  EditInput->setObjectName("EditInput");
  EditInput->EditLabel()->setText("&Value");
  EditInput->setMaxLength(15);
  EditInput->SetBounds(8, 24, 137, 19);
  EditInput->setText("0");
  ButtonOk = MakeButton(this, "ButtonOk", "&OK", 0, 0, 76, 24);
  ButtonOk->SetDefault(true);
  ButtonCancel = MakeButton(this, "ButtonCancel", "&Cancel", 0, 0, 76, 24);
  ButtonCancel->SetCancel(true);
  Bevel1 = new QFrame(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(6, 102, 324, 32);
  TrackBar = new TTrackBar(this);
  TrackBar->setObjectName("TrackBar");
  TrackBar->setGeometry(8, 104, 320, 28);
  ButtonMin = MakeButton(this, "ButtonMin", "&Min", 168, 18, 48, 18);
  ButtonCur = MakeButton(this, "ButtonCur", "C&ur", 224, 6, 48, 18);
  ButtonMax = MakeButton(this, "ButtonMax", "M&ax", 280, 18, 48, 18);
  LabelMin = MakeLabel(this, "LabelMin", 16, 136, 113);
  LabelMax = MakeLabel(this, "LabelMax", 208, 136, 113);
  LabelMax->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  LabelNow = MakeLabel(this, "LabelNow", 11, 45, 125);
  ButtonDef = MakeButton(this, "ButtonDef", "&Def", 224, 28, 48, 18);
  ButtonApply = MakeButton(this, "ButtonApply", "&Apply", 0, 0, 76, 24);
  ButtonApply->setVisible(false);
  EditError = new TDMemo(this);
  EditError->setObjectName("EditError");
  EditError->setGeometry(8, 62, 321, 33);
  EditError->setReadOnly(true);
  EditError->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  EditError->viewport()->setAutoFillBackground(false);
  EditError->setStyleSheet(
      "QPlainTextEdit { background: transparent; border: 1px solid palette(mid); }");
  UpDown = new TUpDown(this);
  UpDown->setObjectName("UpDown");
  UpDown->setGeometry(145, 24, 15, 19);

  // Tab order follows the design order; the edit takes the focus first.
  setTabOrder(EditInput, ButtonOk);
  setTabOrder(ButtonOk, ButtonCancel);
  setTabOrder(ButtonCancel, TrackBar);
  setTabOrder(TrackBar, ButtonMin);
  setTabOrder(ButtonMin, ButtonCur);
  setTabOrder(ButtonCur, ButtonMax);
  setTabOrder(ButtonMax, ButtonDef);

  EditInput->OnChange = [this](QObject*) { Guarded([this] { EditInputChange(); }); };
  connect(TrackBar, &QSlider::valueChanged, this,
          [this] { Guarded([this] { TrackBarChange(); }); });
  connect(ButtonMin, &QPushButton::clicked, this,
          [this] { Guarded([this] { ButtonMinClick(); }); });
  connect(ButtonCur, &QPushButton::clicked, this,
          [this] { Guarded([this] { ButtonCurClick(); }); });
  connect(ButtonMax, &QPushButton::clicked, this,
          [this] { Guarded([this] { ButtonMaxClick(); }); });
  connect(ButtonDef, &QPushButton::clicked, this,
          [this] { Guarded([this] { ButtonDefClick(); }); });
  connect(ButtonOk, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonOkClick(); }); });
  connect(ButtonCancel, &QPushButton::clicked, this,
          [this] { Guarded([this] { ButtonCancelClick(); }); });
  UpDown->OnChangingEx = [this](TUpDown&, bool& AllowChange, int, TUpDown::TDirection Direction) {
    Guarded([&] { UpDownChangingEx(AllowChange, Direction); });
  };

  FormCreate();
  TranslateComponents(this);
}

void TfGetInt::FormCreate() {
  SetBackground(baGradient);
  ArrangeDialogButtons({ButtonOk, ButtonCancel, ButtonApply}, 2, width(), height());
}

void TfGetInt::Prepare(std::string_view Caption, std::int64_t Current, std::int64_t Min,
                       std::int64_t Def, std::int64_t Max, TApplyEvent Apply) {
  OnApply = std::move(Apply);
  ButtonApply->setEnabled(static_cast<bool>(OnApply));
  Minimum = Min;
  Maximum = std::max(Max, Min);
  Default = Def;
  StartValue = std::clamp(Current, Minimum, Maximum);
  Value = StartValue;
  SetCaption(QString::fromStdString(Translate(StripAccelerators(Caption))));
  LabelMin->setText(QString::number(Minimum));
  LabelMax->setText(QString::number(Maximum));
  LabelNow->setText(QString::number(Value));
  {
    const QSignalBlocker blocker(TrackBar);
    // About twenty ticks; the width is taken without overflow for any pair of limits.
    const auto width = static_cast<std::uint64_t>(Maximum) - static_cast<std::uint64_t>(Minimum);
    const int frequency = static_cast<int>((std::min<std::uint64_t>(width, 0x3FFFFFFF) + 19) / 20);
    TrackBar->setTickInterval(frequency);
    TrackBar->setPageStep(frequency);
    if (Maximum < TrackBar->minimum()) {
      TrackBar->setMinimum(TrackBarPosition(Minimum));
      TrackBar->setMaximum(TrackBarPosition(Maximum));
    } else {
      TrackBar->setMaximum(TrackBarPosition(Maximum));
      TrackBar->setMinimum(TrackBarPosition(Minimum));
    }
    TrackBar->SetSelection(TrackBarPosition(StartValue), TrackBarPosition(StartValue));
  }
  // The views first, without a callback: the edit's evaluation below ends with one.
  Refresh(vwEdit | vwTrackBar | vwButtons);
  EditInputChange();
  EditInput->setFocus();
}

void TfGetInt::Refresh(unsigned Views) {
  if (Views & vwTrackBar) {
    const QSignalBlocker blocker(TrackBar);
    TrackBar->setValue(TrackBarPosition(Value));
  }
  if (Views & vwEdit) {
    const auto handler = std::exchange(EditInput->OnChange, {});
    EditInput->setText(QString::number(Value));
    EditInput->selectAll();
    EditInput->OnChange = handler;
  }
  if (Views & vwButtons) {
    ButtonMin->setEnabled(Value != Minimum);
    ButtonCur->setEnabled(Value != StartValue);
    ButtonDef->setEnabled(Value != Default);
    ButtonMax->setEnabled(Value != Maximum);
    LabelNow->setText(QString::number(Value));
  }
  if ((Views & vwApply) && OnApply)
    OnApply(Value);
}

void TfGetInt::SetValue(std::int64_t NewValue) {
  Value = NewValue;
  Refresh(vwAll);
}

void TfGetInt::EditInputChange() {
  Value = StrToValS8(EditInput->text().toLatin1().toStdString(), true, &Messages_, Minimum, Value,
                     Maximum, 1);
  EditError->setPlainText(QString::fromStdString(Messages_.ToUtf8()));
  Messages_.Clear();
  Refresh(vwButtons | vwTrackBar | vwApply);
}

void TfGetInt::TrackBarChange() {
  Value = TrackBar->value();
  Refresh(vwButtons | vwEdit | vwApply);
}

void TfGetInt::ButtonMinClick() {
  SetValue(Minimum);
}

void TfGetInt::ButtonCurClick() {
  SetValue(StartValue);
}

void TfGetInt::ButtonMaxClick() {
  SetValue(Maximum);
}

void TfGetInt::ButtonDefClick() {
  SetValue(Default);
}

void TfGetInt::UpDownChangingEx(bool& AllowChange, TUpDown::TDirection Direction) {
  AllowChange = true;
  if (Direction == TUpDown::updUp)
    SpinButton1UpClick();
  else if (Direction == TUpDown::updDown)
    SpinButton1DownClick();
}

void TfGetInt::SpinButton1UpClick() {
  if (Value < Maximum)
    SetValue(Value + 1);
  else
    Refresh(vwAll);
}

void TfGetInt::SpinButton1DownClick() {
  if (Value > Minimum)
    SetValue(Value - 1);
  else
    Refresh(vwAll);
}

void TfGetInt::ButtonOkClick() {
  if (OnApply)
    close();
  else
    accept();
}

void TfGetInt::ButtonCancelClick() {
  if (OnApply) {
    if (Value != StartValue)
      OnApply(StartValue);
    close();
  } else {
    reject();
  }
}

TfGetInt* GetIntForm() noexcept {
  return fGetInt.data();
}

TfGetInt& CreateGetIntForm() {
  // Owned by the main form, which frees it with itself; RemoveGetNumber frees it otherwise.
  if (!fGetInt)
    fGetInt = new TfGetInt(MainForm());
  return *fGetInt;
}

bool GetNumber64(std::string_view Caption, std::int64_t& Value, std::int64_t Min,
                 std::int64_t Default, std::int64_t Max, TApplyEvent OnApply) {
  TfGetInt& form = CreateGetIntForm();
  const bool callback = static_cast<bool>(OnApply);
  form.hide();
  form.setWindowFlag(Qt::WindowStaysOnTopHint, callback);
  form.setModal(!callback);
  form.Prepare(Caption, Value, Min, Default, Max, std::move(OnApply));
  if (callback) {
    form.show();
    return true;
  }
  if (form.exec() != QDialog::Accepted)
    return false;
  Value = form.Value;
  return true;
}

bool GetNumber(std::string_view Caption, std::int32_t& Value, std::int32_t Min,
               std::int32_t Default, std::int32_t Max, TApplyEvent OnApply) {
  std::int64_t value = Value;
  const bool result = GetNumber64(Caption, value, Min, Default, Max, std::move(OnApply));
  Value = static_cast<std::int32_t>(value);
  return result;
}

void InstallGetNumber() {
  SetGetNumberFunction(
      [](std::string_view Caption, std::int32_t& Value, std::int32_t Min, std::int32_t Default,
         std::int32_t Max) { return GetNumber(Caption, Value, Min, Default, Max); });
}

void RemoveGetNumber() noexcept {
  SetGetNumberFunction({});
  delete fGetInt.data();
}
