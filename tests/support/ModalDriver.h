#pragma once

// Drives a modal dialog from inside its own modal run: the test acts on it as soon as it is on
// screen, once.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>

// Runs Act on the active modal dialog of type TDialog as soon as one is visible, once.
template <class TDialog>
class TModalDriver {
 public:
  explicit TModalDriver(std::function<void(TDialog&)> Act) : Act_(std::move(Act)) {
    QObject::connect(&Poll_, &QTimer::timeout, &Poll_, [this] { Poll(); });
    Poll_.start(0);
  }

  // Whether Act has run.
  bool Acted() const noexcept { return Acted_; }

 private:
  void Poll() {
    auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible())
      return;
    Poll_.stop();
    Acted_ = true;
    Act_(*dialog);
  }

  std::function<void(TDialog&)> Act_;
  QTimer Poll_;
  bool Acted_ = false;
};
