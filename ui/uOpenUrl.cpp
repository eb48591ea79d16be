#include "ui/uOpenUrl.h"

#include <QDesktopServices>
#include <utility>

namespace {

TOpenUrl Open;

} // namespace

TOpenUrl SetOpenUrl(TOpenUrl NewOpen) {
  return std::exchange(Open, std::move(NewOpen));
}

bool OpenUrl(const QUrl& Url) {
  if (Open)
    return Open(Url);
  return QDesktopServices::openUrl(Url);
}
