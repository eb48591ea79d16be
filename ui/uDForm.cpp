#include "ui/uDForm.h"

#include "env/uCommon.h"
#include "env/uFileHelpers.h"
#include "env/uPaths.h"
#include "env/uProjectInfo.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "ui/uFormOpenGL.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <climits>
#include <utility>

namespace {

TDisplayModeSwitch DisplayModeSwitch;

bool IsOpenGL(TBackground Background) noexcept {
  return Background == baOpenGL || Background == baOpenGLBitmap;
}

void SwitchDisplayTo(const TScreenMode& Mode) {
  if (DisplayModeSwitch.SwitchTo)
    DisplayModeSwitch.SwitchTo(Mode);
}

void RestoreDisplayMode() {
  if (DisplayModeSwitch.RestoreStartMode)
    DisplayModeSwitch.RestoreStartMode();
}

} // namespace

TDisplayModeSwitch SetDisplayModeSwitch(TDisplayModeSwitch Switch) {
  return std::exchange(DisplayModeSwitch, std::move(Switch));
}

void SetTaskBarVisible(bool Show) {
  // TaskBarLocked: there is no task bar to show or hide, only the line that says it was asked.
  MainLogAdd(Show ? "ShowTaskBar" : "HideTaskBar", mlInformation);
}

void AssignMessageFont(QFont& Font) {
  Font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  Font.setPixelSize(11);
}

QScreen* NearestScreen(const QRect& Area) {
  const QPoint centre = Area.center();
  QScreen* nearest = nullptr;
  long long best = LLONG_MAX;
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect bounds = screen->geometry();
    if (bounds.contains(centre))
      return screen;
    const long long dx = centre.x() < bounds.left()    ? bounds.left() - centre.x()
                         : centre.x() > bounds.right() ? centre.x() - bounds.right()
                                                       : 0;
    const long long dy = centre.y() < bounds.top()      ? bounds.top() - centre.y()
                         : centre.y() > bounds.bottom() ? centre.y() - bounds.bottom()
                                                        : 0;
    if (dx + dy < best) {
      best = dx + dy;
      nearest = screen;
    }
  }
  return nearest ? nearest : QGuiApplication::primaryScreen();
}

QWidget* GetActiveForm() {
  const QWidgetList windows = QApplication::topLevelWidgets();
  for (QWidget* window : windows)
    if (window->isVisible() && window->isActiveWindow())
      return window;
  for (QWidget* window : windows)
    if (window->isVisible() && window->windowType() == Qt::Window)
      return window;
  return nullptr;
}

bool FormVisible(const QWidget* Form) {
  return Form && Form->isVisible();
}

TDForm::TDForm(QWidget* Parent, const QString& Name, TRWOptionsEvent OnRWOptions)
    : QDialog(Parent), OnRWOptions(std::move(OnRWOptions)) {
  if (!Name.isEmpty())
    setObjectName(Name);
  Color_ = WindowBackgroundColor();
  QFont messageFont = font();
  AssignMessageFont(messageFont);
  setFont(messageFont);
  KeepInWorkArea();
  setAttribute(Qt::WA_OpaquePaintEvent);
  LoadIcon();
  connect(this, &QObject::objectNameChanged, this, [this] { LoadIcon(); });
  if (this->OnRWOptions)
    this->OnRWOptions(*this, false);
}

TDForm::~TDForm() {
  if (FullScreen_) {
    if (ChangeMode_)
      RestoreDisplayMode();
    SetTaskBarVisible(true);
  }
  BackBitmap_.Clear();
  FreeOpenGL();
}

void TDForm::SetCaption(const QString& Value) {
  if (Value == Caption_)
    return;
  Caption_ = Value;
  setWindowTitle(Caption_);
}

void TDForm::SetBackgroundValue(int Value) {
  if (Value >= baNone && Value <= baOpenGLBitmap)
    SetBackground(static_cast<TBackground>(Value));
}

