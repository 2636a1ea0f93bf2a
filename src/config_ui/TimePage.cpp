// Page 1: the shutdown time. Each box keeps its range while typed into, the
// spin control steps the box that last had the focus with wrap-around, and
// "确定" checks both boxes once more and opens the way to the next page.
#include <array>

#include "common/Number.h"
#include "config_ui/WizardControls.h"
#include "config_ui/WizardPages.h"
#include "core/Program.h"
#include "core/Texts.h"

namespace varnel::wizard {

namespace {

struct TimeBox {
    const char* control;
    int upper;
};

constexpr TimeBox kHour{kHourBox, 23};
constexpr TimeBox kMinute{kMinuteBox, 59};

// Values typed or loaded may carry fractions; "确定" lets through what lies
// within this distance of the range.
constexpr double kTolerance = 1e-7;

struct RangeCheck {
    const char* control;
    double bound;
    bool isUpper;
    const char* correction;
};

// In this order; the first failing check ends the validation.
constexpr std::array<RangeCheck, 4> kRangeChecks = {{
    {kHourBox, 23, true, "23"},
    {kHourBox, 0, false, "0"},
    {kMinuteBox, 59, true, "59"},
    {kMinuteBox, 0, false, "0"},
}};

std::string boxText(Program& program, const char* control) {
    return program.platform.text(program.configWizard, control);
}

void setBoxText(Program& program, const char* control, const std::string& text) {
    program.platform.setText(program.configWizard, control, text);
}

// Setting the text reports a change again; the value is in range by then, so
// the clamp ends there.
void clamp(Program& program, const TimeBox& box) {
    const int value = textToInt(boxText(program, box.control));
    if (value > box.upper) {
        setBoxText(program, box.control, decimal(box.upper));
    } else if (value < 0) {
        setBoxText(program, box.control, "0");
    }
}

std::string twoDigits(long long n) {
    return (n >= 0 && n <= 9 ? "0" : "") + decimal(n);
}

void onHourChanged(Program& program, const Event&) {
    clamp(program, kHour);
}

void onMinuteChanged(Program& program, const Event&) {
    clamp(program, kMinute);
}

void onHourFocused(Program& program, const Event&) {
    program.timeSpinTarget = 1;
}

void onMinuteFocused(Program& program, const Event&) {
    program.timeSpinTarget = 2;
}

void onTimeSpin(Program& program, const Event& event) {
    const TimeBox* box = program.timeSpinTarget == 1   ? &kHour
                         : program.timeSpinTarget == 2 ? &kMinute
                                                       : nullptr;
    if (box == nullptr) {
        return;
    }
    long long n = static_cast<long long>(textToInt(boxText(program, box->control))) + event.arg;
    if (n == box->upper + 1) {
        n = 0;
    } else if (n == -1) {
        n = box->upper;
    }
    setBoxText(program, box->control, twoDigits(n));
}

void onConfirmClicked(Program& program, const Event&) {
    validateShutdownTime(program);
    program.platform.setEnabled(program.configWizard, kNextButton, true);
}

constexpr Route kRoutes[] = {
    {kHourBox, EventKind::Changed, onHourChanged},
    {kMinuteBox, EventKind::Changed, onMinuteChanged},
    {kHourBox, EventKind::FocusGained, onHourFocused},
    {kMinuteBox, EventKind::FocusGained, onMinuteFocused},
    {kTimeSpin, EventKind::Spin, onTimeSpin},
    {kConfirmButton, EventKind::Clicked, onConfirmClicked},
};

}  // namespace

void validateShutdownTime(Program& program) {
    for (const RangeCheck& check : kRangeChecks) {
        const double value = textToNumber(boxText(program, check.control));
        const bool outside =
            check.isUpper ? value - check.bound > kTolerance : check.bound - value > kTolerance;
        if (outside) {
            setBoxText(program, check.control, check.correction);
            program.platform.messageBox(program.configWizard, "时间设置超出范围！请返回修改！",
                                        kUntitledCaption, kMbOk);
            return;
        }
    }
}

std::span<const Route> timePageRoutes() {
    return kRoutes;
}

}  // namespace varnel::wizard
