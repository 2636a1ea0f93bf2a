#include "config_ui/Defaults.h"

#include <string_view>
#include <vector>

#include "clock/ClockPlace.h"
#include "clock/MainWindow.h"
#include "common/Number.h"
#include "config_ui/Restart.h"
#include "config_ui/StartWithWindows.h"
#include "config_ui/WizardSettings.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

struct FixedDefault {
    const char* section;
    const char* key;
    const char* value;
};

constexpr FixedDefault kFixedDefaults[] = {
    {keys::kStartWithWindows, keys::kOptionKey, keys::kFalse},
    {keys::kStartHidden, keys::kOptionKey, keys::kFalse},
    {keys::kForcedShutdown, keys::kOptionKey, keys::kTrue},
    {keys::kFiveMinuteNotice, keys::kOptionKey, keys::kTrue},
    {keys::kEmbedInDesktop, keys::kOptionKey, keys::kTrue},
    {keys::kShowTrayIcon, keys::kOptionKey, keys::kTrue},
    {keys::kShutdownAtStart, keys::kOptionKey, keys::kFalse},
    {keys::kShutdownTime, keys::kHour, "23"},
    {keys::kShutdownTime, keys::kMinute, "0"},
    {keys::kShutdownDays, keys::kWeekdays, keys::kEveryDay},
    {keys::kConfigHotkey, keys::kModifierKey, "0"},    // Ctrl
    {keys::kConfigHotkey, keys::kFunctionKey, "9"},    // F10
    {keys::kToggleHotkey, keys::kModifierKey, "0"},    // Ctrl
    {keys::kToggleHotkey, keys::kFunctionKey, "10"},   // F11
    {keys::kExitHotkey, keys::kModifierKey, "0"},      // Ctrl
    {keys::kExitHotkey, keys::kFunctionKey, "11"},     // F12
    {keys::kShutdownHotkey, keys::kModifierKey, "0"},  // Ctrl
    {keys::kShutdownHotkey, keys::kFunctionKey, "8"},  // F9
};

struct Geometry {
    Size screen;
    WindowPlace corner;
};

struct PositionDefault {
    const char* key;
    int (*value)(const Geometry&);
};

// Written after the fixed rows: the main window at the bottom-right corner.
constexpr PositionDefault kPositionDefaults[] = {
    {keys::kLeft, [](const Geometry& g) { return g.corner.left; }},
    {keys::kTop, [](const Geometry& g) { return g.corner.top; }},
    {keys::kScreenWidth, [](const Geometry& g) { return g.screen.width; }},
    {keys::kScreenHeight, [](const Geometry& g) { return g.screen.height; }},
};

constexpr const char* kRestoreQuestion =
    "恢复程序的默认置! 程序重启后生效。\r\n 是否立刻重启？ \r\n‘是’为重启后生效‘否’为取消并返回";
constexpr const char* kRestoreTitle = "恢复默认置";

Size mainWindowSize(Program& program) {
    if (program.mainWindow == 0) {
        return {kMainWindowWidth, kMainWindowHeight};  // first start: not created yet
    }
    const Rect rect = program.platform.windowRect(program.mainWindow);
    return {rect.width, rect.height};
}

}  // namespace

bool writeDefaults(Program& program, bool withWeekdays) {
    std::vector<Setting> rows;
    for (const FixedDefault& row : kFixedDefaults) {
        if (withWeekdays || std::string_view(row.section) != keys::kShutdownDays) {
            rows.push_back({row.section, row.key, row.value});
        }
    }
    const Geometry geometry{program.platform.screenSize(),
                            cornerPlace(program.platform, mainWindowSize(program))};
    for (const PositionDefault& row : kPositionDefaults) {
        rows.push_back({keys::kWindowPosition, row.key, decimal(row.value(geometry))});
    }
    // One write: a copy of the program starting meanwhile finds no file or all of
    // it, and a failed write leaves the old file whole.
    return program.settings.writeSettings(rows);
}

bool restoreDefaults(Program& program) {
    if (!writeDefaults(program, true)) {
        return false;
    }
    // The file now says no start with Windows: so must the registry.
    setStartWithWindows(program, false);
    return true;
}

void confirmRestoreDefaults(Program& program) {
    const int answer = program.platform.messageBox(program.configWizard, kRestoreQuestion,
                                                   kRestoreTitle, kMbYesNoQuestion);
    if (answer != kIdYes) {
        return;
    }
    if (!restoreDefaults(program)) {
        reportUnsavedSettings(program);
        return;
    }
    restartProgram(program, RestartVariant::AfterDefaults);
}

}  // namespace varnel
