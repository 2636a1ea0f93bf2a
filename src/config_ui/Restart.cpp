#include "config_ui/Restart.h"

#include "core/Program.h"
#include "hotkeys/Hotkeys.h"
#include "tray/TrayMenu.h"

namespace varnel {

std::string ownCommandLine(Program& program) {
    // Quoted, so a directory with blanks can neither fail nor start another program.
    return "\"" + program.platform.exeDirectory() + "\\" + program.platform.exeFileName() + "\"";
}

void restartProgram(Program& program, RestartVariant variant) {
    Platform& platform = program.platform;
    // The new instance registers the same combinations: free them first.
    unregisterHotkeys(program);
    platform.processPendingEvents();
    if (variant == RestartVariant::AfterSave) {
        removeTrayIcon(program);
        platform.startProcess(ownCommandLine(program));
        platform.exitProcess(0);
        return;
    }
    platform.startProcess(ownCommandLine(program));
    if (program.configWizard != 0) {
        platform.destroyWindow(program.configWizard);
    }
    platform.destroyWindow(program.mainWindow);  // ends the event loop, and with it the program
}

}  // namespace varnel
