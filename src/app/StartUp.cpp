#include "app/StartUp.h"

#include "app/MainWindow.h"
#include "app/Program.h"
#include "app/TrayMenu.h"
#include "app/WindowEffects.h"
#include "common/Number.h"
#include "config_ui/ConfigWizard.h"
#include "hotkeys/HotkeyReference.h"
#include "hotkeys/Hotkeys.h"
#include "schedule/ScheduleMath.h"
#include "schedule/Shutdown.h"
#include "schedule/Tick.h"
#include "settings/Defaults.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

constexpr std::uint32_t kHiddenSystemArchive = kAttrHidden | kAttrSystem | kAttrArchive;

void checkSettingsFile(Program& program) {
    SettingsFile& settings = program.settings;
    if (!settings.exists()) {
        // First start: the rest of the sequence reads the defaults or
        // whatever the user saves in the wizard.
        restoreDefaults(program);
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
    const int answer =
        program.platform.messageBox(0, "是否立即关机！", "立即关机", kMbYesNoInformation);
    if (answer == kIdYes) {
        requestShutdown(program);
    }
}

void loadShutdownTime(Program& program) {
    program.shutdownTime = {program.settings.readInt(keys::kShutdownTime, keys::kHour),
                            program.settings.readInt(keys::kShutdownTime, keys::kMinute)};
}

}  // namespace

void runProgram(Program& program) {
    Platform& platform = program.platform;
    program.shutdownTime = {0, 0};
    program.mainWindow = platform.createWindow(mainWindowSpec(), program.mainWindowEvents, 0);
    // The clock ticks just after each second boundary from the first tick on.
    platform.setTimer(program.mainWindow, "时钟1", msUntilNextTick(platform.now().millisecond));
    onMainWindowCreated(program);
    platform.runEventLoop();
}

void onMainWindowCreated(Program& program) {
    Platform& platform = program.platform;
    const WindowId window = program.mainWindow;

    program.countdownRunning = false;
    platform.setPicture(window, "图片框1",
                        platform.readFile(platform.exeDirectory() + "\\图标.ico").value_or(""));
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
    platform.setWindowVisible(window, true);
    addTrayIcon(program);
    setWindowShape(program);
    applyWindowEffects(program);
    // Let the shape and style changes paint before the window moves.
    platform.processPendingEvents();
    platform.processPendingEvents();
    placeMainWindow(program);
    if (program.settings.readOption(keys::kStartHidden)) {
        platform.setWindowVisible(window, false);
    }
    const auto handle = static_cast<std::intptr_t>(platform.nativeHandle(window));
    program.settings.writeSetting(keys::kHandle, keys::kWindowHandle, decimal(handle));
    program.settings.writeSetting(keys::kCountdownStyle, keys::kStyle, "1");
}

void exitProgram(Program& program) {
    program.settings.writeSetting(keys::kCountdownStyle, keys::kStyle, "1");
    unregisterHotkeys(program);
    removeTrayIcon(program);
    setSystemKeptAwake(program, false);
    program.platform.exitProcess(0);
}

}  // namespace varnel
