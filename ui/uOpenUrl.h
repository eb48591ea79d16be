#pragma once

// Opening a web address in the desktop's browser, behind a hook so that tests can install a fake
// and never start a browser.

#include <QUrl>
#include <functional>

// Opens Url; true when the desktop took it.
using TOpenUrl = std::function<bool(const QUrl& Url)>;

// Installs NewOpen as the way addresses are opened; an empty one puts back the desktop's
// (QDesktopServices::openUrl). Returns the one installed before.
TOpenUrl SetOpenUrl(TOpenUrl NewOpen);

// Opens Url the installed way.
bool OpenUrl(const QUrl& Url);
