#include "ui/uDButton.h"

#include "env/uCommon.h"
#include "env/uFileHelpers.h"
#include "env/uPaths.h"
#include "report/uMsg.h"
#include "sound/uSounds.h"
#include "text/uStrings.h"
#include "ui/uCanvasText.h"
#include "ui/uDForm.h"
#include "ui/uDesktopColors.h"
#include "ui/uSysInfo.h"

#include <QEnterEvent>
#include <QKeySequence>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <cmath>
#include <utility>

TButtonColors ButtonColors;

namespace {

TButtonSound ButtonSound;

// The factors of the face gradient (1.25 and 0.75) and of the hover light (0.328125).
constexpr std::int32_t FaceLight = 81920;
constexpr std::int32_t FaceDark = 49152;
constexpr std::int32_t HoverLight = 21504;
constexpr TColor Silver = 0xC0C0C0;

bool IsArrowCaption(const QString& Caption) {
  return Caption == QLatin1String("Up") || Caption == QLatin1String("Left") ||
         Caption == QLatin1String("Down") || Caption == QLatin1String("Right");
}

} // namespace

TButtonSound SetButtonSound(TButtonSound Sound) {
  return std::exchange(ButtonSound, std::move(Sound));
}

void InstallButtonSounds() {
  static constexpr std::string_view Names[] = {"BDown", "BUp"};
  const std::int32_t first = RegisterSounds(Names);
  SetButtonSound([first](std::string_view Name, int X, int Width) {
    PlayFrameworkSound(first + (Name == "BUp" ? 1 : 0), X, Width);
  });
}

void RemoveButtonSounds() noexcept {
  ButtonSound = nullptr;
}

void InitializeButtonColors() {
  ButtonColors = TButtonColors();
  const TColor face = ColorToRGB(clBtnFace);
  const TColor active = ColorToRGB(clActiveBorder);
  const TColor inactive = ColorToRGB(clInactiveBorder);
  if (face == active || face == inactive || active == inactive)
    return;
  ButtonColors.Default = active;
  ButtonColors.Cancel = inactive;
  ButtonColors.DefaultCancel = MixColors(active, inactive);
}

std::vector<std::pair<int, int>> RoundRectRows(int Width, int Height, int Diameter) {
  std::vector<std::pair<int, int>> rows;
  if (Width < 1 || Height < 1)
    return rows;
  rows.reserve(static_cast<std::size_t>(Height));
  const double r = std::max(0, Diameter) / 2.0;
  for (int y = 0; y < Height; ++y) {
    const double centre = y + 0.5;
    const double dy = centre < r ? r - centre : centre > Height - r ? centre - (Height - r) : 0;
    int first = 0;
    if (dy > 0) {
      const double dx = r - std::sqrt(std::max(0.0, r * r - dy * dy));
      first = static_cast<int>(std::ceil(dx - 0.5));
    }
    rows.emplace_back(first, Width - 1 - first);
  }
  return rows;
}

TDButton::TDButton(QWidget* Parent, const QString& Name, const QString& Caption)
    : QPushButton(Caption, Parent) {
  if (!Name.isEmpty())
    setObjectName(Name);
  resize(75, 25);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Connected first, so that Down has changed when the other clicked handlers run.
  connect(this, &QAbstractButton::clicked, this, [this] {
    if (AutoChange_)
      SetDown(!Down_);
  });
  UpdateRegion();
}

TDButton::~TDButton() = default;

void TDButton::SetCaption(const QString& Value) {
  if (Value == text())
    return;
  setText(Value);
  Repaint();
}

void TDButton::SetAutoChange(bool Value) {
  if (Value == AutoChange_)
    return;
  AutoChange_ = Value;
  Repaint();
}

void TDButton::SetColor(TColor Value) {
  if (Value == Color_)
    return;
  Color_ = Value;
  Repaint();
}

void TDButton::SetDown(bool Value) {
  if (Value == Down_)
    return;
  Down_ = Value;
  Repaint();
}

