#include "config_ui/Restart.h"

#include "core/Program.h"
#include "hotkeys/Hotkeys.h"
#include "tray/TrayMenu.h"

namespace varnel {

namespace {

constexpr int kTakeOverPolls = 100;  // 10 s for the new copy to take the claim
constexpr int kTakeOverPollMs = 100;

// Whether another copy holds the claim now. While the new copy starts, this one
// keeps its clock going; one that has not taken the claim in time, or was not
// started, leaves it to this copy again.
bool handedOver(Program& program, bool started) {
    Platform& platform = program.platform;
    for (int poll = 0; started && poll < kTakeOverPolls; ++poll) {
        if (platform.instanceTakenOver()) {
            return true;
        }
        platform.processPendingEvents();
        platform.pause(kTakeOverPollMs);
    }
    return !platform.claimInstance();  // a copy that took it just now runs instead
}

// No new copy runs: this one goes on with what the restart released, and says so.
void keepRunning(Program& program) {
    if (program.startedUp) {  // else start-up registers them once the wizard is closed
        registerHotkeys(program, RefusalMessages::Skip);
        addTrayIcon(program);
    }
    program.platform.messageBox(
        0, "设置已保存，但程序无法重新启动。\r\n新的设置将在下次启动程序时生效。", "无法重新启动",
        kMbOkWarning);
}

}  // namespace

std::string ownCommandLine(Program& program) {
    // Quoted, so a directory with blanks can neither fail nor start another program.
    return "\"" + program.platform.exeDirectory() + "\\" + program.platform.exeFileName() + "\"";
}

void restartProgram(Program& program, RestartVariant variant) {
    Platform& platform = program.platform;
    // The new instance registers the same combinations and takes the claim at
    // its start: free them first.
    unregisterHotkeys(program);
    platform.processPendingEvents();
    removeTrayIcon(program);
    platform.releaseInstance();
    const bool started = platform.startProcess(ownCommandLine(program));
    if (program.configWizard != 0) {
        platform.destroyWindow(program.configWizard);
    }
    if (!handedOver(program, started)) {
        keepRunning(program);
    } else if (variant == RestartVariant::AfterSave) {
        platform.exitProcess(0);
    } else {
        platform.destroyWindow(program.mainWindow);  // ends the event loop, and with it the program
    }
}

}  // namespace varnel
