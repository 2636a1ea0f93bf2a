#include "app/StartUp.h"

#include "clock/MainWindow.h"
#include "clock/WindowEffects.h"
#include "common/Number.h"
#include "config_ui/ConfigWizard.h"
#include "config_ui/Defaults.h"
#include "core/Program.h"
#include "hotkeys/HotkeyReference.h"
#include "hotkeys/Hotkeys.h"
#include "schedule/CountdownWindow.h"
#include "schedule/ScheduleMath.h"
#include "schedule/Shutdown.h"
#include "schedule/Tick.h"
#include "settings/DataDirectory.h"
#include "settings/SettingsKeys.h"
#include "tray/TrayMenu.h"

namespace varnel {

namespace {

constexpr std::uint32_t kHiddenSystemArchive = kAttrHidden | kAttrSystem | kAttrArchive;

void checkSettingsFile(Program& program) {
    SettingsFile& settings = program.settings;
    if (!settings.exists()) {
        // First start: the rest of the sequence reads the defaults or
        // whatever the user saves in the wizard.
        writeDefaults(program, false);
        showConfigWizard(program, true);
        return;
    }
    const auto attributes = program.platform.fileAttributes(settings.path());
    if (attributes && (*attributes & kAttrReadOnly)) {
        program.platform.setFileAttributes(settings.path(), kHiddenSystemArchive);
    }
}

void offerShutdownAtStart(Program& program) {
    if (!program.settings.readOption(keys::kShutdownAtStart)) {
        return;
    }
    // Asked at logon, while the user may be typing: only a chosen 是 shuts down.
    const int answer = program.platform.messageBox(0, "是否立即关机！", "立即关机",
                                                   kMbYesNoInformation | kMbDefaultButton2);
    if (answer == kIdYes) {
        requestShutdown(program);
    }
}

void showIconPicture(Program& program) {
    Platform& platform = program.platform;
    platform.setPicture(program.mainWindow, "图片框1",
                        platform.readFile(platform.exeDirectory() + "\\图标.ico").value_or(""));
}

void startClock(Program& program) {
    // The clock ticks just after each second boundary from the first tick on.
    program.platform.setTimer(program.mainWindow, "时钟1",
                              msUntilNextTick(program.platform.now().millisecond));
}

void writeWindowHandle(Program& program) {
    const auto handle =
        static_cast<std::intptr_t>(program.platform.nativeHandle(program.mainWindow));
    program.settings.writeSetting(keys::kHandle, keys::kWindowHandle, decimal(handle));
}

// The main window went down with the desktop window it was set into (the
// shell ended): the same window again, at the same place, with its clock,
// hotkeys and tray icon. The schedule and a running countdown live on in the
// program. It stays top-level until the new shell announces itself.
void rebuildMainWindow(Program& program) {
    Platform& platform = program.platform;
    createMainWindow(program);
    startClock(program);
    program.confirmTicks = 0;  // the confirm period's timer went with the old window
    showIconPicture(program);
    registerHotkeys(program, RefusalMessages::Skip);
    fillStartupLabels(program);
    addTrayIcon(program);
    applySavedWindowShape(program);
    applyWindowStyle(program);
    moveMainWindowTo(program, program.mainWindowPlace);
    if (program.mainWindowShown) {
        platform.setWindowVisible(program.mainWindow, true);
    }
    writeWindowHandle(program);
    if (program.reopenCountdownWindow) {
        program.reopenCountdownWindow = false;
        openCountdownWindow(program, false);
    }
}

void loadShutdownTime(Program& program) {
    program.shutdownTime = {program.settings.readInt(keys::kShutdownTime, keys::kHour),
                            program.settings.readInt(keys::kShutdownTime, keys::kMinute)};
    program.shutdownDays = readShutdownDays(program.settings);
    program.shutdownTimeLoaded = true;
}

// `how` is the Destroyed event's argument.
void onMainWindowDestroyed(Program& program, int how) {
    if (how == kClosed) {
        program.platform.exitProcess(0);  // the restart after restoring the defaults
        return;
    }
    rebuildMainWindow(program);
}

// Explorer is back: the main window goes into the new desktop window.
void onShellRestarted(Program& program) {
    // The new desktop window takes the window in at the same place.
    embedInDesktop(program);
    moveMainWindowTo(program, program.mainWindowPlace);
}

}  // namespace

void createMainWindow(Program& program) {
    program.mainWindowEvents.route(onMainWindowEvent);
    program.mainWindow =
        program.platform.createWindow(mainWindowSpec(), program.mainWindowEvents, 0);
}

void runProgram(Program& program) {
    Platform& platform = program.platform;
    // One copy per session, settled before anything is written: a second start
    // only brings up the copy that runs.
    if (!platform.claimInstance()) {
        platform.askRunningCopyToShow();
        return;
    }
    // Before anything reads or writes the program's files.
    program.settings.setDataDirectory(chooseDataDirectory(platform));
    program.shutdownTime = {0, 0};
    createMainWindow(program);
    startClock(program);
    onMainWindowCreated(program);
    program.startedUp = true;
    platform.runEventLoop();
}

void onMainWindowCreated(Program& program) {
    Platform& platform = program.platform;
    program.countdownRunning = false;
    showIconPicture(program);
    checkSettingsFile(program);
    if (program.settings.readOption(keys::kFiveMinuteNotice)) {
        program.fiveMinuteWarning = true;
    }
    offerShutdownAtStart(program);
    registerHotkeys(program);
    writeHotkeyReference(program, program.hotkeySummary);
    loadShutdownTime(program);
    if (program.shutdownTime[0] < 1 || program.shutdownTime[0] > 23) {
        showConfigWizard(program, false);
    }
    fillStartupLabels(program);
    setMainWindowShown(program, true);
    addTrayIcon(program);
    setWindowShape(program);
    applyWindowEffects(program);
    // Let the shape and style changes paint before the window moves.
    platform.processPendingEvents();
    platform.processPendingEvents();
    placeMainWindow(program);
    if (program.settings.readOption(keys::kStartHidden)) {
        setMainWindowShown(program, false);
    }
    writeWindowHandle(program);
    program.settings.writeSetting(keys::kCountdownStyle, keys::kStyle, "1");
}

void onMainWindowEvent(Program& program, const Event& event) {
    switch (event.kind) {
        case EventKind::Timer:
            if (event.control == "时钟1") {
                onClockTick(program);
            } else if (event.control == "时钟2") {
                onConfirmTick(program);
            } else if (event.control == kTrayRetryTimer) {
                retryTrayIcon(program);
            }
            break;
        case EventKind::Hotkey:
            onHotkey(program, event.arg);
            break;
        case EventKind::TrayNotify:
            onTrayNotify(program, event.arg);
            break;
        case EventKind::CloseAsked:  // an installer or the task list: as the menu's "退出"
            exitProgram(program);
            break;
        case EventKind::Destroyed:
            onMainWindowDestroyed(program, event.arg);
            break;
        case EventKind::ShellRestarted:
            onShellRestarted(program);
            break;
        case EventKind::ScreenChanged:
            keepMainWindowInSight(program);
            break;
        case EventKind::ShowAsked:
            showOnSecondStart(program);
            break;
        default:
            break;
    }
}

}  // namespace varnel
