#include "config_ui/WizardSettings.h"

#include <vector>

#include "common/Number.h"
#include "config_ui/StartWithWindows.h"
#include "config_ui/WizardControls.h"
#include "core/Program.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

struct OptionBox {
    const char* box;
    const char* section;
};

// In the order they are loaded and saved.
constexpr OptionBox kOptionBoxes[] = {
    {wizard::kStartWithWindowsBox, keys::kStartWithWindows},
    {wizard::kStartMinimisedBox, keys::kStartHidden},
    {wizard::kQuickShutdownBox, keys::kForcedShutdown},
    {wizard::kFiveMinuteBox, keys::kFiveMinuteNotice},
    {wizard::kNotInFrontBox, keys::kEmbedInDesktop},
    {wizard::kTrayIconBox, keys::kShowTrayIcon},
    {wizard::kShutdownAtStartBox, keys::kShutdownAtStart},
};

struct HotkeyCombos {
    const char* section;
    const char* modifierCombo;
    const char* keyCombo;
};

// In the order of the settings rows: open configuration, show/hide, exit, shutdown.
constexpr HotkeyCombos kHotkeyCombos[] = {
    {keys::kConfigHotkey, wizard::kHotkeyCombos[0][0], wizard::kHotkeyCombos[0][1]},
    {keys::kToggleHotkey, wizard::kHotkeyCombos[1][0], wizard::kHotkeyCombos[1][1]},
    {keys::kExitHotkey, wizard::kHotkeyCombos[3][0], wizard::kHotkeyCombos[3][1]},
    {keys::kShutdownHotkey, wizard::kHotkeyCombos[2][0], wizard::kHotkeyCombos[2][1]},
};

}  // namespace

void loadWizardSettings(Program& program) {
    Platform& platform = program.platform;
    const SettingsFile& settings = program.settings;
    const WindowId window = program.configWizard;
    for (const OptionBox& option : kOptionBoxes) {
        platform.setChecked(window, option.box, settings.readOption(option.section));
    }
    for (const HotkeyCombos& hotkey : kHotkeyCombos) {
        platform.setSelection(window, hotkey.modifierCombo,
                              settings.readInt(hotkey.section, keys::kModifierKey));
        platform.setSelection(window, hotkey.keyCombo,
                              settings.readInt(hotkey.section, keys::kFunctionKey));
    }
    platform.setText(window, wizard::kHourBox,
                     settings.readSetting(keys::kShutdownTime, keys::kHour));
    platform.setText(window, wizard::kMinuteBox,
                     settings.readSetting(keys::kShutdownTime, keys::kMinute));
    const ShutdownDays days = readShutdownDays(settings);
    for (std::size_t day = 0; day < days.size(); ++day) {
        platform.setChecked(window, wizard::kWeekdayBoxes[day], days[day]);
    }
}

bool saveWizardSettings(Program& program) {
    Platform& platform = program.platform;
    const WindowId window = program.configWizard;
    std::vector<Setting> rows;
    for (const OptionBox& option : kOptionBoxes) {
        const bool on = platform.checked(window, option.box);
        rows.push_back({option.section, keys::kOptionKey, on ? keys::kTrue : keys::kFalse});
    }
    rows.push_back({keys::kShutdownTime, keys::kHour, platform.text(window, wizard::kHourBox)});
    rows.push_back({keys::kShutdownTime, keys::kMinute, platform.text(window, wizard::kMinuteBox)});
    ShutdownDays days;
    for (std::size_t day = 0; day < days.size(); ++day) {
        days[day] = platform.checked(window, wizard::kWeekdayBoxes[day]);
    }
    rows.push_back({keys::kShutdownDays, keys::kWeekdays, shutdownDaysText(days)});
    for (const HotkeyCombos& hotkey : kHotkeyCombos) {
        rows.push_back({hotkey.section, keys::kModifierKey,
                        decimal(platform.selection(window, hotkey.modifierCombo))});
        rows.push_back({hotkey.section, keys::kFunctionKey,
                        decimal(platform.selection(window, hotkey.keyCombo))});
    }
    const Size screen = platform.screenSize();
    rows.push_back({keys::kWindowPosition, keys::kScreenWidth, decimal(screen.width)});
    rows.push_back({keys::kWindowPosition, keys::kScreenHeight, decimal(screen.height)});
    // All or nothing, so that a failure leaves the old file whole.
    if (!program.settings.writeSettings(rows)) {
        return false;
    }
    // Only now: the file and the computer agree whatever happened.
    setStartWithWindows(program, platform.checked(window, kOptionBoxes[0].box));
    return true;
}

void reportUnsavedSettings(Program& program) {
    program.platform.messageBox(program.configWizard,
                                "无法写入设置文件：\r\n" + program.settings.path() +
                                    "\r\n设置没有保存，请检查文件是否被其它程序占用或磁盘已满。",
                                "设置未保存", kMbOkError);
}

}  // namespace varnel
