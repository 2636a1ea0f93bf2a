#include "schedule/Postpone.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "common/Number.h"
#include "core/Program.h"
#include "schedule/CountdownControls.h"
#include "schedule/CountdownWindow.h"
#include "schedule/Shutdown.h"
#include "schedule/Tick.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

using namespace countdown;

struct SpinField {
    const char* box;
    const char* overflow;   // the text one past the last value
    const char* wrapsUpTo;  // what "-1" becomes
};

// Indexed by postponeField - 1.
constexpr SpinField kSpinFields[] = {
    {kPostponeHourBox, "24", "23"},
    {kPostponeMinuteBox, "60", "59"},
};

void storeWindowStyle(Program& program, const char* style) {
    program.settings.writeSetting(keys::kCountdownStyle, keys::kStyle, style);
}

std::string textOf(Program& program, const char* box) {
    return program.platform.text(program.countdownWindow, box);
}

void applyPostpone(Program& program) {
    storeWindowStyle(program, "3");
    applyCountdownWindowMode(program, static_cast<int>(CountdownWindowMode::Postponed));
    const std::string hour = textOf(program, kPostponeHourBox);
    const std::string minute = textOf(program, kPostponeMinuteBox);
    program.shutdownTime = {textToInt(hour), textToInt(minute)};
    endAnnouncement(program);  // the new time is announced again
    program.shutdownTimeSeen = true;
    program.postponedShutdownPending = true;
    program.platform.setText(program.countdownWindow, kShutdownTimeText, hour + ":" + minute);
}

void cancelPostpone(Program& program) {
    applyCountdownWindowMode(program, static_cast<int>(CountdownWindowMode::PostponeCancelled));
    storeWindowStyle(program, "1");
    const std::string hour = program.settings.readSetting(keys::kShutdownTime, keys::kHour);
    const std::string minute = program.settings.readSetting(keys::kShutdownTime, keys::kMinute);
    program.shutdownTime = {textToInt(hour), textToInt(minute)};
    endAnnouncement(program);
    program.shutdownTimeSeen = true;
    program.postponedShutdownPending = false;  // the daily time again, on its days
    program.platform.setText(program.countdownWindow, kShutdownTimeText, hour + ":" + minute);
}

// Minutes as typed times 60, truncated toward zero ("1.5" gives 90).
std::int32_t countdownLength(const std::string& minutes) {
    const double seconds = std::trunc(textToNumber(minutes) * 60);
    return static_cast<std::int32_t>(std::clamp<double>(seconds,
                                                        std::numeric_limits<std::int32_t>::min(),
                                                        std::numeric_limits<std::int32_t>::max()));
}

// A slip of the hand must not turn the computer off at once: the box is
// pointed at and nothing starts.
void refuseMinutes(Program& program) {
    Platform& platform = program.platform;
    platform.setFocus(program.countdownWindow, kMinutesBox);
    platform.selectAllText(program.countdownWindow, kMinutesBox);
    platform.showWarningBalloon(program.countdownWindow, kMinutesBox, "无法计时",
                                "请输入大于0的分钟数。");
}

void startCountdown(Program& program) {
    const std::string minutes = textOf(program, kMinutesBox);
    const std::int32_t seconds = countdownLength(minutes);
    if (seconds < 1) {
        refuseMinutes(program);
        return;
    }
    program.settings.writeSetting(keys::kCountdown, keys::kCountdownMinutes, minutes);
    storeWindowStyle(program, "2");
    applyCountdownWindowMode(program, static_cast<int>(CountdownWindowMode::Counting));
    program.countdownSeconds = seconds;
    program.countdownRunning = true;
    program.countdownPromptShown = false;  // each countdown gets its prompt
    program.countdownFromWarning = program.warningUp;
    endAnnouncement(program);
    program.platform.setTimer(program.countdownWindow, kDisplayTimer, 1000);
}

}  // namespace

void stopCountdown(Program& program) {
    Platform& platform = program.platform;
    const WindowId window = program.countdownWindow;
    if (window != 0) {
        applyCountdownWindowMode(program, static_cast<int>(CountdownWindowMode::CountingCancelled));
    }
    storeWindowStyle(program, "1");
    program.countdownSeconds = 0;
    program.countdownRunning = false;
    program.countdownPromptShown = false;
    if (window != 0) {
        platform.setText(window, kValue, platform.text(window, kShutdownTimeText));
        platform.setText(window, kUnit, "");
    }
}

std::array<std::string, 2> postponeProposal(const std::array<std::int32_t, 2>& shutdownTime) {
    // 64-bit: a hand-edited time may sit at the ends of the 32-bit range.
    const long long hour = shutdownTime[0];
    const long long minute = shutdownTime[1] + 30LL;
    if (minute < 60) {
        return {decimal(hour), decimal(minute)};
    }
    if (hour + 1 != 24) {
        return {decimal(hour + 1), decimal(minute - 60)};
    }
    return {"0", decimal(minute - 60)};
}

void onPostponeButton(Program& program) {
    if (textOf(program, kPostponeButton) == kPostpone) {
        applyPostpone(program);
    } else {
        cancelPostpone(program);
    }
}

void onCountdownButton(Program& program) {
    if (textOf(program, kCountdownButton) == kStartCountdown) {
        startCountdown(program);
    } else {
        stopCountdown(program);
        // Back to the warning the countdown was started from, which the user has seen.
        program.shutdownTimeSeen = std::exchange(program.countdownFromWarning, false);
    }
}

void stepPostponeBox(Program& program, int step) {
    if (program.postponeField != 1 && program.postponeField != 2) {
        return;  // neither box has had the focus yet
    }
    const SpinField& field = kSpinFields[program.postponeField - 1];
    const long long value = textToInt(textOf(program, field.box)) + static_cast<long long>(step);
    std::string text = value >= 0 && value <= 9 ? "0" + decimal(value) : decimal(value);
    // Only these exact texts wrap; a typed value beyond them is just stepped.
    if (text == field.overflow) {
        text = "00";
    } else if (text == "-1") {
        text = field.wrapsUpTo;
    }
    program.platform.setText(program.countdownWindow, field.box, text);
}

void echoPostponedTime(Program& program) {
    const std::string text =
        textOf(program, kPostponeHourBox) + ":" + textOf(program, kPostponeMinuteBox);
    program.platform.setText(program.countdownWindow, kPostponedTime, text);
}

void echoMinutes(Program& program) {
    program.platform.setText(program.countdownWindow, kMinutesEcho, textOf(program, kMinutesBox));
}

void shutdownFromCountdownWindow(Program& program) {
    requestShutdown(program);
    program.countdownRunning = false;
    closeCountdownWindow(program);
}

}  // namespace varnel
