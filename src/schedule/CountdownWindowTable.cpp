// The countdown window's design: every control with its geometry and
// design-time text, as the window builder and the fake both take it.
#include "schedule/CountdownControls.h"
#include "schedule/CountdownWindow.h"

namespace varnel {

namespace {

using namespace countdown;

constexpr const char* kDash = "--------";

ControlSpec control(const char* name, ControlKind kind, const char* parent, Rect rect,
                    const char* text = "") {
    ControlSpec c;
    c.name = name;
    c.kind = kind;
    c.parent = parent;
    c.rect = rect;
    c.text = text;
    return c;
}

ControlSpec label(const char* name, const char* parent, Rect rect, const char* text,
                  int fontHeight = 12) {
    ControlSpec c = control(name, ControlKind::Label, parent, rect, text);
    c.font.pixelHeight = fontHeight;
    return c;
}

ControlSpec button(const char* name, const char* parent, Rect rect, const char* caption,
                   const char* hint) {
    ControlSpec c = control(name, ControlKind::Button, parent, rect, caption);
    c.hint = hint;
    return c;
}

ControlSpec edit(const char* name, const char* parent, Rect rect, int maxLength) {
    ControlSpec c = control(name, ControlKind::Edit, parent, rect);
    c.maxLength = maxLength;
    c.font.pixelHeight = 14;
    return c;
}

}  // namespace

WindowSpec countdownWindowSpec() {
    WindowSpec window;
    window.title = kTitle;
    window.rect = {0, 0, 512, 332};

    // The limits bind typing only, not the texts the spin and the proposal write:
    // two characters for an hour or a minute ("-1" too), five for "1440" or "1.5".
    constexpr int kPostponeBoxLength = 2;
    constexpr int kMinutesBoxLength = 5;

    ControlSpec value = label(kValue, "", {218, 58, 140, 31}, "", 28);
    value.font.bold = true;
    ControlSpec minutes = edit(kMinutesBox, kCountdownGroup, {16, 24, 53, 33}, kMinutesBoxLength);
    minutes.text = "30";
    minutes.font.pixelHeight = 20;

    window.controls = {
        label(kHeader, "", {96, 16, 333, 39},
              " 计时窗口,点击“关机”关闭电脑\r\n点击“退出” 退出程序并取消关机", 16),
        label(kValueCaption, "", {149, 65, 72, 24}, kShutdownTimeCaption, 14),
        value,
        label(kUnit, "", {363, 65, 32, 24}, kSeconds, 14),
        button(kShutdownButton, "", {291, 221, 52, 32}, "关机", "关闭计算机"),
        button(kExitButton, "", {351, 222, 56, 32}, "退出", "退出软件"),
        button(kCloseButton, "", {413, 222, 56, 32}, "隐藏", "最小化显示"),
        label(kHotkeyTip, "", {248, 265, 249, 45}, "提示：3秒内再次使用\"显示窗口热键\"即可关机"),

        control(kTimeGroup, ControlKind::GroupBox, "", {27, 108, 209, 170}),
        label("标签12", kTimeGroup, {8, 23, 90, 18}, "当前系统时间："),
        label(kCurrentTime, kTimeGroup, {99, 24, 100, 18}, kDash),
        label("标签13", kTimeGroup, {10, 53, 88, 18}, "关机时间："),
        label(kShutdownTimeText, kTimeGroup, {99, 54, 100, 18}, kDash),
        label("标签15", kTimeGroup, {9, 81, 88, 18}, "推迟的时间："),
        label(kPostponedTime, kTimeGroup, {98, 82, 100, 18}, kDash),
        control(kPostponeFrame, ControlKind::ShapeBox, kTimeGroup, {19, 120, 109, 28}),
        edit(kPostponeHourBox, kPostponeFrame, {2, 1, 22, 24}, kPostponeBoxLength),
        label("时标签", kPostponeFrame, {26, 6, 14, 16}, "时"),
        edit(kPostponeMinuteBox, kPostponeFrame, {43, 1, 22, 24}, kPostponeBoxLength),
        label("分标签", kPostponeFrame, {67, 6, 14, 16}, "分"),
        control(kPostponeSpin, ControlKind::Spin, kPostponeFrame, {85, 2, 23, 25}),
        button(kPostponeButton, kTimeGroup, {138, 119, 52, 32}, kPostpone, "推迟设定的关机时间"),

        control(kCountdownGroup, ControlKind::GroupBox, "", {277, 107, 208, 92}),
        minutes,
        label("分钟标签", kCountdownGroup, {92, 33, 36, 18}, "分钟", 14),
        label(kMinutesEcho, kCountdownGroup, {8, 58, 45, 24}, "", 14),
        label("标签5", kCountdownGroup, {60, 62, 80, 18}, "分钟后关机", 14),
        button(kCountdownButton, kCountdownGroup, {137, 22, 52, 32}, kStartCountdown,
               "推迟设定的关机时间"),
    };
    return window;
}

}  // namespace varnel
