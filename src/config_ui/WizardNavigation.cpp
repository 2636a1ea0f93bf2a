// Moving between the pages: the page rule, "上一步", the right button with
// the finish action, the Alt+1/Alt+2 shortcuts, cancelling, the tip line and
// the end of the window.
#include <algorithm>
#include <array>

#include "config_ui/Restart.h"
#include "config_ui/WizardControls.h"
#include "config_ui/WizardPages.h"
#include "config_ui/WizardSettings.h"
#include "core/Program.h"
#include "core/Texts.h"

namespace varnel::wizard {

namespace {

constexpr const char* kNextCaption = "下一步";
constexpr const char* kFinishCaption = "完成";
constexpr unsigned kKey1 = 0x31;
constexpr unsigned kKey2 = 0x32;

enum class Button { Keep, Enable, Disable };

struct PageButtons {
    Button previous;
    Button next;
    const char* caption;  // nullptr: the right button keeps its caption
};

// Indexed by page. The time page holds "下一步" back until "确定" is pressed.
constexpr std::array<PageButtons, kFinishPage + 1> kPageButtons = {{
    {Button::Disable, Button::Enable, nullptr},
    {Button::Enable, Button::Disable, nullptr},
    {Button::Enable, Button::Enable, kNextCaption},
    {Button::Enable, Button::Enable, kNextCaption},
    {Button::Enable, Button::Enable, kNextCaption},
    {Button::Enable, Button::Keep, kFinishCaption},
}};

constexpr const char* kWeekdayTip = "选择每周哪几天关机";

struct Tip {
    std::string_view control;
    const char* text;
};

constexpr Tip kTips[] = {
    {kConfirmButton, "确定更改重启生效"},
    {kCancelButton, "取消更改"},
    {kHourBox, "输入小时"},
    {kMinuteBox, "输入分钟"},
    {kLowerRestoreLabel, "恢复程序的默认置"},
    {kWeekdayCaption, kWeekdayTip},
    {kWeekdayBoxes[0], kWeekdayTip},
    {kWeekdayBoxes[1], kWeekdayTip},
    {kWeekdayBoxes[2], kWeekdayTip},
    {kWeekdayBoxes[3], kWeekdayTip},
    {kWeekdayBoxes[4], kWeekdayTip},
    {kWeekdayBoxes[5], kWeekdayTip},
    {kWeekdayBoxes[6], kWeekdayTip},
};

void applyButton(Program& program, const char* button, Button state) {
    if (state != Button::Keep) {
        program.platform.setEnabled(program.configWizard, button, state == Button::Enable);
    }
}

void onPageChanged(Program& program, const Event& event) {
    if (event.arg < 0 || event.arg >= static_cast<int>(kPageButtons.size())) {
        return;
    }
    const PageButtons& rule = kPageButtons[event.arg];
    applyButton(program, kPreviousButton, rule.previous);
    applyButton(program, kNextButton, rule.next);
    if (rule.caption != nullptr) {
        program.platform.setText(program.configWizard, kNextButton, rule.caption);
    }
}

void goToPage(Program& program, int page) {
    program.platform.setSelection(program.configWizard, kTabs,
                                  std::clamp(page, 0, static_cast<int>(kFinishPage)));
}

int currentPage(Program& program) {
    return program.platform.selection(program.configWizard, kTabs);
}

void goBack(Program& program) {
    goToPage(program, currentPage(program) - 1);
}

void finish(Program& program) {
    if (!saveWizardSettings(program)) {
        reportUnsavedSettings(program);  // the window stays on its page: try again
        return;
    }
    const int answer = program.platform.messageBox(
        program.configWizard,
        "设置成功! 程序重启后生效。\r\n 是否立刻重启？ \r\n‘是’为立刻重新启动程序",
        "设置已经成功，重启后生效！", kMbYesNoQuestion);
    if (answer == kIdYes) {
        restartProgram(program, RestartVariant::AfterSave);
    } else {
        program.platform.destroyWindow(program.configWizard);
    }
}

void goForwardOrFinish(Program& program) {
    if (program.platform.text(program.configWizard, kNextButton) == kFinishCaption) {
        finish(program);
    } else {
        goToPage(program, currentPage(program) + 1);
    }
}

void onPreviousClicked(Program& program, const Event&) {
    goBack(program);
}

void onNextClicked(Program& program, const Event&) {
    goForwardOrFinish(program);
}

// Alt+1 and Alt+2 stand for the two buttons and, like a click, do nothing
// while the button is disabled.
void onAltKey(Program& program, const Event& event) {
    const auto pressIfEnabled = [&](const char* button, void (*action)(Program&)) {
        if (program.platform.enabled(program.configWizard, button)) {
            action(program);
        }
    };
    if (static_cast<unsigned>(event.arg) == kKey1) {
        pressIfEnabled(kPreviousButton, goBack);
    } else if (static_cast<unsigned>(event.arg) == kKey2) {
        pressIfEnabled(kNextButton, goForwardOrFinish);
    }
}

void onCancelClicked(Program& program, const Event&) {
    const int answer =
        program.platform.messageBox(program.configWizard, "退出‘向导’即将载入默认置\r\n是否继续？",
                                    kUntitledCaption, kMbYesNoQuestion);
    if (answer == kIdYes) {
        program.platform.destroyWindow(program.configWizard);
    }
}

void onMouseOver(Program& program, const Event& event) {
    for (const Tip& tip : kTips) {
        if (tip.control == event.control) {
            program.platform.setText(program.configWizard, kTipLine, tip.text);
        }
    }
}

void onWizardDestroyed(Program& program, const Event&) {
    program.wizardStartPage = 0;
    program.configWizard = 0;
}

constexpr auto kRoutes = [] {
    std::array<Route, 6 + std::size(kTips)> routes = {{
        {"", EventKind::Destroyed, onWizardDestroyed},
        {"", EventKind::AltKey, onAltKey},
        {kTabs, EventKind::PageChanged, onPageChanged},
        {kPreviousButton, EventKind::Clicked, onPreviousClicked},
        {kNextButton, EventKind::Clicked, onNextClicked},
        {kCancelButton, EventKind::Clicked, onCancelClicked},
    }};
    for (std::size_t i = 0; i < std::size(kTips); ++i) {
        routes[6 + i] = {kTips[i].control, EventKind::MouseOver, onMouseOver};
    }
    return routes;
}();

}  // namespace

std::span<const Route> navigationRoutes() {
    return kRoutes;
}

}  // namespace varnel::wizard