void TDButton::SetHighlight(THighlight Value) {
  if (Value == Highlight_)
    return;
  Highlight_ = Value;
  Repaint();
}

void TDButton::SetHighlightValue(int Value) {
  if (Value >= hlNone && Value <= hlUnderlight)
    SetHighlight(static_cast<THighlight>(Value));
}

void TDButton::SetLayout(TButtonLayout Value) {
  if (Value == Layout_)
    return;
  Layout_ = Value;
  Repaint();
}

void TDButton::SetLayoutValue(int Value) {
  if (Value >= blGlyphLeft && Value <= blGlyphBottom)
    SetLayout(static_cast<TButtonLayout>(Value));
}

void TDButton::SetMargin(int Value) {
  if (Value < -1 || Value == Margin_)
    return;
  Margin_ = Value;
  Repaint();
}

void TDButton::SetSpacing(int Value) {
  if (Value == Spacing_)
    return;
  Spacing_ = Value;
  Repaint();
}

void TDButton::SetDefault(bool Value) {
  if (Value == Default_)
    return;
  Default_ = Value;
  setDefault(Value);
  Repaint();
}

void TDButton::SetCancel(bool Value) {
  if (Value == Cancel_)
    return;
  Cancel_ = Value;
  if (Value) {
    CancelKey_ = std::make_unique<QShortcut>(QKeySequence(Qt::Key_Escape), this);
    CancelKey_->setContext(Qt::WindowShortcut);
    connect(CancelKey_.get(), &QShortcut::activated, this, [this] { Click(); });
  } else {
    CancelKey_.reset();
  }
  Repaint();
}

void TDButton::Repaint() {
  FaceValid_ = false;
  update();
}

void TDButton::Click() {
  click();
}

QString TDButton::GlyphFileName() const {
  return QString::fromStdString(GraphDir + "Images/" + NameToCaption(objectName().toStdString()) +
                                ".png");
}

void TDButton::ApplyCaptionRules() {
  QString caption = text();
  if (caption.startsWith(QLatin1Char('/')))
    caption = QString::fromStdString(SpaceCamelCase(NameToCaption(objectName().toStdString()))) +
              caption.mid(1);
  if (!caption.startsWith(QLatin1Char('&')))
    caption.prepend(QLatin1Char('&'));
  setText(caption);
}

void TDButton::UpdateRegion() {
  if (!OSVersion410)
    return;
  if (Small()) {
    setMask(QRegion(rect()));
    return;
  }
  QRegion region;
  const auto rows = RoundRectRows(width(), height(), CornerDiameter());
  for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
    const auto& [first, last] = rows[static_cast<std::size_t>(y)];
    if (first <= last)
      region += QRect(first, y, last - first + 1, 1);
  }
  setMask(region);
}

void TDButton::LoadGlyph() {
  GlyphLoaded_ = true;
  const std::string file = GlyphFileName().toStdString();
  if (!FileExistsEx(file) || !Glyph_.LoadFromFile(file)) {
    Glyph_.Clear();
    return;
  }
  const int room = height() - 6;
  if (room > 0 && Glyph_.Height() > room) {
    const auto width = static_cast<std::int32_t>(
        std::lround(static_cast<double>(Glyph_.Width()) * room / Glyph_.Height()));
    Glyph_.Resize(std::max(1, width), room, nullptr, nullptr);
  }
}

void TDButton::PlaySound(bool Pressed) {
  if (!ButtonSound)
    return;
  const QRect bounds(mapToGlobal(QPoint(0, 0)), size());
  const QScreen* screen = NearestScreen(bounds);
  const QRect work = screen ? screen->availableGeometry() : bounds;
  ButtonSound(Pressed ? "BDown" : "BUp", bounds.center().x() - work.left(), work.width());
}

TButtonState TDButton::CurrentState() const {
  TButtonState state;
  state.Selected = isDown();
  state.Focused = hasFocus();
  state.DefaultNow = isDefault();
  state.MouseInside = MouseInside_;
  return state;
}

