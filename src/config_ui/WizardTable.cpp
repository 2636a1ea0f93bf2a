// The configuration window as data: every control of pages 0 to 5 and the
// navigation buttons below them. Geometry in pixels; controls on a page are
// placed relative to the page, controls in a frame relative to the frame.
#include <string>
#include <vector>

#include "config_ui/ConfigWizard.h"
#include "config_ui/HomePage.h"
#include "config_ui/WizardControls.h"
#include "config_ui/WizardPages.h"

namespace varnel {

namespace {

using namespace wizard;

constexpr Color kWizardBackground = 0x80E000;  // red 0, green 224, blue 128

Font type(int pixelHeight, bool bold = false, bool underline = false) {
    return Font{.pixelHeight = pixelHeight, .bold = bold, .underline = underline};
}

ControlSpec control(const char* name, ControlKind kind, const char* parent, int page, Rect rect,
                    std::string text = "") {
    ControlSpec c;
    c.name = name;
    c.kind = kind;
    c.parent = parent;
    c.page = page;
    c.rect = rect;
    c.text = std::move(text);
    return c;
}

ControlSpec label(const char* name, const char* parent, int page, Rect rect, std::string text,
                  Font font = {}) {
    ControlSpec c = control(name, ControlKind::Label, parent, page, rect, std::move(text));
    c.font = font;
    return c;
}

ControlSpec frame(const char* name, int page, Rect rect) {
    return control(name, ControlKind::GroupBox, kTabs, page, rect);
}

ControlSpec timeBox(const char* name, Rect rect) {
    ControlSpec c = control(name, ControlKind::Edit, kTimeFrame, -1, rect);
    c.maxLength = 2;
    return c;
}

ControlSpec checkBox(const char* name, Rect rect, const char* text, bool enabled = true) {
    ControlSpec c = control(name, ControlKind::CheckBox, kTabs, kOptionsPage, rect, text);
    c.enabled = enabled;
    c.font = type(19);
    return c;
}

ControlSpec hotkeyList(int group, int list, Rect rect) {
    ControlSpec c =
        control(kHotkeyCombos[group][list], ControlKind::DropDownList, kHotkeyFrame, -1, rect);
    if (list == 0) {
        c.items = {"Ctrl", "Alt", "Shift"};
    } else {
        c.items = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"};
    }
    return c;
}

ControlSpec spin(const char* name, const char* parent, Rect rect, bool horizontal) {
    ControlSpec c = control(name, ControlKind::Spin, parent, -1, rect);
    c.horizontal = horizontal;
    return c;
}

ControlSpec pageButton(const char* name, int page, Rect rect, const char* text, Font font,
                       const char* hint = "") {
    ControlSpec c = control(name, ControlKind::Button, kTabs, page, rect, text);
    c.hint = hint;
    c.font = font;
    return c;
}

ControlSpec windowButton(const char* name, Rect rect, const char* text, Font font, bool enabled) {
    ControlSpec c = control(name, ControlKind::Button, "", -1, rect, text);
    c.enabled = enabled;
    c.font = font;
    return c;
}

void addTimePage(std::vector<ControlSpec>& c) {
    const int p = kTimePage;
    c.push_back(label(kTimePrompt, kTabs, p, {49, 65, 130, 14}, "请输入关机的时间："));
    c.push_back(frame(kTimeFrame, p, {79, 92, 109, 28}));
    c.push_back(timeBox(kHourBox, {4, 2, 22, 24}));
    c.push_back(label(kHourCaption, kTimeFrame, -1, {28, 7, 14, 14}, "时"));
    c.push_back(timeBox(kMinuteBox, {44, 2, 22, 24}));
    c.push_back(label(kMinuteCaption, kTimeFrame, -1, {68, 7, 14, 14}, "分"));
    c.push_back(spin(kTimeSpin, kTimeFrame, {84, 2, 23, 25}, false));
    c.push_back(pageButton(kConfirmButton, p, {290, 75, 49, 25}, "确定", type(19, true)));
    c.push_back(pageButton(kCancelButton, p, {290, 127, 49, 25}, "取消", type(19, true)));
    c.push_back(label(kDefaultTimeHint, kTabs, p, {21, 131, 260, 28},
                      "提示：    默认置为23:00\r\n可在设置向导‘完成’项恢复默认设置"));
    c.push_back(label(kTipCaption, kTabs, p, {50, 203, 36, 14}, "提示:"));
    c.push_back(label(kTipLine, kTabs, p, {88, 201, 320, 43}, "", type(19)));
    // In the free band between the hint (down to 159) and the tip line (from 201).
    c.push_back(label(kWeekdayCaption, kTabs, p, {21, 172, 40, 14}, "每周："));
    constexpr const char* kDayNames[7] = {"一", "二", "三", "四", "五", "六", "日"};
    for (int day = 0; day < 7; ++day) {
        c.push_back(control(kWeekdayBoxes[day], ControlKind::CheckBox, kTabs, p,
                            {63 + 38 * day, 170, 34, 18}, kDayNames[day]));
    }
}

void addOptionsPage(std::vector<ControlSpec>& c) {
    c.push_back(checkBox(kStartWithWindowsBox, {33, 81, 240, 24}, "开机自动运行Varnel"));
    c.push_back(checkBox(kStartMinimisedBox, {33, 114, 221, 24}, "启动后最小化"));
    c.push_back(checkBox(kNotInFrontBox, {33, 148, 257, 24}, "禁止在其它窗口的前端显示"));
    // Disabled in the design; the window enables it when it is created.
    c.push_back(checkBox(kShutdownAtStartBox, {33, 184, 224, 24}, "程序启动后立刻关机", false));
    c.push_back(checkBox(kQuickShutdownBox, {300, 93, 163, 24}, "快速关机"));
    c.push_back(checkBox(kFiveMinuteBox, {300, 130, 204, 24}, "倒计时5分钟提示"));
    c.push_back(checkBox(kTrayIconBox, {301, 166, 190, 24}, "显示托盘图标"));
}

void addHotkeyPage(std::vector<ControlSpec>& c) {
    struct Group {
        const char* caption;
        Rect captionRect, modifier, plus, key;
    };
    static const Group kGroups[4] = {
        {"打开软件配置程序：",
         {27, 36, 180, 14},
         {27, 59, 56, 20},
         {88, 60, 16, 18},
         {108, 59, 56, 20}},
        {"显示或隐藏窗口：",
         {232, 36, 180, 14},
         {232, 59, 56, 20},
         {292, 60, 16, 18},
         {314, 59, 56, 20}},
        {"热键关机：",
         {32, 121, 180, 14},
         {32, 145, 56, 20},
         {94, 145, 16, 18},
         {115, 144, 56, 20}},
        {"退出程序：",
         {236, 119, 180, 14},
         {236, 143, 56, 20},
         {294, 143, 16, 18},
         {311, 142, 56, 20}},
    };
    c.push_back(frame(kHotkeyFrame, kHotkeyPage, {38, 39, 435, 217}));
    for (int g = 0; g < 4; ++g) {
        const Group& group = kGroups[g];
        c.push_back(label(kHotkeyCaptions[g], kHotkeyFrame, -1, group.captionRect, group.caption));
        c.push_back(hotkeyList(g, 0, group.modifier));
        c.push_back(label(kHotkeyPlusLabels[g], kHotkeyFrame, -1, group.plus, "＋"));
        c.push_back(hotkeyList(g, 1, group.key));
    }
}

void addPositionPage(std::vector<ControlSpec>& c) {
    c.push_back(frame(kPositionFrame, kPositionPage, {33, 40, 454, 219}));
    c.push_back(label(kPositionCaption, kPositionFrame, -1, {28, 20, 120, 14}, "移动窗口位置："));
    c.push_back(spin(kHorizontalSpin, kPositionFrame, {155, 86, 136, 64}, true));
    c.push_back(spin(kVerticalSpin, kPositionFrame, {192, 31, 64, 176}, false));
}

void addInfoPages(std::vector<ControlSpec>& c) {
    c.push_back(label(kWelcomeLabel, kTabs, kWelcomePage, {11, 46, 485, 218}, welcomeText()));

    const int p = kFinishPage;
    c.push_back(label(kDoneLabel, kTabs, p, {153, 72, 215, 88}, "设置完成！\r\n\r\n感谢使用！",
                      type(29, true)));
    c.push_back(label(kAboutLabel, kTabs, p, {68, 186, 33, 20}, "关于", type(16, false, true)));
    c.push_back(label(kVersionLabel, kTabs, p, {225, 182, 152, 49}, versionText(), type(16)));
    c.push_back(
        control(kDownloadLink, ControlKind::Hyperlink, kTabs, p, {168, 228, 264, 32}, kHomePage));
    c.push_back(
        pageButton(kUpdateButton, p, {384, 194, 96, 32}, "检查更新", type(20, true), "最小化显示"));
    c.push_back(
        label(kRestoreLabel, kTabs, p, {51, 224, 80, 20}, "恢复默认置", type(16, false, true)));
    c.push_back(label(kLowerRestoreLabel, kTabs, p, {184, 280, 80, 20}, "恢复默认置",
                      type(16, false, true)));
}

}  // namespace

WindowSpec configWizardSpec() {
    WindowSpec window;
    window.title = "Varnel 程序配置";
    window.rect = {0, 0, 532, 383};
    window.background = kWizardBackground;
    std::vector<ControlSpec>& c = window.controls;
    // Page 6 "进程管理" held only an empty list and a dead button; it is left out.
    ControlSpec tabs = control(kTabs, ControlKind::Tab, "", -1, {8, 4, 512, 344});
    tabs.items = {"欢迎界面", "定时设置", "配置选项", "热键设置", "位置移动", "完成设置"};
    c.push_back(tabs);
    addInfoPages(c);
    addTimePage(c);
    addOptionsPage(c);
    addHotkeyPage(c);
    addPositionPage(c);
    c.push_back(windowButton(kPreviousButton, {68, 283, 200, 53}, "上一步", type(48, true), true));
    c.push_back(windowButton(kNextButton, {269, 283, 200, 53}, "下一步", type(48, true), true));
    c.push_back(windowButton(kPreviousShortcut, {68, 270, 200, 13}, "<alt + 1>", {}, false));
    c.push_back(windowButton(kNextShortcut, {269, 270, 200, 13}, "<alt + 2> ", {}, false));
    return window;
}

}  // namespace varnel
