#include "config_ui/WizardSettings.h"

#include <span>

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

// In the order they are loaded and saved. The start-with-Windows box comes
// first: saving it also registers or unregisters the program.
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

void saveStartWithWindows(Program& program, bool on) {
    program.settings.writeOption(keys::kStartWithWindows, on);
    setStartWithWindows(program, on);
}

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
}

void saveWizardSettings(Program& program) {
    Platform& platform = program.platform;
    const SettingsFile& settings = program.settings;
    const WindowId window = program.configWizard;
    saveStartWithWindows(program, platform.checked(window, kOptionBoxes[0].box));
    for (const OptionBox& option : std::span(kOptionBoxes).subspan(1)) {
        settings.writeOption(option.section, platform.checked(window, option.box));
    }
    settings.writeSetting(keys::kShutdownTime, keys::kHour,
                          platform.text(window, wizard::kHourBox));
    settings.writeSetting(keys::kShutdownTime, keys::kMinute,
                          platform.text(window, wizard::kMinuteBox));
    for (const HotkeyCombos& hotkey : kHotkeyCombos) {
        settings.writeSetting(hotkey.section, keys::kModifierKey,
                              decimal(platform.selection(window, hotkey.modifierCombo)));
        settings.writeSetting(hotkey.section, keys::kFunctionKey,
                              decimal(platform.selection(window, hotkey.keyCombo)));
    }
    const Size screen = platform.screenSize();
    settings.writeSetting(keys::kWindowPosition, keys::kScreenWidth, decimal(screen.width));
    settings.writeSetting(keys::kWindowPosition, keys::kScreenHeight, decimal(screen.height));
}

}  // namespace varnel