void TDButton::DrawFace(const TButtonState& State) {
  const bool pressed = Down_ != State.Selected;
  // A click of an AutoChange button passes through the other state: that picture is skipped.
  if (AutoChange_ && pressed != Down_ && pressed != LastSounded_ && !Face_.Empty())
    return;
  Face_.SetSize(width(), height(), clBtnFace);
  if (pressed != LastSounded_) {
    LastSounded_ = pressed;
    PlaySound(pressed);
  }
  if (!GlyphLoaded_)
    LoadGlyph();
  DrawContent(State, pressed);
}

void TDButton::DrawContent(const TButtonState& State, bool Pressed) {
  const int w = width(), h = height();
  const bool texture = WindowBackgroundTexture();
  if (!Small() && texture) {
    // The shaded face depends on the size and the colour only: it is kept between drawings.
    if (FaceShade_.Width() != w - 4 || FaceShade_.Height() != h - 4 || FaceShadeColor_ != Color_) {
      const TColor light = ScaleColor(Color_, FaceLight), dark = ScaleColor(Color_, FaceDark);
      FaceShade_.SetSize(w - 4, h - 4, clNone);
      FaceShade_.Gradient({}, 0, ef16, {light, dark, light, dark}, 12);
      FaceShadeColor_ = Color_;
    }
    Face_.DrawBitmap(2, 2, FaceShade_, ef16);
  } else {
    Face_.Bar(2, 2, w - 3, h - 3, Pressed ? Lighter(Color_) : Color_, ef16);
  }
  QRect content(2, 2, w - 4, h - 4);
  if (Pressed)
    content.translate(1, 1);

  QFont captionFont = font();
  if (AutoChange_) {
    captionFont.setUnderline(Down_);
    captionFont.setStrikeOut(!Down_);
  }
  const QString caption = text();
  const bool arrow = IsArrowCaption(caption);
  if (arrow) {
    DrawArrow(content, caption, State.MouseInside && isEnabled());
  } else {
    const bool hasCaption = !DropAmpersands(caption).isEmpty();
    QRect captionRect = content;
    if (!Glyph_.Empty()) {
      SetMargin(6);
      SetSpacing(2);
      const int gw = Glyph_.Width(), gh = Glyph_.Height();
      int gx = content.left() + (content.width() - gw) / 2;
      int gy = content.top() + (content.height() - gh) / 2;
      if (hasCaption) {
        switch (Layout_) {
        case blGlyphLeft:
          gx = content.left() + Margin_;
          captionRect.setLeft(gx + gw + Spacing_);
          break;
        case blGlyphRight:
          gx = content.left() + content.width() - Margin_ - gw;
          captionRect.setRight(gx - Spacing_ - 1);
          break;
        case blGlyphTop:
          gy = content.top() + Margin_;
          captionRect.setTop(gy + gh + Spacing_);
          break;
        case blGlyphBottom:
          gy = content.top() + content.height() - Margin_ - gh;
          captionRect.setBottom(gy - Spacing_ - 1);
          break;
        }
      }
      Face_.DrawBitmap(gx, gy, Glyph_, isEnabled() ? ef16 : ef04);
    }
    if (hasCaption) {
      // The caption is rendered once for its text, font, place and colours, and laid over each
      // face drawn; a pressed face takes it one pixel down and right with the rest.
      const int shift = Pressed ? 1 : 0;
      const TCaptionKey key{caption,
                            captionFont,
                            captionRect.translated(-shift, -shift),
                            size(),
                            isEnabled(),
                            {ColorToRGB(clBtnText), ColorToRGB(ButtonColors.Depth[3]),
                             ColorToRGB(ButtonColors.Depth[1])}};
      if (!(key == CaptionKey_) || Caption_.isNull()) {
        RenderCaption(key);
        CaptionKey_ = key;
      }
      BlendCaption(shift);
      const QString hint = CaptionShortened_ ? DropAmpersands(caption) : QString();
      if (toolTip() != hint)
        setToolTip(hint);
    }
  }

  if (Default_ || Cancel_)
    DrawRoundFrame(2, Default_ && Cancel_ ? ButtonColors.DefaultCancel
                      : Default_          ? ButtonColors.Default
                                          : ButtonColors.Cancel);
  if (!arrow && State.MouseInside && isEnabled()) {
    const TColor light = ScaleColor(Color_, HoverLight);
    if (texture)
      Face_.Gradient({}, 0, efAdd, {light, clBlack, light, clBlack}, 12);
    else
      Face_.Bar(light, efAdd);
  }
  if (State.DefaultNow && State.Focused)
    Face_.Bar(2, 2, w - 3, h - 3, clHighlight, ef08);
  DrawEdges(Pressed);
}

