#pragma once

// TDForm, the base of the framework's forms: a top-level QDialog (every framework form runs as a
// dialog, modal or not) with a painted background held in an off-screen TDBitmap, a full-screen
// switch, an optional display-mode change while in full screen, placement inside the work area of
// its monitor and centring over the active form, and an icon from the graphics directory. Derived
// forms set properties; the behaviour is inherited.
//
// The background is painted without erasing (Qt::WA_OpaquePaintEvent, except for baNone) and
// copied in one block. The OpenGL backgrounds draw through a compatibility-profile context
// (uFormOpenGL) whose frame is copied to the form; where no context can be made they fall back to
// baStandard. The program runs with every floating-point exception masked (uFloatErrors): the
// form saves the masks before it makes an OpenGL context and puts them back after freeing it,
// and never unmasks a trap.
//
// Full screen is the window manager's full-screen state, which covers panels and task bars on
// Linux desktops; the form also takes the whole monitor's bounds, for X servers without a window
// manager. The placement before it (saveGeometry) is restored once when full screen ends.

#include "platform/uFPUMask.h"
#include "ui/uDBitmap.h"

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QFont;
class QPainter;
class QRect;
class QScreen;
class TFormOpenGL;

// How a form's client area is painted.
enum TBackground : std::uint8_t {
  baNone,        // nothing beyond Qt's own painting; the back bitmap stays 0 x 0
  baUser,        // OnPaint draws into BackBitmap, which is then copied to the form
  baStandard,    // the back bitmap, filled with the form colour, is copied before OnPaint runs
  baGradient,    // as baStandard, filled with the background texture while the option is set
  baOpenGL,      // OnPaint issues OpenGL commands; the back bitmap stays 0 x 0
  baOpenGLBitmap // OnPaint draws into BackBitmap, which is written to the OpenGL frame
};

// A display mode: 0 in a field accepts any value.
struct TScreenMode {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t Bits = 0;        // bits per pixel
  std::int32_t RefreshRate = 0; // Hz
};

// The display-mode switch of full-screen forms with ChangeMode, installed by the screen-mode
// module: SwitchTo changes to the nearest mode without asking and keeps it in the mode history,
// RestoreStartMode goes back to the mode the program started in. Empty functions do nothing,
// which is the state until the module is installed.
struct TDisplayModeSwitch {
  std::function<void(const TScreenMode& Mode)> SwitchTo;
  std::function<void()> RestoreStartMode;
};
// Installs Switch and returns the one before.
TDisplayModeSwitch SetDisplayModeSwitch(TDisplayModeSwitch Switch);

// The task bar of Linux desktops belongs to the desktop and is not reachable from a program: the
// lock switch that keeps the framework away from it is always set.
inline constexpr bool TaskBarLocked = true;
// Shows or hides the task bar (unreachable here, see TaskBarLocked) and logs "ShowTaskBar" or
// "HideTaskBar" at mlInformation.
void SetTaskBarVisible(bool Show);

// Gives Font the desktop's general font with 11-pixel characters.
void AssignMessageFont(QFont& Font);

// The monitor nearest to Area: the one holding its centre, else the one closest to it; the
// primary monitor when there is no other answer. nullptr only without any monitor.
QScreen* NearestScreen(const QRect& Area);

// The active top-level window; when none is active, the main form: the first visible top-level
// window that is not a dialog. nullptr when there is neither.
QWidget* GetActiveForm();
// True when Form is set and visible.
bool FormVisible(const QWidget* Form);
// Closes and frees Form, if set, and clears it.
template <class TForm>
void FormFree(std::unique_ptr<TForm>& Form) {
  if (!Form)
    return;
  Form->close();
  Form.reset();
}

