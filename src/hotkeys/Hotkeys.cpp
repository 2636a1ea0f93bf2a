#include "hotkeys/Hotkeys.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "config_ui/ConfigWizard.h"
#include "core/Program.h"
#include "core/Texts.h"
#include "hotkeys/HotkeyBinding.h"
#include "schedule/CountdownWindow.h"
#include "schedule/Shutdown.h"
#include "settings/SettingsKeys.h"
#include "tray/TrayMenu.h"

namespace varnel {

namespace {

// Presses arrive at this label of the main window; 时钟2 counts the
// confirm period of the shutdown hotkey.
constexpr const char* kHotkeyTarget = "标签4";
constexpr const char* kConfirmTimer = "时钟2";
constexpr int kConfirmTickMs = 1000;
constexpr int kConfirmTicksToExpire = 3;

// Left and right of N in a hint-label caption.
struct HotkeyCaption {
    const char* left;
    const char* right;
};

struct HotkeyAction {
    const char* section;
    const char* hintLabel;
    std::int32_t Program::*identifier;
    const char* failureMessage;
    std::array<HotkeyCaption, 3> captions;  // indexed by HotkeyModifier: Ctrl, Alt, Shift
    const char* summaryPrefix;              // this action's line in hotkeySummary
    void (*press)(Program&);
};

void exitOnHotkey(Program& program) {
    // Unlike exitProgram: the countdown style key and the registrations stay;
    // the system releases the hotkeys of an ended process.
    if (program.settings.readOption(keys::kShowTrayIcon)) {
        removeTrayIcon(program);
    }
    program.platform.exitProcess(0);
}

void openConfigOnHotkey(Program& program) {
    // The page selector keeps whatever page it shows.
    showConfigWizard(program, false);
}

void shutdownOnHotkey(Program& program) {
    openCountdownWindow(program, false);
    // Restarts the period when the ticker already runs.
    program.platform.setTimer(program.mainWindow, kConfirmTimer, kConfirmTickMs);
    if (program.confirmTicks > 0) {
        requestShutdown(program);
        program.platform.messageBox(0, "正在关机。。。", kUntitledCaption, kMbOk);
    }
}

// Registration order.
const std::array<HotkeyAction, 4> kHotkeyActions{{
    {keys::kConfigHotkey,
     "标签7",
     &Program::configHotkeyId,
     "注册‘打开软件配置程序’热键失败，请尝试更改其它热键!",
     {{{"配置选项'Ctrl'＋'F", "'键"},
       {"配置选项'Alt'＋'F", "'键"},
       {"配置选项'Shift'＋'F", "'键"}}},
     "    ①",
     openConfigOnHotkey},
    {keys::kToggleHotkey,
     "标签6",
     &Program::toggleHotkeyId,
     "注册‘显示或隐藏窗口’热键失败，请尝试更改其它热键!",
     {{{"显示/隐藏窗口'Ctrl'＋F", "键"},
       {"显示/隐藏窗口'Alt'＋'F", "'键"},
       {"显示或/藏窗口Shift＋F", "键"}}},
     "\r\n   ②②",
     toggleMainWindow},
    {keys::kExitHotkey,
     "标签5",
     &Program::exitHotkeyId,
     "注册‘退出程序’热键失败，请尝试更改其它热键!",
     {{{"退出程序'Ctrl'＋'F", "'键"},
       {"退出程序'Alt'＋'F", "'键"},
       {"退出程序'Shift'＋'F", "'键"}}},
     "\r\n  ③  ③",
     exitOnHotkey},
    {keys::kShutdownHotkey,
     "标签9",
     &Program::shutdownHotkeyId,
     "注册‘关机热键’热键失败，请尝试更改其它热键!",
     {{{"热键关机'Ctrl'＋'F", "'键"},
       {"热键关机'Alt'＋'F", "'键"},
       {"热键关机'Shift'＋'F", "'键"}}},
     "\r\n ④    ④",
     shutdownOnHotkey},
}};

// A press is matched against exit, show/hide, configuration, shutdown, in
// that order (rows of kHotkeyActions).
constexpr std::array<std::size_t, 4> kDispatchOrder{2, 1, 0, 3};

std::string hotkeyCaption(const HotkeyAction& action, HotkeyModifier modifier,
                          const HotkeyBinding& binding) {
    const HotkeyCaption& caption = action.captions[static_cast<std::size_t>(modifier)];
    return caption.left + hotkeyKeyNumber(binding) + caption.right;
}

}  // namespace

void registerHotkeys(Program& program, RefusalMessages refusals) {
    Platform& platform = program.platform;
    program.hotkeySummary.clear();
    for (const HotkeyAction& action : kHotkeyActions) {
        const HotkeyBinding binding = readHotkeyBinding(program.settings, action.section);
        // An unrecognised modifier leaves the identifier at 0 and the caption as it was.
        if (const auto modifier = hotkeyModifier(binding)) {
            program.*action.identifier =
                platform.registerHotkey(program.mainWindow, kHotkeyTarget,
                                        hotkeyModifierMask(*modifier), hotkeyVirtualKey(binding));
            platform.setText(program.mainWindow, action.hintLabel,
                             hotkeyCaption(action, *modifier, binding));
        }
        if (program.*action.identifier == 0 && refusals == RefusalMessages::Show) {
            platform.messageBox(0, action.failureMessage, kUntitledCaption, kMbOkWarning);
        }
        program.hotkeySummary +=
            action.summaryPrefix + platform.text(program.mainWindow, action.hintLabel);
    }
}

void unregisterHotkeys(Program& program) {
    for (const HotkeyAction& action : kHotkeyActions) {
        program.platform.unregisterHotkey(program.mainWindow, program.*action.identifier);
    }
}

void onHotkey(Program& program, int id) {
    for (const std::size_t row : kDispatchOrder) {
        const HotkeyAction& action = kHotkeyActions[row];
        if (id == program.*action.identifier) {
            action.press(program);
            return;
        }
    }
}

void onConfirmTick(Program& program) {
    ++program.confirmTicks;
    if (program.confirmTicks >= kConfirmTicksToExpire) {
        program.confirmTicks = 0;
        program.platform.setTimer(program.mainWindow, kConfirmTimer, 0);
    }
}

}  // namespace varnel
