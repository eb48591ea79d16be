#pragma once

// A plain message box that stands in for the message dialog: each entry is shown in a modal box
// of its own, with the level's caption as title and the level's icon, the template with its
// parameters filled in, and one button per answer caption. It keeps no list of entries, reuses
// no answers and offers no navigation. Needs a QApplication; the core reporting knows nothing
// of it and reaches it through the dialog hook only.

#include "report/uTypes.h"

#include <cstdint>
#include <string>

// Shows Text with Params filled in (ReplaceParams) at Level, with a button for every caption of
// Buttons in order (the first is the default, Escape presses the last), and waits for the answer:
// the 0-based index of the button pressed, or -1 when the box is closed without one or TimeOut
// seconds pass (0: no time-out). Answers -1 at once, showing nothing, without a QApplication,
// away from its thread, or while another box of this kind is open. Retry plays no part here.
std::int32_t ShowMessageBox(const std::string& Text, const TArrayOfString& Params, bool Retry,
                            TMessageLevel Level, const TArrayOfString& Buttons,
                            std::uint16_t TimeOut);

// Installs ShowMessageBox as the message dialog of every report; RemoveMessageBox puts back the
// dialog that was installed before. Installing twice keeps the first dialog to put back;
// removing what is not installed does nothing.
void InstallMessageBox();
void RemoveMessageBox();