class TDForm : public QDialog {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int Background READ BackgroundValue WRITE SetBackgroundValue)
  Q_PROPERTY(bool FullScreen READ FullScreen WRITE SetFullScreen)
  Q_PROPERTY(bool ChangeMode READ ChangeMode WRITE SetChangeMode)
  Q_PROPERTY(int Color READ Color WRITE SetColor)

 public:
  // Called once at the end of construction with Save = false, so that the owner can read its
  // stored options.
  using TRWOptionsEvent = std::function<void(TDForm& Sender, bool Save)>;
  // Paints the form. Canvas is the form's painter for baNone, baStandard and baGradient; for the
  // other backgrounds it is nullptr, and the handler draws into BackBitmap or issues OpenGL
  // commands (OpenGL()) instead.
  using TPaintEvent = std::function<void(TDForm& Sender, QPainter* Canvas)>;

  // A form named Name (its icon is looked for by that name): colour from the option
  // goWindowBackgroundColor, the desktop's font at 11 pixels, kept in its monitor's work area,
  // background baGradient. Calls OnRWOptions with Save = false at the end.
  explicit TDForm(QWidget* Parent = nullptr, const QString& Name = {},
                  TRWOptionsEvent OnRWOptions = {});
  // Leaves full screen for good: restores the display mode when ChangeMode is on and shows the
  // task bar. Frees the OpenGL context and puts the floating-point masks back.
  ~TDForm() override;

  // Properties. Setting a property to its value does nothing.

  const QString& Caption() const noexcept { return Caption_; }
  // The window title.
  void SetCaption(const QString& Value);
  TBackground Background() const noexcept { return Background_; }
  // Frees the OpenGL context of an OpenGL background left, rebuilds the back bitmap, and makes a
  // context for an OpenGL background taken; without one the background becomes baStandard.
  void SetBackground(TBackground Value);
  bool FullScreen() const noexcept { return FullScreen_; }
  // Enters or leaves full screen; hides the task bar while the monitor reserves space for one.
  void SetFullScreen(bool Value);
  bool ChangeMode() const noexcept { return ChangeMode_; }
  // Stores the value; while in full screen, switches to FullScreenMode (true) or back to the
  // start-up mode (false) at once, so that the display always matches the two switches.
  void SetChangeMode(bool Value);
  TColor Color() const noexcept { return Color_; }
  // The colour the background is filled with; rebuilt at the next paint.
  void SetColor(TColor Value);

  // The off-screen background picture, owned by the form.
  TDBitmap& BackBitmap() noexcept { return BackBitmap_; }
  const TDBitmap& BackBitmap() const noexcept { return BackBitmap_; }
  // The OpenGL context of an OpenGL background, nullptr otherwise.
  TFormOpenGL* OpenGL() const noexcept { return OpenGL_.get(); }

  // The display mode of full screen with ChangeMode.
  TScreenMode FullScreenMode{640, 480, 32, 0};

  TPaintEvent OnPaint;
  TRWOptionsEvent OnRWOptions;

  // Sizes the back bitmap to the client area filled with the form colour, unless it has that size
  // and colour already (Force rebuilds anyway), and lays the background texture over it for
  // baGradient while goWindowBackgroundTexture is set. baNone and baOpenGL keep it at 0 x 0.
  void UpdateBackBitmap(bool Force);
  // Moves the form to GetCenterPosition, keeping its size.
  void CenterForm();
  // Where the form's top-left corner goes to be centred over the active form (unless that is this
  // form), or else in the work area of its monitor.
  void GetCenterPosition(int& Left, int& Top) const;
  // Moves the form into the work area of its monitor: right and bottom edges first, then left and
  // top, so that the top-left corner wins when the form is the larger. A form inside another
  // window stays where it is.
  void KeepInWorkArea();
  // What the form does when its size changes to Width x Height: nothing while hidden or for a zero
  // side; otherwise it rebuilds the back bitmap as needed and repaints.
  void SizeChanged(int Width, int Height);

  // The icon file of a form named Name: GraphDir + the name without a leading "f" + ".ico", the
  // program's internal name standing for "Main"; empty for an empty name.
  static std::string IconFileName(std::string_view Name);

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void changeEvent(QEvent* Event) override;

 private:
  int BackgroundValue() const noexcept { return Background_; }
  void SetBackgroundValue(int Value);
  void ApplyFullScreen(bool On);
  // The size handling of the current size, as after a resize.
  void SendSizeMessage();
  void LoadIcon();
  // Makes the OpenGL context with all floating-point exceptions masked; false when none can be had.
  bool CreateOpenGL();
  void FreeOpenGL() noexcept;
  // Runs OnPaint; what it raises is logged, so that a faulty handler cannot stop painting.
  void RunOnPaint(QPainter* Canvas) noexcept;

  QString Caption_;
  TBackground Background_ = baGradient;
  bool FullScreen_ = false;
  bool ChangeMode_ = false;
  TColor Color_ = clBtnFace;
  TColor FilledColor_ = clNone; // the colour the back bitmap was last filled with
  TDBitmap BackBitmap_;
  std::unique_ptr<TFormOpenGL> OpenGL_;
  std::uint32_t SavedFPUMask_ = FPUMaskAll;
  QByteArray SavedPlacement_; // the placement before full screen, while valid
  bool PlacementValid_ = false;
  QMetaObject::Connection ScreenSize_; // follows the monitor's size while in full screen
};
