#pragma once

// The second stage of the framework's start-up: the modules of the widget layer, started once the
// Qt application exists and shut down before it goes. The first stage (uStartup) must run before
// and end after this one.

// Starts the widget layer's modules in order: the desktop's colours, the message dialog (which
// shows the reports kept since the first stage began), the buttons' colours, and the bitmap
// layer. When one fails, the modules started before it are shut down again and the exception
// passes to the caller.
void InitializeWidgetFramework();
// Shuts the started widget modules down in reverse order; does nothing when none is started.
void FinalizeWidgetFramework();

// Keeps the widget layer started for its own lifetime.
class TWidgetFrameworkScope {
 public:
  TWidgetFrameworkScope() { InitializeWidgetFramework(); }
  ~TWidgetFrameworkScope() { FinalizeWidgetFramework(); }
  TWidgetFrameworkScope(const TWidgetFrameworkScope&) = delete;
  TWidgetFrameworkScope& operator=(const TWidgetFrameworkScope&) = delete;
};
