#pragma once

// System colours from the desktop: the application palette of the running Qt application.

#include "graphics/uColors.h"

#include <QColor>

// Resolves system colours through the application palette from now on. Needs a Qt GUI
// application; the palette is read at each resolution, so a changed theme shows at once.
void InstallDesktopColors();
// Goes back to the built-in table of classic desktop colours.
void RemoveDesktopColors() noexcept;

// Conversions between colour numbers (system colours resolved) and Qt colours.
QColor ToQColor(TColor Color);
TColor FromQColor(const QColor& Color);
