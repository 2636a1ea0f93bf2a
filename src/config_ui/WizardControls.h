// Design names of the configuration window's controls that other modules
// read or write (loading and saving the settings).
#pragma once

namespace varnel::wizard {

inline constexpr const char* kTabs = "选择夹1";
inline constexpr const char* kPreviousButton = "上一步按钮";
inline constexpr const char* kNextButton = "下一步按钮";

// Page 1: the shutdown time.
inline constexpr const char* kHourBox = "小时编辑框";
inline constexpr const char* kMinuteBox = "分钟编辑框";

// Page 2: the option check boxes, numbered as the settings rows name them
// (there is no check box 7).
inline constexpr const char* kStartWithWindowsBox = "选择框1";  // 开机自动运行Varnel
inline constexpr const char* kStartMinimisedBox = "选择框2";    // 启动后最小化
inline constexpr const char* kQuickShutdownBox = "选择框3";     // 快速关机
inline constexpr const char* kFiveMinuteBox = "选择框4";        // 倒计时5分钟提示
inline constexpr const char* kNotInFrontBox = "选择框5";        // 禁止在其它窗口的前端显示
inline constexpr const char* kShutdownAtStartBox = "选择框6";   // 程序启动后立刻关机
inline constexpr const char* kTrayIconBox = "选择框8";          // 显示托盘图标

// Page 3: the hotkey lists, "组合框<group><1 modifier | 2 function key>".
// Groups: 1 open configuration, 2 show/hide, 3 shutdown, 4 exit.
inline constexpr const char* kHotkeyCombos[4][2] = {
    {"组合框11", "组合框12"},
    {"组合框21", "组合框22"},
    {"组合框31", "组合框32"},
    {"组合框41", "组合框42"},
};

}  // namespace varnel::wizard
