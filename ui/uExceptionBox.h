#pragma once

// The platform's exception box: what an exception that reaches the edge of an event handler
// becomes. No exception crosses the event loop; every handler that runs framework code catches
// at its edge and shows the exception here.

#include <exception>
#include <functional>

using TExceptionBox = std::function<void(const std::exception& E)>;

// Shows E's message in a modal message box, or hands it to the installed replacement.
void ShowExceptionBox(const std::exception& E);

// Runs Action at the edge of an event handler: an exception it raises goes to the exception box.
template <class F>
void Guarded(F&& Action) {
  try {
    Action();
  } catch (const std::exception& error) {
    ShowExceptionBox(error);
  }
}

// Installs a replacement for the box, for tests, and returns the one before; an empty function
// restores the message box.
TExceptionBox SetExceptionBox(TExceptionBox Box);
