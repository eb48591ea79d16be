// dexpr: the framework's expression functions from the command line.

#include "app/uStartup.h"
#include "expr/functions/uNamespace.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

constexpr const char* Usage = "usage: dexpr --functions | --help\n";

// One line per registered function: namespace, name, argument count and description, by tabs.
void ListFunctions() {
  ForEachFunction([](const TFunction& function) {
    char count[16];
    if (function.ArgCount < 0)
      std::snprintf(count, sizeof count, "any");
    else
      std::snprintf(count, sizeof count, "%d", function.ArgCount);
    std::printf("%s\t%s\t%s\t%s\n", function.Namespace.c_str(), function.Name.c_str(), count,
                function.Description.c_str());
  });
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (argc != 2 || std::strcmp(argv[1], "--functions") != 0) {
    std::fputs(Usage, stderr);
    return 2;
  }
  try {
    TFrameworkScope framework;
    ListFunctions();
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "dexpr: %s\n", error.what());
    return 1;
  }
}
