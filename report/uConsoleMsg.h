#pragma once

// The message dialog of a program without windows: each entry becomes one line on standard
// error, so that a command-line tool shows what the framework reports, start-up reports among
// them.

#include "report/uTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

// The line an entry is written as: Program + ": [" + level caption + "] " + Text with Params
// filled in (ReplaceParams), its line breaks written as ": ".
std::string ConsoleMessageLine(std::string_view Program, const std::string& Text,
                               const TArrayOfString& Params, TMessageLevel Level);

// Installs a dialog that writes every entry's line to standard error and answers -1, the answer
// of a dialog nobody can press a button of.
void InstallConsoleMessages(std::string Program);