void TDButton::DrawArrow(const QRect& Content, const QString& Direction, bool Hover) {
  const TColor colour = Hover ? clHighlight : Down_ ? Silver : clWhite;
  const int size = std::max(2, std::min(Content.width(), Content.height()) / 3);
  const int cx = Content.left() + Content.width() / 2;
  const int cy = Content.top() + Content.height() / 2;
  // A filled triangle, its point towards Direction, its base 2 size + 1 pixels wide.
  for (int i = 0; i <= size; ++i) {
    const int along = i - size / 2;
    if (Direction == QLatin1String("Up"))
      Face_.DrawLine(cx - i, cy + along, cx + i, cy + along, colour, ef16);
    else if (Direction == QLatin1String("Down"))
      Face_.DrawLine(cx - i, cy - along, cx + i, cy - along, colour, ef16);
    else if (Direction == QLatin1String("Left"))
      Face_.DrawLine(cx + along, cy - i, cx + along, cy + i, colour, ef16);
    else
      Face_.DrawLine(cx - along, cy - i, cx - along, cy + i, colour, ef16);
  }
}

void TDButton::RenderCaption(const TCaptionKey& Key) {
  Caption_ = QImage(Key.Size, QImage::Format_ARGB32_Premultiplied);
  Caption_.fill(Qt::transparent);
  QPainter canvas(&Caption_);
  canvas.setFont(Key.Font);
  if (Key.Enabled) {
    canvas.setPen(ToQColor(Key.Colors[0]));
    CaptionShortened_ =
        DrawTextRect(canvas, Key.Place, 2, TextShadowDepth(canvas), false, Key.Caption, 1);
  } else {
    // Engraved: the highlight one pixel down and right, the shadow colour over it.
    canvas.setPen(ToQColor(Key.Colors[1]));
    DrawTextRect(canvas, Key.Place.translated(1, 1), 2, 0, false, Key.Caption, 1);
    canvas.setPen(ToQColor(Key.Colors[2]));
    CaptionShortened_ = DrawTextRect(canvas, Key.Place, 2, 0, false, Key.Caption, 1);
  }
  canvas.end();
  // Only the part with ink is laid over the face.
  CaptionBox_ = QRect();
  for (int y = 0; y < Caption_.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(Caption_.constScanLine(y));
    for (int x = 0; x < Caption_.width(); ++x)
      if (qAlpha(row[x]) != 0)
        CaptionBox_ |= QRect(x, y, 1, 1);
  }
}

void TDButton::BlendCaption(int Shift) {
  // Source over: the caption's premultiplied colour plus what its coverage leaves of the face.
  const QRect area =
      CaptionBox_.translated(Shift, Shift) & QRect(0, 0, Face_.Width(), Face_.Height());
  for (int ty = area.top(); ty <= area.bottom(); ++ty) {
    const auto* source = reinterpret_cast<const QRgb*>(Caption_.constScanLine(ty - Shift));
    TPixel* target = Face_.PixelAddress(0, ty);
    for (int tx = area.left(); tx <= area.right(); ++tx) {
      const QRgb s = source[tx - Shift];
      const unsigned alpha = qAlpha(s);
      if (alpha == 0)
        continue;
      TPixel& d = target[tx];
      const unsigned keep = 255 - alpha;
      const auto channel = [&](int Shift8) {
        const unsigned dc = (d >> Shift8) & 0xFF, sc = (s >> Shift8) & 0xFF;
        return std::min(255u, sc + (dc * keep + 127) / 255) << Shift8;
      };
      d = (d & 0xFF000000u) | channel(16) | channel(8) | channel(0);
    }
  }
}

