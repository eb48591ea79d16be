#pragma once

// TDButton, the framework's push button: a QPushButton that draws itself into a face TDBitmap with
// the bitmap's effects and copies it in one block. It draws a gradient or plain face, a glyph from
// the graphics directory, the caption (shortened with "..." and then shown as the hint when it does
// not fit), arrows for the captions "Up", "Left", "Down" and "Right", frames for the default and
// the cancel button, the hover light, the focus bar and the edges; buttons larger than 22 pixels
// are rounded, with a window region (QWidget::setMask) of the same shape. Pressing and releasing
// play the sounds "BDown" and "BUp" through a hook.
//
// The default button is QPushButton's: Enter presses it, and a focused auto-default button is
// the default one while it has the focus (the "default now" of the drawing). The cancel button is
// the one that Esc presses in its window.

#include "ui/uDBitmap.h"

#include <QFont>
#include <QImage>
#include <QPushButton>
#include <QRegion>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

class QShortcut;

// Plays a framework sound: Name ("BDown" or "BUp"), panned by X, the horizontal position of the
// button's centre in the work area of its monitor, within Width, that work area's width.
using TButtonSound = std::function<void(std::string_view Name, int X, int Width)>;
// Installs the sound of the buttons and returns the one before; an empty function plays nothing,
// which is the state until the sound layer is installed.
TButtonSound SetButtonSound(TButtonSound Sound);
// Registers the framework sounds "BDown" and "BUp" and makes them the buttons' sound;
// RemoveButtonSounds makes the buttons silent again.
void InstallButtonSounds();
void RemoveButtonSounds() noexcept;

// Unused by the drawing; kept and repainted on change.
enum THighlight : std::uint8_t {
  hlNone,
  hlRect,
  hlBar,
  hlRectMov,
  hlBarHorz,
  hlBarVert,
  hlUnderlight
};

// Where the glyph goes.
enum TButtonLayout : std::uint8_t {
  blGlyphLeft,
  blGlyphRight,
  blGlyphTop,
  blGlyphBottom
};

// The framework colours of the buttons, set at start-up and when the desktop's colours change:
// the 3-D colours (dark shadow, button shadow, 3-D light, button highlight) and the frames of the
// default button, the cancel button and a button that is both. The frames are lime, red and yellow
// while the desktop's border colours cannot be told from the button face (as on Linux desktops);
// otherwise the active border, the inactive border and the mix of the two.
struct TButtonColors {
  TColor Depth[4] = {cl3DDkShadow, clBtnShadow, cl3DLight, clBtnHighlight};
  TColor Default = 0x00FF00;
  TColor Cancel = 0x0000FF;
  TColor DefaultCancel = 0x00FFFF;
};
extern TButtonColors ButtonColors;
// Works out ButtonColors from the current desktop colours; part of the widget layer's start-up.
void InitializeButtonColors();

// The rows of a rounded rectangle of Width x Height pixels whose corners are quarter circles of
// diameter Diameter: for each row from the top, the first and the last column inside. A pixel is
// inside when its centre lies in the shape.
std::vector<std::pair<int, int>> RoundRectRows(int Width, int Height, int Diameter);

// The states of the platform that the drawing of a button reads.
struct TButtonState {
  bool Selected = false;    // held down by the mouse or the space bar
  bool Focused = false;     // has the keyboard focus
  bool DefaultNow = false;  // the button Enter presses now
  bool MouseInside = false; // the mouse is over it

  bool operator==(const TButtonState&) const = default;
};

