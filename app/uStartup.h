#pragma once

// The framework's start-up and shut-down. InitializeFramework runs every module's start-up code in
// module order, lower layers first; FinalizeFramework runs the shut-down code of the started
// modules in reverse. The program, dexpr and the tests all start the framework through here.

// Starts every module. When a module's start-up fails, the modules started before it are shut
// down again and the exception passes to the caller.
void InitializeFramework();
// Shuts the started modules down in reverse order; does nothing when none is started.
void FinalizeFramework();

// Keeps the framework started for its own lifetime.
class TFrameworkScope {
 public:
  TFrameworkScope() { InitializeFramework(); }
  ~TFrameworkScope() { FinalizeFramework(); }
  TFrameworkScope(const TFrameworkScope&) = delete;
  TFrameworkScope& operator=(const TFrameworkScope&) = delete;
};
