#include "app/uWidgetStartup.h"

#include "app/uModuleList_p.h"
#include "ui/uDBitmap.h"
#include "ui/uDButton.h"
#include "ui/uDesktopColors.h"
#include "ui/uGetInt.h"
#include "ui/uMsgDlg.h"
#include "ui/uScreen.h"

namespace {

// The widget layer's modules, in start-up order.
constexpr TModule Modules[] = {
    // System colours from the application palette, for everything drawn from here on.
    {InstallDesktopColors, RemoveDesktopColors},
    // The buttons' 3-D and frame colours, from the desktop's colours, and their press and release
    // sounds.
    {InitializeButtonColors, nullptr},
    {InstallButtonSounds, RemoveButtonSounds},
    // The dialog of every report, drawn with the buttons' colours; installing it shows what was
    // reported during start-up, before the main form appears. Its list is freed at the end.
    {InstallMsgDlg, RemoveMsgDlg},
    // The bitmap's JPEG quality question goes to the integer dialog, freed at shut-down.
    {InstallGetNumber, RemoveGetNumber},
    // The display modes (XRandR on X11) and the mode switch of full-screen forms; a mode the
    // program changed is put back at shut-down, at exit and on a fatal signal.
    {InitializeScreen, FinalizeScreen},
    // The bitmap layer keeps its background texture until the application goes.
    {nullptr, FinalizeDBitmap},
};

TModuleList WidgetModules(Modules);

} // namespace

void InitializeWidgetFramework() {
  WidgetModules.Initialize();
}

void FinalizeWidgetFramework() {
  WidgetModules.Finalize();
}
