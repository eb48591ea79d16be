#include "app/uStartup.h"

#include "app/uModuleList_p.h"
#include "env/uCommon.h"
#include "env/uDictionary.h"
#include "env/uFile.h"
#include "env/uFileWatch.h"
#include "env/uIni.h"
#include "env/uOptions.h"
#include "env/uPaths.h"
#include "env/uPathsInit.h"
#include "env/uProjectInfo.h"
#include "expr/functions/uEloFunctions.h"
#include "expr/functions/uGoniometricFunctions.h"
#include "expr/functions/uLogicFunctions.h"
#include "expr/functions/uMathFunctions.h"
#include "expr/functions/uNamespace.h"
#include "expr/functions/uPhysicsFunctions.h"
#include "expr/functions/uStatisticsFunctions.h"
#include "expr/uDParser.h"
#include "platform/uSoundPlayer.h"
#include "report/uFileLog.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "report/uTypes.h"
#include "sound/uSounds.h"
#include "text/uOutputFormat.h"
#include "text/uStrings.h"
#include "ui/uSysInfo.h"

namespace {

// The module order, lower layers first, the string case tables first of all. The registry creates
// its table on the first registration; standing before the function libraries, its shut-down
// frees the table after theirs.
constexpr TModule Modules[] = {
    // Reports made before the program's dialog exists are kept for it, and shown once it is
    // installed (a console program writes them to standard error).
    {KeepEarlyReports, DropEarlyReports},
    {InitializeStrings, nullptr},
    {InitializeDParser, FinalizeDParser},
    {nullptr, FinalizeNamespace},
    // Lines logged before the file log decides on its sink are kept for it. The sink is freed
    // after every module that may still log while it shuts down.
    {KeepEarlyLogLines, FinalizeLog},
    {InitializeMathFunctions, FinalizeMathFunctions},
    {InitializeLogicFunctions, nullptr},
    {InitializeGoniometricFunctions, nullptr},
    {InitializeStatisticsFunctions, nullptr},
    {InitializePhysicsFunctions, nullptr},
    {InitializeEloFunctions, nullptr},
    // Window framework and sound: the version flags, the tick counter, the processor and a first
    // load sample.
    {InitSystemInfo, nullptr},
    // The ini object, if a front end sets one, is freed after the modules below, which may write
    // to it as they shut down: the sounds write their settings.
    {nullptr, FinalizeIni},
    // The sound lists, with the player stopped once; the player's device and theme-sound context
    // are freed after the sounds stop.
    {nullptr, FinalizeSoundPlayer},
    {InitializeSounds, FinalizeSounds},
    // The option-type names and the global options with their defaults.
    {InitializeOptions, nullptr},
    {InitializeCommon, FinalizeCommon},
    // Environment and reporting: the locale's number settings, the keys of the version
    // information, the paths (which read the program's version information, create its
    // directories and fix the log file name) with the names of the file modes first, as the paths
    // may already read a file, the level captions of reporting, then the file log. FinalizeLog
    // above frees it.
    {InitializeOutputFormat, FinalizeOutputFormat},
    {InitializeProjectInfo, FinalizeProjectInfo},
    {InitializeFile, nullptr},
    {InitPaths, FinalizePaths},
    // The watched files and the dictionary, which a front end may install, go before the paths
    // that name their files.
    {nullptr, FinalizeFileWatch},
    {nullptr, RemoveDictionary},
    {InitializeTypes, nullptr},
    {InitializeFileLog, nullptr},
};

TModuleList CoreModules(Modules);

} // namespace

void InitializeFramework() {
  CoreModules.Initialize();
}

void FinalizeFramework() {
  CoreModules.Finalize();
}
