// Design names of the configuration window's controls.
#pragma once

namespace varnel::wizard {

inline constexpr const char* kTabs = "选择夹1";
inline constexpr const char* kPreviousButton = "上一步按钮";
inline constexpr const char* kNextButton = "下一步按钮";
// Disabled buttons that only caption the keyboard shortcuts.
inline constexpr const char* kPreviousShortcut = "快捷键按钮1";
inline constexpr const char* kNextShortcut = "快捷键按钮2";

// Page 0: welcome.
inline constexpr const char* kWelcomeLabel = "欢迎标签";

// Page 1: the shutdown time.
inline constexpr const char* kTimePrompt = "时间提示标签";
inline constexpr const char* kTimeFrame = "时间框";
inline constexpr const char* kHourBox = "小时编辑框";
inline constexpr const char* kHourCaption = "时标签";
inline constexpr const char* kMinuteBox = "分钟编辑框";
inline constexpr const char* kMinuteCaption = "分标签";
inline constexpr const char* kTimeSpin = "时间调节器";
inline constexpr const char* kConfirmButton = "确定按钮";
inline constexpr const char* kCancelButton = "取消按钮";
inline constexpr const char* kDefaultTimeHint = "默认时间标签";
inline constexpr const char* kTipCaption = "提示标签";
inline constexpr const char* kTipLine = "tipLine";
// The weekdays the shutdown comes on, Monday first.
inline constexpr const char* kWeekdayCaption = "每周标签";
inline constexpr const char* kWeekdayBoxes[7] = {"周一选择框", "周二选择框", "周三选择框",
                                                 "周四选择框", "周五选择框", "周六选择框",
                                                 "周日选择框"};

// Page 2: the option check boxes, numbered as the settings rows name them
// (there is no check box 7).
inline constexpr const char* kStartWithWindowsBox = "选择框1";  // 开机自动运行Varnel
inline constexpr const char* kStartMinimisedBox = "选择框2";    // 启动后最小化
inline constexpr const char* kQuickShutdownBox = "选择框3";     // 快速关机
inline constexpr const char* kFiveMinuteBox = "选择框4";        // 倒计时5分钟提示
inline constexpr const char* kNotInFrontBox = "选择框5";  // 禁止在其它窗口的前端显示
inline constexpr const char* kShutdownAtStartBox = "选择框6";  // 程序启动后立刻关机
inline constexpr const char* kTrayIconBox = "选择框8";         // 显示托盘图标

// Page 3: the hotkey lists, "组合框<group><1 modifier | 2 function key>".
// Groups: 1 open configuration, 2 show/hide, 3 shutdown, 4 exit.
inline constexpr const char* kHotkeyFrame = "热键框";
inline constexpr const char* kHotkeyCombos[4][2] = {
    {"组合框11", "组合框12"},
    {"组合框21", "组合框22"},
    {"组合框31", "组合框32"},
    {"组合框41", "组合框42"},
};
inline constexpr const char* kHotkeyCaptions[4] = {"热键标签1", "热键标签2", "热键标签3",
                                                   "热键标签4"};
inline constexpr const char* kHotkeyPlusLabels[4] = {"加号标签1", "加号标签2", "加号标签3",
                                                     "加号标签4"};

// Page 4: moving the main window.
inline constexpr const char* kPositionFrame = "位置框";
inline constexpr const char* kPositionCaption = "位置标签";
inline constexpr const char* kHorizontalSpin = "水平调节器";
inline constexpr const char* kVerticalSpin = "垂直调节器";

// Page 5: finish.
inline constexpr const char* kDoneLabel = "完成标签";
inline constexpr const char* kAboutLabel = "关于标签";
inline constexpr const char* kVersionLabel = "版本标签";
inline constexpr const char* kDownloadLink = "下载超链接";
inline constexpr const char* kUpdateButton = "检查更新按钮";
inline constexpr const char* kRestoreLabel = "恢复默认标签1";
inline constexpr const char* kLowerRestoreLabel = "恢复默认标签2";

// Pages, as the tab control counts them.
inline constexpr int kWelcomePage = 0;
inline constexpr int kTimePage = 1;
inline constexpr int kOptionsPage = 2;
inline constexpr int kHotkeyPage = 3;
inline constexpr int kPositionPage = 4;
inline constexpr int kFinishPage = 5;

}  // namespace varnel::wizard