void TDButton::DrawRoundFrame(int Inset, TColor Color) {
  const int w = width() - 2 * Inset, h = height() - 2 * Inset;
  const auto rows = RoundRectRows(w, h, CornerDiameter());
  // The outline: every pixel of the shape with a neighbour outside it, drawn as row spans.
  for (int y = 0; y < h; ++y) {
    const auto [first, last] = rows[static_cast<std::size_t>(y)];
    if (first > last)
      continue;
    const int ty = y + Inset;
    if (y == 0 || y == h - 1) {
      Face_.DrawLine(first + Inset, ty, last + Inset, ty, Color, ef16);
      continue;
    }
    const auto& above = rows[static_cast<std::size_t>(y - 1)];
    const auto& below = rows[static_cast<std::size_t>(y + 1)];
    const int leftEnd = std::max(first, std::max(above.first, below.first) - 1);
    const int rightStart = std::min(last, std::min(above.second, below.second) + 1);
    Face_.DrawLine(first + Inset, ty, leftEnd + Inset, ty, Color, ef16);
    Face_.DrawLine(rightStart + Inset, ty, last + Inset, ty, Color, ef16);
  }
}

void TDButton::DrawEdges(bool Pressed) {
  const TColor highlight = ButtonColors.Depth[3], shadow = ButtonColors.Depth[1];
  TColor outer = Pressed ? shadow : highlight;
  TColor inner = Pressed ? highlight : shadow;
  const int w = width(), h = height();
  if (Small()) {
    if (!Pressed)
      outer = inner = Color_;
    Face_.Border(0, 0, w - 1, h - 1, outer, ef16);
    Face_.Border(1, 1, w - 2, h - 2, inner, ef16);
    return;
  }
  DrawRoundFrame(0, outer);
  DrawRoundFrame(1, inner);
}

bool TDButton::event(QEvent* Event) {
  if (Event->type() == QEvent::Polish && !Created_) {
    Created_ = true;
    ApplyCaptionRules();
  }
  return QPushButton::event(Event);
}

void TDButton::paintEvent(QPaintEvent* /*Event*/) {
  // The face is drawn again only when something it shows has changed; a paint must always end
  // with a picture, so what the drawing raises is logged.
  try {
    const TFaceKey key{CurrentState(), text(), WindowBackgroundTexture()};
    if (!FaceValid_ || !(key == FaceKey_) || Face_.Width() != width() ||
        Face_.Height() != height()) {
      DrawFace(key.State);
      FaceKey_ = key;
      FaceValid_ = true;
    }
  } catch (const std::exception& error) {
    ReportException(error, "TDButton");
  }
  QPainter painter(this);
  if (Face_.Empty())
    painter.fillRect(rect(), ToQColor(clBtnFace));
  else
    Face_.DrawTo(painter, 0, 0);
}

void TDButton::resizeEvent(QResizeEvent* Event) {
  QPushButton::resizeEvent(Event);
  UpdateRegion();
  FaceValid_ = false;
}

void TDButton::changeEvent(QEvent* Event) {
  QPushButton::changeEvent(Event);
  switch (Event->type()) {
  case QEvent::ApplicationPaletteChange:
    InitializeButtonColors();
    Repaint();
    break;
  case QEvent::FontChange:
  case QEvent::EnabledChange:
  case QEvent::PaletteChange:
    Repaint();
    break;
  default:
    break;
  }
}

void TDButton::enterEvent(QEnterEvent* Event) {
  QPushButton::enterEvent(Event);
  MouseInside_ = true;
  Repaint();
}

void TDButton::leaveEvent(QEvent* Event) {
  QPushButton::leaveEvent(Event);
  MouseInside_ = false;
  Repaint();
}
