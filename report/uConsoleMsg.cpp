#include "report/uConsoleMsg.h"

#include "report/uMsg.h"

#include <cstdio>
#include <utility>

std::string ConsoleMessageLine(std::string_view Program, const std::string& Text,
                               const TArrayOfString& Params, TMessageLevel Level) {
  std::string line(Program);
  line += ": [";
  line += MessageLevelCaption(Level);
  line += "] ";
  for (char c : ReplaceParams(Text, Params)) {
    if (c == '\n')
      line += ": ";
    else if (c != '\r')
      line += c;
  }
  return line;
}

void InstallConsoleMessages(std::string Program) {
  SetShowQueuedMessage(
      [program = std::move(Program)](const std::string& Text, const TArrayOfString& Params, bool,
                                     TMessageLevel Level, const TArrayOfString&, std::uint16_t) {
        const std::string line = ConsoleMessageLine(program, Text, Params, Level) + '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
        return std::int32_t{-1};
      });
}
