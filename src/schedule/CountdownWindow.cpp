#include "schedule/CountdownWindow.h"

#include <optional>

#include "common/Number.h"
#include "core/Program.h"
#include "schedule/CountdownControls.h"
#include "schedule/Postpone.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

using namespace countdown;

constexpr int kDisplayPeriodMs = 1000;

// What each mode code does to the two buttons and the caption of the big value;
// nullptr and nullopt leave a property as it is.
struct ModeEffect {
    CountdownWindowMode mode;
    const char* countdownCaption;
    std::optional<bool> countdownEnabled;
    const char* postponeCaption;
    std::optional<bool> postponeEnabled;
    const char* valueCaption;
};

constexpr ModeEffect kModeEffects[] = {
    {CountdownWindowMode::Counting, kCancel, {}, nullptr, false, kCountdownCaption},
    {CountdownWindowMode::Postponed, nullptr, false, kCancel, {}, kCountdownCaption},
    {CountdownWindowMode::CountingCancelled,
     kStartCountdown,
     {},
     nullptr,
     true,
     kShutdownTimeCaption},
    {CountdownWindowMode::PostponeCancelled, nullptr, true, kPostpone, {}, kShutdownTimeCaption},
};

// The three spellings differ in their blanks, exactly as users have seen them.
struct TipVariant {
    const char* modifier;
    const char* head;
    const char* middle;
    const char* tail;
};

constexpr TipVariant kTipVariants[] = {
    {"0", " 提示：显示本窗口可使用热键‘Ctrl+F", "’\r\n3秒内再次使用 ‘Ctrl+F", "’ 热键即可关机"},
    {"1", "提示：显示本窗口可使用热键 ‘Alt+F", "’\r\n3秒内再次使用 ‘Alt+F", "’热键即可关机"},
    {"2", "提示：显示本窗口可使用热键 ‘Shift+F", "’\r\n3秒内再次使用 ‘Shift+F", "’热键即可关机"},
};

std::string twoDigits(int value) {
    return value >= 0 && value <= 9 ? "0" + decimal(value) : decimal(value);
}

std::string shutdownTimeText(const Program& program) {
    return decimal(program.shutdownTime[0]) + ":" + decimal(program.shutdownTime[1]);
}

void setCaption(Program& program, const char* control, const char* caption) {
    if (caption != nullptr) {
        program.platform.setText(program.countdownWindow, control, caption);
    }
}

void setEnabled(Program& program, const char* control, std::optional<bool> enabled) {
    if (enabled) {
        program.platform.setEnabled(program.countdownWindow, control, *enabled);
    }
}

// The window-created steps, in their order.
void fillNewWindow(Program& program) {
    Platform& platform = program.platform;
    const SettingsFile& settings = program.settings;
    const WindowId window = program.countdownWindow;

    const std::string tip =
        hotkeyTip(settings.readSetting(keys::kShutdownHotkey, keys::kModifierKey),
                  settings.readInt(keys::kShutdownHotkey, keys::kFunctionKey));
    if (!tip.empty()) {
        platform.setText(window, kHotkeyTip, tip);
    }

    // Only 2 and 3 show: the cancel codes restore what a fresh window has anyway.
    applyCountdownWindowMode(
        program, textToInt(settings.readSetting(keys::kCountdownStyle, keys::kStyle, "2")));

    platform.setText(window, kMinutesBox,
                     settings.readSetting(keys::kCountdown, keys::kCountdownMinutes));

    const auto [hour, minute] = postponeProposal(program.shutdownTime);
    platform.setText(window, kPostponeHourBox, hour);
    platform.setText(window, kPostponeMinuteBox, minute);
    platform.setText(window, kPostponedTime, hour + ":" + minute);

    platform.setText(window, kShutdownTimeText, shutdownTimeText(program));
    platform.setVisible(window, kShutdownButton, !program.countdownRunning);
    // A hidden 关机 must not hold the keys: Enter there would shut down at once.
    platform.setFocus(window, program.countdownRunning ? kMinutesBox : kShutdownButton);
}