void TDForm::SetBackground(TBackground Value) {
  if (Value == Background_)
    return;
  if (IsOpenGL(Background_))
    FreeOpenGL();
  Background_ = Value;
  if (IsOpenGL(Value) && !CreateOpenGL()) {
    MainLogAdd("No OpenGL context: the form background is drawn without OpenGL", mlInformation);
    Background_ = baStandard;
  }
  setAttribute(Qt::WA_OpaquePaintEvent, Background_ != baNone);
  UpdateBackBitmap(true);
  if (IsOpenGL(Background_))
    SendSizeMessage();
  update();
}

bool TDForm::CreateOpenGL() {
  // The driver may want exceptions masked that the program already masks; the masks it leaves
  // are put back when the context goes.
  SavedFPUMask_ = SetFPUMask(FPUMaskAll);
  OpenGL_ = TFormOpenGL::Create(font());
  if (!OpenGL_)
    SetFPUMask(SavedFPUMask_);
  return OpenGL_ != nullptr;
}

void TDForm::FreeOpenGL() noexcept {
  if (!OpenGL_)
    return;
  OpenGL_.reset();
  SetFPUMask(SavedFPUMask_);
}

void TDForm::SetFullScreen(bool Value) {
  if (Value == FullScreen_)
    return;
  FullScreen_ = Value;
  // A monitor whose work area is smaller than its bounds has a panel or task bar on it.
  if (const QScreen* screen = NearestScreen(frameGeometry());
      screen && screen->geometry() != screen->availableGeometry())
    SetTaskBarVisible(!Value);
  ApplyFullScreen(Value);
}

void TDForm::SetChangeMode(bool Value) {
  if (Value == ChangeMode_)
    return;
  ChangeMode_ = Value;
  if (!FullScreen_)
    return;
  if (Value)
    SwitchDisplayTo(FullScreenMode);
  else
    RestoreDisplayMode();
}

void TDForm::SetColor(TColor Value) {
  if (Value == Color_)
    return;
  Color_ = Value;
  update();
}

void TDForm::ApplyFullScreen(bool On) {
  if (On) {
    SavedPlacement_ = saveGeometry();
    PlacementValid_ = !SavedPlacement_.isEmpty();
    if (ChangeMode_)
      SwitchDisplayTo(FullScreenMode);
    setWindowState(windowState() | Qt::WindowFullScreen);
    if (QScreen* screen = NearestScreen(frameGeometry())) {
      setGeometry(screen->geometry());
      // A display mode switched now, or later by ChangeMode, reaches Qt as a new size of the
      // monitor: the form keeps covering it.
      ScreenSize_ = connect(screen, &QScreen::geometryChanged, this, [this](const QRect& Bounds) {
        if (FullScreen_)
          setGeometry(Bounds);
      });
    }
    UpdateBackBitmap(false);
  } else {
    disconnect(ScreenSize_);
    if (ChangeMode_)
      RestoreDisplayMode();
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    if (PlacementValid_) {
      PlacementValid_ = false;
      if (!restoreGeometry(SavedPlacement_))
        MainLogAdd("The window placement before full screen could not be restored", mlDebug);
    }
  }
  SendSizeMessage();
}

void TDForm::SendSizeMessage() {
  SizeChanged(width(), height());
}

void TDForm::SizeChanged(int Width, int Height) {
  if (!isVisible() || Width == 0 || Height == 0)
    return;
  UpdateBackBitmap(false);
  update();
}

void TDForm::UpdateBackBitmap(bool Force) {
  if (Background_ == baNone || Background_ == baOpenGL) {
    BackBitmap_.SetSize(0, 0, clNone);
    return;
  }
  if (!Force && BackBitmap_.Width() == width() && BackBitmap_.Height() == height() &&
      Color_ == FilledColor_)
    return;
  BackBitmap_.SetSize(0, 0, clNone);
  BackBitmap_.SetSize(width(), height(), Color_);
  BackBitmap_.OpenGL = Background_ == baOpenGLBitmap;
  FilledColor_ = Color_;
  if (!BackBitmap_.Empty() && Background_ == baGradient && WindowBackgroundTexture())
    BackBitmap_.BackgroundTexture(Color_);
}

void TDForm::CenterForm() {
  int left = 0, top = 0;
  GetCenterPosition(left, top);
  move(left, top);
}

