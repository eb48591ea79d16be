#include "ui/uDesktopColors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

TColor PaletteColor(int Index) {
  const QPalette palette = QGuiApplication::palette();
  const auto role = [&](QPalette::ColorRole Role, QPalette::ColorGroup Group = QPalette::Active) {
    return FromQColor(palette.color(Group, Role));
  };
  switch (SystemColor(Index)) {
  case clWindow:
    return role(QPalette::Base);
  case clWindowText:
    return role(QPalette::Text);
  case clGrayText:
    return role(QPalette::Text, QPalette::Disabled);
  case clBtnFace:
  case clMenu:
  case clScrollBar:
  case clBackground:
  case clAppWorkSpace:
  case clActiveBorder:
  case clInactiveBorder:
    return role(QPalette::Button);
  case clBtnText:
  case clMenuText:
  case clCaptionText:
  case clInactiveCaptionText:
    return role(QPalette::ButtonText);
  case clBtnShadow:
    return role(QPalette::Mid);
  case clBtnHighlight:
    return role(QPalette::Light);
  case cl3DDkShadow:
    return role(QPalette::Shadow);
  case cl3DLight:
    return role(QPalette::Midlight);
  case clWindowFrame:
    return role(QPalette::Dark);
  case clHighlight:
  case clActiveCaption:
    return role(QPalette::Highlight);
  case clInactiveCaption:
    return role(QPalette::Highlight, QPalette::Inactive);
  case clHighlightText:
    return role(QPalette::HighlightedText);
  case clInfoText:
    return role(QPalette::ToolTipText);
  case clInfoBk:
    return role(QPalette::ToolTipBase);
  default:
    return clBlack;
  }
}

} // namespace

void InstallDesktopColors() {
  SetSystemColorResolver(PaletteColor);
}

QColor ToQColor(TColor Color) {
  const TColor rgb = ColorToRGB(Color);
  return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

TColor FromQColor(const QColor& Color) {
  return RGBColor(Color.red(), Color.green(), Color.blue());
}

void RemoveDesktopColors() noexcept {
  SetSystemColorResolver(nullptr);
}