bool isOpen(Program& program) {
    return program.countdownWindow != 0 && program.platform.windowExists(program.countdownWindow);
}

// Builds the window and runs its window-created steps; it is not shown yet.
void buildWindow(Program& program) {
    Platform& platform = program.platform;
    WindowSpec design = countdownWindowSpec();
    const Size screen = platform.screenSize();
    design.rect.left = (screen.width - design.rect.width) / 2;
    design.rect.top = (screen.height - design.rect.height) / 2;
    program.countdownWindowEvents.route(onCountdownWindowEvent);
    const WindowId window =
        platform.createWindow(design, program.countdownWindowEvents, program.mainWindow);
    program.countdownWindow = window;
    platform.setTimer(window, kDisplayTimer, kDisplayPeriodMs);
    fillNewWindow(program);
}

}  // namespace

void openCountdownWindow(Program& program, bool modal) {
    Platform& platform = program.platform;
    if (isOpen(program)) {
        platform.bringToFront(program.countdownWindow);
        return;
    }
    buildWindow(program);
    platform.setWindowVisible(program.countdownWindow, true);
    if (modal) {
        platform.runModal(program.countdownWindow);
    }
}

void openCountdownWindowForAttention(Program& program) {
    if (!isOpen(program)) {
        buildWindow(program);
        // Activated later by a click on its title, or by Windows when a window
        // above closes: an Enter or Space meant for another program must then
        // land where it does nothing. A postpone box would set the spin's target.
        program.platform.setFocus(program.countdownWindow, kMinutesBox);
    }
    program.platform.showForAttention(program.countdownWindow);
}

void applyCountdownWindowMode(Program& program, int code) {
    for (const ModeEffect& effect : kModeEffects) {
        if (static_cast<int>(effect.mode) == code) {
            setCaption(program, kCountdownButton, effect.countdownCaption);
            setEnabled(program, kCountdownButton, effect.countdownEnabled);
            setCaption(program, kPostponeButton, effect.postponeCaption);
            setEnabled(program, kPostponeButton, effect.postponeEnabled);
            setCaption(program, kValueCaption, effect.valueCaption);
        }
    }
}

void refreshCountdownDisplay(Program& program) {
    Platform& platform = program.platform;
    const WindowId window = program.countdownWindow;
    platform.setText(window, kCurrentTime, timeOfDayPart(dateTimeText(platform.now())));
    // The window never counts itself: it shows what the main window's tick keeps.
    if (platform.text(window, kCountdownButton) == kCancel) {
        platform.setText(window, kValue, decimal(program.countdownSeconds));
        platform.setText(window, kUnit, kSeconds);
    } else if (program.secondsToShutdown == 0) {
        platform.setText(window, kValue, shutdownTimeText(program));
        platform.setText(window, kUnit, "");
    } else {
        platform.setText(window, kValue, decimal(program.secondsToShutdown));
        platform.setText(window, kUnit, kSeconds);
    }
}

void closeCountdownWindow(Program& program) {
    // The Destroyed event that follows forgets the window.
    program.platform.destroyWindow(program.countdownWindow);
}

std::string dateTimeText(const LocalTime& time) {
    return decimal(time.year) + "年" + decimal(time.month) + "月" + decimal(time.day) + "日 " +
           twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second);
}

std::string timeOfDayPart(std::string_view dateTime) {
    constexpr std::string_view kDay = "日";
    const std::size_t day = dateTime.find(kDay);
    return std::string(day == std::string_view::npos ? dateTime
                                                     : dateTime.substr(day + kDay.size()));
}

std::string hotkeyTip(const std::string& modifier, int functionKeyIndex) {
    const std::string n = decimal(static_cast<long long>(functionKeyIndex) + 1);
    for (const TipVariant& variant : kTipVariants) {
        if (modifier == variant.modifier) {
            return variant.head + n + variant.middle + n + variant.tail;
        }
    }
    return "";
}

}  // namespace varnel