class TDButton : public QPushButton {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(bool AutoChange READ AutoChange WRITE SetAutoChange)
  Q_PROPERTY(int Color READ Color WRITE SetColor)
  Q_PROPERTY(bool Down READ Down WRITE SetDown)
  Q_PROPERTY(int Highlight READ HighlightValue WRITE SetHighlightValue)
  Q_PROPERTY(int Layout READ LayoutValue WRITE SetLayoutValue)
  Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
  Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
  Q_PROPERTY(bool Default READ Default WRITE SetDefault)
  Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)

 public:
  // A 75 x 25 button taking the tab focus, named Name; its glyph and a caption "/" are found
  // through the name. The caption rules run when the button is first polished (shown).
  explicit TDButton(QWidget* Parent = nullptr, const QString& Name = {},
                    const QString& Caption = {});
  ~TDButton() override;

  // Properties. Each setter stores the value and repaints when it changed.

  // The text; "&" marks the accelerator. "/" at its start stands for the button's name in words,
  // and a caption without a leading "&" gets one, when the button is polished.
  QString Caption() const { return text(); }
  void SetCaption(const QString& Value);
  // Each click toggles Down; the caption is underlined while down and struck out while up.
  bool AutoChange() const noexcept { return AutoChange_; }
  void SetAutoChange(bool Value);
  TColor Color() const noexcept { return Color_; }
  void SetColor(TColor Value);
  // Shown pressed.
  bool Down() const noexcept { return Down_; }
  void SetDown(bool Value);
  THighlight Highlight() const noexcept { return Highlight_; }
  void SetHighlight(THighlight Value);
  TButtonLayout Layout() const noexcept { return Layout_; }
  void SetLayout(TButtonLayout Value);
  // The glyph's distance from the edge; values below -1 are refused (nothing changes).
  int Margin() const noexcept { return Margin_; }
  void SetMargin(int Value);
  int Spacing() const noexcept { return Spacing_; }
  void SetSpacing(int Value);
  // The default button of its dialog: Enter presses it (QPushButton::setDefault).
  bool Default() const noexcept { return Default_; }
  void SetDefault(bool Value);
  // The cancel button of its window: Esc presses it.
  bool Cancel() const noexcept { return Cancel_; }
  void SetCancel(bool Value);

  // Presses the button as a click does: nothing while disabled; with AutoChange, Down toggles
  // before the clicked handlers run.
  void Click();

  // Both sides at most 22 pixels: square corners and a rectangular region.
  bool Small() const noexcept { return width() <= 22 && height() <= 22; }
  // The corners' diameter: min(width, height) div 2.
  int CornerDiameter() const noexcept { return std::min(width(), height()) / 2; }
  // The picture drawn last, and the glyph (empty when there is none).
  const TDBitmap& Face() const noexcept { return Face_; }
  const TDBitmap& Glyph() const noexcept { return Glyph_; }
  // The glyph file: GraphDir + "Images/" + the name in words (NameToCaption) + ".png".
  QString GlyphFileName() const;

  // Draws the face for the platform's State, without showing it: the sound of a changed pressed
  // state, the glyph on first use, and the picture in Face. With AutoChange, a state that shows
  // neither Down nor the state sounded last leaves the last picture as it is. A paint calls it
  // only when the states, the caption, the texture option or a property changed since the last
  // face; otherwise it shows the last face again.
  void DrawFace(const TButtonState& State);
  // The states that the next paint draws.
  TButtonState CurrentState() const;

 protected:
  bool event(QEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void changeEvent(QEvent* Event) override;
  void enterEvent(QEnterEvent* Event) override;
  void leaveEvent(QEvent* Event) override;

 private:
  int HighlightValue() const noexcept { return Highlight_; }
  void SetHighlightValue(int Value);
  int LayoutValue() const noexcept { return Layout_; }
  void SetLayoutValue(int Value);
  // The caption rules of creation: "/" becomes the name in words, "&" goes in front.
  void ApplyCaptionRules();
  void UpdateRegion();
  void LoadGlyph();
  void PlaySound(bool Pressed);
  // The drawing steps after the face's fill and the sound.
  void DrawContent(const TButtonState& State, bool Pressed);
  void DrawArrow(const QRect& Content, const QString& Direction, bool Hover);
  void DrawEdges(bool Pressed);
  void DrawRoundFrame(int Inset, TColor Color);
  // Draws the face anew at the next paint.
  void Repaint();

  // What the caption's picture depends on.
  struct TCaptionKey {
    QString Caption;
    QFont Font;
    QRect Place;
    QSize Size;
    bool Enabled = true;
    TColor Colors[3] = {}; // the text, and the highlight and shadow of disabled text
    bool operator==(const TCaptionKey&) const = default;
  };
  // Renders the caption for Key into Caption_, transparent around it.
  void RenderCaption(const TCaptionKey& Key);
  // Lays Caption_ over the face, Shift pixels down and right.
  void BlendCaption(int Shift);

  // What the face shows besides the properties, whose setters call Repaint.
  struct TFaceKey {
    TButtonState State;
    QString Caption;
    bool Texture = false;
    bool operator==(const TFaceKey&) const = default;
  };

  bool AutoChange_ = false;
  TColor Color_ = clBtnFace;
  bool Down_ = false;
  THighlight Highlight_ = hlUnderlight;
  TButtonLayout Layout_ = blGlyphLeft;
  int Margin_ = -1;
  int Spacing_ = 4;
  bool Default_ = false;
  bool Cancel_ = false;

  TDBitmap Face_;
  TDBitmap Glyph_;
  bool GlyphLoaded_ = false;
  bool MouseInside_ = false;
  bool LastSounded_ = false;
  bool Created_ = false;
  bool FaceValid_ = false;
  TFaceKey FaceKey_;
  QImage Caption_;     // premultiplied
  QRect CaptionBox_;   // where Caption_ has ink
  TDBitmap FaceShade_; // the shaded face inside the edges
  TColor FaceShadeColor_ = clNone;
  TCaptionKey CaptionKey_;
  bool CaptionShortened_ = false;
  std::unique_ptr<QShortcut> CancelKey_;
};
