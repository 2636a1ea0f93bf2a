#include "tray/TrayMenu.h"

#include <cstddef>
#include <vector>

#include "config_ui/ConfigWizard.h"
#include "core/Program.h"
#include "hotkeys/HotkeyReference.h"
#include "hotkeys/Hotkeys.h"
#include "schedule/CountdownWindow.h"
#include "schedule/Tick.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

constexpr const char* kTrayIconFile = "\\图标.ico";
constexpr const char* kTrayTooltip = "Varnel程序";
constexpr int kTrayRetryMs = 2000;
constexpr int kTrayAttempts = 61;  // the first and two minutes of retries

// "我的菜单" in display order. A row without text is a separator; a row
// without an action heads the submenu made of the rows marked inSubmenu
// after it.
struct MenuRow {
    const char* text;
    bool inSubmenu;
    void (*action)(Program&);
};

constexpr MenuRow kMainMenu[] = {
    {"显示窗口", false, showMainWindow},
    {"隐藏窗口", false, hideMainWindow},
    {"", false, nullptr},
    {"功能设置", false, nullptr},
    {"设置关机时间", true, [](Program& p) { openConfigWizard(p, 1); }},
    {"设置全局热键", true, [](Program& p) { openConfigWizard(p, 3); }},
    {"调整窗口位置", true, [](Program& p) { openConfigWizard(p, 4); }},
    {"倒计时关机窗口", false, [](Program& p) { openCountdownWindow(p, true); }},
    {"", false, nullptr},
    {"帮助", false, showHotkeyHelp},
    {"关于", false, showAboutBox},
    {"退出", false, exitProgram},
};

// The command of a row is its position plus one; 0 means nothing chosen.
std::vector<MenuItem> buildMainMenu() {
    std::vector<MenuItem> menu;
    for (std::size_t i = 0; i < std::size(kMainMenu); ++i) {
        const MenuRow& row = kMainMenu[i];
        const MenuItem item{row.text, row.action ? static_cast<int>(i) + 1 : 0, {}};
        if (row.inSubmenu) {
            menu.back().submenu.push_back(item);
        } else {
            menu.push_back(item);
        }
    }
    return menu;
}

}  // namespace

void setMainWindowShown(Program& program, bool shown) {
    program.mainWindowShown = shown;
    program.platform.setWindowVisible(program.mainWindow, shown);
}

void showMainWindow(Program& program) {
    setMainWindowShown(program, true);
}

void hideMainWindow(Program& program) {
    setMainWindowShown(program, false);
}

void toggleMainWindow(Program& program) {
    setMainWindowShown(program, !program.platform.windowVisible(program.mainWindow));
}

void showOnSecondStart(Program& program) {
    if (program.startedUp) {
        showMainWindow(program);
    } else if (program.configWizard != 0) {
        program.platform.bringToFront(program.configWizard);
    }
}

void addTrayIcon(Program& program) {
    if (!program.settings.readOption(keys::kShowTrayIcon)) {
        return;
    }
    program.trayAttemptsLeft = kTrayAttempts;
    retryTrayIcon(program);
}

// A taskbar not answering yet (at logon) refuses the icon, often after a
// time-out, and announces nothing once it answers: so the add is tried again.
void retryTrayIcon(Program& program) {
    Platform& platform = program.platform;
    // The Win32 layer shows the embedded icon when the file cannot be read.
    const bool added = platform.addTrayIcon(program.mainWindow,
                                            platform.exeDirectory() + kTrayIconFile, kTrayTooltip);
    --program.trayAttemptsLeft;
    const bool again = !added && program.trayAttemptsLeft > 0;
    platform.setTimer(program.mainWindow, kTrayRetryTimer, again ? kTrayRetryMs : 0);
}

void removeTrayIcon(Program& program) {
    program.platform.removeTrayIcon(program.mainWindow);
}

void onTrayNotify(Program& program, int kind) {
    if (kind == kTrayRightClick) {
        popupMainMenu(program);
    } else {
        toggleMainWindow(program);
    }
}

void exitProgram(Program& program) {
    program.settings.writeSetting(keys::kCountdownStyle, keys::kStyle, "1");
    unregisterHotkeys(program);
    removeTrayIcon(program);
    setSystemKeptAwake(program, false);
    program.platform.exitProcess(0);
}

void popupMainMenu(Program& program) {
    const int command = program.platform.popupMenu(program.mainWindow, buildMainMenu());
    if (command < 1 || command > static_cast<int>(std::size(kMainMenu))) {
        return;
    }
    if (const auto action = kMainMenu[command - 1].action) {
        action(program);
    }
}

}  // namespace varnel
