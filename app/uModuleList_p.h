#pragma once

// A list of modules' start-up and shut-down code, run as one stage of the framework's start-up.

#include <cstddef>
#include <span>

struct TModule {
  void (*Initialize)(); // nullptr: nothing to start
  void (*Finalize)();   // nullptr: nothing to shut down
};

class TModuleList {
 public:
  constexpr explicit TModuleList(std::span<const TModule> Modules) : Modules_(Modules) {}

  // Runs every module's start-up code in order, once. When one fails, the modules started
  // before it are shut down again and the exception passes to the caller.
  void Initialize() {
    if (Started_ != 0)
      return;
    try {
      for (const TModule& module : Modules_) {
        if (module.Initialize)
          module.Initialize();
        ++Started_;
      }
    } catch (...) {
      Finalize();
      throw;
    }
  }

  // Runs the shut-down code of the started modules in reverse order.
  void Finalize() {
    while (Started_ > 0) {
      const TModule& module = Modules_[--Started_];
      if (module.Finalize)
        module.Finalize();
    }
  }

 private:
  std::span<const TModule> Modules_;
  std::size_t Started_ = 0; // how many modules' start-up code has run
};