void TDForm::GetCenterPosition(int& Left, int& Top) const {
  const QRect frame = frameGeometry();
  if (const QWidget* active = GetActiveForm(); active && active != this) {
    const QRect over = active->frameGeometry();
    Left = over.left() + (over.width() - frame.width()) / 2;
    Top = over.top() + (over.height() - frame.height()) / 2;
    return;
  }
  const QScreen* screen = NearestScreen(frame);
  const QRect work = screen ? screen->availableGeometry() : frame;
  Left = work.left() + (work.width() - frame.width()) / 2;
  Top = work.top() + (work.height() - frame.height()) / 2;
}

void TDForm::KeepInWorkArea() {
  // A form placed inside another window keeps the place its owner gives it.
  if (!isWindow())
    return;
  const QRect frame = frameGeometry();
  const QScreen* screen = NearestScreen(frame);
  if (!screen)
    return;
  const QRect work = screen->availableGeometry();
  int left = frame.left(), top = frame.top();
  if (left + frame.width() > work.left() + work.width())
    left = work.left() + work.width() - frame.width();
  if (top + frame.height() > work.top() + work.height())
    top = work.top() + work.height() - frame.height();
  if (left < work.left())
    left = work.left();
  if (top < work.top())
    top = work.top();
  if (left != frame.left() || top != frame.top())
    move(left, top);
}

std::string TDForm::IconFileName(std::string_view Name) {
  if (Name.empty())
    return {};
  if (Name.front() == 'f')
    Name.remove_prefix(1);
  const std::string name = Name == "Main" ? GetProjectInfo(piInternalName) : std::string(Name);
  return GraphDir + name + ".ico";
}

void TDForm::LoadIcon() {
  const std::string file = IconFileName(objectName().toStdString());
  if (!file.empty() && FileExistsEx(file))
    setWindowIcon(QIcon(QString::fromStdString(file)));
}

void TDForm::RunOnPaint(QPainter* Canvas) noexcept {
  if (!OnPaint)
    return;
  try {
    OnPaint(*this, Canvas);
  } catch (const std::exception& error) {
    ReportException(error, "TDForm");
  }
}

void TDForm::paintEvent(QPaintEvent* /*Event*/) {
  if (IsOpenGL(Background_) && OpenGL_) {
    if (Background_ == baOpenGLBitmap) {
      UpdateBackBitmap(false);
      RunOnPaint(nullptr);
    }
    if (!OpenGL_->Begin(width(), height()))
      return;
    if (Background_ == baOpenGLBitmap)
      OpenGL_->DrawPixels(BackBitmap_.TopRow(), BackBitmap_.Width(), BackBitmap_.Height(),
                          static_cast<int>(BackBitmap_.RowSize()));
    else
      RunOnPaint(nullptr);
    const QImage frame = OpenGL_->End();
    QPainter painter(this);
    painter.drawImage(0, 0, frame);
    return;
  }
  if (Background_ == baUser)
    RunOnPaint(nullptr);
  QPainter painter(this);
  if (Background_ != baNone) {
    UpdateBackBitmap(false);
    BackBitmap_.DrawTo(painter, 0, 0);
  }
  if (Background_ != baUser)
    RunOnPaint(&painter);
}

void TDForm::resizeEvent(QResizeEvent* Event) {
  QDialog::resizeEvent(Event);
  SendSizeMessage();
}

void TDForm::showEvent(QShowEvent* Event) {
  // Shown by the program, not restored with a parent: placed inside the work area first.
  if (!Event->spontaneous()) {
    KeepInWorkArea();
    SendSizeMessage();
  }
  QDialog::showEvent(Event);
}

void TDForm::changeEvent(QEvent* Event) {
  QDialog::changeEvent(Event);
  const bool colours =
      Event->type() == QEvent::PaletteChange || Event->type() == QEvent::ApplicationPaletteChange;
  if (colours && Background_ != baUser && Background_ != baOpenGLBitmap) {
    // The form colour may be a system colour of the palette that changed.
    UpdateBackBitmap(true);
    update();
  }
}
